#include "vshtool/subiconrecords.h"

#include "document/prxdocument.h"
#include "vshtool/vshfiles.h"

#include <QDir>
#include <QtEndian>

namespace {

QByteArray littleEndian(std::initializer_list<qint32> values)
{
    QByteArray bytes;
    for (qint32 v : values) {
        char b[4];
        qToLittleEndian(v, b);
        bytes.append(b, 4);
    }
    return bytes;
}

} // namespace

std::optional<SubIconRecords::Record> SubIconRecords::select(int index)
{
    const auto begin = VshFiles::keyOffset(m_doc, QStringLiteral("BeginOffset"));
    if (!begin || index < 0)
        return std::nullopt;
    m_doc.setBeginOffset(qint32(*begin + 16 * qint64(index)));
    // Choosing the category just read writes that same value back, which
    // leaves the record as it is: nothing is written here.
    return Record{readAt(m_doc.BeginOffset()), readAt(qint64(m_doc.BeginOffset()) + 8)};
}

std::optional<qint32> SubIconRecords::readAt(qint64 offset)
{
    const QByteArray bytes = m_doc.files().read(VshFiles::categoryFile(m_doc), offset, 4);
    if (bytes.size() != 4)
        return std::nullopt;
    return qFromLittleEndian<qint32>(bytes.constData());
}

QString SubIconRecords::writeAt(qint64 offset, const QByteArray &bytes, const QString &text)
{
    ModuleFiles &files = m_doc.files();
    const int slot = VshFiles::categoryFile(m_doc);
    const QString name = QDir::toNativeSeparators(files.path(slot));
    if (!files.isOpen(slot))
        return QStringLiteral("module file %1 is not open").arg(slot);
    if (!files.isWritable(slot))
        return QStringLiteral("%1 is read-only").arg(name);
    if (offset < 0 || offset + bytes.size() > files.size(slot))
        return QStringLiteral("offset %1 does not lie inside %2 (%3 bytes)")
            .arg(QString::number(offset, 16).toUpper(), name)
            .arg(files.size(slot));
    return m_doc.writeModule(slot, {{offset, bytes}}, text);
}

QString SubIconRecords::writeMainCategory(qint32 category)
{
    return writeAt(m_doc.BeginOffset(), littleEndian({category}), QStringLiteral("Main category = %1").arg(m_doc.XMBmain().value(category, QString::number(category))));
}

QString SubIconRecords::writeMode(Mode mode)
{
    const qint32 companion = mode == Mode::Disabled ? 8 : -1;
    const QString name = mode == Mode::Enabled    ? QStringLiteral("Enabled")
                         : mode == Mode::Disabled ? QStringLiteral("Disabled")
                                                  : QStringLiteral("Slim only");
    return writeAt(qint64(m_doc.BeginOffset()) + 8, littleEndian({qint32(mode), companion}),
                   QStringLiteral("Submenu mode = %1").arg(name));
}

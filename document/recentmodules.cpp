#include "document/recentmodules.h"

#include "common/inifile.h"
#include "document/prxdocument.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("Recent Modules");

QString keyOf(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

// Two names of one module count once: the list holds absolute, cleaned paths.
QString normalised(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

RecentModules::RecentModules(PrxDocument &document, QObject *parent)
    : QObject(parent)
    , m_doc(document)
{
    connect(&m_doc, &PrxDocument::moduleOpened, this, [this] { add(m_doc.currentModuleFile()); });
}

QStringList RecentModules::paths()
{
    IniFile &config = m_doc.config();
    QStringList out;
    for (int i = 0; i < Limit; ++i) {
        const QString path = config.read(kSection, keyOf(i));
        if (!path.isEmpty() && path != IniFile::Missing && !out.contains(path))
            out << path;
    }
    return out;
}

std::vector<RecentModules::Entry> RecentModules::entries()
{
    std::vector<Entry> out;
    for (const QString &path : paths())
        out.push_back({path, QFileInfo(path).isFile()});
    return out;
}

bool RecentModules::add(const QString &path)
{
    if (path.isEmpty())
        return true;
    const QString added = normalised(path);
    QStringList list = paths();
    if (!list.isEmpty() && list.front() == added)
        return true;
    list.removeAll(added);
    list.prepend(added);
    IniFile &config = m_doc.config();
    {
        const IniFile::Batch batch(config);
        // Every key is written: a shorter list must not leave an older name behind.
        for (int i = 0; i < Limit; ++i)
            config.write(kSection, keyOf(i), i < list.size() ? list[i] : QString());
    }
    emit changed();
    return m_doc.settings().reportWriteFailure(config);
}

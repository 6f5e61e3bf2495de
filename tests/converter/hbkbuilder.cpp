#include "hbkbuilder.h"

#include <QFile>

namespace {

void put(QByteArray &record, int at, const QByteArray &text)
{
    record.replace(at, text.size(), text);
}

} // namespace

HbkBuilder::HbkBuilder()
    : m_bytes(448, 'H')
{
}

HbkBuilder &HbkBuilder::record(const QByteArray &description, const QByteArray &offset, const QByteArray &size,
                               const QByteArray &count)
{
    QByteArray r(656, '\0');
    put(r, 0, description);
    put(r, 80, offset);
    put(r, 208, size);
    put(r, 336, count);
    // The tail after the count field is not part of any field the converter uses.
    r.replace(464, 192, QByteArray(192, '\xEE'));
    m_bytes += r;
    return *this;
}

HbkBuilder &HbkBuilder::emptyRecord()
{
    m_bytes += QByteArray(656, '\0');
    return *this;
}

HbkBuilder &HbkBuilder::trailing(int bytes)
{
    m_bytes += QByteArray(bytes, '7');
    return *this;
}

QString HbkBuilder::writeTo(const QString &path) const
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(m_bytes);
    return path;
}

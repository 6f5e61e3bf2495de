#pragma once

#include <QByteArray>
#include <QString>

// Builds .hbk files byte by byte: a 448-byte header of filler, then 656-byte
// records whose text fields are zero-padded Windows-1252 bytes.
class HbkBuilder
{
public:
    HbkBuilder();

    HbkBuilder &record(const QByteArray &description, const QByteArray &offset, const QByteArray &size,
                       const QByteArray &count = QByteArray());
    HbkBuilder &emptyRecord();
    HbkBuilder &trailing(int bytes);

    const QByteArray &bytes() const { return m_bytes; }
    QString writeTo(const QString &path) const;

private:
    QByteArray m_bytes;
};

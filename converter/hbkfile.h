#pragma once

#include "converter/hbkrecord.h"

#include <QString>
#include <vector>

// A bookmark file of a hex editor (.hbk): a 448-byte header, then 656-byte
// records. Every whole record is read; a trailing partial record is not, and
// its length is told.
class HbkFile
{
public:
    static constexpr qint64 HeaderSize = 448;
    static constexpr qint64 RecordSize = 656;

    enum class Status { Ok, NotFound, Unreadable, TooShort };

    static HbkFile read(const QString &path);

    Status status() const { return m_status; }
    // The system's cause when the status is Unreadable.
    const QString &errorString() const { return m_error; }
    const std::vector<HbkRecord> &records() const { return m_records; }
    // The bytes after the last whole record: a record cut short.
    qint64 trailingBytes() const { return m_trailing; }

    static HbkRecord decode(const char *record, int number);

private:
    Status m_status = Status::Ok;
    QString m_error;
    std::vector<HbkRecord> m_records;
    qint64 m_trailing = 0;
};

#include "converter/hbkfile.h"

#include "common/codepage.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr int kDescriptionAt = 0;
constexpr int kDescriptionSize = 80;
constexpr int kOffsetAt = 80;
constexpr int kSizeAt = 208;
constexpr int kTextSize = 128;
constexpr int kCountAt = 336;

QString textField(const char *field, int size)
{
    int length = 0;
    while (length < size && field[length] != '\0')
        ++length;
    return Codepage::toUnicode(field, length);
}

} // namespace

HbkRecord HbkFile::decode(const char *record, int number)
{
    HbkRecord r;
    r.number = number;
    const char *description = record + kDescriptionAt;
    r.empty = std::all_of(description, description + kDescriptionSize, [](char c) { return c == '\0'; });
    r.description = textField(description, kDescriptionSize);
    r.offsetText = textField(record + kOffsetAt, kTextSize);
    QByteArray size(record + kSizeAt, kTextSize);
    size.replace('\0', QByteArray());
    r.sizeText = Codepage::toUnicode(size);
    r.countText = textField(record + kCountAt, kTextSize);
    return r;
}

HbkFile HbkFile::read(const QString &path)
{
    HbkFile result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.m_status = Status::NotFound;
        return result;
    }
    if (info.isDir()) {
        result.m_status = Status::Unreadable;
        result.m_error = QStringLiteral("it is a folder");
        return result;
    }
    // Reading a pipe or a device could block or never end.
    if (!info.isFile()) {
        result.m_status = Status::Unreadable;
        result.m_error = QStringLiteral("it is not a regular file");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.m_status = Status::Unreadable;
        result.m_error = file.errorString();
        return result;
    }
    const qint64 size = file.size();
    if (size < HeaderSize) {
        result.m_status = Status::TooShort;
        return result;
    }
    const qint64 count = (size - HeaderSize) / RecordSize;
    result.m_trailing = (size - HeaderSize) % RecordSize;
    if (!file.seek(HeaderSize)) {
        result.m_status = Status::Unreadable;
        result.m_error = file.errorString();
        return result;
    }
    result.m_records.reserve(size_t(count));
    QByteArray buffer(RecordSize, Qt::Uninitialized);
    for (qint64 i = 0; i < count; ++i) {
        if (file.read(buffer.data(), RecordSize) != RecordSize) {
            result.m_status = Status::Unreadable;
            result.m_error = file.errorString();
            result.m_records.clear();
            return result;
        }
        result.m_records.push_back(decode(buffer.constData(), int(i + 1)));
    }
    return result;
}

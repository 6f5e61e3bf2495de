#include "values/valuecodec.h"

#include "values/modulefiles.h"

#include <algorithm>

namespace ValueCodec {

QString ReadValue(ModuleFiles &files, int file, qint64 offset, ValueType type, std::optional<int> length, int limit)
{
    switch (type) {
    case ValueType::Float: {
        // Into a buffer of the value's width: a list of many numbers allocates nothing per value.
        char bytes[FloatCodec::Width];
        if (files.read(file, offset, bytes, FloatCodec::Width) < FloatCodec::Width)
            return QString();
        return FloatCodec::value(QByteArrayView(bytes, FloatCodec::Width));
    }
    case ValueType::Integer: {
        char bytes[IntegerCodec::Width];
        if (files.read(file, offset, bytes, IntegerCodec::Width) < IntegerCodec::Width)
            return QString();
        return IntegerCodec::value(QByteArrayView(bytes, IntegerCodec::Width));
    }
    case ValueType::String:
        break;
    }
    return StringCodec::value(files.read(file, offset, limit), length, limit).value_or(QString());
}

QString ReadValue(ModuleFiles &files, int file, qint64 offset, const QString &type, std::optional<int> length,
                  int limit)
{
    const auto known = ValueTypes::fromCell(type);
    return known ? ReadValue(files, file, offset, *known, length, limit) : QString();
}

WriteResult WriteValue(ModuleFiles &files, int file, qint64 offset, ValueType type, int length, const QString &text)
{
    if (!files.isOpen(file))
        return WriteResult::NoFile;
    QByteArray bytes;
    if (type == ValueType::String) {
        const QByteArray chars = StringCodec::valueToBytes(text, length);
        // The field is written as one block: its first byte stays as it was
        // unless the text covers it, the rest of the field is cleared.
        const qint64 span = std::max<qint64>(length, chars.size());
        if (offset < 0 || offset + span > files.size(file))
            return WriteResult::OutsideFile;
        bytes = files.read(file, offset, span);
        if (bytes.size() != span)
            return WriteResult::OutsideFile;
        if (span > 1)
            std::fill(bytes.begin() + 1, bytes.end(), '\0');
        std::copy(chars.begin(), chars.end(), bytes.begin());
    } else if (type == ValueType::Float && FloatCodec::isSpecialText(text)) {
        if (offset < 0 || offset + FloatCodec::Width > files.size(file))
            return WriteResult::OutsideFile;
        if (ReadValue(files, file, offset, type, std::nullopt, FloatCodec::Width) == text)
            return WriteResult::Written;
        FloatCodec::valueToBytes(text, bytes);
    } else {
        const WriteResult encoded = type == ValueType::Float ? FloatCodec::valueToBytes(text, bytes)
                                                             : IntegerCodec::valueToBytes(text, bytes);
        if (encoded != WriteResult::Written)
            return encoded;
    }
    if (offset < 0 || offset + bytes.size() > files.size(file))
        return WriteResult::OutsideFile;
    return files.write(file, offset, bytes).ok() ? WriteResult::Written : WriteResult::WriteFailed;
}

WriteResult WriteValue(ModuleFiles &files, int file, qint64 offset, const QString &type, int length,
                       const QString &text)
{
    if (!files.isOpen(file))
        return WriteResult::NoFile;
    const auto known = ValueTypes::fromCell(type);
    return known ? WriteValue(files, file, offset, *known, length, text) : WriteResult::UnknownType;
}

bool IsNumberKey(int code)
{
    return (code >= 46 && code <= 57) || code == 8 || code == 45 || code == 22 || code == 24 || code == 26;
}

} // namespace ValueCodec

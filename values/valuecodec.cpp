#include "values/valuecodec.h"

#include "common/codepage.h"
#include "common/numbertext.h"
#include "common/vtentries.h"
#include "values/modulefiles.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstring>
#include <limits>

namespace ValueCodec {

namespace {

constexpr char16_t kPictures = 0x2400; // U+2400..U+241F picture the codes 0..31
constexpr char16_t kDeletePicture = 0x2421;

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F;
}

// A line break read from a module must not reach a cell, the .vt or the
// editor raw: control characters show as their pictures, which Windows-1252
// has no byte for, so the way back is unambiguous.
QString pictured(QString text)
{
    for (QChar &c : text)
        if (isControl(c.unicode()))
            c = QChar(c.unicode() == 0x7F ? kDeletePicture : char16_t(kPictures + c.unicode()));
    return text;
}

QString unpictured(QString text)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u == kDeletePicture)
            c = QChar(char16_t(0x7F));
        else if (u > kPictures && u < kPictures + 0x20)
            c = QChar(char16_t(u - kPictures));
    }
    return text;
}

} // namespace

bool hasControlCharacter(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); });
}

QString lineSafe(const QString &text)
{
    return VtEntries::lineSafe(text);
}

QString formatFloat(float value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (value == 0.0f)
        return QStringLiteral("0");
    // As "%.7G" in the C locale: snprintf would take the decimal separator from LC_NUMERIC.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::general, 7);
    std::replace(buffer, result.ptr, 'e', 'E');
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString formatInteger(qint16 value)
{
    return QString::number(value);
}

bool isSpecialFloatText(const QString &text)
{
    return text == QLatin1String("NaN") || text == QLatin1String("Infinity") || text == QLatin1String("-Infinity");
}

std::optional<float> parseFloat(const QString &text)
{
    const auto value = NumberText::parse(text);
    if (!value)
        return std::nullopt;
    const auto single = static_cast<float>(*value);
    if (!std::isfinite(single))
        return std::nullopt;
    return single;
}

std::optional<qint16> parseInteger(const QString &text)
{
    const auto value = NumberText::parse(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // the default mode rounds half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

QString ReadValue(ModuleFiles &files, int file, qint64 offset, const QString &type,
                  std::optional<int> length, int limit)
{
    if (type == QLatin1String("Float")) {
        char bytes[4];
        if (files.read(file, offset, bytes, 4) < 4)
            return QString();
        const quint32 bits = qFromLittleEndian<quint32>(bytes);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return formatFloat(value);
    }
    if (type == QLatin1String("Integer")) {
        char bytes[2];
        if (files.read(file, offset, bytes, 2) < 2)
            return QString();
        return formatInteger(qFromLittleEndian<qint16>(bytes));
    }
    if (type == QLatin1String("String")) {
        QByteArray bytes = files.read(file, offset, limit);
        const bool sized = length && *length >= 0;
        if (sized && *length < bytes.size())
            bytes.truncate(*length);
        const qsizetype zero = bytes.indexOf('\0');
        if (zero >= 0)
            bytes.truncate(zero);
        // A field of known width that the file ends inside, before its
        // terminator, is not all there.
        else if (sized && bytes.size() < std::min(*length, limit))
            return QString();
        return pictured(Codepage::toUnicode(bytes));
    }
    return QString();
}

WriteResult WriteValue(ModuleFiles &files, int file, qint64 offset, const QString &type,
                       int length, const QString &text)
{
    if (!files.isOpen(file))
        return WriteResult::NoFile;
    QByteArray bytes;
    if (type == QLatin1String("Float") && isSpecialFloatText(text)) {
        if (offset < 0 || offset + 4 > files.size(file))
            return WriteResult::OutsideFile;
        if (ReadValue(files, file, offset, type, std::nullopt, 4) == text)
            return WriteResult::Written;
        const quint32 bits = text == QLatin1String("NaN") ? 0x7FC00000u : text.startsWith(u'-') ? 0xFF800000u : 0x7F800000u;
        bytes.resize(4);
        qToLittleEndian(bits, bytes.data());
    } else if (type == QLatin1String("Float")) {
        if (!NumberText::parse(text))
            return WriteResult::NotANumber;
        const auto value = parseFloat(text);
        if (!value)
            return WriteResult::OutOfRange;
        quint32 bits;
        std::memcpy(&bits, &*value, sizeof bits);
        bytes.resize(4);
        qToLittleEndian(bits, bytes.data());
    } else if (type == QLatin1String("Integer")) {
        if (!NumberText::parse(text))
            return WriteResult::NotANumber;
        const auto value = parseInteger(text);
        if (!value)
            return WriteResult::OutOfRange;
        bytes.resize(2);
        qToLittleEndian(*value, bytes.data());
    } else if (type == QLatin1String("String")) {
        QByteArray chars = Codepage::fromUnicode(unpictured(text));
        if (length > 0 && chars.size() > length)
            chars.truncate(length);
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
    } else {
        return WriteResult::UnknownType;
    }
    return files.write(file, offset, bytes) ? WriteResult::Written : WriteResult::OutsideFile;
}

bool IsNumberKey(int code)
{
    return (code >= 46 && code <= 57) || code == 8 || code == 45 || code == 22 || code == 24 || code == 26;
}

} // namespace ValueCodec

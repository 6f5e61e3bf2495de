#include "values/floatcodec.h"

#include "common/numbertext.h"

#include <QtEndian>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace FloatCodec {

QString format(float value)
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

bool isSpecialText(const QString &text)
{
    return text == QLatin1String("NaN") || text == QLatin1String("Infinity") || text == QLatin1String("-Infinity");
}

std::optional<float> parse(const QString &text)
{
    const auto value = NumberText::parse(text);
    if (!value)
        return std::nullopt;
    const auto single = static_cast<float>(*value);
    if (!std::isfinite(single))
        return std::nullopt;
    return single;
}

QString value(QByteArrayView bytes)
{
    if (bytes.size() < Width)
        return QString();
    const quint32 bits = qFromLittleEndian<quint32>(bytes.constData());
    float single;
    std::memcpy(&single, &bits, sizeof single);
    return format(single);
}

WriteResult valueToBytes(const QString &text, QByteArray &bytes)
{
    quint32 bits = 0;
    if (isSpecialText(text)) {
        bits = text == QLatin1String("NaN") ? 0x7FC00000u : text.startsWith(u'-') ? 0xFF800000u : 0x7F800000u;
    } else {
        if (!NumberText::parse(text))
            return WriteResult::NotANumber;
        const auto single = parse(text);
        if (!single)
            return WriteResult::OutOfRange;
        std::memcpy(&bits, &*single, sizeof bits);
    }
    bytes.resize(Width);
    qToLittleEndian(bits, bytes.data());
    return WriteResult::Written;
}

} // namespace FloatCodec

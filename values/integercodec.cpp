#include "values/integercodec.h"

#include "common/numbertext.h"

#include <QtEndian>
#include <cmath>

namespace IntegerCodec {

QString format(qint16 value)
{
    return QString::number(value);
}

std::optional<qint16> parse(const QString &text)
{
    const auto value = NumberText::parse(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // the default mode rounds half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

QString value(QByteArrayView bytes)
{
    if (bytes.size() < Width)
        return QString();
    return format(qFromLittleEndian<qint16>(bytes.constData()));
}

WriteResult valueToBytes(const QString &text, QByteArray &bytes)
{
    if (!NumberText::parse(text))
        return WriteResult::NotANumber;
    const auto integer = parse(text);
    if (!integer)
        return WriteResult::OutOfRange;
    bytes.resize(Width);
    qToLittleEndian(*integer, bytes.data());
    return WriteResult::Written;
}

} // namespace IntegerCodec

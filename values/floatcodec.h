#pragma once

#include "values/valuetype.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A single: 4 bytes, little-endian, shown with at most 7 significant digits.
namespace FloatCodec {

constexpr int Width = 4;

// "1.234568E+07" where the plain form would need more digits; "NaN",
// "Infinity", "-Infinity" for the stored specials.
QString format(float value);
// A text that rounds to a finite single, or nothing.
std::optional<float> parse(const QString &text);
bool isSpecialText(const QString &text);

// The text of Width stored bytes.
QString value(QByteArrayView bytes);
// The bytes of a text, or why there are none. A special text gives the bits
// of a quiet NaN or of an infinity.
WriteResult valueToBytes(const QString &text, QByteArray &bytes);

} // namespace FloatCodec

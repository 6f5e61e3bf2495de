#pragma once

#include "values/valuetype.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A 16-bit signed integer: 2 bytes, little-endian.
namespace IntegerCodec {

constexpr int Width = 2;

QString format(qint16 value);
// A text rounded half to even into -32768..32767, or nothing.
std::optional<qint16> parse(const QString &text);

QString value(QByteArrayView bytes);
WriteResult valueToBytes(const QString &text, QByteArray &bytes);

} // namespace IntegerCodec

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// Windows-1252 text that ends at its first zero byte. Control characters
// (codes 1..31 and 127) show as their pictures (U+2401..U+241F, U+2421), which
// go back as those codes, so no line break ever reaches a cell or a .vt file.
namespace StringCodec {

// The text of bytes read from `limit` on: the first `length` of them when a
// length is given, up to the first zero byte. Nothing when a field of known
// width ends inside the bytes the file holds, before its terminator.
std::optional<QString> value(QByteArray bytes, std::optional<int> length, int limit);
// The characters of a text, cut to `length` when that is above 0.
QByteArray valueToBytes(const QString &text, int length);

bool hasControlCharacter(QStringView text);

} // namespace StringCodec

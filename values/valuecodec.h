#pragma once

#include "common/vtentries.h"
#include "values/floatcodec.h"
#include "values/integercodec.h"
#include "values/stringcodec.h"
#include "values/valuetype.h"

#include <QString>
#include <optional>

class ModuleFiles;

// A bookmark's value in a module file, by its type: each type's codec turns
// bytes into the Value cell's text and back; this reads and writes them.
namespace ValueCodec {

using ::WriteResult;

inline QString formatFloat(float value) { return FloatCodec::format(value); }
inline QString formatInteger(qint16 value) { return IntegerCodec::format(value); }
inline bool isSpecialFloatText(const QString &text) { return FloatCodec::isSpecialText(text); }
inline std::optional<float> parseFloat(const QString &text) { return FloatCodec::parse(text); }
inline std::optional<qint16> parseInteger(const QString &text) { return IntegerCodec::parse(text); }
inline bool hasControlCharacter(QStringView text) { return StringCodec::hasControlCharacter(text); }
// The text with CR and LF as their pictures, so that it never breaks a line of a .vt file.
inline QString lineSafe(const QString &text) { return VtEntries::lineSafe(text); }

// The Value cell text of a value. A String reads `limit` bytes, keeps the
// first `length` of them when a length is given and ends at the first zero
// byte. A value whose bytes the file does not hold (all of them, or for a
// String of a given length, up to its zero byte) reads as empty text; a
// String without a length reads what the file holds.
QString ReadValue(ModuleFiles &files, int file, qint64 offset, ValueType type, std::optional<int> length, int limit);
// The same for a Type cell's text, compared exactly: any other type reads nothing.
QString ReadValue(ModuleFiles &files, int file, qint64 offset, const QString &type, std::optional<int> length,
                  int limit);

// Stores a Value cell text. A NaN or infinity text leaves bytes that already
// show that text as they are (a NaN keeps its payload). A String clears bytes
// offset+1 .. offset+length-1, then writes its characters from the offset,
// cut to `length` when that is above 0.
WriteResult WriteValue(ModuleFiles &files, int file, qint64 offset, ValueType type, int length, const QString &text);
WriteResult WriteValue(ModuleFiles &files, int file, qint64 offset, const QString &type, int length,
                       const QString &text);

// Whether a typed character code may change a Float or Integer value.
bool IsNumberKey(int code);

} // namespace ValueCodec

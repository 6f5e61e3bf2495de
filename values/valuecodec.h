#pragma once

#include <QString>
#include <optional>

class ModuleFiles;

// The three value types of a bookmark: how each lies in a module file, its
// text in the Value cell, and the keystroke filter of number cells.
namespace ValueCodec {

enum class WriteResult { Written, NotANumber, OutOfRange, OutsideFile, NoFile, UnknownType };

// Float text: at most 7 significant digits, no trailing zeros, exponent form
// "1.234568E+07" where the plain form would need more digits.
QString formatFloat(float value);
QString formatInteger(qint16 value);

// The texts a stored NaN or infinity shows: "NaN", "Infinity", "-Infinity".
bool isSpecialFloatText(const QString &text);
// A Float text that rounds to a finite single, or nothing.
std::optional<float> parseFloat(const QString &text);
// An Integer text rounded half to even into -32768..32767, or nothing.
std::optional<qint16> parseInteger(const QString &text);

// The Value cell text of a value. `type` is compared exactly ("Float",
// "Integer", "String"); any other type reads nothing. A String reads `limit`
// bytes, keeps the first `length` of them when a length is given and ends at
// the first zero byte. A value whose bytes the file does not hold (all of
// them, or for a String of a given length, up to its zero byte) reads as
// empty text; a String without a length reads what the file holds. Control
// characters of a String (codes 1..31 and 127) show as their pictures
// (U+2401..U+241F, U+2421), which WriteValue stores as those codes again.
QString ReadValue(ModuleFiles &files, int file, qint64 offset, const QString &type,
                  std::optional<int> length, int limit);

// Stores a Value cell text. A NaN or infinity text leaves bytes that already
// show that text as they are (a NaN keeps its payload). A String clears bytes offset+1 .. offset+length-1,
// then writes its characters from the offset, cut to `length` when that is above 0.
WriteResult WriteValue(ModuleFiles &files, int file, qint64 offset, const QString &type,
                       int length, const QString &text);

// Text that no cell takes from the keyboard or a paste: codes below 32 and 127.
bool hasControlCharacter(QStringView text);
// The text with CR and LF as their pictures, so that it never breaks a line of a .vt file.
QString lineSafe(const QString &text);

// Whether a typed character code may change a Float or Integer value.
bool IsNumberKey(int code);

} // namespace ValueCodec

#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <initializer_list>
#include <vector>

class IniFile;

// The numbered bookmark entries of one firmware version's section of a .vt
// file: the count under "offset" and the keys "entry.<n>.<field>". The one
// writer of entries, for the editor's save and sort and for the converter.
namespace VtEntries {

enum Field { Description, Offset, Type, Length, File, Value, FieldCount };
// One entry's texts by field.
using Entry = std::array<QString, FieldCount>;

// "entry.<n>.<name of field>"
QString key(int n, Field field);
QString key(int n, QLatin1StringView field);

// Writes `offset` = the entry count and, for entries 1..n in turn, the fields
// of `order` in that order, all in one atomic write. CR and LF in a text are
// written as their pictures: no text breaks a line of the file. Keys of
// higher entries and every other key stay. False when the write failed: the
// file is then as it was.
bool write(IniFile &file, const QString &section, const std::vector<Entry> &entries,
           std::initializer_list<Field> order);

// The text with CR and LF as their pictures (U+240D, U+240A).
QString lineSafe(const QString &text);

} // namespace VtEntries

#pragma once

#include "bookmarks/bookmarkrow.h"

#include <QString>
#include <vector>

class IniFile;
class ModuleFiles;

// One firmware version's section of a .vt bookmark file, as list rows.
namespace BookmarkSection {

// The bytes a String value is read from at most.
inline constexpr int ReadLimit = 64;

// Entries 1 to `offset` of the section, no more than the section holds. With
// `files` (the module file exists) each value is read from its module file
// and the File cell is normalised to "1" or "2"; without, Value and File stay
// empty. Each row's saved value is the Value read. A missing or non-whole
// `offset` gives no rows. Nothing is written.
std::vector<BookmarkRow> load(IniFile &bookmarks, const QString &section, ModuleFiles *files);

// The Value text a load shows for `row`: what its module file ("2" file 2,
// anything else file 1) holds at its Offset, read by its Type (compared
// exactly); a String reads Len characters, at most ReadLimit. Empty text when
// the file is not open, the offset or Len is not a number or the type is unknown.
QString readValue(ModuleFiles &files, const BookmarkRow &row);

// Writes the rows as entries 1..n and `offset` = n, in one atomic write; keys
// of higher entries stay. CR and LF in a cell are written as their pictures:
// no text breaks a line of the file. Nothing is written when the bookmark file does not
// exist. False when the write failed: the file is then as it was.
bool save(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows);

// The rewrite after a sort: the same, but every cell as it is (no "Default"
// replaced), also when the file does not exist yet.
bool saveSorted(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows);

// The section's `offset` as a whole number, 0 when missing or not whole, at
// most the highest N of the section's "entry.N." keys.
int entryCount(IniFile &bookmarks, const QString &section);

QString entryKey(int n, const char *field);

} // namespace BookmarkSection

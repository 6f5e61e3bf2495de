#pragma once

#include "bookmarks/bookmarkrow.h"

#include <QString>
#include <vector>

class IniFile;
class ModuleFiles;

// One firmware version's section of a .vt bookmark file, as list rows.
namespace BookmarkSection {

// Entries 1 to `offset` of the section. With `files` (the module file exists)
// each value is read from its module file and every entry's file key is
// normalised to "1" or "2" in the bookmark file; without, Value and File stay
// empty. A missing or non-whole `offset` gives no rows.
std::vector<BookmarkRow> load(IniFile &bookmarks, const QString &section, ModuleFiles *files);

// Writes the rows as entries 1..n and `offset` = n; keys of higher entries
// stay. Nothing is written when the bookmark file does not exist.
void save(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows);

// The snapshot the exit check compares with: entry.N.value = row N's value for
// N = 1 to the section's `offset`.
void writeSnapshot(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows);

// The section's `offset` as a whole number, 0 when missing or not whole, at
// most 1 000 000.
int entryCount(IniFile &bookmarks, const QString &section);

QString entryKey(int n, const char *field);

} // namespace BookmarkSection

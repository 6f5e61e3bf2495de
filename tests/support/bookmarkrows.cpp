#include "tests/support/bookmarkrows.h"

#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"

void writeFloatEntries(const QString &bookmarkFile, const QString &section, int count)
{
    IniFile ini(bookmarkFile);
    IniFile::Batch batch(ini);
    ini.write(section, QStringLiteral("offset"), QString::number(count));
    for (int n = 1; n <= count; ++n) {
        ini.write(section, BookmarkSection::entryKey(n, "description"), QStringLiteral("Entry %1").arg(n));
        ini.write(section, BookmarkSection::entryKey(n, "offset"), QString::number(4 * n, 16).toUpper());
        ini.write(section, BookmarkSection::entryKey(n, "type"), QStringLiteral("Float"));
        ini.write(section, BookmarkSection::entryKey(n, "length"), QStringLiteral("0"));
        ini.write(section, BookmarkSection::entryKey(n, "file"), QStringLiteral("1"));
    }
}

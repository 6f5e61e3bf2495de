#include "bookmarks/bookmarksection.h"

#include "common/hextext.h"
#include "common/inifile.h"
#include "common/numbertext.h"
#include "values/modulefiles.h"
#include "values/valuecodec.h"

#include <cstdio>

namespace BookmarkSection {

namespace {
constexpr int kLoadLimit = 64;

// The highest N for which the section holds any "entry.N." key.
int highestEntry(IniFile &bookmarks, const QString &section)
{
    int highest = 0;
    for (const QString &key : bookmarks.keys(section)) {
        if (!key.startsWith(QLatin1String("entry.")))
            continue;
        const qsizetype dot = key.indexOf(u'.', 6);
        bool ok = false;
        const int n = dot > 6 ? QStringView(key).mid(6, dot - 6).toInt(&ok) : 0;
        if (ok && n > highest)
            highest = n;
    }
    return highest;
}
}

QString entryKey(int n, const char *field)
{
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, "entry.%d.%s", n, field);
    return QString::fromLatin1(buffer, length);
}

int entryCount(IniFile &bookmarks, const QString &section)
{
    const auto n = NumberText::parseWhole(bookmarks.read(section, QStringLiteral("offset")));
    if (!n || *n <= 0)
        return 0;
    // A damaged count must not invent rows: no entry lies beyond the last one written.
    return int(std::min<qint64>(*n, highestEntry(bookmarks, section)));
}

std::vector<BookmarkRow> load(IniFile &bookmarks, const QString &section, ModuleFiles *files)
{
    IniFile::Batch batch(bookmarks);
    std::optional<ModuleFiles::ReadCache> cache;
    if (files)
        cache.emplace(*files);
    std::vector<BookmarkRow> rows;
    const int n = entryCount(bookmarks, section);
    rows.reserve(size_t(n));
    for (int entry = 1; entry <= n; ++entry) {
        BookmarkRow row;
        row[BookmarkRow::Description] = bookmarks.read(section, entryKey(entry, "description"));
        row[BookmarkRow::Offset] = bookmarks.read(section, entryKey(entry, "offset"));
        const QString type = bookmarks.read(section, entryKey(entry, "type"));
        const QString length = bookmarks.read(section, entryKey(entry, "length"));
        if (files) {
            const bool held = bookmarks.read(section, entryKey(entry, "file")) == QLatin1String("2");
            // The normalised text reaches the file with the next save; opening writes nothing.
            row[BookmarkRow::File] = held ? QStringLiteral("2") : QStringLiteral("1");
            const int slot = held ? ModuleFiles::Held : ModuleFiles::Working;
            const auto position = HexText::convert(row[BookmarkRow::Offset]).offset();
            const auto known = ValueTypes::fromCell(type);
            if (files->isOpen(slot) && position && known) {
                if (*known == ValueType::String) {
                    if (const auto len = NumberText::parseWhole(length); len && *len >= 0)
                        row[BookmarkRow::Value] = ValueCodec::ReadValue(
                            *files, slot, *position, *known, int(std::min<qint64>(*len, kLoadLimit)), kLoadLimit);
                } else {
                    row[BookmarkRow::Value] =
                        ValueCodec::ReadValue(*files, slot, *position, *known, std::nullopt, kLoadLimit);
                }
            }
        }
        row.savedValue = row[BookmarkRow::Value];
        row[BookmarkRow::Type] = type;
        row[BookmarkRow::Len] = length;
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

enum class Order { Save, Sort };

// The one place that writes entries into a .vt: no cell text may break a line,
// or the entries after it and the section's other keys are lost on the next read.
bool writeEntries(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows, Order order)
{
    {
        IniFile::Batch batch(bookmarks);
        bookmarks.write(section, QStringLiteral("offset"), QString::number(rows.size()));
        int entry = 0;
        for (const BookmarkRow &row : rows) {
            ++entry;
            const auto put = [&](const char *field, const QString &text) {
                bookmarks.write(section, entryKey(entry, field), ValueCodec::lineSafe(text));
            };
            const QString &type = row[BookmarkRow::Type];
            const QString &length = row[BookmarkRow::Len];
            if (order == Order::Save) {
                put("type", type == IniFile::Missing ? QStringLiteral("Float") : type);
                put("length", length == IniFile::Missing ? QStringLiteral("0") : length);
                put("file", row[BookmarkRow::File]);
                put("description", row[BookmarkRow::Description]);
                put("value", row[BookmarkRow::Value]);
                put("offset", row[BookmarkRow::Offset]);
            } else {
                put("type", type);
                put("length", length);
                put("description", row[BookmarkRow::Description]);
                put("value", row[BookmarkRow::Value]);
                put("offset", row[BookmarkRow::Offset]);
                put("file", row[BookmarkRow::File]);
            }
        }
    }
    return bookmarks.lastWriteOk();
}

} // namespace

bool save(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows)
{
    if (!bookmarks.exists())
        return true;
    return writeEntries(bookmarks, section, rows, Order::Save);
}

bool saveSorted(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows)
{
    return writeEntries(bookmarks, section, rows, Order::Sort);
}

} // namespace BookmarkSection

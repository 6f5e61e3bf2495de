#include "bookmarks/bookmarksection.h"

#include "common/codepage.h"
#include "common/hextext.h"
#include "common/inifile.h"
#include "common/numbertext.h"
#include "common/vtentries.h"
#include "values/modulefiles.h"
#include "values/valuecodec.h"

#include <array>
#include <iterator>

namespace BookmarkSection {

namespace {

// Whether `text` equals `lower` (lower-case ASCII) without regard to case.
bool namedAs(QStringView text, QLatin1StringView lower)
{
    if (text.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (Codepage::fold(text[i].unicode()) != lower[i].unicode())
            return false;
    return true;
}

bool startsAsEntry(QStringView key)
{
    return key.size() > 6 && namedAs(key.left(6), QLatin1StringView("entry."));
}

// The highest N for which the section holds any "entry.N." key.
int highestEntry(IniFile &bookmarks, const QString &section)
{
    int highest = 0;
    bookmarks.forEachKey(section, [&](QStringView key, QStringView) {
        if (!startsAsEntry(key))
            return;
        const qsizetype dot = key.indexOf(u'.', 6);
        if (dot <= 6)
            return;
        const QStringView number = key.mid(6, dot - 6);
        // Plain digits, the common case, without the general conversion.
        int n = 0;
        bool ok = number.size() <= 9;
        for (qsizetype i = 0; ok && i < number.size(); ++i) {
            ok = number[i] >= u'0' && number[i] <= u'9';
            n = n * 10 + (number[i].unicode() - u'0');
        }
        if (!ok)
            n = number.toInt(&ok);
        if (ok && n > highest)
            highest = n;
    });
    return highest;
}

// The fields that a load reads, in the order that load() takes them below.
constexpr QLatin1StringView kLoadedNames[] = {QLatin1StringView("description"), QLatin1StringView("offset"),
                                              QLatin1StringView("type"), QLatin1StringView("length"),
                                              QLatin1StringView("file")};
constexpr int kLoadedCount = int(std::size(kLoadedNames));
using LoadedTexts = std::array<QStringView, kLoadedCount>;

// Entry n's key "entry.<n>.<field>" as a lookup by that exact text finds it:
// n in its plain decimal form, from 1 to `count`.
void collect(QStringView key, QStringView value, std::vector<LoadedTexts> &entries)
{
    if (!startsAsEntry(key) || key[6] == u'0')
        return;
    qsizetype at = 6;
    qint64 n = 0;
    while (at < key.size() && key[at] >= u'0' && key[at] <= u'9' && n <= qint64(entries.size()))
        n = n * 10 + (key[at++].unicode() - u'0');
    if (at == 6 || at >= key.size() || key[at] != u'.' || n < 1 || n > qint64(entries.size()))
        return;
    const QStringView field = key.mid(at + 1);
    for (int f = 0; f < kLoadedCount; ++f) {
        if (namedAs(field, kLoadedNames[f])) {
            entries[size_t(n - 1)][size_t(f)] = value;
            return;
        }
    }
}

QString textOf(QStringView value)
{
    return value.isNull() ? IniFile::Missing : value.toString();
}

// The few texts that repeat down a column (types, lengths) shared between
// rows rather than made for each.
class RepeatedTexts
{
public:
    QString text(QStringView value)
    {
        if (value.isNull())
            return IniFile::Missing;
        for (const QString &seen : m_seen)
            if (seen == value && !seen.isNull())
                return seen;
        QString made = value.toString();
        m_seen[m_next++ % m_seen.size()] = made;
        return made;
    }

private:
    std::array<QString, 4> m_seen;
    size_t m_next = 0;
};

} // namespace

QString entryKey(int n, const char *field)
{
    return VtEntries::key(n, QLatin1StringView(field));
}

int entryCount(IniFile &bookmarks, const QString &section)
{
    const auto n = NumberText::parseWhole(bookmarks.read(section, QStringLiteral("offset")));
    if (!n || *n <= 0)
        return 0;
    // A damaged count must not invent rows: no entry lies beyond the last one written.
    return int(std::min<qint64>(*n, highestEntry(bookmarks, section)));
}

QString readValue(ModuleFiles &files, const BookmarkRow &row)
{
    const int slot = row[BookmarkRow::File] == u"2" ? ModuleFiles::Held : ModuleFiles::Working;
    const auto position = HexText::convert(row[BookmarkRow::Offset]).offset();
    const auto known = ValueTypes::fromCell(row[BookmarkRow::Type]);
    if (!files.isOpen(slot) || !position || !known)
        return QString();
    if (*known != ValueType::String)
        return ValueCodec::ReadValue(files, slot, *position, *known, std::nullopt, ReadLimit);
    const auto len = NumberText::parseWhole(row[BookmarkRow::Len]);
    if (!len || *len < 0)
        return QString();
    return ValueCodec::ReadValue(files, slot, *position, *known, int(std::min<qint64>(*len, ReadLimit)), ReadLimit);
}

std::vector<BookmarkRow> load(IniFile &bookmarks, const QString &section, ModuleFiles *files)
{
    IniFile::Batch batch(bookmarks);
    std::optional<ModuleFiles::ReadCache> cache;
    if (files)
        cache.emplace(*files);
    // One pass over the section's lines instead of a lookup per key; the
    // views stay valid since nothing is written meanwhile.
    std::vector<LoadedTexts> texts(size_t(entryCount(bookmarks, section)));
    bookmarks.forEachKey(section, [&](QStringView key, QStringView value) { collect(key, value, texts); });

    std::vector<BookmarkRow> rows;
    rows.reserve(texts.size());
    RepeatedTexts types;
    RepeatedTexts lengths;
    for (const LoadedTexts &entry : texts) {
        BookmarkRow row;
        row[BookmarkRow::Description] = textOf(entry[0]);
        row[BookmarkRow::Offset] = textOf(entry[1]);
        const QString type = types.text(entry[2]);
        const QString length = lengths.text(entry[3]);
        row[BookmarkRow::Type] = type;
        row[BookmarkRow::Len] = length;
        if (files) {
            // The normalised text reaches the file with the next save; opening writes nothing.
            row[BookmarkRow::File] = entry[4] == u"2" ? QStringLiteral("2") : QStringLiteral("1");
            row[BookmarkRow::Value] = readValue(*files, row);
        }
        row.savedValue = row[BookmarkRow::Value];
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

std::vector<VtEntries::Entry> entriesOf(const std::vector<BookmarkRow> &rows, bool replaceDefaults)
{
    std::vector<VtEntries::Entry> entries;
    entries.reserve(rows.size());
    for (const BookmarkRow &row : rows) {
        VtEntries::Entry &e = entries.emplace_back();
        e[VtEntries::Description] = row[BookmarkRow::Description];
        e[VtEntries::Value] = row[BookmarkRow::Value];
        e[VtEntries::Offset] = row[BookmarkRow::Offset];
        e[VtEntries::Type] = row[BookmarkRow::Type];
        e[VtEntries::Length] = row[BookmarkRow::Len];
        e[VtEntries::File] = row[BookmarkRow::File];
        if (replaceDefaults && e[VtEntries::Type] == IniFile::Missing)
            e[VtEntries::Type] = QStringLiteral("Float");
        if (replaceDefaults && e[VtEntries::Length] == IniFile::Missing)
            e[VtEntries::Length] = QStringLiteral("0");
    }
    return entries;
}

} // namespace

bool save(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows)
{
    if (!bookmarks.exists())
        return true;
    using enum VtEntries::Field;
    return VtEntries::write(bookmarks, section, entriesOf(rows, true), {Type, Length, File, Description, Value, Offset});
}

bool saveSorted(IniFile &bookmarks, const QString &section, const std::vector<BookmarkRow> &rows)
{
    using enum VtEntries::Field;
    return VtEntries::write(bookmarks, section, entriesOf(rows, false), {Type, Length, Description, Value, Offset, File});
}

} // namespace BookmarkSection

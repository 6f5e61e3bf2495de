#include "bookmarks/bookmarkmodel.h"
#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "values/modulefiles.h"
#include "tests/support/testhome.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BookmarkSectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QByteArray module(256, '\0');
        module.replace(0x10, 16, "ABCDEFGHIJKLMNOP");
        module.replace(0x40, 4, QByteArray::fromHex("0000803F"));
        module.replace(0x80, 100, QByteArray(100, 'z'));
        TestHome::writeAll(dir.filePath("m.prx"), module);
        ASSERT_TRUE(files.open(ModuleFiles::Working, dir.filePath("m.prx")));
    }
    QString vt() const { return dir.filePath("m.vt"); }

    QTemporaryDir dir;
    ModuleFiles files;
};

TEST_F(BookmarkSectionTest, LoadsExactlyOffsetEntriesWithTheirValues)
{
    TestHome::writeAll(vt(), "[5.00]\n"
                             "offset=3\n"
                             "entry.1.description=Letters\nentry.1.offset=10\nentry.1.type=String\nentry.1.length=10\n"
                             "entry.2.description=One\nentry.2.offset=40\nentry.2.type=Float\nentry.2.length=0\nentry.2.file=02\n"
                             "entry.3.description=Long\nentry.3.offset=80\nentry.3.type=String\nentry.3.length=100\nentry.3.file=2\n"
                             "entry.4.description=Beyond\nentry.4.offset=0\n");
    IniFile ini(vt());
    files.open(ModuleFiles::Held, dir.filePath("m.prx"));
    const QByteArray before = TestHome::readAll(vt());
    const auto rows = BookmarkSection::load(ini, "5.00", &files);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][BookmarkRow::Value], "ABCDEFGHIJ");
    EXPECT_EQ(rows[0][BookmarkRow::File], "1") << "a missing file key reads as file 1";
    EXPECT_EQ(rows[1][BookmarkRow::Value], "1");
    EXPECT_EQ(rows[1][BookmarkRow::File], "1") << "02 is not exactly 2";
    EXPECT_EQ(rows[2][BookmarkRow::Value], QString(64, 'z'));
    EXPECT_EQ(rows[2][BookmarkRow::File], "2");
    EXPECT_TRUE(TestHome::readAll(vt()) == before) << "loading writes nothing";
    EXPECT_EQ(rows[0].savedValue, "ABCDEFGHIJ");
    EXPECT_EQ(rows[0][BookmarkRow::Len], "10");
}

TEST_F(BookmarkSectionTest, UnreadableEntriesShowNoValue)
{
    TestHome::writeAll(vt(), "[5.00]\noffset=5\n"
                             "entry.1.offset=40\nentry.1.type=Float\nentry.1.file=2\n"
                             "entry.2.offset=10\nentry.2.type=String\nentry.2.length=ten\n"
                             "entry.3.offset=zz\nentry.3.type=Float\n"
                             "entry.4.offset=40\n"
                             "entry.5.offset=FFFFFFFFFFFFFFFFFFFFFFFF\nentry.5.type=Float\n");
    IniFile ini(vt());
    const auto rows = BookmarkSection::load(ini, "5.00", &files);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][BookmarkRow::Value], "") << "file 2 is not open";
    EXPECT_EQ(rows[0][BookmarkRow::File], "2");
    EXPECT_EQ(rows[1][BookmarkRow::Value], "") << "a String without a whole length";
    EXPECT_EQ(rows[2][BookmarkRow::Value], "") << "an offset that is not hexadecimal";
    EXPECT_EQ(rows[3][BookmarkRow::Value], "") << "no type";
    EXPECT_EQ(rows[3][BookmarkRow::Type], "Default");
    EXPECT_EQ(rows[3][BookmarkRow::Description], "Default");
    EXPECT_EQ(rows[4][BookmarkRow::Value], "") << "an offset beyond any file";
}

TEST_F(BookmarkSectionTest, OffsetThatIsNotWholeLoadsNothingAndNoModuleLeavesValuesEmpty)
{
    TestHome::writeAll(vt(), "[A]\noffset=2.5\nentry.1.offset=40\n[B]\noffset=1\nentry.1.offset=40\nentry.1.type=Float\n"
                             "[C]\noffset=99999999999\n[D]\noffset=2147483648\nentry.1.offset=4\nentry.3.type=Float\n");
    IniFile ini(vt());
    EXPECT_TRUE(BookmarkSection::load(ini, "A", &files).empty());
    EXPECT_EQ(BookmarkSection::entryCount(ini, "C"), 0) << "a damaged count invents no rows";
    EXPECT_EQ(BookmarkSection::load(ini, "D", &files).size(), 3u) << "rows up to the last entry the section holds";
    EXPECT_TRUE(BookmarkSection::load(ini, "Missing", &files).empty());
    const auto rows = BookmarkSection::load(ini, "B", nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][BookmarkRow::Offset], "40");
    EXPECT_EQ(rows[0][BookmarkRow::Value], "");
    EXPECT_EQ(rows[0][BookmarkRow::File], "");
    EXPECT_EQ(ini.read("B", "entry.1.file"), "Default") << "nothing is written without a module";
}

TEST_F(BookmarkSectionTest, LoadTakesEachCellAsAReadOfItsKeyWould)
{
    // Spellings a key-by-key reader finds or misses: case, blanks, doubles, padded numbers, other sections.
    TestHome::writeAll(vt(), "[5.00]\noffset=4\n"
                             "ENTRY.1.Description = One \nentry.1.description=Shadowed\nEntry.1.OFFSET=10\n"
                             "entry.1.type=String\nentry.1.length=4\nentry.1.file=2\n"
                             "entry.02.description=Padded\nentry.2.offset=40\nentry.2.type=Float\n"
                             "entry.+3.description=Signed\n;entry.3.description=Comment\nentry.3.descriptions=Longer\n"
                             "entry.4 .description=Blank\nentry.4.offset=80\nentry.4.file = 2 \n"
                             "entry.9.type=Float\n"
                             "[5.00]\nentry.3.offset=99\n[4.05]\nentry.3.description=Other\n");
    IniFile ini(vt());
    const auto rows = BookmarkSection::load(ini, "5.00", &files);
    ASSERT_EQ(rows.size(), 4u);
    const char *fields[] = {"description", "offset", "type", "length"};
    const int columns[] = {BookmarkRow::Description, BookmarkRow::Offset, BookmarkRow::Type, BookmarkRow::Len};
    for (int n = 1; n <= 4; ++n)
        for (int f = 0; f < 4; ++f)
            EXPECT_EQ(rows[size_t(n - 1)][columns[f]], ini.read("5.00", BookmarkSection::entryKey(n, fields[f])))
                << "entry " << n << " " << fields[f];
    EXPECT_EQ(rows[0][BookmarkRow::Description], "One");
    EXPECT_EQ(rows[0][BookmarkRow::File], "2");
    EXPECT_EQ(rows[3][BookmarkRow::File], "2");
    EXPECT_EQ(rows[1][BookmarkRow::Value], "1") << "0000803F at 0x40";
}

TEST_F(BookmarkSectionTest, SaveRenumbersAndKeepsHigherEntries)
{
    TestHome::writeAll(vt(), "[5.00]\noffset=5\nentry.5.description=Five\n[4.05]\noffset=1\n");
    IniFile ini(vt());
    std::vector<BookmarkRow> rows(2);
    rows[0].cells = {"First", "1.5", "10", "Default", "Default", "1", "1"};
    rows[1].cells = {"Second", "x", "20", "String", "4", "2", "2"};
    BookmarkSection::save(ini, "5.00", rows);
    EXPECT_EQ(ini.read("5.00", "offset"), "2");
    EXPECT_EQ(ini.read("5.00", "entry.1.type"), "Float");
    EXPECT_EQ(ini.read("5.00", "entry.1.length"), "0");
    EXPECT_EQ(ini.read("5.00", "entry.2.value"), "x");
    EXPECT_EQ(ini.read("5.00", "entry.2.file"), "2");
    EXPECT_EQ(ini.read("5.00", "entry.5.description"), "Five");
    EXPECT_EQ(ini.read("4.05", "offset"), "1");

    IniFile absent(dir.filePath("absent.vt"));
    BookmarkSection::save(absent, "5.00", rows);
    EXPECT_FALSE(absent.exists()) << "saving never creates a bookmark file";
}

TEST_F(BookmarkSectionTest, LineBreaksInCellsNeverSplitTheSection)
{
    TestHome::writeAll(vt(), "[5.00]\noffset=3\n"
                             "entry.1.description=One\nentry.1.value=\nentry.1.offset=10\nentry.1.type=String\n"
                             "entry.1.length=4\n"
                             "entry.2.description=Two\nentry.2.value=\nentry.2.offset=40\nentry.2.type=Float\n"
                             "entry.3.description=Three\nentry.3.value=\nentry.3.offset=80\nentry.3.type=Float\n"
                             "BeginOffset=1234\n"
                             "[4.05]\noffset=0\n");
    IniFile ini(vt());
    auto rows = BookmarkSection::load(ini, "5.00", &files);
    ASSERT_EQ(rows.size(), 3u);
    rows[0][BookmarkRow::Description] = "a\nb";
    rows[0][BookmarkRow::Value] = "x\r\ny";
    rows[1][BookmarkRow::Description] = "Two\n[4.05]\roffset=9";
    rows[2][BookmarkRow::Len] = "\n0";
    for (const bool sorted : {false, true}) {
        SCOPED_TRACE(sorted ? "the sort's rewrite" : "save");
        ASSERT_TRUE(sorted ? BookmarkSection::saveSorted(ini, "5.00", rows) : BookmarkSection::save(ini, "5.00", rows));
        // As the next start reads it: parsed afresh from the bytes.
        const QString copy = dir.filePath(sorted ? "sorted.vt" : "saved.vt");
        TestHome::writeAll(copy, TestHome::readAll(vt()));
        IniFile again(copy);
        EXPECT_EQ(again.read("5.00", "BeginOffset"), "1234");
        EXPECT_EQ(again.read("4.05", "offset"), "0");
        const auto back = BookmarkSection::load(again, "5.00", &files);
        ASSERT_EQ(back.size(), 3u);
        EXPECT_EQ(back[0][BookmarkRow::Offset], "10");
        EXPECT_EQ(back[1][BookmarkRow::Offset], "40");
        EXPECT_EQ(back[2][BookmarkRow::Offset], "80");
        EXPECT_EQ(back[2][BookmarkRow::Type], "Float");
        // A Windows-1252 file has no byte for the picture: it reads back as "?".
        EXPECT_EQ(back[0][BookmarkRow::Description], "a?b");
        EXPECT_FALSE(TestHome::readAll(vt()).contains("b\r")) << "no raw CR either";
    }
}

} // namespace

namespace {

// The list sorts as the platform's list view does: by text, letters of either case together.
TEST(BookmarkSort, ComparesTextWithoutRegardToCase)
{
    BookmarkModel model;
    std::vector<BookmarkRow> rows;
    for (const char *description : {"beta", "Alpha", "alpha2", "Gamma", "10", "9"}) {
        BookmarkRow row;
        row[BookmarkRow::Description] = QString::fromLatin1(description);
        rows.push_back(row);
    }
    model.setRows(rows);
    model.sortByColumn(BookmarkRow::Description, true);
    QStringList order;
    for (int r = 0; r < model.count(); ++r)
        order << model.cell(r, BookmarkRow::Description);
    EXPECT_EQ(order, (QStringList{"10", "9", "Alpha", "alpha2", "beta", "Gamma"}));
}

} // namespace

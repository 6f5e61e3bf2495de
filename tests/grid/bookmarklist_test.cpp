#include "grid/bookmarklist.h"
#include "common/inifile.h"
#include "tests/document/documenttest.h"
#include "tests/support/bookmarkrows.h"

namespace {

class BookmarkListTest : public DocumentTest
{
protected:
    void open(int rows)
    {
        writeFloatEntries(home.bookmarks(), "4.05", rows);
        doc->openFromCommandLine(home.module4());
        ASSERT_EQ(doc->model().count(), rows);
    }
};

TEST_F(BookmarkListTest, AddingThe41stRowStartsScrolling)
{
    open(40);
    EXPECT_FALSE(grid->scroll.enabled);
    EXPECT_EQ(grid->scroll.height, 8780);
    list->cmdBookmark_Click(BookmarkList::AddOffset);
    const BookmarkRow &row = doc->model().rows().back();
    EXPECT_EQ(row[BookmarkRow::Type], "Float");
    EXPECT_EQ(row[BookmarkRow::Len], "0");
    EXPECT_EQ(row[BookmarkRow::Number], "41");
    EXPECT_EQ(row[BookmarkRow::File], "1");
    EXPECT_EQ(row[BookmarkRow::Value], "");
    EXPECT_TRUE(grid->scroll.enabled);
    EXPECT_EQ(grid->scroll.maximum, 170);
    EXPECT_EQ(grid->scroll.position, 70);
    EXPECT_EQ(grid->scroll.height, 8990);
    EXPECT_EQ(grid->selectedRow, 41);
    EXPECT_EQ(IniFile(home.bookmarks()).read("4.05", "offset"), "40") << "nothing is written before a save";

    list->AddTypedEntry("Integer");
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Type], "Integer");
    EXPECT_EQ(grid->scroll.maximum, 380);
}

TEST_F(BookmarkListTest, RemovingKeepsTheBarUntilAReload)
{
    open(41);
    EXPECT_TRUE(grid->scroll.enabled);
    list->cmdBookmark_Click(BookmarkList::RemoveOffset);
    EXPECT_EQ(doc->model().count(), 41) << "nothing selected, nothing removed";

    grid->list_1_ItemClick(3);
    list->cmdBookmark_Click(BookmarkList::RemoveOffset);
    EXPECT_EQ(doc->model().count(), 40);
    EXPECT_EQ(doc->model().cell(2, BookmarkRow::Description), "Entry 4");
    EXPECT_EQ(doc->model().cell(2, BookmarkRow::Number), "3");
    EXPECT_TRUE(grid->scroll.enabled);
    EXPECT_EQ(grid->scroll.maximum, 170 - 210);

    list->cmdBookmark_Click(BookmarkList::SaveBookmark);
    list->cmdBookmark_Click(BookmarkList::RefreshBookmark);
    EXPECT_EQ(doc->model().count(), 40);
    EXPECT_FALSE(grid->scroll.enabled);
}

TEST_F(BookmarkListTest, AnUnsortedListTogglesDescendingAscendingAndIsRewrittenAsText)
{
    open(12);
    list->sortByColumn(BookmarkRow::Number);
    IniFile vt(home.bookmarks());
    QStringList written;
    for (int n = 1; n <= 12; ++n)
        written << vt.read("4.05", QStringLiteral("entry.%1.description").arg(n));
    EXPECT_EQ(written.first(), "Entry 9") << "descending first, compared as text";
    EXPECT_EQ(written.at(1), "Entry 8");
    EXPECT_EQ(written.last(), "Entry 1");
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Number), "1") << "renumbered after sorting";

    list->sortByColumn(BookmarkRow::Description);
    EXPECT_EQ(vt.read("4.05", "entry.1.description"), "Entry 1") << "the next click sorts ascending";
    EXPECT_EQ(vt.read("4.05", "entry.2.description"), "Entry 10");
    EXPECT_EQ(vt.read("4.05", "entry.12.description"), "Entry 9");
    EXPECT_EQ(vt.read("4.05", "offset"), "12");
}

TEST_F(BookmarkListTest, ViewToggleWritesExpertmode)
{
    open(3);
    const bool before = doc->settings().ExpertFlag();
    list->cmdBookmark_Click(BookmarkList::ViewOffsets);
    EXPECT_EQ(doc->settings().ExpertFlag(), !before);
    EXPECT_EQ(IniFile(home.config()).read("Config", "Expertmode"), before ? "0" : "1");
    list->cmdBookmark_Click(BookmarkList::ViewOffsets);
    EXPECT_EQ(IniFile(home.config()).read("Config", "Expertmode"), before ? "1" : "0");
    EXPECT_EQ(BookmarkList::viewButtonCaption(true), "Hide Offsets");
    EXPECT_EQ(BookmarkList::viewButtonCaption(false), "View Offsets");
}

TEST_F(BookmarkListTest, DescribedHitsBecomeRows)
{
    open(40);
    doc->model().appendDescribedRows("Clock size", "1.5", {"100", "200", "300"}, "Float", "2");
    ASSERT_EQ(doc->model().count(), 43);
    for (int r = 40; r < 43; ++r) {
        EXPECT_EQ(doc->model().cell(r, BookmarkRow::Description), "Clock size");
        EXPECT_EQ(doc->model().cell(r, BookmarkRow::File), "2");
    }
    EXPECT_EQ(doc->model().cell(42, BookmarkRow::Offset), "300");
    EXPECT_EQ(grid->scroll.maximum, 43 * 210 - 8440);
    EXPECT_EQ(grid->scroll.position, grid->scroll.maximum - 100);
}

TEST_F(BookmarkListTest, WithoutABookmarkFileTheButtonsDoNothing)
{
    open(3);
    QFile::remove(home.bookmarks());
    list->AddTypedEntry("Float");
    grid->list_1_ItemClick(1);
    list->cmdBookmark_Click(BookmarkList::RemoveOffset);
    list->sortByColumn(0);
    EXPECT_EQ(doc->model().count(), 3);
    EXPECT_FALSE(QFile::exists(home.bookmarks()));
}

} // namespace

namespace {

TEST_F(BookmarkListTest, AShorterListIsNeverLeftScrolledAway)
{
    open(100);
    grid->scrollTo(grid->scroll.maximum);
    EXPECT_LT(grid->listTop, -10000);
    writeFloatEntries(home.bookmarks(), "4.05", 50);
    list->cmdBookmark_Click(BookmarkList::RefreshBookmark);
    EXPECT_EQ(grid->scroll.position, grid->scroll.maximum);
    EXPECT_FLOAT_EQ(grid->listTop, 165 - float(50 * 210 - 8440)) << "the last row ends above the bottom strip";

    writeFloatEntries(home.bookmarks(), "4.05", 10);
    list->cmdBookmark_Click(BookmarkList::RefreshBookmark);
    EXPECT_EQ(grid->scroll.position, 0);
    EXPECT_FLOAT_EQ(grid->listTop, 165);
}

} // namespace

#include "grid/bookmarklist.h"
#include "grid/celleditor.h"
#include "tests/document/gridtyping.h"
#include "tests/support/forkedchild.h"
#include "tests/vshtool/vshtest.h"
#include "vshtool/subiconrecords.h"

#include <QFile>

using DemoFixture::kVersion4;
using DemoFixture::kVersion5;

namespace {

using GridTyping::kDescription;
using GridTyping::kOffset;
using GridTyping::kValue;
using GridTyping::typeInto;

class UndoTest : public VshTest
{
protected:
    const QUndoStack &history() const { return doc->history(); }
    std::vector<BookmarkRow::Cells> cells() const
    {
        std::vector<BookmarkRow::Cells> out;
        for (const BookmarkRow &row : doc->model().rows())
            out.push_back(row.cells);
        return out;
    }
    QString cell(int row, int column) const { return doc->model().cell(row, column); }
};

TEST_F(UndoTest, ACellEditIsOneChangeNamedAfterItsRow)
{
    open(kVersion4);
    const auto before = cells();
    const QString description = cell(0, BookmarkRow::Description);
    typeInto(*grid, kValue, 1, "2.75");
    ASSERT_EQ(cell(0, BookmarkRow::Value), "2.75");
    ASSERT_EQ(history().count(), 1) << "the keystrokes of one edit are one change";
    EXPECT_EQ(history().undoText(), description + " = 2.75");

    // A second edit of the same cell is a change of its own.
    typeInto(*grid, kValue, 1, "3");
    EXPECT_EQ(history().count(), 2);
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(cell(0, BookmarkRow::Value), "2.75");
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(cells(), before);
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    EXPECT_FALSE(doc->undo()) << "nothing left to take back";
    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(cell(0, BookmarkRow::Value), "2.75");

    // An offset edit read the value there: both go back together.
    typeInto(*grid, kOffset, 2, "10010");
    const QString readThere = cell(1, BookmarkRow::Value);
    EXPECT_EQ(cell(0, BookmarkRow::Value), "2.75");
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(cells()[1], before[1]);
    EXPECT_EQ(doc->model().rows()[1].savedValue, before[1][BookmarkRow::Value]);
    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(cell(1, BookmarkRow::Offset), "10010");
    EXPECT_EQ(cell(1, BookmarkRow::Value), readThere);

    // Escape puts the cell back: the edit and its cancel leave no change behind.
    const int count = history().count();
    typeInto(*grid, kDescription, 3, "Other");
    grid->editor().cancelEdit();
    EXPECT_EQ(history().count(), count);
}

TEST_F(UndoTest, AddedRemovedAndSortedRowsComeBack)
{
    open(kVersion4);
    const auto before = cells();
    const int n = int(before.size());
    ASSERT_GE(n, 3);

    list->cmdBookmark_Click(BookmarkList::AddOffset);
    list->AddTypedEntry("Integer");
    doc->addDescribedRows("Found", {"1", "2"}, {"10010", "10014"}, "Float", "1", 0);
    ASSERT_EQ(doc->model().count(), n + 4);
    EXPECT_EQ(history().undoText(), "Add 2 rows \"Found\"");
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->model().count(), n + 1);
    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(cell(n + 1, BookmarkRow::Type), "Integer");
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(cells(), before);

    // A row removed from the middle goes back to its place, numbered as before.
    grid->selectedRow = 2;
    list->cmdBookmark_Click(BookmarkList::RemoveOffset);
    ASSERT_EQ(doc->model().count(), n - 1);
    EXPECT_EQ(cell(1, BookmarkRow::Number), "2");
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(cells(), before);
    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(cell(1, BookmarkRow::Description), before[2][BookmarkRow::Description]);
    ASSERT_TRUE(doc->undo());

    // A sort rewrote the section in its order; taken back, the list differs from it.
    list->sortByColumn(BookmarkRow::Description);
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    EXPECT_EQ(history().undoText(), "Sort by Description");
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(cells(), before);
    EXPECT_NE(doc->model().firstModifiedRow(), -1) << "the file holds the sorted order";
}

TEST_F(UndoTest, UndoAfterASaveMakesTheListModified)
{
    open(kVersion4);
    typeInto(*grid, kValue, 1, "2.75");
    ASSERT_TRUE(doc->save());
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    EXPECT_EQ(history().count(), 1) << "a Save keeps the history";
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->model().firstModifiedRow(), 0) << "the module holds 2.75 now";
    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
}

TEST_F(UndoTest, TheHistoryEndsWithAnotherModuleOrAReload)
{
    open(kVersion4);
    typeInto(*grid, kValue, 1, "2.75");
    ASSERT_EQ(history().count(), 1);
    prompter.answers.push_back(Prompter::Answer::No);
    list->cmdBookmark_Click(BookmarkList::RefreshBookmark);
    EXPECT_EQ(history().count(), 0);

    typeInto(*grid, kValue, 1, "2.75");
    prompter.answers.push_back(Prompter::Answer::No);
    prompter.files.push_back(home.module5());
    doc->openFromMenu();
    ASSERT_EQ(doc->prxversion(), kVersion5);
    EXPECT_EQ(history().count(), 0);
    EXPECT_FALSE(doc->undo());
}

TEST_F(UndoTest, ToolWritesTakenBackLeaveTheModuleAsItWas)
{
    open(kVersion5);
    const QByteArray original = TestHome::readAll(home.module5());
    prompter.colours.push_back(Rgb{255, 0, 0});
    ASSERT_EQ(tool->WriteColor(ColourTable::Font, 2).status, ColourWrite::Status::Written);
    EXPECT_EQ(history().undoText(), "March: font colour = #FF0000");
    prompter.colours.push_back(Rgb{0, 0, 255});
    ASSERT_EQ(tool->WriteColorAllMonths(ColourTable::Option).status, ColourWrite::Status::Written);
    ASSERT_TRUE(tool->WriteWaveAlpha(ColourTable::WaveBack, 0, "0.5").written);
    EXPECT_EQ(history().undoText(), "January: back wave alpha = 0.5");
    SubIconRecords records(*doc);
    ASSERT_TRUE(records.select(1));
    ASSERT_EQ(records.writeMainCategory(3), QString());
    ASSERT_EQ(records.writeMode(SubIconRecords::Mode::SlimOnly), QString());
    EXPECT_EQ(history().undoText(), "Submenu mode = Slim only");
    const QByteArray written = TestHome::readAll(home.module5());
    ASSERT_NE(written, original);

    std::vector<QByteArray> steps;
    for (int k = 0; k < 5; ++k) {
        steps.push_back(TestHome::readAll(home.module5()));
        ASSERT_TRUE(doc->undo()) << k;
    }
    EXPECT_EQ(TestHome::readAll(home.module5()), original) << "every byte as before the first write";
    for (int k = 4; k >= 0; --k) {
        ASSERT_TRUE(doc->redo()) << k;
        EXPECT_EQ(TestHome::readAll(home.module5()), steps[size_t(k)]) << k;
    }
    EXPECT_EQ(TestHome::readAll(home.module5()), written);
}

TEST_F(UndoTest, AnUndoThatCanNotBeWrittenLeavesTheHistoryWhereItWas)
{
    open(kVersion5);
    const QByteArray original = TestHome::readAll(home.module5());
    prompter.colours.push_back(Rgb{255, 0, 0});
    ASSERT_EQ(tool->WriteColor(ColourTable::Font, 0).status, ColourWrite::Status::Written);

    // Another program changed the module since: the undo is refused and says why.
    QByteArray other = TestHome::readAll(home.module5());
    other[10] = char(other[10] ^ 0x5A);
    ASSERT_TRUE(TestHome::writeAll(home.module5(), other));
    prompter.calls.clear();
    EXPECT_FALSE(doc->undo());
    EXPECT_EQ(history().index(), 1);
    EXPECT_EQ(TestHome::readAll(home.module5()), other);
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages()[0].startsWith("Can not undo \"January: font colour = #FF0000\".\nCan not write "))
        << prompter.messages()[0].toStdString();

    // A module that may no longer be written (run as another user).
    ASSERT_TRUE(TestHome::writeAll(home.module5(), original));
    restart();
    tool = std::make_unique<VshTool>(*doc);
    open(kVersion5);
    prompter.colours.push_back(Rgb{0, 255, 0});
    ASSERT_EQ(tool->WriteColor(ColourTable::Font, 0).status, ColourWrite::Status::Written);
    const QByteArray picked = TestHome::readAll(home.module5());
    QFile::setPermissions(home.path(), QFile::Permissions(0x7755));
    QFile::setPermissions(QFileInfo(home.module5()).path(), QFile::Permissions(0x7755));
    QFile::setPermissions(home.module5(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ForkedChild child;
    child.asNobody = true;
    const ForkedChild::Result result = child.run([&] {
        prompter.calls.clear();
        const bool undone = doc->undo();
        if (undone || doc->history().index() != 1 || prompter.messages().size() != 1)
            return QByteArray("history moved");
        return prompter.messages()[0].toUtf8();
    });
    EXPECT_TRUE(result.exitedNormally);
    EXPECT_TRUE(result.output.startsWith("Can not undo \"January: font colour = #00FF00\".\n")) << result.output.data();
    EXPECT_TRUE(result.output.contains("vshmain.prx")) << "the message names the module";
    EXPECT_EQ(TestHome::readAll(home.module5()), picked);
}

TEST_F(UndoTest, ChangedRowsAreKnownAndRevertRowPutsThemBack)
{
    open(kVersion4);
    const auto before = cells();
    typeInto(*grid, kValue, 1, "2.75");
    typeInto(*grid, kDescription, 2, "Renamed");
    typeInto(*grid, kOffset, 3, "10010");
    const BookmarkModel &model = doc->model();
    EXPECT_TRUE(model.rowChanged(0));
    EXPECT_TRUE(model.rowChanged(1));
    EXPECT_TRUE(model.rowChanged(2));
    EXPECT_FALSE(model.rowChanged(3));
    EXPECT_EQ(model.changedRowCount(), 3);
    ASSERT_TRUE(model.snapshotRow(1));
    EXPECT_EQ((*model.snapshotRow(1))[BookmarkRow::Description], before[1][BookmarkRow::Description]);

    doc->revertRow(0);
    doc->revertRow(1);
    doc->revertRow(2);
    EXPECT_EQ(cells(), before) << "the offset's value read again at the old place";
    EXPECT_EQ(model.changedRowCount(), 0);
    EXPECT_EQ(history().undoText(), "Revert \"" + before[2][BookmarkRow::Description] + "\"");
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(cell(2, BookmarkRow::Offset), "10010");
    EXPECT_EQ(model.changedRowCount(), 1);

    // A row the file does not hold yet has nothing to go back to.
    list->cmdBookmark_Click(BookmarkList::AddOffset);
    const int count = history().count();
    doc->revertRow(model.count() - 1);
    EXPECT_EQ(history().count(), count);
    EXPECT_TRUE(model.rowChanged(model.count() - 1));
}

} // namespace

#include "grid/celleditor.h"
#include "values/valuecodec.h"
#include "tests/document/documenttest.h"
#include "tools/mkdemo/demofixture.h"

namespace {

// Twips from the list's cell origin: the middle of row r, and a point in each column.
double rowY(int r) { return r * 210 + 100; }
constexpr double kDescription = 1000, kValue = 5300, kOffset = 6600, kFile = 9300;

class CellEditorTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        QByteArray module = TestHome::readAll(home.module4());
        module.replace(0x10100, 4, QByteArray::fromHex("FFFF7F7F"));
        TestHome::writeAll(home.module4(), module);
        doc->openFromCommandLine(home.module4());
        ASSERT_TRUE(doc->moduleOpen());
    }
    CellEditor &editor() { return grid->editor(); }
    void edit(double x, int row)
    {
        editor().focusOut();
        grid->place(x, rowY(row), GridGeometry::layout(true));
        editor().focusIn();
        editor().text.clear(); // the focus selects all: the first key replaces it
    }
    // Types characters one by one, as the widget forwards them.
    void type(const QString &chars)
    {
        for (const QChar c : chars) {
            editor().keyTyped(c.unicode());
            editor().textChanged(editor().text + c);
        }
    }
    QString cell(int row, int column) const { return doc->model().cell(row - 1, column); }
    QString floatAt(qint64 offset) const
    {
        return ValueCodec::ReadValue(doc->files(), 1, offset, "Float", {}, 99);
    }
};

TEST_F(CellEditorTest, PlacementFollowsThePointerUntilLocked)
{
    grid->place(kValue, rowY(2), GridGeometry::layout(true));
    EXPECT_TRUE(editor().visible);
    EXPECT_EQ(editor().EditColumn, 2);
    EXPECT_EQ(editor().EditRow, 2);
    EXPECT_EQ(editor().text, "12.25");
    EXPECT_TRUE(editor().rightAligned);
    EXPECT_DOUBLE_EQ(editor().left, 90 + 30 + 650 + 4565);
    EXPECT_DOUBLE_EQ(editor().top, 165 + 90 + 2 * 210);

    grid->place(kFile, rowY(3), GridGeometry::layout(true));
    EXPECT_EQ(editor().maxLength, 1);
    grid->place(100, rowY(3), GridGeometry::layout(true));
    EXPECT_FALSE(editor().visible) << "over the # column";

    grid->place(kDescription, rowY(1), GridGeometry::layout(true));
    grid->place(kDescription, rowY(50), GridGeometry::layout(true));
    EXPECT_EQ(editor().EditRow, 1) << "below the last row the editor stays, and so does its row";
    EXPECT_EQ(editor().text, "Clock text scale");

    editor().focusIn();
    grid->place(kValue, rowY(4), GridGeometry::layout(true));
    EXPECT_EQ(editor().EditColumn, 1) << "a locked editor does not follow the pointer";
}

TEST_F(CellEditorTest, NumberValuesTakeOnlyNumberKeys)
{
    edit(kValue, 1);
    type("1.5");
    EXPECT_EQ(cell(1, BookmarkRow::Value), "1.5");

    edit(kValue, 2);
    type("1a");
    EXPECT_EQ(cell(2, BookmarkRow::Value), "1");
    EXPECT_EQ(editor().text, "1");
    EXPECT_EQ(prompter.count("beep"), 1) << "one beep per refused key";

    type("/");
    EXPECT_EQ(cell(2, BookmarkRow::Value), "1/") << "a slash passes the number filter";
    type("+e");
    EXPECT_EQ(prompter.count("beep"), 3);

    edit(kValue, 3);
    editor().keyTyped(22);
    EXPECT_EQ(editor().textChanged("12x"), CellEditor::Change::Refused) << "a paste with a letter";
    EXPECT_EQ(editor().textChanged("-12.5"), CellEditor::Change::Applied);
    EXPECT_EQ(cell(3, BookmarkRow::Value), "-12.5");
}

TEST_F(CellEditorTest, StringValuesStayWithinTheirLength)
{
    edit(kValue, 6); // "Header caption", String of length 8
    type("ABCDEFGHIJ");
    EXPECT_EQ(cell(6, BookmarkRow::Value), "ABCDEFGH");
    EXPECT_EQ(prompter.count("beep"), 2);
}

TEST_F(CellEditorTest, TypingAnOffsetRereadsTheValue)
{
    edit(kOffset, 1);
    type("1");
    EXPECT_EQ(cell(1, BookmarkRow::Value), floatAt(1));
    type("c");
    EXPECT_EQ(cell(1, BookmarkRow::Offset), "1C");
    EXPECT_EQ(cell(1, BookmarkRow::Value), floatAt(0x1C));

    const QString size = QString::number(DemoFixture::moduleSize("4.05"), 16);
    edit(kOffset, 2);
    type(size);
    EXPECT_EQ(cell(2, BookmarkRow::Offset), size.toUpper()) << "the file size itself is accepted";
    edit(kOffset, 3);
    type(QString::number(DemoFixture::moduleSize("4.05") + 1, 16));
    EXPECT_EQ(cell(3, BookmarkRow::Offset), QString::number(DemoFixture::moduleSize("4.05") + 1, 16).chopped(1).toUpper());
    EXPECT_EQ(prompter.count("beep"), 1);
    type("g");
    EXPECT_EQ(prompter.count("beep"), 2);
}

TEST_F(CellEditorTest, TheTailOfALargestFloatKeepsTheOldValue)
{
    edit(kOffset, 1);
    type("10104");
    EXPECT_EQ(cell(1, BookmarkRow::Offset), "10104");
    EXPECT_EQ(cell(1, BookmarkRow::Value), floatAt(0x1010)) << "the value of the previous keystroke stays";
}

TEST_F(CellEditorTest, FileCellTakesOneOrTwo)
{
    edit(kFile, 1);
    type("3");
    EXPECT_EQ(cell(1, BookmarkRow::File), "1");
    EXPECT_EQ(prompter.count("beep"), 1);
    edit(kFile, 1);
    type("2");
    EXPECT_EQ(cell(1, BookmarkRow::File), "2");
}

TEST_F(CellEditorTest, RowsThatNameNoModuleFileAreNotReread)
{
    doc->model().setCell(0, BookmarkRow::File, "");
    const QString before = cell(1, BookmarkRow::Value);
    edit(kOffset, 1);
    type("20");
    EXPECT_EQ(cell(1, BookmarkRow::Offset), "20");
    EXPECT_EQ(cell(1, BookmarkRow::Value), before);
}

TEST_F(CellEditorTest, EditingChangesOnlyTheList)
{
    const QByteArray module = TestHome::readAll(home.module4());
    edit(kValue, 1);
    type("99");
    edit(kDescription, 2);
    type("Renamed");
    EXPECT_EQ(cell(2, BookmarkRow::Description), "Renamed");
    EXPECT_EQ(TestHome::readAll(home.module4()), module);
}

TEST_F(CellEditorTest, TheEditorEditsTheRowItIsDrawnOver)
{
    const int last = doc->model().count();
    const QString lastDescription = cell(last, BookmarkRow::Description);
    // Over row 2's Description; out of the list to the left, down, and back
    // in below the last row: no motion reaches the list on the way.
    grid->place(kDescription, rowY(2), GridGeometry::layout(true));
    grid->place(kDescription, rowY(last + 3), GridGeometry::layout(true));
    ASSERT_TRUE(editor().visible);
    EXPECT_DOUBLE_EQ(editor().top, 165 + 90 + 2 * 210) << "drawn over row 2";
    editor().focusIn();
    editor().text.clear();
    type("Moved");
    EXPECT_EQ(cell(2, BookmarkRow::Description), "Moved");
    EXPECT_EQ(cell(last, BookmarkRow::Description), lastDescription);

    // Hidden over the "#" column, it is not shown again below the last row.
    editor().focusOut();
    grid->place(100, rowY(3), GridGeometry::layout(true));
    grid->place(kDescription, rowY(last + 1), GridGeometry::layout(true));
    EXPECT_FALSE(editor().visible);
}

TEST_F(CellEditorTest, EditingKeysWorkInEveryCell)
{
    // Delete (and any key that only removes) in number cells; the key code no longer matters.
    for (const int row : {1, 3}) {
        edit(kValue, row);
        type("125");
        for (const int key : {127, 8, 0}) {
            editor().keyTyped(key);
            const QString shorter = editor().text.chopped(1);
            EXPECT_EQ(editor().textChanged(shorter), CellEditor::Change::Applied) << key;
        }
        EXPECT_EQ(cell(row, BookmarkRow::Value), "");
    }
    EXPECT_EQ(prompter.count("beep"), 0);

    // Arrows, Home/End and select-all change no text; what follows is checked as typed.
    edit(kValue, 1);
    type("12");
    editor().keyTyped(0);  // an arrow
    editor().keyTyped(1);  // Ctrl+A
    type("7");
    EXPECT_EQ(cell(1, BookmarkRow::Value), "127");
    editor().keyTyped(24); // a cut of everything
    EXPECT_EQ(editor().textChanged(""), CellEditor::Change::Applied);
    editor().keyTyped(22); // a paste goes through the same check
    EXPECT_EQ(editor().textChanged("1e5"), CellEditor::Change::Refused);
    EXPECT_EQ(editor().textChanged("-0.5"), CellEditor::Change::Applied);
    EXPECT_EQ(cell(1, BookmarkRow::Value), "-0.5");

    // A String longer than its Len can always be shortened, never lengthened.
    doc->model().setCell(4, BookmarkRow::Len, "4");
    edit(kValue, 5);
    editor().text = editor().SavedText = cell(5, BookmarkRow::Value);
    ASSERT_EQ(editor().text, "Network Update");
    editor().keyTyped(8);
    EXPECT_EQ(editor().textChanged("Network Updat"), CellEditor::Change::Applied);
    editor().keyTyped(127);
    EXPECT_EQ(editor().textChanged("etwork Updat"), CellEditor::Change::Applied);
    EXPECT_EQ(editor().textChanged("eXtwork Updat"), CellEditor::Change::Refused);
    EXPECT_EQ(cell(5, BookmarkRow::Value), "etwork Updat");

    // The File cell: deleting its digit works, only 1 and 2 go in.
    edit(kFile, 1);
    editor().text = editor().SavedText = "1";
    editor().keyTyped(127);
    EXPECT_EQ(editor().textChanged(""), CellEditor::Change::Applied);
    editor().keyTyped(22);
    EXPECT_EQ(editor().textChanged("3"), CellEditor::Change::Refused);
    EXPECT_EQ(editor().textChanged("2"), CellEditor::Change::Applied);
}

TEST_F(CellEditorTest, NoCellTakesALineBreakOrAnotherControlCharacter)
{
    const struct { double x; int column; } cells[] = {
        {kDescription, BookmarkRow::Description}, {kValue, BookmarkRow::Value}, {kOffset, BookmarkRow::Offset},
        {8000, BookmarkRow::Type}, {9000, BookmarkRow::Len},
    };
    int beeps = 0;
    for (const auto &c : cells) {
        for (const char *typed : {"\n", "a\r\nb", "\t", "\x7F", "\x01"}) {
            SCOPED_TRACE(c.column);
            edit(c.x, 6); // a String row
            const QString before = cell(6, c.column);
            editor().text = editor().SavedText = before;
            editor().keyTyped(22);
            EXPECT_EQ(editor().textChanged(before + QString::fromLatin1(typed)), CellEditor::Change::Refused);
            EXPECT_EQ(editor().text, before) << "the text is restored";
            EXPECT_EQ(cell(6, c.column), before);
            EXPECT_EQ(prompter.count("beep"), ++beeps);
        }
    }
}

TEST_F(CellEditorTest, EscapeAfterAnOffsetBringsBackTheOldValue)
{
    const QString value = cell(1, BookmarkRow::Value);
    const QString offset = cell(1, BookmarkRow::Offset);
    edit(kOffset, 1);
    type("1c");
    ASSERT_NE(cell(1, BookmarkRow::Value), value);
    editor().cancelEdit();
    EXPECT_EQ(cell(1, BookmarkRow::Offset), offset);
    EXPECT_EQ(cell(1, BookmarkRow::Value), value);
    EXPECT_EQ(doc->model().rows()[0].savedValue, value);
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    EXPECT_FALSE(editor().EditLock);
}

} // namespace

#include "app/mainwindow.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/gridview.h"
#include "tests/support/bookmarkrows.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class GridWindowTest : public ::testing::Test
{
protected:
    void open(int rows = 0)
    {
        home.answerAssociation();
        IniFile(home.config()).write("Config", "Expertmode", "1");
        if (rows > 0)
            writeFloatEntries(home.bookmarks(), "4.05", rows);
        doc = std::make_unique<PrxDocument>(home.path(), prompter);
        window = std::make_unique<MainWindow>(*doc);
        doc->startUp();
        doc->openFromCommandLine(home.module4());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    GridView *grid() const { return window->grid(); }
    QLineEdit *editor() const { return window->findChild<QLineEdit *>("Text1"); }
    // The middle of a cell: x in twips from the cell origin, row 1-based (0 is the caption row).
    QPoint cellPoint(double x, int row) const
    {
        const double y = doc->listTop + 90 + row * 210 + 105;
        return grid()->twips(90 + 30 + x, y, 0, 0).topLeft();
    }
    void clickButton(const char *name)
    {
        QTest::mouseClick(window->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    }

    TestHome home;
    FakePrompter prompter;
    std::unique_ptr<PrxDocument> doc;
    std::unique_ptr<MainWindow> window;
};

TEST_F(GridWindowTest, HoverPlacesTheEditorOnTheCellUnderThePointer)
{
    open();
    QTest::mouseMove(grid(), cellPoint(5300, 2));
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->text(), "12.25");
    EXPECT_TRUE(editor()->geometry().contains(cellPoint(5300, 2)));
    EXPECT_EQ(editor()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    QTest::mouseMove(grid(), cellPoint(1000, 3));
    EXPECT_EQ(editor()->text(), "Menu item height");
    EXPECT_TRUE(editor()->geometry().contains(cellPoint(1000, 3)));
}

TEST_F(GridWindowTest, TypedValuesLandInTheListAndRefusedKeysBeepOnce)
{
    open();
    QTest::mouseMove(grid(), cellPoint(5300, 1));
    QTest::mouseClick(editor(), Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor()->hasFocus());
    QTest::keyClicks(editor(), "2.5");
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "2.5");

    QTest::keyClick(editor(), Qt::Key_A);
    EXPECT_EQ(editor()->text(), "2.5");
    EXPECT_EQ(editor()->cursorPosition(), 3);
    EXPECT_EQ(prompter.count("beep"), 1);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "2.5");

    QTest::mouseMove(grid(), cellPoint(5300, 4));
    EXPECT_EQ(editor()->text(), "2.5") << "the editor stays while it has the focus";
}

TEST_F(GridWindowTest, AddOffsetOn40RowsStartsTheScrollBar)
{
    open(40);
    auto *bar = window->findChild<QScrollBar *>("Vscroll");
    EXPECT_FALSE(bar->isEnabled());
    clickButton("cmdBookmark(1)");
    EXPECT_EQ(doc->model().count(), 41);
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), 170);
    EXPECT_EQ(bar->value(), 70);
    EXPECT_FLOAT_EQ(doc->listTop, 165 - 70);

    bar->setValue(170);
    EXPECT_FLOAT_EQ(doc->listTop, -5);
    EXPECT_FALSE(editor()->isVisible());
}

TEST_F(GridWindowTest, CaptionClicksSortDescendingThenAscending)
{
    open(3);
    const QPoint caption = cellPoint(1000, 0);
    QTest::mouseClick(grid(), Qt::LeftButton, {}, caption);
    IniFile vt(home.bookmarks());
    EXPECT_EQ(vt.read("4.05", "entry.1.description"), "Entry 3");
    EXPECT_EQ(vt.read("4.05", "entry.3.description"), "Entry 1");
    QTest::mouseClick(grid(), Qt::LeftButton, {}, caption);
    EXPECT_EQ(vt.read("4.05", "entry.1.description"), "Entry 1");
    EXPECT_EQ(vt.read("4.05", "entry.3.description"), "Entry 3");
}

TEST_F(GridWindowTest, ViewButtonSwitchesLayoutAndCaption)
{
    open();
    auto *button = window->findChild<QPushButton *>("cmdBookmark(5)");
    EXPECT_EQ(button->text(), "Hide Offsets");
    clickButton("cmdBookmark(5)");
    EXPECT_EQ(button->text(), "View Offsets");
    EXPECT_EQ(IniFile(home.config()).read("Config", "Expertmode"), "0");
    QTest::mouseMove(grid(), cellPoint(9760, 1));
    EXPECT_EQ(doc->editor().EditColumn, 6) << "right of Value everything is the hidden File column";
    EXPECT_FALSE(editor()->isVisible());
}

} // namespace

#include "app/mainwindow.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/widgets/gridview.h"
#include "search/widgets/offsetdescriptiondialog.h"
#include "tests/support/bookmarkrows.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// Collects the parts of a widget that were painted.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return QObject::eventFilter(watched, event);
    }
    QRegion painted;
};

class GridWindowTest : public WindowTest
{
protected:
    void open(int rows = 0)
    {
        answerFirstRun(true);
        if (rows > 0)
            writeFloatEntries(home.bookmarks(), "4.05", rows);
        start();
        openAndShow(home.module4());
    }
    GridView *grid() const { return window->grid(); }
    QLineEdit *editor() const { return window->findChild<QLineEdit *>("Text1"); }
    // The middle of a cell: x in twips from the cell origin, row 1-based (0 is the caption row).
    QPoint cellPoint(double x, int row) const
    {
        const double y = grid()->state().listTop + 90 + row * 210 + 105;
        return grid()->twips(90 + 30 + x, y, 0, 0).topLeft();
    }
    void wheel(int delta)
    {
        const QPointF at = cellPoint(1000, 3);
        QWheelEvent event(at, grid()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(grid(), &event);
    }
    // Points at the cell and clicks into its editor, which then has the focus.
    void clickCell(double x, int row)
    {
        QTest::mouseMove(grid(), cellPoint(x, row));
        QTest::mouseClick(editor(), Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_TRUE(editor()->hasFocus());
    }
    void clickButton(const char *name)
    {
        QTest::mouseClick(window->findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    }
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
    ASSERT_NO_FATAL_FAILURE(clickCell(5300, 1));
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

TEST_F(GridWindowTest, TypingAfterAClickOnAnotherCellOfTheRowReachesThatCell)
{
    open();
    ASSERT_NO_FATAL_FAILURE(clickCell(5300, 1));
    QTest::keyClicks(editor(), "2.5");

    // The editor stays on Value while the pointer goes to Description; the click lands on the list.
    QTest::mouseMove(grid(), cellPoint(1000, 1));
    QTest::mouseClick(grid(), Qt::LeftButton, {}, cellPoint(1000, 1));
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor()->isVisible());
    ASSERT_TRUE(editor()->hasFocus());
    EXPECT_EQ(grid()->state().editor().EditColumn, 1);
    EXPECT_TRUE(editor()->geometry().contains(cellPoint(1000, 1)));
    EXPECT_EQ(grid()->state().selectedRow, 1) << "the click still selects the row";
    editor()->selectAll();
    QTest::keyClicks(editor(), "Font size");
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Description), "Font size");
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "2.5");

    // A click on the "#" column selects the row and leaves the keys to the list.
    QTest::mouseClick(grid(), Qt::LeftButton, {}, cellPoint(20, 2));
    QCoreApplication::processEvents();
    EXPECT_TRUE(grid()->hasFocus());
    EXPECT_EQ(grid()->state().selectedRow, 2);
    QTest::keyClicks(grid(), "7");
    EXPECT_EQ(doc->model().cell(1, BookmarkRow::Value), "12.25");
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
    EXPECT_FLOAT_EQ(grid()->state().listTop, 165 - 70);

    bar->setValue(170);
    EXPECT_FLOAT_EQ(grid()->state().listTop, -5);
    EXPECT_FALSE(editor()->isVisible());
}

TEST_F(GridWindowTest, CaptionClicksPutAnUnsortedListDescendingThenAscending)
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
    EXPECT_EQ(grid()->state().editor().EditColumn, 6) << "right of Value everything is the hidden File column";
    EXPECT_FALSE(editor()->isVisible());
}

TEST_F(GridWindowTest, TypedOffsetRepaintsTheValueCellAtOnce)
{
    open();
    const QString before = doc->model().cell(0, BookmarkRow::Value);
    ASSERT_NO_FATAL_FAILURE(clickCell(7000, 1));
    ASSERT_EQ(grid()->state().editor().EditColumn, 3);
    QTest::qWait(20);
    PaintRecorder recorder(grid());
    QTest::keyClicks(editor(), "0");
    QTest::qWait(20);
    ASSERT_NE(doc->model().cell(0, BookmarkRow::Value), before) << "the value at offset 0 was re-read";
    const QRect value = grid()->cellRect(1, 2).adjusted(2, 2, -2, -2);
    EXPECT_TRUE(recorder.painted.intersects(value)) << "the Value cell is drawn again while the editor keeps the focus";
    EXPECT_TRUE(editor()->hasFocus());
}

TEST_F(GridWindowTest, ArrowsMoveTheFocusCellAndEnterOrF2EditsIt)
{
    open();
    QTest::mouseClick(grid(), Qt::LeftButton, {}, cellPoint(20, 1));
    ASSERT_TRUE(grid()->hasFocus());
    QTest::keyClick(grid(), Qt::Key_Down);
    QTest::keyClick(grid(), Qt::Key_Right);
    EXPECT_EQ(grid()->focusRow(), 2);
    EXPECT_EQ(grid()->focusColumn(), 2);
    QTest::keyClick(grid(), Qt::Key_Up);
    QTest::keyClick(grid(), Qt::Key_Up);
    EXPECT_EQ(grid()->focusRow(), 1) << "the first row is as far as it goes";
    QTest::keyClick(grid(), Qt::Key_Down);

    QTest::keyClick(grid(), Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor()->isVisible());
    ASSERT_TRUE(editor()->hasFocus());
    EXPECT_EQ(editor()->geometry().center().y(), grid()->cellRect(2, 2).center().y());
    EXPECT_TRUE(grid()->cellRect(2, 2).contains(editor()->geometry().center()));
    EXPECT_EQ(editor()->text(), "12.25");
    QTest::keyClicks(editor(), "3");
    EXPECT_EQ(doc->model().cell(1, BookmarkRow::Value), "3");

    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_EQ(doc->model().cell(1, BookmarkRow::Value), "12.25") << "Escape gives the cell its text back";
    EXPECT_EQ(editor()->text(), "12.25");
    EXPECT_TRUE(grid()->hasFocus());
    EXPECT_FALSE(grid()->state().editor().EditLock);

    QTest::keyClick(grid(), Qt::Key_Left);
    QTest::keyClick(grid(), Qt::Key_F2);
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor()->hasFocus());
    EXPECT_EQ(grid()->state().editor().EditColumn, 1);
    EXPECT_EQ(editor()->text(), doc->model().cell(1, BookmarkRow::Description));
}

TEST_F(GridWindowTest, WheelAndPageKeysScrollAndKeepTheFocusCellShown)
{
    open(100);
    auto *bar = window->findChild<QScrollBar *>("Vscroll");
    ASSERT_TRUE(bar->isEnabled());
    wheel(-120);
    EXPECT_FLOAT_EQ(grid()->state().listTop, 165 - 3 * 210);
    EXPECT_EQ(bar->value(), 3 * 210);
    wheel(240);
    EXPECT_FLOAT_EQ(grid()->state().listTop, 165) << "never above the first row";

    QTest::mouseClick(grid(), Qt::LeftButton, {}, cellPoint(1000, 1));
    QTest::keyClick(grid(), Qt::Key_PageDown);
    EXPECT_LT(grid()->state().listTop, 165);
    EXPECT_EQ(bar->value(), int(165 - grid()->state().listTop));
    EXPECT_GT(grid()->focusRow(), 30);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(grid(), Qt::Key_PageDown);
    EXPECT_EQ(grid()->focusRow(), 100);
    EXPECT_EQ(bar->value(), bar->maximum());
    const QRect last = grid()->cellRect(100, 1);
    EXPECT_LE(last.bottom(), window->findChild<QPushButton *>("cmdBookmark(1)")->geometry().top());
    for (int i = 0; i < 99; ++i)
        QTest::keyClick(grid(), Qt::Key_Up);
    EXPECT_EQ(grid()->focusRow(), 1);
    EXPECT_FLOAT_EQ(grid()->state().listTop, 165) << "moving the focus up scrolled the first row back into view";
}

TEST_F(GridWindowTest, TheGridGrowsWithTheWindowAndItsButtonsStayAtTheBottom)
{
    open(60);
    auto *bar = window->findChild<QScrollBar *>("Vscroll");
    auto *add = window->findChild<QPushButton *>("cmdBookmark(1)");
    EXPECT_EQ(bar->maximum(), 60 * 210 - 8440);
    bar->setValue(bar->maximum());
    const QSize classic = window->size();

    window->resize(classic + QSize(300, grid()->twips(0, 0, 0, 2100).height()));
    QCoreApplication::processEvents();
    EXPECT_NEAR(bar->maximum(), 60 * 210 - 8440 - 2100, 20);
    EXPECT_EQ(bar->value(), bar->maximum()) << "the list moves back down to fill the taller band";
    EXPECT_NEAR(165 - grid()->state().listTop, bar->maximum(), 2);
    EXPECT_GT(bar->geometry().left(), grid()->twips(9990, 0, 0, 0).left()) << "the list widened";
    EXPECT_LT(grid()->height() - add->geometry().bottom(), grid()->twips(0, 0, 0, 200).height());

    window->resize(classic + QSize(0, grid()->twips(0, 0, 0, 60 * 210).height()));
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->isEnabled()) << "every row fits";
    EXPECT_FLOAT_EQ(grid()->state().listTop, 165);

    window->resize(100, 100);
    QCoreApplication::processEvents();
    const QSize smallest = window->size();
    EXPECT_LE(smallest.width(), 1366);
    EXPECT_LE(smallest.height() + 40, 768) << "with a title bar it fits a 1366 x 768 screen";
    EXPECT_TRUE(bar->isEnabled());
    EXPECT_LE(add->geometry().bottom(), grid()->height());
    EXPECT_LE(grid()->geometry().bottom(), window->statusBar()->geometry().top());
    EXPECT_TRUE(window->statusBar()->isVisible());
    EXPECT_LE(window->statusBar()->geometry().bottom(), smallest.height());
}

} // namespace

namespace {

TEST_F(GridWindowTest, StatusBarGesturesShowAndHideTheVersionBox)
{
    open();
    auto *box = window->findChild<QComboBox *>("cmbVersion");
    auto *versionPanel = window->findChild<QLabel *>("statBar(1)");
    auto *bookmarkPanel = window->findChild<QLabel *>("statBar(2)");
    EXPECT_EQ(versionPanel->toolTip(), "Click to change PRX version");
    EXPECT_FALSE(box->isVisible());
    QTest::mouseMove(versionPanel, QPoint(10, 5));
    EXPECT_TRUE(box->isVisible());
    QTest::mouseMove(bookmarkPanel, QPoint(bookmarkPanel->width() / 2, 5));
    EXPECT_FALSE(box->isVisible());
}

TEST_F(GridWindowTest, PopUpMenuAddsTypedRows)
{
    open(40);
    auto *menu = window->findChild<QMenu *>("menuoffsetPop");
    ASSERT_NE(menu, nullptr);
    QStringList captions;
    for (QAction *action : menu->actions())
        captions << action->text();
    EXPECT_EQ(captions, (QStringList{"&Float", "&Integer", "&String "}));
    window->findChild<QAction *>("menuIntData")->trigger();
    const BookmarkRow &row = doc->model().rows().back();
    EXPECT_EQ(row[BookmarkRow::Type], "Integer");
    EXPECT_EQ(row[BookmarkRow::Number], "41");
    EXPECT_EQ(window->findChild<QScrollBar *>("Vscroll")->value(), 70);
}

TEST_F(GridWindowTest, OffsetDescriptionAddsHitsOnOkOnly)
{
    open();
    const int before = doc->model().count();
    OffsetDescriptionDialog *dialog = window->offsetDescription();
    EXPECT_EQ(dialog->objectName(), "Form6");
    EXPECT_EQ(dialog->windowTitle(), "Offset Description");
    dialog->setHits("0.5", {"1A0", "2B0"}, "Float", "2");
    dialog->show();
    QTest::keyClicks(dialog->findChild<QLineEdit *>("txtDesc"), "Wave alpha");
    QTest::mouseClick(dialog->findChild<QPushButton *>("cmdCancel"), Qt::LeftButton);
    EXPECT_EQ(doc->model().count(), before);
    EXPECT_FALSE(dialog->isVisible());

    dialog->show();
    EXPECT_EQ(dialog->findChild<QLineEdit *>("txtDesc")->text(), "Wave alpha") << "the text stays for the next use";
    QTest::mouseClick(dialog->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
    ASSERT_EQ(doc->model().count(), before + 2);
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Description], "Wave alpha");
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Offset], "2B0");
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::File], "2");
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace

#include "app/editactions.h"
#include "app/mainwindow.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/widgets/gridview.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/widgets/swatchview.h"
#include "vshtool/widgets/vshtoolwindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class UndoWindowTest : public WindowTest
{
protected:
    void open(const QString &module)
    {
        answerFirstRun(true);
        start();
        openAndShow(module);
        if (HasFatalFailure())
            return;
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    GridView *grid() const { return window->grid(); }
    QLineEdit *editor() const { return window->findChild<QLineEdit *>("Text1"); }
    QPoint cellPoint(double x, int row) const
    {
        const double y = grid()->state().listTop + 90 + row * 210 + 105;
        return grid()->twips(90 + 30 + x, y, 0, 0).topLeft();
    }
    QAction *undo() const { return window->editActions()->undo(); }
    QAction *redo() const { return window->editActions()->redo(); }
    void typeValue(int row, const QString &text)
    {
        // The pointer may already rest there from an earlier window: a move from elsewhere places the editor.
        QTest::mouseMove(grid(), cellPoint(1000, row + 1));
        QTest::mouseMove(grid(), cellPoint(5300, row));
        QTest::mouseClick(editor(), Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_TRUE(editor()->hasFocus());
        QTest::keyClicks(editor(), text);
    }
};

TEST_F(UndoWindowTest, TheEditMenuNamesTheChangeAndSitsBetweenFileAndTools)
{
    open(home.module4());
    QStringList menus;
    for (QAction *action : window->menuBar()->actions())
        menus << action->text();
    EXPECT_EQ(menus.mid(0, 4), (QStringList{"&File", "&Edit", "&View", "&Tools"}));

    EXPECT_EQ(undo()->text(), "&Undo");
    EXPECT_FALSE(undo()->isEnabled());
    EXPECT_EQ(undo()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(redo()->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}));

    const QString description = doc->model().cell(0, BookmarkRow::Description);
    typeValue(1, "2.75");
    EXPECT_EQ(undo()->text(), "&Undo \"" + description + " = 2.75\"");
    EXPECT_TRUE(undo()->isEnabled());
    undo()->trigger();
    EXPECT_EQ(redo()->text(), "&Redo \"" + description + " = 2.75\"");
    EXPECT_EQ(undo()->text(), "&Undo");
}

TEST_F(UndoWindowTest, CtrlZInTheGridTakesBackTheEdit)
{
    open(home.module4());
    const QString was = doc->model().cell(0, BookmarkRow::Value);
    typeValue(1, "2.75");
    ASSERT_EQ(doc->model().cell(0, BookmarkRow::Value), "2.75");
    auto *changed = window->findChild<QLabel *>("changedRows");
    EXPECT_EQ(changed->text(), "1 changed row");

    // Pressed in the editor itself: the document's undo, not the line's own.
    QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), was);
    EXPECT_FALSE(changed->isVisible());
    EXPECT_TRUE(grid()->hasFocus()) << "the editor let go of the cell";

    QTest::keyClick(grid(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "2.75");
    QTest::keyClick(grid(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(doc->history().index(), 1) << "nothing more to redo";
    QTest::keyClick(grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), was);
}

TEST_F(UndoWindowTest, CtrlZInTheToolWindowTakesBackAColourAndShowsIt)
{
    open(home.module5());
    VshToolWindow *tool = window->vshToolWindow();
    ASSERT_NE(tool, nullptr);
    auto *swatch = tool->findChild<SwatchView *>("pic(0)");
    const Rgb shown = swatch->colour();
    const QByteArray before = TestHome::readAll(home.module5());
    prompter.colours.push_back(Rgb{255, 0, 0});
    QTest::mouseClick(swatch, Qt::LeftButton);
    ASSERT_EQ(swatch->colour(), (Rgb{255, 0, 0}));

    tool->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(tool));
    QTest::keyClick(tool, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TestHome::readAll(home.module5()), before);
    EXPECT_EQ(swatch->colour(), shown) << "the window reads the module again";
    QTest::keyClick(tool, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(swatch->colour(), (Rgb{255, 0, 0}));
}

TEST_F(UndoWindowTest, RevertRowFromTheRowsMenu)
{
    open(home.module4());
    const QString was = doc->model().cell(0, BookmarkRow::Value);
    typeValue(1, "2.75");
    QTest::keyClick(editor(), Qt::Key_Return);
    bool offered = false;
    // The menu runs its own loop: its item is chosen from inside it, once it shows.
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions())
            if (action->objectName() == "menuRevertRow" && action->isEnabled()) {
                offered = true;
                action->trigger();
            }
        menu->close();
    });
    chooser.start(20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, cellPoint(1000, 1), grid()->mapToGlobal(cellPoint(1000, 1)));
    QApplication::sendEvent(grid(), &event);
    chooser.stop();
    EXPECT_TRUE(offered);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), was);
    EXPECT_EQ(undo()->text(), "&Undo \"Revert \"" + doc->model().cell(0, BookmarkRow::Description) + "\"\"");
}

} // namespace

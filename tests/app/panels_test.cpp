#include "app/bytesdock.h"
#include "app/mainwindow.h"
#include "app/recentmenu.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/rowbytes.h"
#include "grid/widgets/bytesview.h"
#include "grid/widgets/gridview.h"
#include "grid/widgets/gridviewaccessible.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/widgets/swatchview.h"
#include "vshtool/widgets/vshtoolwindow.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class PanelsTest : public WindowTest
{
protected:
    void SetUp() override
    {
        answerFirstRun(true);
        start();
    }
    QAction *action(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }
    QStringList menuTexts(const QMenu *menu) const
    {
        QStringList out;
        for (const QAction *a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }
    // A drag entering `onto` (the window when null) and dropped there; false when no widget took it.
    bool drop(const QList<QUrl> &urls, QWidget *onto = nullptr)
    {
        QWidget *target = onto ? onto : window.get();
        QMimeData data;
        data.setUrls(urls);
        data.setText(urls.constFirst().toString());
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        QCoreApplication::processEvents();
        return true;
    }
};

TEST_F(PanelsTest, TheGridIsATableWhoseCellsGiveTheListsTexts)
{
    openAndShow(home.module4());
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(window->grid());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->role(), QAccessible::Table);
    QAccessibleTableInterface *table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    const BookmarkModel &model = doc->model();
    ASSERT_EQ(table->rowCount(), model.count());
    // The expert layout: "#" first, then every column in file order.
    const int shown[] = {BookmarkRow::Number, BookmarkRow::Description, BookmarkRow::Value, BookmarkRow::Offset,
                         BookmarkRow::Type, BookmarkRow::Len, BookmarkRow::File};
    ASSERT_EQ(table->columnCount(), 7);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(table->columnDescription(c), BookmarkModel::caption(shown[c])) << c;
    for (int r = 0; r < model.count(); ++r) {
        for (int c = 0; c < 7; ++c) {
            QAccessibleInterface *cell = table->cellAt(r, c);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->text(QAccessible::Name), model.cell(r, shown[c])) << r << " " << c;
            EXPECT_EQ(cell->role(), QAccessible::Cell);
            EXPECT_EQ(grid->child(grid->indexOfChild(cell)), cell);
            QAccessibleTableCellInterface *place = cell->tableCellInterface();
            ASSERT_NE(place, nullptr);
            EXPECT_EQ(place->rowIndex(), r);
            EXPECT_EQ(place->columnIndex(), c);
            ASSERT_EQ(place->columnHeaderCells().size(), 1);
            EXPECT_EQ(place->columnHeaderCells().constFirst()->text(QAccessible::Name), table->columnDescription(c));
        }
    }
    EXPECT_EQ(table->cellAt(model.count(), 0), nullptr);

    // The point of a cell finds that cell.
    QAccessibleInterface *value = table->cellAt(2, 2);
    EXPECT_EQ(grid->childAt(value->rect().center().x(), value->rect().center().y()), value);

    // The buttons under the list are still among the grid's children.
    bool found = false;
    for (int i = 0; i < grid->childCount() && !found; ++i)
        found = grid->child(i)->text(QAccessible::Name) == "Add Offset";
    EXPECT_TRUE(found);

    // A row added and a cell changed: the table says them.
    window->findChild<QPushButton *>("cmdBookmark(1)")->click();
    ASSERT_EQ(table->rowCount(), model.count());
    doc->model().setCell(model.count() - 1, BookmarkRow::Description, QStringLiteral("added row"));
    EXPECT_EQ(table->cellAt(model.count() - 1, 1)->text(QAccessible::Name), "added row");

    // The focus cell is the focus child; a click selects its row.
    window->grid()->setFocus();
    window->grid()->setFocusCell(3, 2);
    QAccessibleInterface *focus = grid->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->text(QAccessible::Name), model.cell(2, GridGeometry::columnOfEdit(2)));
    EXPECT_TRUE(focus->state().focused);
    EXPECT_TRUE(table->selectRow(3));
    EXPECT_EQ(table->selectedRows(), QList<int>{3});
    EXPECT_TRUE(table->cellAt(3, 0)->state().selected);
}

std::vector<QAccessible::Event> s_events;
void recordEvent(QAccessibleEvent *event)
{
    s_events.push_back(event->type());
}

TEST_F(PanelsTest, TheGridAnnouncesItsChanges)
{
    openAndShow(home.module4());
    GridViewAccessible::setAnnouncer(recordEvent);
    s_events.clear();
    window->grid()->setFocus();
    window->grid()->setFocusCell(2, 1);
    doc->model().setCell(0, BookmarkRow::Description, QStringLiteral("changed"));
    window->findChild<QPushButton *>("cmdBookmark(1)")->click();
    GridViewAccessible::setAnnouncer(nullptr);
    auto seen = [](QAccessible::Event type) {
        return std::find(s_events.begin(), s_events.end(), type) != s_events.end();
    };
    EXPECT_TRUE(seen(QAccessible::Focus));
    EXPECT_TRUE(seen(QAccessible::TableModelChanged));
    EXPECT_TRUE(seen(QAccessible::ValueChanged));
}

TEST_F(PanelsTest, TheToolsControlsWithoutTextHaveNames)
{
    openAndShow(home.module5());
    VshToolWindow *tool = window->vshToolWindow();
    ASSERT_NE(tool, nullptr);
    const auto swatches = tool->findChildren<SwatchView *>();
    ASSERT_FALSE(swatches.isEmpty());
    QStringList names;
    for (const SwatchView *swatch : swatches) {
        EXPECT_FALSE(swatch->accessibleName().isEmpty()) << swatch->objectName().toStdString();
        names << swatch->accessibleName();
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), swatches.size());
    EXPECT_TRUE(names.contains("Font Color, January"));
    EXPECT_TRUE(names.contains("Wave Color (Front), all months"));
    for (const char *name : {"cmbSub", "cmbMain", "chkXMB"})
        EXPECT_FALSE(tool->findChild<QWidget *>(QLatin1String(name))->accessibleName().isEmpty()) << name;
}

TEST_F(PanelsTest, TheBytesPanelFollowsTheCurrentRowAndIsRemembered)
{
    openAndShow(home.module4());
    QAction *shown = action("menuBytes");
    ASSERT_NE(shown, nullptr);
    BytesDock *dock = window->bytesDock();
    EXPECT_FALSE(dock->isVisible());
    EXPECT_TRUE(window->findChild<QMenu *>("menuView")->actions().contains(shown));
    shown->trigger();
    EXPECT_TRUE(dock->isVisible());
    EXPECT_EQ(IniFile(home.config()).read("Window", "Bytes"), "1");

    const auto entries = DemoFixture::entries(DemoFixture::kVersion4);
    const QByteArray plain = DemoFixture::plainModule(DemoFixture::kVersion4);
    BytesView *view = dock->view();
    window->grid()->setFocusCell(2, 1);
    const qint64 at = entries[1].offset;
    EXPECT_TRUE(view->linesText().contains(RowBytes::addressText(at / 16 * 16) + "  " +
                                           RowBytes::hexText(plain.mid(at / 16 * 16, 16))));
    EXPECT_EQ(view->highlightedTexts().constFirst(), RowBytes::hexText(plain.mid(at, 4)));
    EXPECT_EQ(view->reading(0)->text(), entries[1].value);

    // Down to the String row below: the panel follows.
    int label = 0;
    while (entries[label].type != "String")
        ++label;
    window->grid()->setFocusCell(label + 1, 1);
    EXPECT_EQ(view->reading(3)->text(), entries[label].value);
    EXPECT_EQ(view->highlightedTexts().constLast(),
              QString::fromLatin1(plain.mid(entries[label].offset, entries[label].length)).replace(QChar(0), '.'));
    // A click on a cell of another row, which the in-place editor takes: the panel follows.
    const double y = window->grid()->state().listTop + 90 + 2 * 210 + 105;
    QTest::mouseMove(window->grid(), window->grid()->twips(90 + 30 + 5300, y, 0, 0).topLeft());
    QTest::mouseClick(window->findChild<QLineEdit *>("Text1"), Qt::LeftButton);
    EXPECT_EQ(view->reading(0)->text(), entries[1].value);
    window->grid()->setFocusCell(label + 1, 1);

    // Its offset typed anew: the panel follows the cell.
    doc->model().setCell(label, BookmarkRow::Offset, QString::number(entries[1].offset, 16));
    EXPECT_EQ(view->reading(0)->text(), entries[1].value);

    // Hidden again and a new session: as the person left it.
    shown->trigger();
    EXPECT_FALSE(dock->isVisible());
    start();
    EXPECT_FALSE(window->bytesDock()->shownAction()->isChecked());
    IniFile(home.config()).write("Window", "Bytes", "1");
    start();
    EXPECT_TRUE(window->bytesDock()->shownAction()->isChecked());
}

TEST_F(PanelsTest, RecentModulesAreListedAndOpen)
{
    openAndShow(home.module4());
    doc->openPath(home.module5());
    auto *recent = window->findChild<RecentMenu *>("menuRecent");
    ASSERT_NE(recent, nullptr);
    const QStringList file = menuTexts(window->menuBar()->actions().constFirst()->menu());
    EXPECT_EQ(file.indexOf("&Recent Modules"), file.indexOf("&Open PRX") + 1);
    EXPECT_EQ(menuTexts(recent), QStringList({"&1 " + QDir::toNativeSeparators(home.module5()),
                                              "&2 " + QDir::toNativeSeparators(home.module4())}));

    window->findChild<QAction *>("recent2")->trigger();
    EXPECT_EQ(doc->currentModuleFile(), home.module4());
    recent->rebuild();
    EXPECT_TRUE(window->findChild<QAction *>("recent1")->text().endsWith(QDir::toNativeSeparators(home.module4())));

    ASSERT_TRUE(QFile::remove(home.module5()));
    recent->rebuild();
    EXPECT_TRUE(window->findChild<QAction *>("recent1")->isEnabled());
    EXPECT_FALSE(window->findChild<QAction *>("recent2")->isEnabled());
}

TEST_F(PanelsTest, ADroppedModuleOpensAfterTheQuestion)
{
    openAndShow(home.module4());
    doc->model().setCell(0, BookmarkRow::Value, QStringLiteral("7"));
    // Two files at once, or no file, are not taken.
    drop({QUrl::fromLocalFile(home.module5()), QUrl::fromLocalFile(home.module4())});
    drop({QUrl(QStringLiteral("https://example.org/vshmain.prx"))});
    EXPECT_EQ(prompter.count("ask"), 0);
    EXPECT_EQ(doc->currentModuleFile(), home.module4());

    prompter.answers.push_back(Prompter::Answer::Cancel);
    drop({QUrl::fromLocalFile(home.module5())});
    EXPECT_EQ(prompter.count("ask"), 1);
    EXPECT_EQ(doc->currentModuleFile(), home.module4());

    prompter.answers.push_back(Prompter::Answer::No);
    drop({QUrl::fromLocalFile(home.module5())});
    EXPECT_EQ(doc->currentModuleFile(), home.module5());
    EXPECT_EQ(doc->prxversion(), "5.00");
}

TEST_F(PanelsTest, AModuleDroppedOnTheCellEditorOpensInsteadOfBecomingItsText)
{
    openAndShow(home.module4());
    QLineEdit *editor = window->grid()->editor();
    const QPoint cell = window->grid()->cellRect(1, 1).center();
    QTest::mouseMove(window->grid(), cell);
    ASSERT_TRUE(editor->isVisible());
    const QString before = editor->text();
    EXPECT_TRUE(drop({QUrl::fromLocalFile(home.module5())}, editor));
    EXPECT_EQ(doc->currentModuleFile(), home.module5());
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Description), DemoFixture::entries(DemoFixture::kVersion5)[0].description);
    EXPECT_FALSE(editor->text().contains("vshmain.prx")) << before.toStdString();
}

} // namespace

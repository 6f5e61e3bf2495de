#include "app/mainwindow.h"
#include "app/widgetprompter.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/widgets/gridview.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/modalanswer.h"
#include "tests/support/forkedchild.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/widgets/vshtoolwindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public WindowTest
{
protected:
    void SetUp() override
    {
        answerFirstRun();
        start();
    }
    QString panel(int i) const
    {
        return window->findChild<QLabel *>(QStringLiteral("statBar(%1)").arg(i))->text();
    }
};

TEST_F(MainWindowTest, ShowsTheDemoModuleOpenedFromTheCommandLine)
{
    doc->openFromCommandLine(home.module5());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(window->objectName(), "Form1");
    EXPECT_EQ(window->windowTitle(), "VantorEditor by VT   [vshmain.prx]");
    EXPECT_EQ(panel(1), "PRX Version:  5.00");
    EXPECT_EQ(panel(2), "Bookmark:  " + home.bookmarks());
    EXPECT_EQ(panel(3), QStringLiteral("Filesize:  %1 bytes").arg(DemoFixture::moduleSize("5.00")));
    EXPECT_TRUE(window->findChild<QMenu *>("mypopup")->isEnabled());

    ASSERT_NE(window->findChild<QWidget *>("list_1"), nullptr);
    const BookmarkModel &model = doc->model();
    const auto entries = DemoFixture::entries("5.00");
    ASSERT_EQ(model.count(), entries.size());
    for (int r = 0; r < entries.size(); ++r) {
        EXPECT_EQ(model.cell(r, BookmarkRow::Description), entries[r].description);
        EXPECT_EQ(model.cell(r, BookmarkRow::Value), entries[r].value);
    }

    const QString workingCopy = home.file("demo/vshmain.bin");
    EXPECT_TRUE(QFileInfo::exists(workingCopy));
    window->close();
    EXPECT_FALSE(QFileInfo::exists(workingCopy));
}

TEST_F(MainWindowTest, TabFollowsTheButtonsAsTheyStand)
{
    doc->openFromCommandLine(home.module4());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::setActiveWindow(window.get());
    window->grid()->setFocus();
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited.join(' ').toStdString(),
              "cmdBookmark(1) Command1 cmdBookmark(2) cmdBookmark(3) cmdBookmark(4) cmdBookmark(5) list_1");
}

TEST_F(MainWindowTest, VersionBoxChangesTheSectionOnEnter)
{
    doc->openFromCommandLine(home.module5());
    window->show();
    window->showVersionBox();
    auto *box = window->findChild<QComboBox *>("cmbVersion");
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->count(), 2);
    box->setEditText(QString());
    QTest::keyClicks(box, "4.05");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(panel(1), "PRX Version: 4.05");
    EXPECT_EQ(doc->model().count(), DemoFixture::entries("4.05").size());
}

TEST_F(MainWindowTest, VersionBoxSwitchesOnlyOnADeliberateChoice)
{
    doc->openFromCommandLine(home.module5());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *box = window->findChild<QComboBox *>("cmbVersion");
    const auto rows5 = DemoFixture::entries("5.00").size();

    // Pointing at the panel shows the box with the focus and the current
    // version's text, which matches another item than the box's own; moving
    // away drops the focus.
    doc->model().setCell(0, BookmarkRow::Value, "7.5");
    window->showVersionBox();
    QCoreApplication::processEvents();
    ASSERT_TRUE(box->lineEdit()->hasFocus());
    ASSERT_EQ(box->lineEdit()->text(), "5.00");
    window->grid()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "7.5") << "the list was not reloaded";

    window->showVersionBox();
    QCoreApplication::processEvents();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "4.05");
    QTest::keyClick(box->lineEdit(), Qt::Key_Down);
    window->grid()->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel(1), "PRX Version:  5.00") << "typing, arrow keys and leaving only change the text";
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "7.5");
    EXPECT_EQ(doc->model().count(), rows5);
    doc->model().setCell(0, BookmarkRow::Value, doc->model().rows()[0].savedValue);

    // A click on an item of the open list does switch.
    box->showPopup();
    QAbstractItemView *list = box->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex item = list->model()->index(box->findText("4.05"), 0);
    QTest::mouseMove(list->viewport(), list->visualRect(item).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(doc->prxversion(), "4.05");
    EXPECT_EQ(doc->model().count(), DemoFixture::entries("4.05").size());
}

TEST_F(MainWindowTest, TitleMarksUnsavedValuesAndSaveSaysSaved)
{
    doc->openFromCommandLine(home.module4());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QString clean = "VantorEditor by VT   [vshmain.prx]";
    EXPECT_EQ(window->windowTitle(), clean);
    auto *saved = window->findChild<QLabel *>("savedNote");
    ASSERT_NE(saved, nullptr);
    EXPECT_FALSE(saved->isVisible());

    const QString value = doc->model().cell(0, BookmarkRow::Value);
    doc->model().setCell(0, BookmarkRow::Value, "7.5");
    EXPECT_EQ(window->windowTitle(), clean + " *");
    doc->model().setCell(0, BookmarkRow::Value, value);
    EXPECT_EQ(window->windowTitle(), clean) << "back to the saved value";
    doc->model().setCell(0, BookmarkRow::Value, "7.5");

    // Rows added count too, until the bookmark file holds them.
    window->findChild<QPushButton *>("cmdBookmark(1)")->click();
    EXPECT_EQ(window->windowTitle(), clean + " *");
    doc->model().setCell(0, BookmarkRow::Value, value);
    EXPECT_EQ(window->windowTitle(), clean + " *");
    window->findChild<QPushButton *>("cmdBookmark(4)")->click();
    EXPECT_EQ(window->windowTitle(), clean);
    doc->model().setCell(0, BookmarkRow::Value, "7.5");

    window->findChild<QAction *>("popSave")->trigger();
    EXPECT_EQ(window->windowTitle(), clean);
    EXPECT_TRUE(saved->isVisible());
    EXPECT_EQ(saved->text(), "Saved");
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(window->findChild<QLabel *>(QStringLiteral("statBar(%1)").arg(i))->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !saved->isVisible(); }, 6000)) << "the note goes after a few seconds";
}

TEST_F(MainWindowTest, TheWindowSizeIsRememberedQuietly)
{
    window->show();
    window->resize(1200, 700);
    window->close();
    IniFile config(home.config());
    EXPECT_EQ(config.read("Window", "Width"), "1200");
    EXPECT_EQ(config.read("Window", "Height"), "700");
    EXPECT_EQ(prompter.count("inform"), 0);

    window = std::make_unique<MainWindow>(*doc);
    window->restoreSize();
    EXPECT_EQ(window->size(), QSize(1200, 700));

    config.write("Window", "Width", "x");
    window->restoreSize();
    EXPECT_GE(window->width(), window->minimumSizeHint().width()) << "a damaged size gives the default";
    EXPECT_NE(window->width(), 0);
}

TEST_F(MainWindowTest, AFailedSizeWriteIsToldWithTheFileAndCause)
{
    window->show();
    window->resize(1111, 690);
    ForkedChild child;
    child.fileSizeLimit = QFileInfo(home.config()).size() / 2;
    const auto result = child.run([&] {
        window->storeSize();
        return prompter.messages().join('\n').toUtf8();
    });
    ASSERT_TRUE(result.exitedNormally);
    EXPECT_TRUE(result.output.contains("Config.ini")) << result.output.constData();
    EXPECT_TRUE(result.output.contains("File too large")) << result.output.constData();
    EXPECT_NE(IniFile(home.config()).read("Window", "Width"), "1111");
}

// The main window with the real prompter, so its dialogs open as a person sees them.
class MainWindowDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.answerAssociation();
        prompter.setParent(&window);
        doc.startUp();
    }
    void show()
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    TestHome home;
    WidgetPrompter prompter;
    PrxDocument doc{home.path(), prompter};
    MainWindow window{doc};
};

// The file dialogs are named after what they do.
TEST_F(MainWindowDialogs, OpenAndSaveDialogsHaveTheirOwnTitles)
{
    doc.openFromCommandLine(home.module4());
    show();

    QStringList titles;
    const auto titleOf = [&](const char *action) {
        answerModal([&] { window.findChild<QAction *>(QLatin1String(action))->trigger(); },
                    [&](QWidget *modal, int) {
                        titles << modal->windowTitle();
                        static_cast<QDialog *>(modal)->reject();
                    });
    };
    titleOf("menuOpenPRX");
    titleOf("popSaveAs");
    titleOf("popCompress");
    EXPECT_EQ(titles, (QStringList{"Open PRX", "Save PRX As", "Save Compressed PRX As"}));
    EXPECT_TRUE(window.fileDialogTitle().isEmpty());
}

// Not in the folder the program happened to be started from.
TEST_F(MainWindowDialogs, FileDialogsStartInTheModulesFolderOrTheLastOneUsed)
{
    show();

    QStringList folders;
    // Runs `open`; the file dialog it shows tells its folder and is cancelled, or takes `pick`.
    const auto folderOf = [&](const std::function<void()> &open, const QString &pick = QString()) {
        answerModal(open, [&](QWidget *modal, int attempt) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            ASSERT_NE(dialog, nullptr) << modal->windowTitle().toStdString();
            if (attempt == 1)
                folders << dialog->directory().absolutePath();
            if (pick.isEmpty()) {
                dialog->reject();
            } else {
                // selectFile leaves the name box alone while it has the focus: the name is typed there.
                dialog->selectFile(pick);
                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                name->setText(pick);
                static_cast<QDialog *>(dialog)->accept();
            }
        });
    };
    const auto item = [&](const char *name) {
        return [this, name] { window.findChild<QAction *>(QLatin1String(name))->trigger(); };
    };
    folderOf(item("menuOpenPRX"));
    EXPECT_EQ(folders.takeLast().toStdString(), QDir::homePath().toStdString()) << "no module open, no folder used yet";

    doc.openFromCommandLine(home.module4());
    const QString moduleFolder = QFileInfo(home.module4()).absolutePath();
    folderOf(item("popSaveAs"));
    folderOf(item("popCompress"));
    EXPECT_EQ(folders.join(" | ").toStdString(), QStringList({moduleFolder, moduleFolder}).join(" | ").toStdString());
    folders.clear();

    QCoreApplication::processEvents();
    ASSERT_NE(window.vshToolWindow(), nullptr);
    const auto button = [&](const char *name) {
        return [this, name] { window.vshToolWindow()->findChild<QPushButton *>(QLatin1String(name))->click(); };
    };
    ASSERT_TRUE(QDir(home.path()).mkpath("presets"));
    const QString preset = home.file("presets/scheme.json");
    folderOf(button("cmdExportColours"), preset);
    ASSERT_TRUE(QFileInfo::exists(preset));
    folderOf(button("cmdImportColours"));
    EXPECT_EQ(folders.join(" | ").toStdString(), QStringList({moduleFolder, home.file("presets")}).join(" | ").toStdString())
        << "the presets' folder, once used";
}

} // namespace

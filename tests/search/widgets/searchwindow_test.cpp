#include "app/mainwindow.h"
#include "document/prxdocument.h"
#include "search/searchresultmodel.h"
#include "search/widgets/offsetdescriptiondialog.h"
#include "search/widgets/searchwindow.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/modalanswer.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

class SearchWindowTest : public WindowTest
{
protected:
    void SetUp() override
    {
        answerFirstRun();
        start();
        window->findChild<QAction *>("menuSearch")->trigger();
        search = window->searchWindow();
        ASSERT_TRUE(search->isVisible());
    }
    // Overwrites bytes near the end of a module, keeping its size and so its version.
    void plant(const QString &module, const QByteArray &bytes, const std::vector<qint64> &fromEnd)
    {
        QFile f(module);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        for (qint64 back : fromEnd) {
            ASSERT_TRUE(f.seek(f.size() - back));
            ASSERT_EQ(f.write(bytes), bytes.size());
        }
    }
    template<typename T> T *child(const char *name) const { return search->findChild<T *>(QLatin1String(name)); }
    void chooseType(const QString &type)
    {
        auto *box = child<QComboBox>("cmbtype");
        box->setCurrentText(type);
        emit box->activated(box->currentIndex());
    }
    void find(const QString &type, const QString &key)
    {
        chooseType(type);
        child<QLineEdit>("txtSearch")->setText(key);
        QTest::keyClick(child<QLineEdit>("txtSearch"), Qt::Key_Return);
    }
    QString panel(int n) const { return child<QLabel>(QStringLiteral("statBar(%1)").arg(n).toLatin1())->text(); }
    QStringList listed(int column) const
    {
        QStringList out;
        for (int row = 0; row < search->results().rowCount(); ++row)
            out << search->results().index(row, column).data().toString();
        return out;
    }
    // Selects rows, clicks "Add To Bookmark" and answers the description window with OK.
    void addToBookmark(const std::vector<int> &rows, const QString &description)
    {
        auto *list = child<QTreeView>("SearchList");
        for (int row : rows)
            list->selectionModel()->select(search->results().index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        // The window is modal: it is answered from the event loop it runs, once it shows.
        answerModal([&] { QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton); },
                    [&](QWidget *modal, int) {
                        ASSERT_EQ(modal, window->offsetDescription());
                        modal->findChild<QLineEdit *>("txtDesc")->setText(description);
                        QTest::mouseClick(modal->findChild<QPushButton *>("cmdOk"), Qt::LeftButton);
                    });
    }

    SearchWindow *search = nullptr;
};

// Tab goes down the window as it stands: key, type, file, hits, then the two buttons.
TEST_F(SearchWindowTest, AToolWindowWhoseTabOrderAndSizeFitItAsItStands)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(search));
    QApplication::setActiveWindow(search);
    child<QLineEdit>("txtSearch")->setFocus();
    QStringList visited;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited.join(' ').toStdString(), "cmbtype Option1 SearchList Command1 Command2 txtSearch");
    EXPECT_EQ(search->parentWidget(), window.get());
    EXPECT_EQ(search->windowType(), Qt::Tool) << "kept above the main window";

    // With its frame it fits a 1366 x 768 screen, and nothing is cut off inside.
    const QSize frame(16, 40);
    EXPECT_LE(search->sizeHint().width() + frame.width(), 1366);
    EXPECT_LE(search->sizeHint().height() + frame.height(), 768);
    EXPECT_LE(search->minimumSizeHint().height() + frame.height(), 768);
    for (const QWidget *control : search->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(search->rect().contains(control->geometry())) << control->objectName().toStdString();
}

TEST_F(SearchWindowTest, MessagesBeforeAnySearch)
{
    EXPECT_EQ(search->objectName(), "Form5");
    EXPECT_EQ(search->windowTitle(), "Search");
    EXPECT_EQ(panel(1), "Instance(s) Found:");
    EXPECT_TRUE(child<QRadioButton>("Option1")->isChecked());
    EXPECT_EQ(child<QComboBox>("cmbtype")->currentText(), "Float");

    find("Float", "1.5");
    ASSERT_EQ(prompter.messages(), QStringList{"File not Found               "}) << "no module open";
    EXPECT_EQ(prompter.calls.back().title, "Information");

    doc->openFromCommandLine(home.module4());
    prompter.calls.clear();
    child<QRadioButton>("Option2")->setChecked(true);
    find("Float", "1.5");
    EXPECT_EQ(prompter.messages(), QStringList{"File not Found               "}) << "no working copy";

    child<QRadioButton>("Option1")->setChecked(true);
    prompter.calls.clear();
    find("Float", "");
    find("Integer", "40000");
    find("Float", "-");
    EXPECT_EQ(prompter.messages(),
              (QStringList{"Enter a search key", "Enter a valid search key", "Enter a valid search key"}));
    for (const FakePrompter::Call &call : prompter.calls)
        EXPECT_EQ(call.title, "Information");
}

TEST_F(SearchWindowTest, TypeChangeAndKeystrokes)
{
    auto *key = child<QLineEdit>("txtSearch");
    chooseType("String");
    key->setText("abc");
    chooseType("Float");
    EXPECT_EQ(key->text(), "") << "a key that is no number goes";
    EXPECT_EQ(key->maxLength(), 10);
    chooseType("String");
    key->setText("-12");
    chooseType("Integer");
    EXPECT_EQ(key->text(), "-12");
    // A key of the new type stays whole, longer than that type's usual key too.
    chooseType("Float");
    key->setText("-12345.67");
    chooseType("Integer");
    EXPECT_EQ(key->text(), "-12345.67");
    chooseType("Float");
    EXPECT_EQ(key->text(), "-12345.67");
    key->setText("1e5");
    chooseType("Integer");
    EXPECT_EQ(key->text(), "") << "no Integer: cleared";
    EXPECT_EQ(key->maxLength(), 6);
    key->clear();
    QTest::keyClicks(key, "-327x68");
    EXPECT_EQ(key->text(), "-32768") << "a negative five-digit integer fits";
    EXPECT_EQ(prompter.count("beep"), 1);
    for (Qt::Key editing : {Qt::Key_Control, Qt::Key_Home, Qt::Key_Delete, Qt::Key_End, Qt::Key_Backspace})
        QTest::keyClick(key, editing);
    EXPECT_EQ(key->text(), "3276");
    QTest::keyClick(key, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(prompter.count("beep"), 2) << "no other shortcut passes";
    chooseType("String");
    QTest::keyClicks(key, "x");
    EXPECT_EQ(key->text(), "3276x");
    EXPECT_EQ(prompter.count("beep"), 2);
}

TEST_F(SearchWindowTest, EnterListsEveryHitInFileOrder)
{
    plant(home.module4(), "QzKeY", {300, 200, 100});
    doc->openFromCommandLine(home.module4());
    const qint64 size = QFile(home.module4()).size();
    prompter.calls.clear();
    find("String", "qzkey");
    ASSERT_EQ(search->results().rowCount(), 3);
    EXPECT_EQ(listed(SearchResultModel::Offset),
              (QStringList{QString::number(size - 300, 16).toUpper(), QString::number(size - 200, 16).toUpper(),
                           QString::number(size - 100, 16).toUpper()}));
    EXPECT_EQ(listed(SearchResultModel::Value), (QStringList{"qzkey", "qzkey", "qzkey"}));
    EXPECT_EQ(panel(1), "Instance(s) Found: 3");
    EXPECT_EQ(panel(3), "");
    EXPECT_EQ(prompter.count("busy"), 2);
    EXPECT_TRUE(search->isEnabled());

    find("Integer", "12345");
    EXPECT_EQ(panel(1), "Instance(s) Found: 0");
    EXPECT_EQ(search->results().rowCount(), 0);
}

TEST_F(SearchWindowTest, AddToBookmarkAppendsOneRowPerSelectedHit)
{
    plant(home.module4(), "QzKeY", {300, 200, 100});
    doc->openFromCommandLine(home.module4());
    find("String", "qzkey");
    const int before = doc->model().count();
    addToBookmark({0, 1, 2}, "Planted");
    ASSERT_EQ(doc->model().count(), before + 3);
    for (int i = 0; i < 3; ++i) {
        const BookmarkRow &row = doc->model().rows()[size_t(before + i)];
        EXPECT_EQ(row[BookmarkRow::Description], "Planted");
        EXPECT_EQ(row[BookmarkRow::Offset], listed(SearchResultModel::Offset)[i]);
        EXPECT_EQ(row[BookmarkRow::Value], "QzKeY") << "the letters as the file has them";
        EXPECT_EQ(row[BookmarkRow::Type], "String");
        EXPECT_EQ(row[BookmarkRow::File], "1") << "no working copy: the module is file 1";
        EXPECT_EQ(row[BookmarkRow::Number], QString::number(before + i + 1));
    }

    child<QTreeView>("SearchList")->clearSelection();
    child<QPushButton>("Command2")->click();
    EXPECT_EQ(doc->model().count(), before + 3) << "nothing selected, nothing added";
}

TEST_F(SearchWindowTest, HitsAddedAndSavedChangeNoByte)
{
    plant(home.module4(), QByteArray::fromHex("E9D6FC3D"), {400}); // 0.12345678 as a single
    plant(home.module4(), "QzKeYtail", {300});
    doc->openFromCommandLine(home.module4());
    const QByteArray before = TestHome::readAll(home.module4());
    const qint64 size = before.size();
    find("Float", "0.12345678");
    const int hit = int(listed(SearchResultModel::Offset).indexOf(QString::number(size - 400, 16).toUpper()));
    ASSERT_GE(hit, 0);
    addToBookmark({hit}, "Float hit");
    find("String", "qzkey");
    ASSERT_EQ(search->results().rowCount(), 1);
    addToBookmark({0}, "String hit");

    const auto &rows = doc->model().rows();
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2][BookmarkRow::Value], "0.1234568");
    EXPECT_EQ(rows.back()[BookmarkRow::Value], "QzKeY");
    EXPECT_EQ(rows.back()[BookmarkRow::Len], "5") << "the key's length in bytes";
    EXPECT_GE(doc->model().firstModifiedRow(), 0) << "rows were added";

    ASSERT_TRUE(doc->save());
    EXPECT_TRUE(TestHome::readAll(home.module4()) == before) << "a hit nobody edited writes nothing";
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    doc->ReloadBookmark();
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Value], "QzKeY") << "opened again, the letters are there";
}

TEST_F(SearchWindowTest, HitsKeepTheTypeAndFileOfTheirSearch)
{
    plant(home.module4(), QByteArray("\x39\x30", 2), {64});
    doc->openFromCommandLine(home.module4());
    find("Integer", "12345");
    ASSERT_GT(search->results().rowCount(), 0);
    chooseType("String");
    addToBookmark({0}, "Typed later");
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Type], "Integer");

    doc->openFromCommandLine(home.module5());
    const int before = doc->model().count();
    prompter.calls.clear();
    child<QPushButton>("Command2")->click();
    EXPECT_EQ(doc->model().count(), before);
    EXPECT_EQ(prompter.messages(), QStringList{"The file searched is no longer open: search again"});
}

TEST_F(SearchWindowTest, FileCellFollowsTheSearchedFile)
{
    plant(home.module5(), QByteArray("\x39\x30", 2), {64});
    doc->openFromCommandLine(home.module5());
    ASSERT_FALSE(doc->workingCopyPath().isEmpty());
    find("Integer", "12345");
    const QString planted = QString::number(QFile(home.module5()).size() - 64, 16).toUpper();
    const int hit = int(listed(SearchResultModel::Offset).indexOf(planted));
    ASSERT_GE(hit, 0);
    const int before = doc->model().count();
    addToBookmark({hit}, "Scrambled");
    ASSERT_EQ(doc->model().count(), before + 1);
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::File], "2");
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Offset], planted);
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Value], "12345");
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::Type], "Integer");

    child<QRadioButton>("Option2")->setChecked(true);
    find("Integer", "0");
    ASSERT_GT(search->results().rowCount(), 0);
    addToBookmark({0}, "Descrambled");
    EXPECT_EQ(doc->model().rows().back()[BookmarkRow::File], "1");
}

} // namespace

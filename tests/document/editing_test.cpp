#include "documenttest.h"
#include "grid/bookmarklist.h"
#include "grid/celleditor.h"
#include "grid/gridstate.h"
#include "gridtyping.h"
#include "tools/mkdemo/demofixture.h"
#include "values/valuecodec.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <clocale>
#include <cstring>
#include <functional>

namespace {

using namespace GridTyping;

const QString kQuestion = QStringLiteral("vshmain.prx has been modified\r\nDo you want to save changes and exit?");

// Each path says what drops the changes; the Exit question keeps its own text.
QString dropQuestion(const char *dropping)
{
    return QStringLiteral("vshmain.prx has been modified\r\n") + QLatin1String(dropping) +
           QStringLiteral(" drops the unsaved changes. Do you want to save them first?");
}

class ListDropTest : public DocumentTest
{
protected:
    void open4()
    {
        doc->openFromCommandLine(home.module4());
        ASSERT_TRUE(doc->moduleOpen());
        ASSERT_EQ(doc->prxversion(), "4.05");
        prompter.calls.clear();
    }
    QString value(int row) const { return doc->model().cell(row - 1, BookmarkRow::Value); }
};

struct DropPath
{
    const char *name;
    const char *dropping;
    std::function<void(PrxDocument &, BookmarkList &, FakePrompter &, const QString &other)> run;
};

const DropPath kPaths[] = {
    {"open another module from the menu", "Opening another module",
     [](PrxDocument &doc, BookmarkList &, FakePrompter &prompter, const QString &other) {
         prompter.files.push_back(other);
         doc.openFromMenu();
     }},
    {"version by Enter", "Choosing another version", [](PrxDocument &doc, BookmarkList &, FakePrompter &, const QString &) { doc.versionEnter("4.05"); }},
    {"version by a click", "Choosing another version", [](PrxDocument &doc, BookmarkList &, FakePrompter &, const QString &) { doc.versionClick("4.05"); }},
    {"Refresh Bookmark", "Refreshing the bookmark list",
     [](PrxDocument &, BookmarkList &list, FakePrompter &, const QString &) { list.cmdBookmark_Click(BookmarkList::RefreshBookmark); }},
};

TEST_F(ListDropTest, EveryPathThatDropsTheListAsksAboutUnsavedValues)
{
    int k = 0;
    for (const DropPath &path : kPaths) {
        for (const auto answer : {Prompter::Answer::Cancel, Prompter::Answer::No, Prompter::Answer::Yes}) {
            SCOPED_TRACE(std::string(path.name) + " answered " + std::to_string(int(answer)));
            restart();
            open4();
            const QByteArray module = TestHome::readAll(home.module4());
            // Each case types a value that no earlier Yes has saved.
            const float typed = 2.5f + float(k++);
            typeInto(*grid, kValue, 1, QString::number(typed));
            ASSERT_EQ(value(1), QString::number(typed));
            prompter.answers.push_back(answer);

            path.run(*doc, *list, prompter, home.module5());

            ASSERT_EQ(prompter.count("ask"), 1);
            const auto ask = std::find_if(prompter.calls.begin(), prompter.calls.end(),
                                          [](const FakePrompter::Call &call) { return call.kind == "ask"; });
            EXPECT_EQ(ask->text.toStdString(), dropQuestion(path.dropping).toStdString());
            EXPECT_EQ(ask->buttons, Prompter::Buttons::YesNoCancel);
            if (answer == Prompter::Answer::Cancel) {
                EXPECT_EQ(doc->currentModuleFile(), QFileInfo(home.module4()).canonicalFilePath());
                EXPECT_EQ(value(1), QString::number(typed)) << "Cancel keeps the list as it is";
                EXPECT_EQ(doc->model().firstModifiedRow(), 0);
                EXPECT_EQ(TestHome::readAll(home.module4()), module);
            } else if (answer == Prompter::Answer::No) {
                EXPECT_EQ(TestHome::readAll(home.module4()), module);
                EXPECT_EQ(doc->model().firstModifiedRow(), -1);
            } else {
                EXPECT_EQ(floatIn(TestHome::readAll(home.module4()), kClockAt), typed) << "Yes saves first";
                EXPECT_EQ(doc->model().firstModifiedRow(), -1);
            }
        }
    }
}

TEST_F(ListDropTest, NothingChangedAsksNothing)
{
    open4();
    for (const DropPath &path : kPaths) {
        SCOPED_TRACE(path.name);
        if (!doc->moduleOpen())
            doc->openFromCommandLine(home.module4());
        prompter.calls.clear();
        path.run(*doc, *list, prompter, home.module5());
        EXPECT_EQ(prompter.count("ask"), 0);
    }
}

TEST_F(ListDropTest, EveryDifferenceFromTheSavedListIsAskedAbout)
{
    const struct
    {
        const char *name;
        std::function<void()> change;
    } cases[] = {
        {"Add Offset", [this] { list->cmdBookmark_Click(BookmarkList::AddOffset); }},
        {"Remove Offset",
         [this] {
             grid->list_1_ItemClick(3);
             list->cmdBookmark_Click(BookmarkList::RemoveOffset);
         }},
        {"Remove Offset of the last row",
         [this] {
             grid->list_1_ItemClick(doc->model().count());
             list->cmdBookmark_Click(BookmarkList::RemoveOffset);
         }},
        {"a typed offset", [this] { typeInto(*grid, kOffset, 1, "1c"); }},
        {"a typed description", [this] { typeInto(*grid, kDescription, 2, "Renamed"); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        open4();
        const QByteArray module = TestHome::readAll(home.module4());
        c.change();
        grid->editor().focusOut();
        EXPECT_GE(doc->model().firstModifiedRow(), 0);

        prompter.answers.push_back(Prompter::Answer::Cancel);
        EXPECT_FALSE(doc->exitCheck());
        EXPECT_EQ(prompter.count("ask"), 1);
        if (prompter.count("ask") != 1) {
            prompter.answers.clear();
            continue;
        }
        EXPECT_EQ(prompter.calls.back().text, kQuestion);

        // Yes saves the list: it is then what the bookmark file gives back, and nothing is asked any more.
        prompter.answers.push_back(Prompter::Answer::Yes);
        EXPECT_TRUE(doc->exitCheck());
        EXPECT_EQ(doc->model().firstModifiedRow(), -1);
        EXPECT_EQ(TestHome::readAll(home.module4()), module) << "no value was edited";
        const std::vector<BookmarkRow> saved = doc->model().rows();
        doc->ReloadBookmark();
        ASSERT_EQ(doc->model().count(), int(saved.size()));
        for (size_t i = 0; i < saved.size(); ++i)
            EXPECT_EQ(doc->model().rows()[i].cells, saved[i].cells) << "row " << i + 1;
        EXPECT_TRUE(doc->exitCheck());
        EXPECT_EQ(prompter.count("ask"), 2);
    }
}

TEST_F(ListDropTest, SaveBookmarkAndSortingKeepOnlyTheValuesUnsaved)
{
    open4();
    typeInto(*grid, kDescription, 2, "Renamed");
    grid->editor().focusOut();
    list->cmdBookmark_Click(BookmarkList::SaveBookmark);
    EXPECT_EQ(doc->model().firstModifiedRow(), -1) << "the bookmark file holds the list";
    list->cmdBookmark_Click(BookmarkList::AddOffset);
    list->sortByColumn(0);
    EXPECT_EQ(doc->model().firstModifiedRow(), -1) << "the sort wrote the list";

    // A value reaches only the module: the bookmark file holding it is no save.
    typeInto(*grid, kValue, 1, "9");
    grid->editor().focusOut();
    list->cmdBookmark_Click(BookmarkList::SaveBookmark);
    EXPECT_EQ(doc->model().firstModifiedRow(), 0);
}

TEST_F(ListDropTest, TextStillInTheEditorCountsAsAnEdit)
{
    open4();
    // Escape let go of the edit; what is typed afterwards sits in the editor only.
    typeInto(*grid, kValue, 1, "3");
    grid->editor().cancelEdit();
    ASSERT_EQ(value(1), "1.5");
    grid->editor().keyTyped('4');
    grid->editor().textChanged("4");
    ASSERT_EQ(value(1), "1.5");
    prompter.answers.push_back(Prompter::Answer::Cancel);
    prompter.files.push_back(home.module5());
    doc->openFromMenu();
    EXPECT_EQ(prompter.count("ask"), 1);
    EXPECT_EQ(value(1), "4");

    // Text that its cell would refuse does not get in that way either.
    restart();
    open4();
    typeInto(*grid, kValue, 1, "5");
    grid->editor().cancelEdit();
    grid->editor().textChanged("5x");
    list->cmdBookmark_Click(BookmarkList::RefreshBookmark);
    EXPECT_EQ(prompter.count("ask"), 0);
    EXPECT_EQ(value(1), "1.5");
}

TEST_F(ListDropTest, EveryReloadClearsTheSelectionAndTheEditor)
{
    open4();
    const int rows = doc->model().count();
    grid->list_1_ItemClick(3);
    doc->versionEnter("4.05");
    EXPECT_EQ(grid->selectedRow, 0);
    list->cmdBookmark_Click(BookmarkList::RemoveOffset);
    EXPECT_EQ(doc->model().count(), rows) << "Remove Offset after a version reload removes nothing";

    grid->list_1_ItemClick(3);
    doc->ReloadBookmark();
    list->cmdBookmark_Click(BookmarkList::RemoveOffset);
    EXPECT_EQ(doc->model().count(), rows);

    // An editor held over a row of the old list edits nothing of the new one.
    typeInto(*grid, kDescription, 4, "x");
    doc->versionClick("4.05");
    EXPECT_FALSE(grid->editor().visible);
    grid->editor().textChanged("xy");
    EXPECT_NE(doc->model().cell(3, BookmarkRow::Description), "xy");
}

TEST_F(ListDropTest, AStringWithTrailingBlanksLooksSaved)
{
    QByteArray module = TestHome::readAll(home.module4());
    module.replace(DemoFixture::kDataOffset + 0x40, 16, QByteArray("Net  \0\0\0\0\0\0\0\0\0\0\0", 16));
    TestHome::writeAll(home.module4(), module);
    open4();
    EXPECT_EQ(value(5), "Net  ");
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    list->sortByColumn(0);
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    doc->ReloadBookmark();
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    ASSERT_TRUE(doc->save());
    EXPECT_EQ(TestHome::readAll(home.module4()), module);
}

TEST(Locale, ValuesAreShownAndReadWithThePointInEveryLocale)
{
    QTemporaryDir locales;
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"), {"-i", "de_DE", "-f", "UTF-8", locales.filePath("de_DE.UTF-8")});
    const bool made = localedef.waitForFinished(60000) && localedef.exitStatus() == QProcess::NormalExit &&
                      localedef.exitCode() == 0;
    if (!made)
        GTEST_SKIP() << "SKIPPED: the de_DE.UTF-8 locale could not be made (localedef of the locales package): "
                     << localedef.errorString().toStdString() << localedef.readAllStandardError().toStdString();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LOCPATH", locales.path());
    env.insert("LC_ALL", "de_DE.UTF-8");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral(LOCALE_CHILD_PATH), QStringList());
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    EXPECT_FALSE(output.contains("SKIPPED")) << output.toStdString();
}

} // namespace

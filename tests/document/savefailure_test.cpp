#include "document/modulesaver.h"
#include "documenttest.h"
#include "tests/support/forkedchild.h"

#include <QDir>
#include <QFileInfo>
#include <functional>

namespace {

constexpr int kFloatRow = 0;
constexpr int kHeldRow = 8;

// Runs `body` in a forked child (as user 65534, or with a file size limit):
// what the child meets does not reach the tests. 0 when the body held.
int inChild(const std::function<bool()> &body, bool asNobody = false, long long sizeLimit = -1)
{
    ForkedChild child;
    child.asNobody = asNobody;
    child.fileSizeLimit = sizeLimit;
    const ForkedChild::Result result = child.run([&] { return QByteArray(body() ? "held" : "failed"); });
    return result.exitedNormally && result.output == "held" ? 0 : 1;
}

class SaveFailureTest : public DocumentTest
{
protected:
    void open(const QString &module)
    {
        doc->openFromCommandLine(module);
        ASSERT_TRUE(doc->moduleOpen());
        prompter.calls.clear();
    }
    // A scramble tool that descrambles as the real one does, but fails at "-s".
    void breakScrambleBack(const QByteArray &behaviour)
    {
        const QString tool = home.file("scramble");
        if (!QFileInfo::exists(home.file("real-scramble")))
            QFile::rename(tool, home.file("real-scramble"));
        TestHome::writeAll(tool, "#!/bin/sh\nif [ \"$1\" = -d ]; then exec \"" + home.file("real-scramble").toUtf8() +
                                     "\" \"$@\"; fi\n" + behaviour + "\n");
        QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
    }
    // Save refused with a message containing `cause`: the module is as it
    // was and the exit check still asks about the edit.
    void expectRefused(const QString &module, const QByteArray &before, const QString &cause)
    {
        EXPECT_FALSE(doc->save());
        ASSERT_EQ(prompter.count("inform"), 1);
        EXPECT_TRUE(prompter.calls.back().text.contains(cause)) << qPrintable(prompter.calls.back().text);
        EXPECT_EQ(prompter.calls.back().title, "Error");
        EXPECT_TRUE(TestHome::readAll(module) == before) << "the module is as it was";
        EXPECT_GE(doc->firstModifiedRow(), 0) << "the edit is still unsaved";
    }
};

} // namespace

TEST_F(SaveFailureTest, AFailingScrambleToolLeavesTheModuleAndTheEditsUnsaved)
{
    const struct
    {
        const char *behaviour;
        const char *cause;
    } cases[] = {
        {"echo 'cannot scramble' >&2; exit 1", "exited with status 1: cannot scramble"},
        {"exit 0", "wrote no module"},
        {": > \"$3\"; exit 0", "wrote an empty module"},
        // Not scrambled: what the next open would descramble is checked before the module is replaced.
        {"cp \"$2\" \"$3\"", "could not descramble the module it made"},
        {"kill -9 $$", "crashed"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.behaviour);
        breakScrambleBack(c.behaviour);
        restart();
        open(home.module5());
        const QByteArray before = TestHome::readAll(home.module5());
        doc->model().setCell(kFloatRow, BookmarkRow::Value, "7.5");
        doc->model().setCell(kHeldRow, BookmarkRow::Value, "8.5");
        expectRefused(home.module5(), before, c.cause);

        // Exit answered Yes: the save fails, so the window stays and keeps its working copy.
        prompter.answers.push_back(Prompter::Answer::Yes);
        EXPECT_FALSE(doc->exitCheck());
        EXPECT_TRUE(QFileInfo::exists(home.file("demo/vshmain.bin")));
        EXPECT_TRUE(QDir(home.file("demo")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                        .filter(".vantor-stage")
                        .isEmpty())
            << "no staging folder is left";
        doc->closeModule();
    }
}

TEST_F(SaveFailureTest, FilesDeletedWhileOpenAreReported)
{
    open(home.module5());
    QFile::remove(home.file("demo/vshmain.bin"));
    doc->model().setCell(kFloatRow, BookmarkRow::Value, "7.5");
    expectRefused(home.module5(), TestHome::readAll(home.module5()), "was deleted while it was open");

    restart();
    open(home.module4());
    QFile::remove(home.module4());
    doc->model().setCell(kFloatRow, BookmarkRow::Value, "7.5");
    expectRefused(home.module4(), QByteArray(), "no longer exists");
    EXPECT_FALSE(QFileInfo::exists(home.module4())) << "no module is made up";
}

TEST_F(SaveFailureTest, AReadOnlyModuleIsNotReplaced)
{
    open(home.module4());
    doc->model().setCell(kFloatRow, BookmarkRow::Value, "7.5");
    const QByteArray before = TestHome::readAll(home.module4());
    // Another user may write in the folder (so a rename would succeed) but not the module.
    for (QString dir = QFileInfo(home.module4()).absolutePath(); dir.startsWith(home.path()); dir = QFileInfo(dir).absolutePath())
        QFile::setPermissions(dir, QFile::Permissions(0x7777));
    QFile::setPermissions(home.path(), QFile::Permissions(0x7755));
    QFile::setPermissions(home.module4(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const int status = inChild(
        [&] {
            const bool saved = doc->save();
            return !saved && prompter.calls.back().text.contains("is read-only") && doc->model().firstModifiedRow() == 0;
        },
        true);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TestHome::readAll(home.module4()) == before);
    EXPECT_EQ(QFileInfo(home.module4()).permissions() & QFile::WriteOwner, 0);
}

TEST_F(SaveFailureTest, AFullDiskLeavesTheModuleAsItWas)
{
    open(home.module4());
    doc->model().setCell(kFloatRow, BookmarkRow::Value, "7.5");
    const QByteArray before = TestHome::readAll(home.module4());
    const int status = inChild(
        [&] {
            const bool saved = doc->save();
            return !saved && prompter.calls.back().text.contains(home.path()) && doc->model().firstModifiedRow() == 0;
        },
        false, 4096);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TestHome::readAll(home.module4()) == before);
}

TEST_F(SaveFailureTest, OpeningWritesNoFileAndInventsNoRows)
{
    IniFile(home.bookmarks()).write("4.05", "offset", "2147483648");
    const QByteArray vt = TestHome::readAll(home.bookmarks());
    const QByteArray config = TestHome::readAll(home.config());
    restart();
    open(home.module4());
    EXPECT_LT(doc->model().count(), 100) << "rows only for the entries the section holds";
    EXPECT_TRUE(TestHome::readAll(home.bookmarks()) == vt);
    EXPECT_TRUE(TestHome::readAll(home.config()) == config);
}

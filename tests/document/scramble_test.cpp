#include "document/toolrunner.h"
#include "documenttest.h"
#include "grid/celleditor.h"
#include "processhelpers.h"
#include "tools/mkdemo/demofixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

namespace {

int runTool(const QString &folder, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(SCRAMBLE_PATH), args);
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(ScrambleTool, DescrambleThenScrambleGivesBackTheModule)
{
    QTemporaryDir dir;
    const QByteArray stored = DemoFixture::storedModule("5.00");
    const QByteArray plain = DemoFixture::plainModule("5.00");
    TestHome::writeAll(dir.filePath("vshmain.prx"), stored);
    ASSERT_EQ(runTool(dir.path(), {"-d", "vshmain.prx", "vshmain.bin"}), 0);
    const QByteArray copy = TestHome::readAll(dir.filePath("vshmain.bin"));
    EXPECT_EQ(copy, plain);
    EXPECT_NE(stored.mid(0x100, 0x100), plain.mid(0x100, 0x100)) << "the code segment is scrambled";
    EXPECT_EQ(stored.mid(DemoFixture::kDataOffset), plain.mid(DemoFixture::kDataOffset))
        << "everything outside the code segment is the same";

    ASSERT_EQ(runTool(dir.path(), {"-s", "vshmain.bin", "again.prx"}), 0);
    EXPECT_EQ(TestHome::readAll(dir.filePath("again.prx")), stored);
}

TEST(ScrambleTool, RefusesTheWrongInputAndWritesNothing)
{
    QTemporaryDir dir;
    TestHome::writeAll(dir.filePath("plain.prx"), DemoFixture::plainModule("5.00"));
    TestHome::writeAll(dir.filePath("stored.prx"), DemoFixture::storedModule("5.00"));
    TestHome::writeAll(dir.filePath("text.prx"), "not a module at all");
    const struct { QStringList args; } cases[] = {
        {{"-d", "plain.prx", "out"}}, {{"-s", "stored.prx", "out"}}, {{"-d", "text.prx", "out"}},
        {{"-d", "missing.prx", "out"}}, {{"-x", "plain.prx", "out"}},
    };
    for (const auto &c : cases) {
        EXPECT_NE(runTool(dir.path(), c.args), 0) << c.args.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("out")));
    }
}

using ScrambleRunTest = DocumentTest;

// Replaces the home's scramble tool by a shell script.
#define FAKE_TOOL(body) ASSERT_TRUE(ProcessHelpers::writeScript(home.file("scramble"), body))

TEST_F(ScrambleRunTest, AFailedDescrambleSaysWhyAndLeavesNoWorkingCopy)
{
    const QString tool = home.file("scramble");
    const QString failed = "The scramble tool " + tool + " failed on vshmain.prx: ";
    const struct { QByteArray script; QString message; } cases[] = {
        {"echo 'bad key' >&2; exit 1", failed + "exited with status 1: bad key"},
        {"exit 0", failed + "it left no working copy vshmain.bin"},
        {": > \"$3\"", failed + "it wrote an empty working copy vshmain.bin"},
        {"cp \"$2\" \"$3\"; kill -9 $$", failed + "crashed"},
        {"exit 3", failed + "exited with status 3"},
    };
    const QByteArray stored = TestHome::readAll(home.module5());
    for (const auto &c : cases) {
        FAKE_TOOL(c.script);
        prompter.calls.clear();
        doc->openFromCommandLine(home.module5());
        ASSERT_EQ(prompter.count("inform"), 1) << c.script.constData();
        EXPECT_EQ(prompter.messages().first(), c.message);
        EXPECT_EQ(prompter.calls.back().title, "Error");
        EXPECT_EQ(prompter.calls.back().icon, Prompter::Icon::Critical);
        EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin"))) << c.script.constData();
        EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Working));
        EXPECT_EQ(TestHome::readAll(home.module5()), stored);
        doc->closeModule();
    }
}

// The stand-in tool behind a script that changes the size of what it writes:
// `dropped` bytes fewer at "-d", `added` zero bytes more at "-s".
#define SIZED_TOOL(dropped, added)                                                                                   \
    do {                                                                                                             \
        ASSERT_TRUE(QFile::rename(home.file("scramble"), home.file("real-scramble")));                              \
        FAKE_TOOL("set -e\nreal='" + home.file("real-scramble").toLocal8Bit() +                                      \
                  "'\nif [ \"$1\" = -d ]; then \"$real\" -d \"$2\" \"$3.full\"; head -c -" #dropped               \
                  " \"$3.full\" > \"$3\"; rm \"$3.full\"; exit 0; fi\n"                                               \
                  "cp \"$2\" \"$2.in\"; head -c " #dropped " /dev/zero >> \"$2.in\"; \"$real\" -s \"$2.in\" \"$3\"; " \
                  "rm \"$2.in\"; head -c " #added " /dev/zero >> \"$3\"");                                            \
    } while (false)

TEST_F(ScrambleRunTest, ADescrambledModuleOfAnotherSizeIsAWorkingCopy)
{
    SIZED_TOOL(64, 0);
    const qint64 size = DemoFixture::moduleSize("5.00");
    doc->openFromCommandLine(home.module5());
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
    ASSERT_TRUE(doc->files().isOpen(ModuleFiles::Working));
    EXPECT_EQ(QFileInfo(home.file("demo/vshmain.bin")).size(), size - 64);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "1.5");

    doc->model().setCell(0, BookmarkRow::Value, "2.5");
    ASSERT_TRUE(doc->save());
    EXPECT_TRUE(prompter.messages().isEmpty()) << "the module keeps its size";
    EXPECT_EQ(QFileInfo(home.module5()).size(), size);
    EXPECT_EQ(QFileInfo(home.file("demo/vshmain.bin")).size(), size - 64);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "2.5");
}

TEST_F(ScrambleRunTest, OffsetsOfFile1ReachTheEndOfAWorkingCopyLargerThanTheModule)
{
    ASSERT_TRUE(QFile::rename(home.file("scramble"), home.file("real-scramble")));
    FAKE_TOOL("set -e\nreal='" + home.file("real-scramble").toLocal8Bit() +
              "'\nif [ \"$1\" = -d ]; then \"$real\" -d \"$2\" \"$3\"; head -c 4096 /dev/zero >> \"$3\"; exit 0; fi\n"
              "head -c -4096 \"$2\" > \"$2.in\"; \"$real\" -s \"$2.in\" \"$3\"");
    const qint64 size = DemoFixture::moduleSize("5.00");
    doc->openFromCommandLine(home.module5());
    ASSERT_EQ(doc->files().size(ModuleFiles::Working), size + 4096);
    CellEditor &editor = grid->editor();
    const QString beyondTheModule = QString::number(size + 0x100, 16).toUpper();
    grid->place(6600, 210 + 100, GridGeometry::layout(true)); // the Offset cell of row 1, in file 1
    editor.focusIn();
    editor.text.clear();
    for (const QChar c : beyondTheModule) {
        editor.keyTyped(c.unicode());
        editor.textChanged(editor.text + c);
    }
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Offset), beyondTheModule);
    EXPECT_EQ(doc->model().cell(0, BookmarkRow::Value), "0");
    EXPECT_EQ(prompter.count("beep"), 0);
}

TEST_F(ScrambleRunTest, AScrambledModuleOfAnotherSizeIsSavedAndSaidSo)
{
    SIZED_TOOL(0, 16);
    const qint64 size = DemoFixture::moduleSize("5.00");
    doc->openFromCommandLine(home.module5());
    ASSERT_TRUE(doc->files().isOpen(ModuleFiles::Working));
    doc->model().setCell(0, BookmarkRow::Value, "2.5");
    prompter.calls.clear();
    ASSERT_TRUE(doc->save());
    EXPECT_EQ(QFileInfo(home.module5()).size(), size + 16);
    EXPECT_EQ(prompter.messages(),
              QStringList{QStringLiteral("The scramble tool made vshmain.prx %1 bytes long; version 5.00 is found by a "
                                         "size of %2 bytes (PRXSize in %3). The next open will not find its version "
                                         "by size: choose 5.00 by hand, or set its PRXSize to %1.")
                              .arg(size + 16)
                              .arg(size)
                              .arg(home.bookmarks())});
    EXPECT_EQ(prompter.calls.back().title, "VantorEditor");

    prompter.calls.clear();
    doc->model().setCell(0, BookmarkRow::Value, "3.5");
    ASSERT_TRUE(doc->save());
    EXPECT_TRUE(prompter.messages().isEmpty()) << "said once: the size no longer found the version";
}

TEST_F(ScrambleRunTest, AWorkingCopyThatIsNoModuleMeansTheWrongVersion)
{
    // Runs fine and keeps the size, but what it leaves has no ELF signature.
    FAKE_TOOL("tr 'E' 'X' < \"$2\" > \"$3\"");
    doc->openFromCommandLine(home.module5());
    EXPECT_EQ(prompter.messages(), QStringList{"PRX Version doesn't match! \r\nPlease select the correct version."});
    EXPECT_EQ(prompter.calls.back().title, "VantorEditor");
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));
}

TEST_F(ScrambleRunTest, AMissingOrNotExecutableToolIsNamed)
{
    const QString tool = home.file("scramble");
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner);
    doc->openFromCommandLine(home.module5());
    EXPECT_EQ(prompter.messages(),
              QStringList{"The scramble tool " + tool + " is not executable: vshmain.prx can not be descrambled."});
    EXPECT_EQ(prompter.calls.back().title, "Error");

    home.removeScrambleTool();
    prompter.calls.clear();
    doc->versionClick("5.00");
    EXPECT_EQ(prompter.messages(),
              QStringList{"The scramble tool " + tool + " is missing: vshmain.prx can not be descrambled."});
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));
    EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Working));
}

TEST_F(ScrambleRunTest, CancellingAToolThatNeverEndsStopsItAndLeavesTheModule)
{
    const QString pidFile = home.file("tool.pid");
    FAKE_TOOL("echo $$ > '" + pidFile.toLocal8Bit() + "'; exec sleep 5");
    const QByteArray stored = TestHome::readAll(home.module5());
    prompter.cancelAfterMs.push_back(300);
    QElapsedTimer clock;
    clock.start();
    doc->openFromCommandLine(home.module5());
    EXPECT_LT(clock.elapsed(), 3000);
    ASSERT_EQ(prompter.count("wait"), 1);
    EXPECT_EQ(prompter.calls[0].kind, "wait");
    EXPECT_EQ(prompter.calls[0].text, "Descrambling vshmain.prx...");
    EXPECT_EQ(prompter.messages(), QStringList{"Descrambling vshmain.prx was cancelled: the module is left as it was."});
    EXPECT_EQ(prompter.calls.back().title, "VantorEditor");
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));
    EXPECT_EQ(TestHome::readAll(home.module5()), stored);
    const qint64 pid = TestHome::readAll(pidFile).trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(ProcessHelpers::processEnds(pid, 2000)) << "the tool is stopped";
}

TEST(ToolRunner, EndingTheEditorEndsTheTool)
{
    QTemporaryDir dir;
    const QString tool = dir.filePath("tool");
    const QString pidFile = dir.filePath("tool.pid");
    ASSERT_TRUE(ProcessHelpers::writeScript(tool, "echo $$ > '" + pidFile.toLocal8Bit() + "'; exec sleep 30"));
    QProcess editor;
    editor.start(QStringLiteral(TOOL_WAIT_CHILD_PATH), {tool});
    ASSERT_TRUE(editor.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    while (TestHome::readAll(pidFile).trimmed().isEmpty() && clock.elapsed() < 20000)
        QThread::msleep(20);
    const qint64 pid = TestHome::readAll(pidFile).trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    ::kill(pid_t(editor.processId()), SIGKILL);
    editor.waitForFinished();
    const bool ended = ProcessHelpers::processEnds(pid, 3000);
    if (!ended)
        ::kill(pid_t(pid), SIGKILL);
    EXPECT_TRUE(ended) << "a killed editor leaves no tool running";
}

TEST(ToolRunner, ReportsHowTheToolEnded)
{
    QTemporaryDir dir;
    const QString tool = dir.filePath("tool");
    FakePrompter prompter;
    ASSERT_TRUE(ProcessHelpers::writeScript(tool, "pwd; echo \"$1 $2\" >&2; exit 0"));
    ToolRun run = ToolRunner::run(prompter, tool, {"-d", "a b"}, dir.path(), "Busy");
    EXPECT_TRUE(run.succeeded());
    EXPECT_EQ(run.errorOutput, "-d a b") << "arguments arrive unchanged, standard output is dropped";
    EXPECT_EQ(prompter.calls.back().kind, "wait");
    EXPECT_EQ(prompter.calls.back().text, "Busy");

    run = ToolRunner::run(prompter, dir.filePath("missing"), {}, dir.path(), "Busy");
    EXPECT_EQ(run.outcome, ToolRun::Outcome::NotStarted);
    EXPECT_FALSE(run.succeeded());
}

} // namespace

#include "common/inifile.h"
#include "tests/document/documenttest.h"
#include "tests/document/processhelpers.h"
#include "tests/support/forkedchild.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <gtest/gtest.h>

// What another program, or an attacker, does to the files while `vantor` works.
namespace {

struct Outcome
{
    int exitCode = -1;
    bool finished = false;
    bool crashed = false;
    qint64 milliseconds = 0;
    QString out;
    QString err;
};

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

bool isFifo(const QString &path)
{
    struct stat st{};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

class FileSafety : public ::testing::Test
{
protected:
    void SetUp() override { home.answerAssociation(); }

    QProcess *start(const QStringList &arguments, long long fileSizeLimit = -1)
    {
        auto *process = new QProcess;
        processes.emplace_back(process);
        process->setChildProcessModifier([fileSizeLimit] {
            // The program must ignore SIGXFSZ itself: the child gets the default.
            ::signal(SIGXFSZ, SIG_DFL);
            if (fileSizeLimit >= 0) {
                rlimit limit{};
                getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = rlim_t(fileSizeLimit);
                setrlimit(RLIMIT_FSIZE, &limit);
            }
        });
        process->start(QStringLiteral(VANTOR_PATH), QStringList{"--home", home.path()} + arguments);
        return process;
    }
    static Outcome finish(QProcess &process, int timeoutMs = 60000)
    {
        Outcome result;
        QElapsedTimer clock;
        clock.start();
        result.finished = process.waitForFinished(timeoutMs);
        result.milliseconds = clock.elapsed();
        if (!result.finished) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.crashed = process.exitStatus() != QProcess::NormalExit;
        result.exitCode = result.crashed ? -1 : process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    Outcome vantor(const QStringList &arguments, long long fileSizeLimit = -1, int timeoutMs = 60000)
    {
        return finish(*start(arguments, fileSizeLimit), timeoutMs);
    }
    // The scramble tool of the home, slowed down by `seconds` before each run.
    void slowScrambleTool(const char *seconds)
    {
        ASSERT_TRUE(ProcessHelpers::writeScript(home.file("scramble"), QByteArray("sleep ") + seconds +
                                                                             "\nexec '" SCRAMBLE_PATH "' \"$@\""));
    }
    QString value(const QString &module, const QString &offset)
    {
        return vantor({"get", module, offset, "Integer"}).out.trimmed();
    }

    TestHome home;
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(FileSafety, OutputsThatAreNoRegularFileAreRefusedAndKept)
{
    const QString fifo = home.file("out.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A device of the test's own, like /dev/full: a fault here must not replace the system's.
    const QString device = home.file("full");
    ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const QString packed = home.file("packed.prx");
    ASSERT_EQ(vantor({"pack", home.module4(), "--version", "4.05", "-o", packed}).exitCode, 0);
    const QList<QStringList> commands = {
        {"unpack", packed, "-o", fifo},
        {"pack", home.module4(), "--version", "4.05", "-o", fifo},
        {"colors", home.module4(), "--export", fifo},
        {"unpack", packed, "-o", device},
        {"colors", home.module4(), "--export", home.file("demo")},
    };
    for (const QStringList &command : commands) {
        SCOPED_TRACE(command.join(' ').toStdString());
        const Outcome r = vantor(command, -1, 10000);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(command.last())) << r.err.toStdString();
    }
    EXPECT_TRUE(isFifo(fifo));
    struct stat st{};
    ASSERT_EQ(::lstat(QFile::encodeName(device).constData(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(FileSafety, AFifoAsModuleOrConfigIsRefusedAtOnce)
{
    const QString fifo = home.file("demo/pipe.prx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QList<QStringList> commands = {
        {"info", fifo},
        {"list", fifo},
        {"search", fifo, "--int", "1"},
        {"get", fifo, "10", "Integer"},
        {"set", fifo, "3=1"},
        {"colors", fifo, "--export", home.file("out.json")},
        {"pack", fifo, "--version", "4.05", "-o", home.file("out.prx")},
        {"unpack", fifo, "-o", home.file("out.prx")},
    };
    for (const QStringList &command : commands) {
        SCOPED_TRACE(command.first().toStdString());
        const Outcome r = vantor(command, -1, 5000);
        ASSERT_TRUE(r.finished) << "hangs";
        EXPECT_LT(r.milliseconds, 1000);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.toStdString();
    }
    const Outcome zero = vantor({"search", "/dev/zero", "--int", "1"}, -1, 5000);
    ASSERT_TRUE(zero.finished) << "search of /dev/zero never ends";
    EXPECT_EQ(zero.exitCode, 1);

    ASSERT_TRUE(QFile::remove(home.config()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(home.config()).constData(), 0600), 0);
    const Outcome info = vantor({"info", home.module4()}, -1, 5000);
    ASSERT_TRUE(info.finished) << "a FIFO as Config.ini hangs";
    EXPECT_LT(info.milliseconds, 1000);
    EXPECT_TRUE(info.err.contains(home.config())) << info.err.toStdString();
    EXPECT_TRUE(isFifo(home.config()));
}

TEST_F(FileSafety, AModuleWithAVeryLongNameIsSavedWithItsBookmarks)
{
    const QString name = QString(240, QLatin1Char('v'));
    const QString module = home.file("demo/4.05/" + name + ".prx");
    ASSERT_TRUE(QFile::copy(home.module4(), module));
    ASSERT_TRUE(QFile::copy(home.bookmarks(), home.file("bookmarks/" + name + ".vt")));
    const Outcome r = vantor({"set", module, "3=1234"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString offset = IniFile(home.file("bookmarks/" + name + ".vt")).read("4.05", "entry.3.offset");
    EXPECT_EQ(value(module, offset), "1234");
}

TEST_F(FileSafety, TwoSetsAtOnceKeepBothEdits)
{
    slowScrambleTool("0.02");
    IniFile vt(home.bookmarks());
    // Two Integer rows of the firmware-5 section, one for each run.
    QStringList rows, offsets;
    const int count = vt.read("5.00", "offset").toInt();
    for (int n = 1; n <= count && rows.size() < 2; ++n) {
        if (vt.read("5.00", QStringLiteral("entry.%1.type").arg(n)) == QLatin1String("Integer") &&
            vt.read("5.00", QStringLiteral("entry.%1.file").arg(n)) != QLatin1String("2")) {
            rows << QString::number(n);
            offsets << vt.read("5.00", QStringLiteral("entry.%1.offset").arg(n));
        }
    }
    ASSERT_EQ(rows.size(), 2);
    // Without the lock nearly every round loses one of the two edits.
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        const QString a = QString::number(round), b = QString::number(1000 + round);
        QProcess *first = start({"set", home.module5(), rows[0] + "=" + a});
        QProcess *second = start({"set", home.module5(), rows[1] + "=" + b});
        const Outcome x = finish(*first), y = finish(*second);
        ASSERT_TRUE(x.finished && y.finished);
        ASSERT_EQ(x.exitCode, 0) << x.err.toStdString();
        ASSERT_EQ(y.exitCode, 0) << y.err.toStdString();
        ASSERT_EQ(value(home.module5(), offsets[0]), a);
        ASSERT_EQ(value(home.module5(), offsets[1]), b);
        processes.clear();
    }
}

TEST_F(FileSafety, ASecondSetWaitsABoundedTimeThenNamesTheModule)
{
    slowScrambleTool("3");
    QProcess *first = start({"set", home.module5(), "3=77"});
    QThread::msleep(500);
    qputenv("VANTOR_LOCK_WAIT", "0.5");
    const Outcome second = vantor({"set", home.module5(), "4=88"});
    qunsetenv("VANTOR_LOCK_WAIT");
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains(home.module5()) && second.err.contains("in use")) << second.err.toStdString();
    EXPECT_EQ(finish(*first).exitCode, 0);
}

TEST_F(FileSafety, ATerminatedSetLeavesNoWorkingCopyAndALaterRunSweepsAKilledOnes)
{
    slowScrambleTool("5");
    const QString folder = QFileInfo(home.module5()).absolutePath();
    const QStringList before = folderEntries(folder);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        QProcess *process = start({"set", home.module5(), "3=5"});
        QThread::msleep(700);
        ::kill(pid_t(process->processId()), signal);
        const Outcome r = finish(*process, 4000);
        ASSERT_TRUE(r.finished) << "the tool was not stopped";
        EXPECT_EQ(folderEntries(folder), before);
    }
    // A run killed while it saves leaves its working copy and stage; the next run removes them.
    ASSERT_TRUE(ProcessHelpers::writeScript(home.file("scramble"),
                                            "[ \"$1\" = -s ] && sleep 5\nexec '" SCRAMBLE_PATH "' \"$@\""));
    QProcess *killed = start({"set", home.module5(), "3=6"});
    for (int i = 0; i < 500 && folderEntries(folder).filter(".vantor-stage-").isEmpty(); ++i)
        QThread::msleep(10);
    ::kill(pid_t(killed->processId()), SIGKILL);
    finish(*killed);
    ASSERT_TRUE(QFileInfo::exists(folder + "/vshmain.bin"));
    // A person's own file of a working copy's name is never touched.
    ASSERT_TRUE(TestHome::writeAll(folder + "/vshmain.work.bin", "mine"));
    slowScrambleTool("0");
    EXPECT_EQ(vantor({"set", home.module5(), "3=7"}).exitCode, 0);
    QStringList expected = before;
    expected << "vshmain.work.bin";
    expected.sort();
    EXPECT_EQ(folderEntries(folder), expected);
}

TEST_F(FileSafety, AFileSizeLimitFailsTheWriteWithAMessage)
{
    const QByteArray module = TestHome::readAll(home.module4());
    const Outcome r = vantor({"set", home.module4(), "3=4321"}, 4096);
    EXPECT_FALSE(r.crashed) << "killed by SIGXFSZ";
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
    EXPECT_TRUE(TestHome::readAll(home.module4()) == module);
}

class EditorAndScript : public DocumentTest
{
protected:
    int vantorSet(const QString &assignment)
    {
        QProcess process;
        process.start(QStringLiteral(VANTOR_PATH), {"--home", home.path(), "set", home.module5(), assignment});
        return process.waitForFinished(60000) ? process.exitCode() : -1;
    }
};

TEST_F(EditorAndScript, SaveAfterAnotherProgramsChangeAsksAndCancelChangesNothing)
{
    doc->openFromCommandLine(home.module5());
    ASSERT_EQ(doc->model().cell(2, BookmarkRow::Type), "Integer");
    const QString before = doc->model().cell(2, BookmarkRow::Value);
    ASSERT_EQ(vantorSet("3=4242"), 0);
    const QByteArray module = TestHome::readAll(home.module5());
    const QByteArray vt = TestHome::readAll(home.bookmarks());

    prompter.calls.clear();
    prompter.answers = {Prompter::Answer::Cancel};
    EXPECT_FALSE(doc->save());
    ASSERT_EQ(prompter.count("ask"), 1);
    EXPECT_TRUE(prompter.calls[0].text.startsWith("vshmain.prx and vshmain.vt were changed by another program"))
        << prompter.calls[0].text.toStdString();
    EXPECT_TRUE(TestHome::readAll(home.module5()) == module);
    EXPECT_TRUE(TestHome::readAll(home.bookmarks()) == vt);
    EXPECT_EQ(doc->model().cell(2, BookmarkRow::Value), before);

    // Asked again when the window comes back; Yes reloads what the script wrote.
    prompter.answers = {Prompter::Answer::Yes};
    EXPECT_FALSE(doc->confirmDiskVersion(false));
    EXPECT_EQ(doc->model().cell(2, BookmarkRow::Value), "4242");
    EXPECT_TRUE(doc->confirmDiskVersion(true)) << "nothing changed since the reload";
    EXPECT_TRUE(TestHome::readAll(home.module5()) == module);
}

TEST_F(EditorAndScript, ScriptsNeverWriteOverAChangeMadeMeanwhile)
{
    doc->openFromCommandLine(home.module5());
    doc->model().setCell(3, BookmarkRow::Value, QStringLiteral("17"));
    ASSERT_TRUE(doc->save());
    ASSERT_EQ(vantorSet("3=99"), 0);
    // The editor is told, and No saves over the script's change after all.
    prompter.answers = {Prompter::Answer::No};
    doc->model().setCell(3, BookmarkRow::Value, QStringLiteral("18"));
    EXPECT_TRUE(doc->save());
    EXPECT_EQ(prompter.count("ask"), 1);
}

TEST_F(EditorAndScript, AModuleSavedWithoutItsListSaysSo)
{
    // A bookmark file larger than the module: a file-size limit between the two stops only the list.
    ASSERT_TRUE(TestHome::writeAll(home.bookmarks(), TestHome::readAll(home.bookmarks()) + QByteArray(300000, ';') + "\r\n"));
    doc->openFromCommandLine(home.module4());
    doc->model().setCell(2, BookmarkRow::Value, QStringLiteral("55"));
    ForkedChild child;
    child.fileSizeLimit = 200000;
    const auto run = child.run([&] {
        const bool saved = doc->save();
        return (saved ? QByteArray("saved|") : QByteArray("not saved|")) + prompter.messages().value(0).toUtf8();
    });
    ASSERT_TRUE(run.exitedNormally);
    EXPECT_TRUE(run.output.startsWith("not saved|vshmain.prx was saved, but its bookmark list was not: Can not write"))
        << run.output.toStdString();
}

} // namespace

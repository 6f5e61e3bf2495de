#include "common/inifile.h"
#include "fuzz/filecheck.h"
#include "fuzz/iniroundtrip.h"
#include "tests/support/forkedchild.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <map>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

struct IniCase
{
    const char *name;
    QByteArray before;
    std::vector<std::array<const char *, 3>> writes; // section, key, value
    QByteArray after;
};

class IniFileTest : public ::testing::Test
{
protected:
    QString path(const char *name = "t.ini") const { return dir.filePath(QLatin1String(name)); }
    QStringList folder() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir;
};

// What a child reports of a write: "ok" or the error, then the value read back.
QByteArray writeReport(IniFile &ini, const QString &key, const QString &value)
{
    ini.write("Config", key, value);
    const QString status = ini.lastError().ok() ? QStringLiteral("ok") : ini.lastError().text();
    return (status + QLatin1Char('|') + ini.read("Config", key)).toUtf8();
}

TEST_F(IniFileTest, WritesFollowProfileSemantics)
{
    const std::vector<IniCase> cases = {
        {"new file gets section and key", "", {{"Config", "Firmware", "5.00"}}, "[Config]\r\nFirmware=5.00\r\n"},
        {"existing key replaced where it stands, case-insensitive",
         "[Config]\nPRXversion=4.05\nExpertmode=1\n",
         {{"config", "prxversion", "5.00"}},
         "[Config]\nPRXversion=5.00\nExpertmode=1\n"},
        {"new key appended after the section's last line, blank separator kept",
         "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n",
         {{"A", "z", "3"}},
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"new section appended at the end", "; comment\n[A]\nx=1\n", {{"B", "k", "v"}},
         "; comment\n[A]\nx=1\n[B]\nk=v\n"},
        {"comments and unknown lines kept", "[A]\n; note\ngarbage line\nx = 1 \n", {{"A", "x", "2"}},
         "[A]\n; note\ngarbage line\nx=2\n"},
        {"file without final line break stays without", "[A]\nx=1", {{"A", "x", "9"}}, "[A]\nx=9"},
        {"several writes in order", "", {{"S", "b", "1"}, {"S", "a", "2"}, {"T", "c", ""}},
         "[S]\r\nb=1\r\na=2\r\n[T]\r\nc=\r\n"},
    };
    for (const IniCase &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        if (!c.before.isEmpty())
            TestHome::writeAll(path(), c.before);
        IniFile ini(path());
        for (const auto &w : c.writes)
            ini.write(QLatin1String(w[0]), QLatin1String(w[1]), QLatin1String(w[2]));
        EXPECT_EQ(TestHome::readAll(path()), c.after);
    }
}

TEST_F(IniFileTest, ReadsMissingAsDefaultAndTrimsBlanks)
{
    TestHome::writeAll(path(), "[Config]\r\nPRXversion =  5.00  \r\nEmpty=\r\nBookmarkPath=DEFAULT\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.read("config", "prxVERSION"), "5.00");
    EXPECT_EQ(ini.read("Config", "Empty"), "");
    EXPECT_EQ(ini.read("Config", "Absent"), "Default");
    EXPECT_EQ(ini.read("Nowhere", "PRXversion"), "Default");
    EXPECT_EQ(IniFile(path("missing.ini")).read("Config", "x"), "Default");
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAcrossTheCodePage)
{
    // Capitals of Windows-1252 beyond ASCII fold too; a name differing in anything else is another name.
    TestHome::writeAll(path(), "[\xC9T\xC9]\r\n\xC0KEY=1\r\n\x8ANAME=2\r\nkey\xD7=3\r\nKEY=4\r\nkey=5\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.read(QString::fromUtf8("été"), QString::fromUtf8("àkey")), "1");
    EXPECT_EQ(ini.read(QString::fromUtf8("ÉTÉ"), QString::fromUtf8("šname")), "2");
    EXPECT_EQ(ini.read(QString::fromUtf8("été"), QString::fromUtf8("KEY×")), "3");
    EXPECT_EQ(ini.read(QString::fromUtf8("été"), QString::fromUtf8("kEy")), "4") << "the first of two spellings wins";
    EXPECT_EQ(ini.read(QString::fromUtf8("été"), QString::fromUtf8("akey")), "Default");
    ini.write(QString::fromUtf8("ÉTÉ"), "Key", "6");
    EXPECT_EQ(TestHome::readAll(path()), "[\xC9T\xC9]\r\n\xC0KEY=1\r\n\x8ANAME=2\r\nkey\xD7=3\r\nKEY=6\r\nkey=5\r\n");
}

TEST_F(IniFileTest, RunsOfWritesReplaceTheLineThatReadsFind)
{
    // Writes in file order look near the last key first; a second spelling of a key nearby must not be taken.
    TestHome::writeAll(path(), "[S]\na=1\nb=2\nA=3\nc=4\n[T]\na=5\n");
    IniFile ini(path());
    {
        IniFile::Batch batch(ini);
        EXPECT_EQ(ini.read("S", "b"), "2");
        ini.write("S", "A", "x");
        ini.write("S", "c", "y");
        ini.write("T", "a", "z");
        ini.write("S", "b", "w");
        ini.write("S", "d", "v");
        ini.write("S", "a", "u");
    }
    EXPECT_EQ(TestHome::readAll(path()), "[S]\na=u\nb=w\nA=3\nc=y\nd=v\n[T]\na=z\n");
}

TEST_F(IniFileTest, ManyKeysStayFoundAcrossGrowthAndReread)
{
    constexpr int count = 5000;
    IniFile ini(path());
    {
        IniFile::Batch batch(ini);
        for (int i = 0; i < count; ++i)
            ini.write("S", QStringLiteral("Key%1").arg(i), QString::number(i * 7));
        for (int i = 0; i < count; i += 2)
            ini.write("S", QStringLiteral("KEY%1").arg(i), QString::number(i));
    }
    IniFile again(path());
    int wrong = 0;
    for (int i = 0; i < count; ++i) {
        const QString want = QString::number(i % 2 == 0 ? i : i * 7);
        wrong += ini.read("s", QStringLiteral("key%1").arg(i)) != want;
        wrong += again.read("s", QStringLiteral("key%1").arg(i)) != want;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(again.keys("S").size(), count);
    EXPECT_EQ(again.read("S", "Key5000"), "Default");
}

TEST_F(IniFileTest, ForEachKeyVisitsWhatReadsFind)
{
    TestHome::writeAll(path(), "[A]\n; x=comment\n X = 1 \nx=2\nplain line\ny=\n[B]\nz=3\n[a]\nw=4\n");
    IniFile ini(path());
    QStringList seen;
    ini.forEachKey("a", [&](QStringView key, QStringView value) {
        seen << key.toString() + QLatin1Char('|') + value.toString();
        EXPECT_EQ(value, ini.read("A", key.toString()));
    });
    EXPECT_EQ(seen, QStringList({"X|1", "y|"})) << "the first spelling of a key, the first section of a name";
    ini.write("A", "new", "5");
    seen.clear();
    ini.forEachKey("A", [&](QStringView key, QStringView value) { seen << key.toString() + QLatin1Char('|') + value.toString(); });
    EXPECT_EQ(seen, QStringList({"X|1", "y|", "new|5"}));
}

TEST_F(IniFileTest, SeesChangesMadeByOtherProgramsAndBatchesWrites)
{
    TestHome::writeAll(path(), "[A]\nx=1\n");
    IniFile ini(path());
    EXPECT_EQ(ini.read("A", "x"), "1");
    QThread::msleep(20);
    TestHome::writeAll(path(), "[A]\nx=22\n");
    EXPECT_EQ(ini.read("A", "x"), "22");

    {
        IniFile::Batch batch(ini);
        ini.write("A", "y", "1");
        ini.write("A", "z", "2");
        EXPECT_EQ(TestHome::readAll(path()), "[A]\nx=22\n") << "nothing reaches the disk before the batch ends";
        EXPECT_EQ(ini.read("A", "y"), "1");
    }
    EXPECT_EQ(TestHome::readAll(path()), "[A]\nx=22\ny=1\nz=2\n");
}

TEST_F(IniFileTest, FailedWriteKeepsMemoryEqualToTheDisk)
{
    IniFile ini(dir.filePath("no/such/folder/t.ini"));
    ini.write("A", "x", "2");
    EXPECT_FALSE(ini.lastError().ok());
    EXPECT_EQ(ini.read("A", "x"), "Default");
    EXPECT_FALSE(ini.exists());
}

TEST_F(IniFileTest, KeepsWindows1252BytesAndCutsLongValues)
{
    TestHome::writeAll(path(), QByteArray("[A]\nname=Caf\xE9 \x80\nlong=") + QByteArray(40000, 'x') + "\n");
    IniFile ini(path());
    EXPECT_EQ(ini.read("A", "name"), QString::fromUtf8("Café €"));
    EXPECT_EQ(ini.read("A", "long").size(), 32766);
    ini.write("A", "other", QString::fromUtf8("Ž"));
    EXPECT_TRUE(TestHome::readAll(path()).contains("other=\x8E\n"));
    EXPECT_TRUE(TestHome::readAll(path()).contains("name=Caf\xE9 \x80\n"));
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileAndNamesTheCause)
{
    const QByteArray before = "[Config]\r\nPRXversion=4.05\r\n";
    const QString native = QDir::toNativeSeparators(path());
    struct Case
    {
        const char *name;
        ForkedChild child;
        QFile::Permissions file;
        QFile::Permissions folder;
        const char *cause;
        const char *kept = "4.05"; // what the child reads back
    };
    const QFile::Permissions all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                   QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                   QFile::ExeOther;
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions readWrite = readOnly | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    const Case cases[] = {
        {"full disk", ForkedChild{100, false}, readWrite, all, "File too large"},
        {"read-only file", ForkedChild{-1, true}, readOnly, all, "Permission denied"},
        {"read-only folder", ForkedChild{-1, true}, readWrite, all & ~(QFile::WriteOther | QFile::WriteGroup),
         "Permission denied"},
        {"unreadable file, which a write would empty", ForkedChild{-1, true},
         QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther, all, "it can not be read (Permission denied)",
         "Default"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::setPermissions(dir.path(), all);
        QFile::remove(path());
        ASSERT_TRUE(TestHome::writeAll(path(), before));
        QFile::setPermissions(path(), c.file);
        QFile::setPermissions(dir.path(), c.folder);

        const ForkedChild::Result run = c.child.run([&] {
            IniFile ini(path());
            QByteArray report = writeReport(ini, "Firmware", QString(200, QLatin1Char('5'))) + '\n';
            {
                IniFile::Batch batch(ini);
                ini.write("Config", "PRXversion", "5.00");
                ini.write("Config", "Expertmode", QString(200, QLatin1Char('1')));
            }
            report += (ini.lastError().ok() ? QStringLiteral("ok") : ini.lastError().text()).toUtf8() + '|';
            return report + ini.read("Config", "PRXversion").toUtf8();
        });

        ASSERT_TRUE(run.exitedNormally && run.exitCode == 0) << run.exitCode;
        const QString error = QStringLiteral("Can not write %1: %2").arg(native, QLatin1String(c.cause));
        EXPECT_EQ(QString::fromUtf8(run.output), error + "|Default\n" + error + '|' + c.kept);
        QFile::setPermissions(dir.path(), all);
        EXPECT_EQ(TestHome::readAll(path()), before);
        EXPECT_EQ(folder(), QStringList{"t.ini"}) << "no temporary file is left";
    }
}

TEST_F(IniFileTest, SameSizeRewriteByAnotherProgramIsSeenAtOnce)
{
    // In place (same inode, often the same timestamp tick) and by rename (a new inode).
    const std::function<void(const QByteArray &)> rewrites[] = {
        [&](const QByteArray &bytes) { TestHome::writeAll(path(), bytes); },
        [&](const QByteArray &bytes) {
            QSaveFile f(path());
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            f.commit();
        },
    };
    for (const auto &rewrite : rewrites) {
        IniFile ini(path());
        int stale = 0;
        for (int i = 0; i < 200; ++i) {
            const QByteArray value = QByteArray::number(i % 10);
            rewrite("[A]\nx=" + value + "\n");
            if (ini.read("A", "x") != QLatin1String(value))
                ++stale;
            if (i % 20 == 19) {
                ini.write("A", "y", "1");
                if (TestHome::readAll(path()) != "[A]\nx=" + value + "\ny=1\n")
                    ++stale;
            }
        }
        EXPECT_EQ(stale, 0);
    }
}

TEST_F(IniFileTest, ByteOrderMarkIsSkippedAndKept)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    struct Case
    {
        const char *name;
        QByteArray before;
        const char *read; // [Config] PRXversion
        QByteArray after; // once Firmware=<U+017D> is written
    };
    const Case cases[] = {
        {"ASCII", bom + "[Config]\r\nPRXversion=5.00\r\n", "5.00",
         bom + "[Config]\r\nPRXversion=5.00\r\nFirmware=\xC5\xBD\r\n"},
        {"UTF-8 text stays UTF-8", bom + "[Config]\nPRXversion=Caf\xC3\xA9\n", "Caf\u00e9",
         bom + "[Config]\nPRXversion=Caf\xC3\xA9\nFirmware=\xC5\xBD\n"},
        {"bytes that are not UTF-8 stay Windows-1252", bom + "[Config]\nPRXversion=Caf\xE9\n", "Caf\u00e9",
         bom + "[Config]\nPRXversion=Caf\xE9\nFirmware=\x8E\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(TestHome::writeAll(path(), c.before));
        IniFile ini(path());
        EXPECT_EQ(ini.read("Config", "PRXversion"), QString::fromUtf8(c.read));
        ini.write("Config", "Firmware", QString::fromUtf8("\u017d"));
        EXPECT_EQ(TestHome::readAll(path()), c.after);
        EXPECT_EQ(IniFile(path()).read("config", "firmware"), QString::fromUtf8("\u017d"));
    }
}

TEST_F(IniFileTest, LineEndsAreThoseOfTheProfileFunctions)
{
    // CR LF, LF and a lone CR each end a line; a write keeps the file's first form.
    struct Case
    {
        const char *name;
        QByteArray before;
        QByteArray after; // once x=a is written
    };
    const Case cases[] = {
        {"CR LF", "[A]\r\nk=v\r\n[B]\r\nk=w\r\n", "[A]\r\nk=v\r\nx=a\r\n[B]\r\nk=w\r\n"},
        {"LF", "[A]\nk=v\n[B]\nk=w\n", "[A]\nk=v\nx=a\n[B]\nk=w\n"},
        {"CR only", "[A]\rk=v\r[B]\rk=w\r", "[A]\rk=v\rx=a\r[B]\rk=w\r"},
        {"CR only, no final break", "[A]\rk=v\r[B]\rk=w", "[A]\rk=v\rx=a\r[B]\rk=w"},
        {"a stray CR in an LF file ends its line too", "[A]\nk=v\r[B]\nk=w\n", "[A]\nk=v\nx=a\n[B]\nk=w\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(TestHome::writeAll(path(), c.before));
        IniFile ini(path());
        EXPECT_EQ(ini.read("A", "k"), "v");
        EXPECT_EQ(ini.read("B", "k"), "w");
        ini.write("A", "x", "a");
        EXPECT_EQ(TestHome::readAll(path()), c.after);
        IniFile again(path());
        EXPECT_EQ(again.read("A", "x"), "a");
        EXPECT_EQ(again.read("B", "k"), "w");
    }
}

TEST_F(IniFileTest, OnePairOfMatchingQuotesAroundAValueIsDropped)
{
    TestHome::writeAll(path(), "[S]\r\n"
                               "double=\"10020\"\r\n"
                               "single= '10020' \r\n"
                               "inner=\" a \"\r\n"
                               "twice=\"\"x\"\"\r\n"
                               "empty=\"\"\r\n"
                               "lone=\"\r\n"
                               "unmatched=\"x'\r\n"
                               "within=a\"b\"\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.read("S", "double"), "10020");
    EXPECT_EQ(ini.read("S", "single"), "10020");
    EXPECT_EQ(ini.read("S", "inner"), " a ") << "blanks inside the quotes stay";
    EXPECT_EQ(ini.read("S", "twice"), "\"x\"") << "one pair only";
    EXPECT_EQ(ini.read("S", "empty"), "");
    EXPECT_EQ(ini.read("S", "lone"), "\"");
    EXPECT_EQ(ini.read("S", "unmatched"), "\"x'");
    EXPECT_EQ(ini.read("S", "within"), "a\"b\"");
    std::map<QString, QString> walked;
    ini.forEachKey("S", [&](QStringView key, QStringView value) { walked[key.toString()] = value.toString(); });
    EXPECT_EQ(walked["double"], "10020") << "a section walk reads as read() does";

    // What is written stays as given; only the reading drops the quotes.
    ini.write("S", "double", "\"7\"");
    EXPECT_TRUE(TestHome::readAll(path()).contains("double=\"7\"\r\n"));
    EXPECT_EQ(ini.read("S", "double"), "7");
}

TEST_F(IniFileTest, KilledWritesLeaveTheOldOrNewFileAndNoTemporaryFile)
{
    constexpr int keys = 3000;
    const auto complete = [&](const char *when) {
        IniFile seen(path());
        if (seen.exists()) {
            EXPECT_EQ(seen.read("S", QStringLiteral("key%1").arg(keys - 1)), seen.read("S", "key0")) << when;
        }
    };
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            IniFile ini(path());
            for (int round = 0;; ++round) {
                IniFile::Batch batch(ini);
                for (int k = 0; k < keys; ++k)
                    ini.write("S", QStringLiteral("key%1").arg(k), QString::number(round));
            }
        }
        for (int pause = 0; pause < 3; ++pause) {
            QThread::usleep(QRandomGenerator::global()->bounded(1000, 20000));
            ::kill(child, SIGSTOP);
            complete("while writing");
            ::kill(child, SIGCONT);
        }
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        complete("after SIGKILL");
    }

    IniFile ini(path());
    ini.write("S", "after", "1");
    EXPECT_TRUE(ini.lastError().ok());
    EXPECT_EQ(folder(), QStringList{"t.ini"});
}

TEST_F(IniFileTest, ARewriteKeepsTheFilesModeAndRefusesALargeFile)
{
    ASSERT_TRUE(TestHome::writeAll(path(), "[A]\r\nx=1\r\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0604), 0);
    IniFile ini(path());
    ini.write("A", "x", "2");
    ASSERT_TRUE(ini.lastError().ok());
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);

    // A link to an endless device reads as a file that can not be read, at once.
    // The test's own node of /dev/zero, so that a fault can not replace the system's.
    if (::mknod(QFile::encodeName(path("zero")).constData(), S_IFCHR | 0666, makedev(1, 5)) != 0)
        return;
    ASSERT_TRUE(QFile::link(path("zero"), path("zero.ini")));
    IniFile zero(path("zero.ini"));
    EXPECT_EQ(zero.read("A", "x"), IniFile::Missing);
    zero.write("A", "x", "1");
    EXPECT_EQ(zero.lastError().cause, "it can not be read (it is not a regular file)");
}

TEST(FuzzRegressions, IniInputsRoundTrip)
{
    QTemporaryDir work;
    const QString inputs = QStringLiteral(FUZZ_REGRESSIONS "/fuzz_ini");
    ASSERT_FALSE(QDir(inputs).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(FileCheck::checkAll(inputs, work.path(), IniRoundTrip::check), QStringList());
}

} // namespace

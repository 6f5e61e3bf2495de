#include "common/inifile.h"
#include "document/toolrunner.h"
#include "tests/document/processhelpers.h"
#include "tests/converter/hbkbuilder.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "tools/mkdemo/demofixture.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

enum class User { Root, Nobody };

// fileSizeLimit >= 0 runs the program as on a full disk: no file may grow
// beyond it. As Nobody it runs as user and group 65534, whom file modes bind.
Outcome run(const QString &program, const QStringList &arguments, long long fileSizeLimit = -1,
            User user = User::Root)
{
    QProcess process;
    process.setChildProcessModifier([fileSizeLimit, user] {
        if (fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = rlim_t(fileSizeLimit);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (user == User::Nobody && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(99);
    });
    process.start(program, arguments);
    Outcome result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

class VantorProcess : public ::testing::Test
{
protected:
    void SetUp() override { home.answerAssociation(); }
    Outcome vantor(const QStringList &arguments, long long fileSizeLimit = -1, User user = User::Root)
    {
        return run(QStringLiteral(VANTOR_PATH), QStringList{"--home", home.path()} + arguments, fileSizeLimit, user);
    }
    // The module as the stand-in tool descrambles it.
    QByteArray descrambled(const QString &module)
    {
        QTemporaryDir dir;
        QFile::copy(module, dir.filePath("m.prx"));
        FakePrompter quiet;
        ToolRunner::run(quiet, QStringLiteral(SCRAMBLE_PATH), {"-d", "m.prx", "m.bin"}, dir.path(), QString());
        return TestHome::readAll(dir.filePath("m.bin"));
    }
    QString info(const QString &module) { return vantor({"info", module}).out; }

    TestHome home;
};

TEST_F(VantorProcess, InfoTellsFormatVersionAndScrambling)
{
    const QString packed = home.file("packed.prx");
    ASSERT_EQ(vantor({"pack", home.module4(), "--version", "4.05", "-o", packed}).exitCode, 0);
    const QString bookmarks = home.bookmarks();
    const struct { QString module; QString format, version, vt, scrambled; } cases[] = {
        {home.module4(), "elf", "4.05", bookmarks, "no"},
        {home.module5(), "elf", "5.00", bookmarks, "yes"},
        {packed, "packed", "none", "none", "no"},
        {home.config(), "unknown", "none", "none", "no"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.module.toStdString());
        const Outcome r = vantor({"info", c.module});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, QStringLiteral("size: %1\nformat: %2\nversion: %3\nbookmark file: %4\nscrambled: %5\n")
                             .arg(QFileInfo(c.module).size())
                             .arg(c.format, c.version, c.vt, c.scrambled));
    }
    // Nothing is unpacked that was not asked for.
    const QByteArray packedBytes = TestHome::readAll(packed);
    const Outcome list = vantor({"list", packed});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.err.toStdString(),
              ("vantor: " + packed + " is a packed module: 'vantor unpack " + packed + " -o OUT' unpacks it.\n").toStdString());
    EXPECT_TRUE(TestHome::readAll(packed) == packedBytes);

    const Outcome missing = vantor({"info", home.file("nowhere.prx")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(home.file("nowhere.prx"))) << missing.err.toStdString();
}

TEST_F(VantorProcess, ListGivesTheRowsAsTheEditorLoadsThem)
{
    const Outcome tsv = vantor({"list", home.module5()});
    ASSERT_EQ(tsv.exitCode, 0) << tsv.err.toStdString();
    const QStringList lines = tsv.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 8);
    EXPECT_EQ(lines[0], "number\tdescription\tvalue\toffset\ttype\tlen\tfile");
    EXPECT_EQ(lines[1], "1\tClock text scale\t1.5\t10010\tFloat\t0\t1");

    const Outcome json = vantor({"list", home.module5(), "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonArray rows = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), lines.size() - 1);
    for (int i = 0; i < rows.size(); ++i) {
        const QJsonObject row = rows[i].toObject();
        const QStringList cells = lines[i + 1].split('\t');
        EXPECT_EQ(row["number"].toString(), cells[0]);
        EXPECT_EQ(row["description"].toString(), cells[1]);
        EXPECT_EQ(row["value"].toString(), cells[2]);
        EXPECT_EQ(row["offset"].toString(), cells[3]);
        EXPECT_EQ(row["type"].toString(), cells[4]);
        EXPECT_EQ(row["len"].toString(), cells[5]);
        EXPECT_EQ(row["file"].toString(), cells[6]);
    }

    // A version given is used instead of the one the size gives.
    const Outcome other = vantor({"list", home.module4(), "--version", "5.00"});
    EXPECT_NE(other.exitCode, 0) << "the 4.05 module has no working copy to make under 5.00 rules";
}

TEST_F(VantorProcess, SetOnAScrambledModuleKeepsItScrambled)
{
    const QByteArray before = TestHome::readAll(home.module5());
    TestHome::writeAll(home.file("original.prx"), before);
    // Row 7 lies in the code segment, which the module holds scrambled.
    const Outcome set = vantor({"set", home.module5(), "Clock text scale=2.75", "7=-3.5", "3=100"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const QByteArray after = TestHome::readAll(home.module5());
    EXPECT_NE(after, before);
    EXPECT_NE(after, descrambled(home.module5())) << "saved scrambled";
    EXPECT_EQ(info(home.module5()).section('\n', 2, 2), "version: 5.00") << "the size is unchanged";

    const Outcome list = vantor({"list", home.module5()});
    const QStringList lines = list.out.split('\n');
    EXPECT_EQ(lines[1].section('\t', 2, 2), "2.75");
    EXPECT_EQ(lines[3].section('\t', 2, 2), "100");
    EXPECT_EQ(lines[7].section('\t', 2, 2), "-3.5");
    const QString codeOffset = lines[7].section('\t', 3, 3);
    EXPECT_EQ(vantor({"get", home.module5(), codeOffset, "Float"}).out, "-3.5\n") << "read through the working copy";
    EXPECT_EQ(vantor({"get", home.module5(), "10010", "float"}).out, "2.75\n");
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin"))) << "no working copy is left behind";
    // Every other byte is as it was.
    QByteArray expected = descrambled(home.file("original.prx"));
    const QByteArray plain = descrambled(home.module5());
    ASSERT_EQ(expected.size(), plain.size());
    for (const auto &[at, size] : {std::pair{0x10010, 4}, {0x10020, 2}, {int(codeOffset.toInt(nullptr, 16)), 4}})
        expected.replace(at, size, plain.mid(at, size));
    EXPECT_TRUE(expected == plain);
}

TEST_F(VantorProcess, ASetThatFailsWritesNothing)
{
    const QByteArray module = TestHome::readAll(home.module5());
    const QByteArray vt = TestHome::readAll(home.bookmarks());
    const struct { QStringList assignments; const char *why; } cases[] = {
        {{"1=2.5", "3=abc"}, "\"abc\" is not a number"},
        {{"1=2.5", "99=1"}, "there is no row 99"},
        {{"1=2.5", "No such row=1"}, "no row is described as 'No such row'"},
        {{"3=40000"}, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.assignments.join(' ').toStdString());
        const Outcome r = vantor(QStringList{"set", home.module5()} + c.assignments);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.why))) << r.err.toStdString();
        EXPECT_TRUE(TestHome::readAll(home.module5()) == module);
        EXPECT_TRUE(TestHome::readAll(home.bookmarks()) == vt);
    }
    // On a full disk the scrambled module can not be made: it stays as it was.
    const Outcome full = vantor({"set", home.module5(), "1=2.5"}, 4096);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_FALSE(full.err.isEmpty());
    EXPECT_TRUE(TestHome::readAll(home.module5()) == module);
}

TEST_F(VantorProcess, AReadOnlyModuleIsNotChangedAndTheMessageNamesIt)
{
    ProcessHelpers::shareWithEveryone(home.path());
    for (const QString &module : {home.module4(), home.module5()}) {
        SCOPED_TRACE(module.toStdString());
        QFile::setPermissions(module, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = TestHome::readAll(module);
        const QByteArray vt = TestHome::readAll(home.bookmarks());
        const Outcome r = vantor({"set", module, "1=2.5"}, -1, User::Nobody);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(module)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("read-only")) << r.err.toStdString();
        EXPECT_TRUE(TestHome::readAll(module) == before);
        EXPECT_TRUE(TestHome::readAll(home.bookmarks()) == vt);
        EXPECT_EQ(vantor({"get", module, "10010", "Float"}, -1, User::Nobody).out, "1.5\n") << "still readable";
    }
}

TEST_F(VantorProcess, PackThenUnpackGivesTheModuleBack)
{
    const QString packed = home.file("out.prx");
    const QString unpacked = home.file("back.prx");
    ASSERT_EQ(vantor({"pack", home.module5(), "--version", "5.00", "-o", packed}).exitCode, 0);
    EXPECT_EQ(TestHome::readAll(packed).left(40), DemoFixture::headerTemplate("5.00").left(40));
    const Outcome unpack = vantor({"unpack", packed, "-o", unpacked});
    ASSERT_EQ(unpack.exitCode, 0) << unpack.err.toStdString();
    EXPECT_TRUE(TestHome::readAll(unpacked) == TestHome::readAll(home.module5()));

    // A damaged stream: exit 1 with the cause, and nothing under the output's name.
    QByteArray damaged = TestHome::readAll(packed);
    damaged.truncate(damaged.size() / 2);
    TestHome::writeAll(packed, damaged);
    const Outcome bad = vantor({"unpack", packed, "-o", home.file("none.prx")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("damaged")) << bad.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.file("none.prx")));
}

TEST_F(VantorProcess, Hbk2vtWritesWhatKestrinWrites)
{
    QTemporaryDir a, b;
    HbkBuilder hbk;
    hbk.record("Font", "1A0E8", "00000004").record("Wave", "200", "00000004", "3").record("Odd", "xyz", "4");
    const QString first = hbk.writeTo(a.filePath("vshmain.hbk"));
    const QString second = hbk.writeTo(b.filePath("vshmain.hbk"));

    const QStringList options = {"--firmware", "6.60", "--module", home.module4()};
    const Outcome ours = vantor(QStringList{"hbk2vt", first} + options);
    const Outcome theirs = run(QStringLiteral(KESTRIN_PATH), QStringList{"--convert", second} + options);
    ASSERT_EQ(ours.exitCode, 0) << ours.err.toStdString();
    ASSERT_EQ(theirs.exitCode, 0);
    EXPECT_TRUE(TestHome::readAll(a.filePath("vshmain.vt")) == TestHome::readAll(b.filePath("vshmain.vt")));
    EXPECT_EQ(QString(ours.out).replace(a.path(), "DIR"), QString(theirs.out).replace(b.path(), "DIR"));
    IniFile vt(a.filePath("vshmain.vt"));
    EXPECT_EQ(vt.read("6.60", "offset"), "3");
    EXPECT_EQ(vt.read("6.60", "PRXSize"), QString::number(DemoFixture::moduleSize("4.05")));

    const Outcome missing = vantor({"hbk2vt", a.filePath("none.hbk")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(a.filePath("none.hbk")));
}

TEST_F(VantorProcess, InputsThatCanNotBeUsedAreNamedWithTheCause)
{
    // A large file that is no module: the command line asks nothing.
    const QString large = home.file("large.bin");
    {
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(20 << 20));
    }
    for (const char *command : {"list", "set"}) {
        SCOPED_TRACE(command);
        const Outcome r = vantor(QStringList{command, large} + (QLatin1String(command) == "set" ? QStringList{"1=2"}
                                                                                               : QStringList{}));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.toStdString(),
                  ("vantor: " + large + " is not a module: it does not begin with an ELF header.\n").toStdString());
    }

    // Packing an empty file is refused; nothing is written.
    const QString empty = home.file("empty.prx");
    ASSERT_TRUE(TestHome::writeAll(empty, {}));
    const Outcome pack = vantor({"pack", empty, "--version", "5.00", "-o", home.file("packed.prx")});
    EXPECT_EQ(pack.exitCode, 1);
    EXPECT_TRUE(pack.err.contains(empty + " is empty")) << pack.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.file("packed.prx")));

    // An offset beyond any file lies beyond this one.
    for (const char *offset : {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFF", "FFFFFFFF"}) {
        SCOPED_TRACE(offset);
        const Outcome get = vantor({"get", home.module4(), offset, "Float"});
        EXPECT_EQ(get.exitCode, 1);
        EXPECT_EQ(get.err.toStdString(), QStringLiteral("vantor: Offset %1 lies outside %2 (%3 bytes).\n")
                                             .arg(QLatin1String(offset), home.module4())
                                             .arg(DemoFixture::moduleSize("4.05"))
                                             .toStdString());
    }
}

TEST_F(VantorProcess, UsageErrorsExitTwoWithAUsageLine)
{
    const QStringList cases[] = {
        {},
        {"frobnicate"},
        {"info"},
        {"info", "a", "b"},
        {"list", home.module4(), "--colour"},
        {"get", home.module4(), "10010"},
        {"get", home.module4(), "zz", "Float"},
        {"get", home.module4(), "10010", "Double"},
        {"set", home.module4()},
        {"set", home.module4(), "novalue"},
        {"pack", home.module4(), "-o", home.file("x.prx")},
        {"unpack", home.module4()},
        {"backups"},
        {"restore", home.module4()},
        {"restore", home.module4(), "a", "b"},
    };
    const QByteArray module = TestHome::readAll(home.module4());
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome r = vantor(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains("usage: vantor")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(TestHome::readAll(home.module4()) == module);
    EXPECT_FALSE(QFileInfo::exists(home.file("x.prx")));
}

// The lines of `vantor backups`: path, time, size.
QList<QStringList> backupLines(const QString &out)
{
    QList<QStringList> lines;
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts))
        lines << line.split('\t');
    return lines;
}

TEST_F(VantorProcess, ChangesAreBackedUpFirstAndRestoredByteForByte)
{
    const QString module = home.module4();
    const QByteArray original = TestHome::readAll(module);
    const Outcome none = vantor({"backups", module});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("there are no backups of vshmain.prx")) << none.err.toStdString();

    ASSERT_EQ(vantor({"set", module, "1=2.5"}).exitCode, 0);
    auto lines = backupLines(vantor({"backups", module}).out);
    ASSERT_EQ(lines.size(), 1);
    ASSERT_EQ(lines[0].size(), 3);
    EXPECT_TRUE(lines[0][0].startsWith(home.file("backups/vshmain.prx."))) << lines[0][0].toStdString();
    EXPECT_TRUE(QDateTime::fromString(lines[0][1], "yyyy-MM-dd HH:mm:ss").isValid()) << lines[0][1].toStdString();
    EXPECT_EQ(lines[0][2].toLongLong(), original.size());
    EXPECT_TRUE(TestHome::readAll(lines[0][0]) == original);

    // Each run is an opening of its own: the module as the first set left it is kept too.
    const QByteArray afterSet = TestHome::readAll(module);
    ASSERT_EQ(vantor({"colors", module, "--export", home.file("scheme.json")}).exitCode, 0);
    EXPECT_EQ(backupLines(vantor({"backups", module}).out).size(), 1) << "an export changes nothing";
    ASSERT_EQ(vantor({"colors", module, "--import", home.file("scheme.json")}).exitCode, 0);
    lines = backupLines(vantor({"backups", module}).out);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(TestHome::readAll(lines[0][0]) == afterSet);

    // A module too broken to open is put back all the same; as it was, it is kept.
    TestHome::writeAll(module, "not a module any more");
    const Outcome restored = vantor({"restore", module, QFileInfo(lines.last()[0]).fileName()});
    ASSERT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    EXPECT_TRUE(restored.out.startsWith("restored " + module)) << restored.out.toStdString();
    EXPECT_TRUE(TestHome::readAll(module) == original);
    lines = backupLines(vantor({"backups", module}).out);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(TestHome::readAll(lines[0][0]), "not a module any more");

    // Only a backup of this module's name is put back.
    TestHome::writeAll(home.file("other.bak"), "something else");
    const Outcome refused = vantor({"restore", module, home.file("other.bak")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("is not a backup of vshmain.prx")) << refused.err.toStdString();
    EXPECT_TRUE(TestHome::readAll(module) == original);
}

TEST_F(VantorProcess, AChangeThatCanNotBeBackedUpIsNotMade)
{
    // On a full disk the backup can not be written: nothing is changed, and the message says why.
    const QByteArray before = TestHome::readAll(home.module4());
    const Outcome set = vantor({"set", home.module4(), "1=2.5"}, 4096);
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_TRUE(set.err.contains("no backup of it could be made first")) << set.err.toStdString();
    EXPECT_TRUE(TestHome::readAll(home.module4()) == before);
    EXPECT_TRUE(vantor({"backups", home.module4()}).out.isEmpty()) << "no cut-off backup is left";
    ASSERT_EQ(vantor({"set", home.module4(), "1=2.5"}).exitCode, 0);
    const QString backup = backupLines(vantor({"backups", home.module4()}).out)[0][0];
    const QByteArray edited = TestHome::readAll(home.module4());
    const Outcome full = vantor({"restore", home.module4(), backup}, 4096);
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(full.err.contains("nothing was restored")) << full.err.toStdString();
    EXPECT_TRUE(TestHome::readAll(home.module4()) == edited);
}

} // namespace

#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "values/firmware.h"
#include "values/modulefiles.h"
#include "tests/document/processhelpers.h"
#include "tests/support/testhome.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class ModuleFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < kSize; ++i)
            module.append(char(i % 251));
        ASSERT_TRUE(TestHome::writeAll(path(), module));
    }
    QString path() const { return dir.filePath("m.prx"); }
    // Another program cutting the module short.
    void truncateTo(qint64 size) { ASSERT_TRUE(QFile::resize(path(), size)); }

    static constexpr int kSize = 1 << 20;
    QTemporaryDir dir;
    QByteArray module;
    ModuleFiles files;
};

TEST_F(ModuleFilesTest, ReadsGiveOnlyTheBytesThatExist)
{
    ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    EXPECT_EQ(files.read(1, kSize - 3, 8), module.right(3));
    EXPECT_EQ(files.read(1, kSize, 4), QByteArray());
    EXPECT_EQ(files.read(1, -1, 4), QByteArray());
    EXPECT_EQ(files.read(2, 0, 4), QByteArray()) << "a slot that is not open";
    truncateTo(100);
    EXPECT_EQ(files.read(1, 96, 8), module.mid(96, 4)) << "the size of the file as it is now";
    EXPECT_EQ(files.read(1, 500000, 4), QByteArray());
}

TEST_F(ModuleFilesTest, ATruncationWhileALoadRunsNeverFaults)
{
    ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    {
        ModuleFiles::ReadCache cache(files);
        EXPECT_EQ(files.read(1, 16, 4), module.mid(16, 4));
        truncateTo(4096);
        // Once the load has begun it goes on with the file as it found it.
        EXPECT_EQ(files.read(1, 900000, 4), module.mid(900000, 4));
        EXPECT_EQ(files.read(1, kSize - 2, 4), module.right(2));
    }
    {
        ModuleFiles::ReadCache cache(files);
        EXPECT_EQ(files.read(1, 900000, 4), QByteArray()) << "the next load sees the cut";
        EXPECT_EQ(files.read(1, 4094, 4), module.mid(4094, 2));
        truncateTo(0);
        EXPECT_EQ(files.read(1, 0, 4), module.left(4));
    }
    EXPECT_EQ(files.read(1, 0, 4), QByteArray());
}

TEST_F(ModuleFilesTest, WritesAreSeenByALoadInProgress)
{
    ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    ModuleFiles::ReadCache cache(files);
    EXPECT_EQ(files.read(1, 8, 2), module.mid(8, 2));
    ASSERT_TRUE(files.write(1, 8, "zz").ok());
    EXPECT_EQ(files.read(1, 8, 2), "zz");
    EXPECT_FALSE(files.write(1, kSize - 1, "zz").ok()) << "a write never extends the file";
}

TEST_F(ModuleFilesTest, BookmarksPastACutEndShowNoValue)
{
    TestHome::writeAll(dir.filePath("m.vt"), "[5.00]\noffset=4\n"
                                             "entry.1.offset=10\nentry.1.type=Integer\n"
                                             "entry.2.offset=FFFFE\nentry.2.type=Integer\n"
                                             "entry.3.offset=7FF\nentry.3.type=Float\n"
                                             "entry.4.offset=7FE\nentry.4.type=String\nentry.4.length=8\n");
    ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    truncateTo(0x800);
    IniFile ini(dir.filePath("m.vt"));
    const auto rows = BookmarkSection::load(ini, "5.00", &files);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][BookmarkRow::Value], "4368") << "bytes 10 11 at offset 0x10";
    EXPECT_EQ(rows[1][BookmarkRow::Value], "");
    EXPECT_EQ(rows[2][BookmarkRow::Value], "") << "one of four bytes is there";
    EXPECT_EQ(rows[3][BookmarkRow::Value], "") << "two of eight bytes and no terminator";
}

TEST_F(ModuleFilesTest, OpenNeverCreatesAFileAndSaysWhyItFailed)
{
    const QString missing = dir.filePath("vshmain.bin");
    EXPECT_FALSE(files.open(ModuleFiles::Working, missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(files.errorString(ModuleFiles::Working), "No such file or directory");
    EXPECT_FALSE(files.open(ModuleFiles::Held, dir.path()));
    EXPECT_EQ(files.errorString(ModuleFiles::Held), "Is a directory");
    ASSERT_TRUE(files.open(ModuleFiles::Held, path()));
    EXPECT_TRUE(files.isWritable(ModuleFiles::Held));
    EXPECT_EQ(files.errorString(ModuleFiles::Held), "");
}

TEST_F(ModuleFilesTest, AModuleThatMayNotBeWrittenOpensReadOnlyAndSaysSo)
{
    ProcessHelpers::shareWithEveryone(dir.path());
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const int status = ProcessHelpers::runAsNobody([&] {
        ModuleFiles f;
        if (!f.open(ModuleFiles::Working, path()))
            return 1;
        if (f.isWritable(ModuleFiles::Working))
            return 2;
        if (f.errorString(ModuleFiles::Working) != QLatin1String("Permission denied"))
            return 3;
        if (f.write(ModuleFiles::Working, 0, "x").ok())
            return 4;
        return f.read(ModuleFiles::Working, 0, 4) == module.left(4) ? 0 : 5;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TestHome::readAll(path()), module);
}

quint64 inodeOf(const QString &path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

QByteArray onDisk(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(ModuleFilesTest, AModuleIsReplacedWholeAtEachWriteOnlyAScratchFileInPlace)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0604), 0);
    ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    const quint64 before = inodeOf(path());
    ASSERT_TRUE(files.write(1, 10, "ABCD").ok());
    EXPECT_NE(inodeOf(path()), before) << "a new file renamed over the module";
    EXPECT_EQ(onDisk(path()).mid(8, 8), module.mid(8, 2) + "ABCD" + module.mid(14, 2));
    EXPECT_EQ(files.read(1, 10, 4), "ABCD");
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(files.write(1, kSize - 2, "ABCD").cause,
              QStringLiteral("offset FFFFE does not lie inside the file (1048576 bytes)"));

    files.setScratch(1, true);
    const quint64 scratch = inodeOf(path());
    ASSERT_TRUE(files.write(1, 20, "WXYZ").ok());
    EXPECT_EQ(inodeOf(path()), scratch);
    EXPECT_EQ(onDisk(path()).mid(20, 4), "WXYZ");
}

TEST_F(ModuleFilesTest, ABatchOfWritesGoesOutAsOneReplacementOrNotAtAll)
{
    ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    {
        ModuleFiles::Changes changes(files);
        ASSERT_TRUE(files.write(1, 0, "1111").ok());
        ASSERT_TRUE(files.write(1, 5000, "2222").ok());
        EXPECT_EQ(files.read(1, 5000, 4), "2222") << "reads see the batch";
        EXPECT_EQ(onDisk(path()), module) << "nothing on disk before the commit";
    }
    EXPECT_EQ(onDisk(path()), module) << "a batch that was not committed writes nothing";
    EXPECT_EQ(files.read(1, 5000, 4), module.mid(5000, 4));
    const quint64 before = inodeOf(path());
    ModuleFiles::Changes changes(files);
    ASSERT_TRUE(files.write(1, 0, "1111").ok());
    ASSERT_TRUE(files.write(1, 5000, "2222").ok());
    ASSERT_TRUE(changes.commit().ok());
    QByteArray expected = module;
    expected.replace(0, 4, "1111").replace(5000, 4, "2222");
    EXPECT_EQ(onDisk(path()), expected);
    EXPECT_NE(inodeOf(path()), before);
}

TEST_F(ModuleFilesTest, AModuleChangedByAnotherProgramIsNotWrittenOverUntilAccepted)
{
    ASSERT_TRUE(files.open(ModuleFiles::Working, path()));
    EXPECT_FALSE(files.changedOnDisk(1));
    QByteArray theirs = module;
    theirs.replace(100, 4, "THEM");
    ASSERT_TRUE(TestHome::writeAll(path(), theirs));
    EXPECT_TRUE(files.changedOnDisk(1));
    EXPECT_EQ(files.write(1, 10, "MINE").cause, QStringLiteral("it was changed by another program since it was read"));
    EXPECT_EQ(onDisk(path()), theirs);
    ASSERT_TRUE(files.acceptDiskVersion(1));
    ASSERT_TRUE(files.write(1, 10, "MINE").ok());
    EXPECT_EQ(onDisk(path()).mid(100, 4), "THEM");
    EXPECT_EQ(onDisk(path()).mid(10, 4), "MINE");
}

TEST(ModuleNames, BaseNameAndWorkingCopyNameForAnyModuleName)
{
    const struct { const char *name, *base; } names[] = {
        {"vshmain.prx", "vshmain"}, {"vshmain.PRX", "vshmain"}, {"ab", "ab"}, {"a.b", "a"},
        {"x.tar.gz", "x.tar"}, {".prx", ".prx"}, {"", ""},
    };
    for (const auto &n : names)
        EXPECT_EQ(ModuleFiles::baseName(n.name), n.base) << n.name;

    QTemporaryDir dir;
    auto at = [&](const char *name) { return dir.filePath(name); };
    auto touch = [&](const char *name) { TestHome::writeAll(at(name), "x"); };
    EXPECT_EQ(ModuleFiles::freeWorkingCopyPath(at("vshmain.prx")), at("vshmain.bin"));
    EXPECT_EQ(ModuleFiles::freeWorkingCopyPath(at("ab")), at("ab.bin"));
    touch("keep.bin");
    EXPECT_EQ(ModuleFiles::freeWorkingCopyPath(at("keep.bin")), at("keep.work.bin")) << "never the module itself";
    touch("vshmain.bin");
    EXPECT_EQ(ModuleFiles::freeWorkingCopyPath(at("vshmain.prx")), at("vshmain.work.bin")) << "never a file of the user";
    touch("vshmain.work.bin");
    EXPECT_EQ(ModuleFiles::freeWorkingCopyPath(at("vshmain.prx")), at("vshmain.work2.bin"));
    QFile::link(at("nowhere"), at("ab.bin"));
    EXPECT_EQ(ModuleFiles::freeWorkingCopyPath(at("ab")), at("ab.work.bin")) << "a dangling link is taken too";
}

TEST(FirmwareVersion, EveryDecisionReadsTheLeadingNumber)
{
    // Scrambled from generation 5, wave tables from value 5.0: both of the one leading number.
    const struct { const char *text; std::optional<int> generation; std::optional<double> value; bool scrambled, waves; }
        cases[] = {
            {"5.00", 5, 5.0, true, true},        {" 5.00", 5, 5.0, true, true},     {"5.00M33", 5, 5.0, true, true},
            {"5.50 GEN-D3", 5, 5.5, true, true}, {"6.20 ", 6, 6.2, true, true},     {"10.0", 10, 10.0, true, true},
            {"5", 5, 5.0, true, true},           {"5.", 5, 5.0, true, true},        {"4.99", 4, 4.99, false, false},
            {"4.05", 4, 4.05, false, false},     {"3.71M33-4", 3, 3.71, false, false},
            {"", {}, {}, false, false},          {"Default", {}, {}, false, false}, {"-5.00", {}, {}, false, false},
            {".5", {}, {}, false, false},        {"M33 5.00", {}, {}, false, false},
        };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Firmware::generation(c.text), c.generation);
        EXPECT_EQ(Firmware::value(c.text), c.value);
        EXPECT_EQ(Firmware::isScrambled(c.text), c.scrambled);
        EXPECT_EQ(Firmware::hasWaveTables(c.text), c.waves);
    }
}

} // namespace

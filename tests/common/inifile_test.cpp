#include "common/inifile.h"
#include "tests/support/testhome.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

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
    QTemporaryDir dir;
};

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
    EXPECT_FALSE(ini.lastWriteOk());
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

} // namespace

#include "documenttest.h"
#include "tools/mkdemo/demofixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

int runTool(const QString &folder, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(SCRAMBLE_PATH), args);
    p.waitForFinished(-1);
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

using MissingToolTest = DocumentTest;

TEST_F(MissingToolTest, OpeningFirmware5ReportsAndLeavesNoWorkingCopy)
{
    home.removeScrambleTool();
    doc->openFromCommandLine(home.module5());
    ASSERT_EQ(prompter.count("inform"), 1);
    EXPECT_EQ(prompter.calls[0].text, "PRX Version doesn't match! \r\nPlease select the correct version.");
    EXPECT_EQ(prompter.calls[0].title, "VantorEditor");
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));
    EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Working));
}

} // namespace

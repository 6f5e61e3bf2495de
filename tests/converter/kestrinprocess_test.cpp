#include "hbkbuilder.h"

#include "common/inifile.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProcessResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

ProcessResult kestrin(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(KESTRIN_PATH), arguments);
    ProcessResult run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(KestrinProcess, ConvertWritesTheVtFileAndPrintsTheStatus)
{
    QTemporaryDir dir;
    const QString hbk = HbkBuilder()
                            .record("Font", "1A0E8", "00000004")
                            .record("Wave", "200", "00000004", "3")
                            .writeTo(dir.filePath("vshmain.hbk"));

    const ProcessResult run = kestrin({"--convert", hbk, "--firmware", "6.60", "--expand-arrays"});

    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Wrote 4 bookmarks to section \"6.60\" of %1.\n").arg(dir.filePath("vshmain.vt")));
    EXPECT_TRUE(run.err.isEmpty());
    IniFile vt(dir.filePath("vshmain.vt"));
    EXPECT_EQ(vt.read("6.60", "offset"), "4");
    EXPECT_EQ(vt.read("6.60", "entry.4.offset"), "208");
}

TEST(KestrinProcess, MissingInputExitsOneNamingTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("nowhere.hbk");

    const ProcessResult run = kestrin({"--convert", missing});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(missing)) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("nowhere.vt")));
}

TEST(KestrinProcess, UsageErrorsExitTwo)
{
    QTemporaryDir dir;
    const QString hbk = HbkBuilder().record("A", "10", "4").writeTo(dir.filePath("a.hbk"));
    const QStringList cases[] = {
        {"--convert", hbk, "--bogus"},
        {"--convert"},
        {"--convert", hbk, "extra.hbk"},
    };
    for (const QStringList &arguments : cases) {
        const ProcessResult run = kestrin(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("a.vt")));
}

} // namespace

#include "hbkbuilder.h"

#include "common/inifile.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace {

struct ProcessResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

// fileSizeLimit >= 0 runs Kestrin as on a full disk: files may not grow beyond it.
ProcessResult kestrin(const QStringList &arguments, long long fileSizeLimit = -1)
{
    QProcess process;
    if (fileSizeLimit >= 0) {
        process.setChildProcessModifier([fileSizeLimit] {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = rlim_t(fileSizeLimit);
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
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
                            .record("Wave", "0x200", "00000004", "3")
                            .writeTo(dir.filePath("vshmain.hbk"));
    const QString module = dir.filePath("vshmain.prx");
    {
        QFile f(module);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\x7F" "ELF") + QByteArray(2044, 'm'));
    }

    const ProcessResult run = kestrin({"--convert", hbk, "--firmware", "6.60", "--expand-arrays", "--module", module});

    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Wrote 4 bookmarks to section \"6.60\" of %1, with PRXSize 2048 of vshmain.prx. "
                                      "VantorEditor reads the bookmarks of vshmain.prx from vshmain.vt in its bookmark "
                                      "folder.\n")
                           .arg(dir.filePath("vshmain.vt")));
    EXPECT_TRUE(run.err.isEmpty());
    IniFile vt(dir.filePath("vshmain.vt"));
    EXPECT_EQ(vt.read("6.60", "PRXSize"), "2048");
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

TEST(KestrinProcess, FullDiskExitsOneAndKeepsTheVtFile)
{
    QTemporaryDir dir;
    HbkBuilder builder;
    for (int i = 0; i < 20; ++i)
        builder.record("Bookmark " + QByteArray::number(i), QByteArray::number(0x100 + i * 4, 16), "4");
    const QString hbk = builder.writeTo(dir.filePath("vshmain.hbk"));
    const QString vt = dir.filePath("vshmain.vt");
    const QByteArray before = "[4.05]\r\noffset=1\r\nentry.1.description=Kept\r\n\r\n[5.00]\r\noffset=0\r\n";
    {
        QFile f(vt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }

    const ProcessResult run = kestrin({"--convert", hbk}, 1000);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, QStringLiteral("Can not write %1: File too large\n").arg(QDir::toNativeSeparators(vt)));
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    QFile f(vt);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"vshmain.hbk", "vshmain.vt"}));
}

TEST(KestrinProcess, UsageErrorsExitTwo)
{
    QTemporaryDir dir;
    const QString hbk = HbkBuilder().record("A", "10", "4").writeTo(dir.filePath("a.hbk"));
    const QStringList cases[] = {
        {"--convert", hbk, "--bogus"},
        {"--convert"},
        {"--convert", hbk, "extra.hbk"},
        {"--convert", hbk, "--module"},
    };
    for (const QStringList &arguments : cases) {
        const ProcessResult run = kestrin(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("a.vt")));
}

} // namespace

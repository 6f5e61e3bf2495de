#include "common/filestamp.h"
#include "common/safefile.h"
#include "tests/support/forkedchild.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

QByteArray slurp(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void plant(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A pid that no process has: beyond the kernel's largest.
constexpr qint64 kGonePid = 4194305;

class SafeFileTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir;
};

TEST_F(SafeFileTest, ReplacesInOrderSyncRenameSyncFolderAndKeepsTheMode)
{
    const QString target = path(QStringLiteral("vshmain.vt"));
    plant(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0604), 0);
    QStringList steps;
    SafeFile::setTrace([&](const char *step, const QString &) { steps << QString::fromLatin1(step); });
    const FileError error = SafeFile::write(target, "new content");
    SafeFile::setTrace(nullptr);
    ASSERT_TRUE(error.ok()) << error.text().toStdString();
    EXPECT_EQ(steps, (QStringList{QStringLiteral("sync"), QStringLiteral("rename"), QStringLiteral("sync-folder")}));
    EXPECT_EQ(slurp(target), "new content");
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("vshmain.vt")});
}

TEST_F(SafeFileTest, RefusesTargetsThatAreNoRegularFileAndWritesThroughLinks)
{
    const QString fifo = path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0604), 0);
    const FileError onFifo = SafeFile::write(fifo, "x");
    EXPECT_EQ(onFifo.text(), QStringLiteral("Can not write %1: it is not a regular file").arg(fifo));
    struct stat st{};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A device of the test's own, like /dev/null: a fault here must not replace the system's.
    const QString device = path(QStringLiteral("null"));
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(SafeFile::write(device, "x").cause, QStringLiteral("it is not a regular file"));
        ASSERT_EQ(::lstat(QFile::encodeName(device).constData(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    EXPECT_EQ(SafeFile::write(path(QStringLiteral("folder")), "x").cause, QStringLiteral("it is a folder"));

    const QString real = path(QStringLiteral("real.prx"));
    plant(real, "old");
    const QString link = path(QStringLiteral("link.prx"));
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(SafeFile::write(link, "new").ok());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(slurp(real), "new");
}

TEST_F(SafeFileTest, TemporaryNamesFitHoweverLongTheTargetsName)
{
    const QString target = path(QString(251, QLatin1Char('m')) + QStringLiteral(".vt"));
    const FileError error = SafeFile::write(target, "[5.00]\r\n");
    ASSERT_TRUE(error.ok()) << error.text().toStdString();
    EXPECT_EQ(slurp(target), "[5.00]\r\n");
}

TEST_F(SafeFileTest, SweepsOnlyPlainLeftoversOfGoneProcessesNeverLinks)
{
    QTemporaryDir elsewhere;
    plant(elsewhere.filePath(QStringLiteral("keep.txt")), "precious");
    const QString gone = QString::number(kGonePid);
    const QString running = QString::number(qint64(::getppid()));
    // Links named like leftovers, to a folder and to a file of somebody's.
    ASSERT_TRUE(QFile::link(elsewhere.path(), path(QStringLiteral(".vantor-stage-") + gone + QStringLiteral("-abcdef"))));
    ASSERT_TRUE(QFile::link(elsewhere.filePath(QStringLiteral("keep.txt")),
                            path(QStringLiteral(".vantor-") + gone + QStringLiteral("-7.tmp"))));
    // Real leftovers of a process that is gone, and of one that still runs.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral(".vantor-stage-") + gone + QStringLiteral("-ghijkl")));
    plant(path(QStringLiteral(".vantor-") + gone + QStringLiteral("-3.tmp")), "torn");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral(".vantor-stage-") + running + QStringLiteral("-mnopqr")));
    plant(path(QStringLiteral(".vantor-") + running + QStringLiteral("-3.tmp")), "in use");

    ASSERT_TRUE(SafeFile::write(path(QStringLiteral("vshmain.vt")), "x").ok());
    SafeFile::Stage stage(path(QStringLiteral("vshmain.prx")));
    ASSERT_TRUE(stage.isValid());

    EXPECT_EQ(slurp(elsewhere.filePath(QStringLiteral("keep.txt"))), "precious");
    const QStringList left = entries();
    EXPECT_TRUE(left.contains(QStringLiteral(".vantor-stage-") + gone + QStringLiteral("-abcdef")));
    EXPECT_TRUE(left.contains(QStringLiteral(".vantor-") + gone + QStringLiteral("-7.tmp")));
    EXPECT_FALSE(left.contains(QStringLiteral(".vantor-stage-") + gone + QStringLiteral("-ghijkl")));
    EXPECT_FALSE(left.contains(QStringLiteral(".vantor-") + gone + QStringLiteral("-3.tmp")));
    EXPECT_TRUE(left.contains(QStringLiteral(".vantor-stage-") + running + QStringLiteral("-mnopqr")));
    EXPECT_TRUE(left.contains(QStringLiteral(".vantor-") + running + QStringLiteral("-3.tmp")));
}

TEST_F(SafeFileTest, ReadsRefuseWhatIsNoRegularFileOrTooLarge)
{
    const QString fifo = path(QStringLiteral("Config.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0604), 0);
    QByteArray bytes;
    EXPECT_EQ(SafeFile::read(fifo, SafeFile::TextLimit, bytes).cause, QStringLiteral("it is not a regular file"));
    EXPECT_FALSE(SafeFile::read(QStringLiteral("/dev/zero"), SafeFile::TextLimit, bytes).ok());
    plant(path(QStringLiteral("big.vt")), QByteArray(100, 'x'));
    EXPECT_EQ(SafeFile::read(path(QStringLiteral("big.vt")), 99, bytes).cause,
              QStringLiteral("it is larger than 99 bytes"));
    EXPECT_TRUE(SafeFile::read(path(QStringLiteral("big.vt")), 100, bytes).ok());
    EXPECT_EQ(bytes.size(), 100);
}

TEST_F(SafeFileTest, AFileChangedSinceItWasReadIsNotReplaced)
{
    const QString target = path(QStringLiteral("vshmain.prx"));
    plant(target, "as read");
    const FileStamp read = FileStamp::of(target, slurp(target));
    SafeFile::Options options;
    options.expected = &read;
    // Rewritten with the same bytes: still the version that was read.
    ASSERT_TRUE(SafeFile::write(target, "as read").ok());
    EXPECT_TRUE(read.matches(target));
    plant(target, "by another");
    const FileError error = SafeFile::write(target, "mine", options);
    EXPECT_EQ(error.cause, QStringLiteral("it was changed by another program since it was read"));
    EXPECT_EQ(slurp(target), "by another");
}

TEST_F(SafeFileTest, AFullDiskLeavesTheOldFileAndNoTemporary)
{
    const QString target = path(QStringLiteral("vshmain.vt"));
    plant(target, "old");
    ForkedChild child;
    child.fileSizeLimit = 4096;
    const auto result = child.run([&] { return SafeFile::write(target, QByteArray(16384, 'n')).text().toUtf8(); });
    ASSERT_TRUE(result.exitedNormally);
    EXPECT_EQ(QString::fromUtf8(result.output), QStringLiteral("Can not write %1: File too large").arg(target));
    EXPECT_EQ(slurp(target), "old");
    EXPECT_EQ(entries(), QStringList{QStringLiteral("vshmain.vt")});
}

TEST_F(SafeFileTest, AStageCopiesCheckedAndCommitsOverTheTarget)
{
    const QString module = path(QStringLiteral("vshmain.prx"));
    plant(module, QByteArray(10000, 'o'));
    ASSERT_EQ(::chmod(QFile::encodeName(module).constData(), 0604), 0);
    {
        SafeFile::Stage stage(module);
        ASSERT_TRUE(stage.isValid());
        ForkedChild child;
        child.fileSizeLimit = 4096;
        const auto cut = child.run([&] { return stage.copyIn(module, QStringLiteral("small")).cause.toUtf8(); });
        EXPECT_EQ(cut.output, "File too large");
        ASSERT_TRUE(stage.copyIn(module, QStringLiteral("copy.prx")).ok());
        plant(stage.file(QStringLiteral("copy.prx")), QByteArray(10000, 'n'));
        ASSERT_TRUE(stage.commit(QStringLiteral("copy.prx")).ok());
    }
    EXPECT_EQ(slurp(module), QByteArray(10000, 'n'));
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(module).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("vshmain.prx")});
}

} // namespace

#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <map>
#include <signal.h>

namespace {

// A home whose files are copied afresh for every run of the child.
struct Scenario
{
    const char *op;
    QStringList watched;  // relative to the home
    const char *argument; // relative to the home, or empty
};

std::map<QString, QByteArray> snapshot(const QString &home, const QStringList &files)
{
    std::map<QString, QByteArray> out;
    for (const QString &f : files)
        out[f] = TestHome::readAll(home + QLatin1Char('/') + f);
    return out;
}

void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(path, target);
        QFile::setPermissions(target, QFile::permissions(path));
    }
}

QProcess *startChild(const Scenario &s, const QString &home)
{
    auto *child = new QProcess;
    child->setProgram(QStringLiteral(CRASH_CHILD_PATH));
    QStringList args{QLatin1String(s.op), home};
    if (*s.argument)
        args << home + QLatin1Char('/') + QLatin1String(s.argument);
    child->setArguments(args);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start();
    child->waitForStarted(-1);
    return child;
}

class CrashSafety : public ::testing::TestWithParam<Scenario>
{
protected:
    // The template home: the demo, a large Config.ini (so its write takes a
    // while) and, for unpacking, a packed module.
    void SetUp() override
    {
        base.answerAssociation();
        TestHome::writeAll(base.config(), TestHome::readAll(base.config()) + padding());
        QDir().mkpath(base.file(QStringLiteral("out")));
        TestHome::writeAll(base.file(QStringLiteral("out/packed.prx")), "an older file");
        const QByteArray plain = TestHome::readAll(base.module4());
        const auto packed = ModulePacker::assemble(TestHome::readAll(base.file(QStringLiteral("header/4.05.prx"))),
                                                   GzipCodec::compress(plain), plain.size());
        ASSERT_TRUE(packed);
        QDir().mkpath(base.file(QStringLiteral("packed")));
        TestHome::writeAll(base.file(QStringLiteral("packed/vshmain.prx")), *packed);
    }
    static QByteArray padding()
    {
        QByteArray out;
        for (int i = 0; i < 40000; ++i)
            out += "; a comment line kept by every write of the settings\r\n";
        return out;
    }

    TestHome base;
};

} // namespace

TEST_P(CrashSafety, EveryFileIsItsOldOrItsNewContentAfterAKill)
{
    const Scenario s = GetParam();
    const auto before = snapshot(base.path(), s.watched);

    // One run to its end gives the new content and how long the work lasts.
    QTemporaryDir full;
    copyTree(base.path(), full.path());
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProcess> child(startChild(s, full.path()));
    ASSERT_TRUE(child->waitForFinished(-1));
    const qint64 duration = std::max<qint64>(clock.elapsed(), 20);
    ASSERT_EQ(child->exitCode(), 0) << s.op << " must succeed when not killed";
    const auto after = snapshot(full.path(), s.watched);
    bool changes = false;
    for (const auto &[name, bytes] : after)
        changes = changes || bytes != before.at(name);
    ASSERT_TRUE(changes) << s.op << " changed nothing";

    const int runs = 24;
    int torn = 0;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir dir;
        copyTree(base.path(), dir.path());
        child.reset(startChild(s, dir.path()));
        QThread::usleep(QRandomGenerator::global()->bounded(quint32(duration * 1000)));
        ::kill(pid_t(child->processId()), SIGKILL);
        child->waitForFinished(-1);
        for (const QString &name : s.watched) {
            const QByteArray now = TestHome::readAll(dir.filePath(name));
            if (now != before.at(name) && now != after.at(name)) {
                ++torn;
                ADD_FAILURE() << s.op << ": " << qPrintable(name) << " is neither old nor new after a kill ("
                              << now.size() << " bytes)";
            }
        }
    }
    EXPECT_EQ(torn, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CrashSafety,
    ::testing::Values(Scenario{"vt", {"bookmarks/vshmain.vt"}, ""}, Scenario{"config", {"Config.ini"}, ""},
                      Scenario{"save5", {"demo/vshmain.prx", "bookmarks/vshmain.vt"}, ""},
                      Scenario{"pack", {"demo/vshmain.prx", "out/packed.prx"}, "out/packed.prx"},
                      Scenario{"unpack", {"packed/vshmain.prx"}, "packed/vshmain.prx"},
                      Scenario{"colors", {"demo/vshmain.prx"}, ""}, Scenario{"pick", {"demo/vshmain.prx"}, ""}),
    [](const auto &info) { return std::string(info.param.op); });

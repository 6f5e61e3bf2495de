#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    bool ended = false;
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program as from a terminal without any display: no X, no Wayland, no platform plugin chosen.
Outcome withoutDisplay(const QString &program, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Outcome run;
    run.ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const struct Program
{
    const char *name;
    const char *path;
    bool windowed;
} kPrograms[] = {
    {"vantor", VANTOR_PATH, false},
    {"VantorEditor", VANTOR_EDITOR_PATH, true},
    {"Kestrin", KESTRIN_PATH, true},
};

} // namespace

TEST(ProgramVersion, EveryProgramPrintsTheOneVersionWithoutADisplay)
{
    ASSERT_STRNE(VANTOR_VERSION, "");
    for (const Program &program : kPrograms) {
        SCOPED_TRACE(program.name);
        const Outcome run = withoutDisplay(QString::fromLatin1(program.path), {"--version"});
        ASSERT_TRUE(run.ended) << run.err.toStdString();
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), std::string(program.name) + " " VANTOR_VERSION "\n");
    }
}

TEST(ProgramVersion, WindowedProgramsAnswerHelpWithoutADisplay)
{
    for (const Program &program : kPrograms) {
        if (!program.windowed)
            continue;
        SCOPED_TRACE(program.name);
        const Outcome help = withoutDisplay(QString::fromLatin1(program.path), {"--help"});
        ASSERT_TRUE(help.ended) << help.err.toStdString();
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.contains("--version")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("--home") || help.out.contains("--convert")) << help.out.toStdString();
    }
}

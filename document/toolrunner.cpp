#include "document/toolrunner.h"

#include "document/prompter.h"

#include <QProcess>

namespace {
constexpr qint64 kErrorTail = 4096;
}

QString ToolRun::describe() const
{
    QString text;
    switch (outcome) {
    case Outcome::NotStarted:
        text = QStringLiteral("could not be started");
        break;
    case Outcome::Crashed:
        text = QStringLiteral("crashed");
        break;
    case Outcome::Cancelled:
        text = QStringLiteral("was cancelled");
        break;
    case Outcome::Finished:
        text = QStringLiteral("exited with status %1").arg(exitCode);
        break;
    }
    if (!errorOutput.isEmpty())
        text += QStringLiteral(": ") + errorOutput;
    return text;
}

namespace ToolRunner {

ToolRun run(Prompter &prompter, const QString &program, const QStringList &arguments, const QString &workingFolder,
            const QString &busyText)
{
    ToolRun result;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingFolder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1)) {
        result.errorOutput = process.errorString();
        return result;
    }
    const bool finished = prompter.waitWhileBusy(busyText, [&process] {
        return process.state() == QProcess::NotRunning || process.waitForFinished(50);
    });
    if (!finished) {
        process.kill();
        process.waitForFinished(-1);
        result.outcome = ToolRun::Outcome::Cancelled;
        return result;
    }
    result.outcome = process.exitStatus() == QProcess::NormalExit ? ToolRun::Outcome::Finished : ToolRun::Outcome::Crashed;
    result.exitCode = process.exitCode();
    result.errorOutput = QString::fromLocal8Bit(process.readAllStandardError().right(kErrorTail)).trimmed();
    return result;
}

} // namespace ToolRunner

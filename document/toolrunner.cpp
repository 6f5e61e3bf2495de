#include "document/toolrunner.h"

#include "common/prompter.h"

#include <QProcess>
#include <cstdlib>

#include "common/platform.h"

namespace {
constexpr qint64 kErrorTail = 4096;

// Stops the tool on every way out of the run, an exception included.
class KillOnExit
{
public:
    explicit KillOnExit(QProcess &process) : m_process(process) {}
    ~KillOnExit()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(-1);
        }
    }
    KillOnExit(const KillOnExit &) = delete;
    KillOnExit &operator=(const KillOnExit &) = delete;

private:
    QProcess &m_process;
};
} // namespace

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
    // The editor ending, even killed, ends the tool: no tool goes on writing
    // into a module that nobody waits for.
    const qint64 editor = Platform::processId();
    process.setChildProcessModifier([editor] {
        if (!Platform::tieChildToParent(editor))
            std::_Exit(127);
    });
    KillOnExit guard(process);
    process.start();
    if (!process.waitForStarted(-1)) {
        result.errorOutput = process.errorString();
        return result;
    }
    // A request to end the program (SIGTERM, ...) stops the tool like Cancel.
    const bool finished = prompter.waitWhileBusy(busyText, [&process] {
        return process.state() == QProcess::NotRunning || process.waitForFinished(50) ||
               Platform::terminationRequested();
    });
    if (!finished || Platform::terminationRequested()) {
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

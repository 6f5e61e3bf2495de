#pragma once

#include <QString>
#include <QStringList>

class Prompter;

// How a run of an external tool ended.
struct ToolRun
{
    enum class Outcome { Finished, NotStarted, Crashed, Cancelled };

    Outcome outcome = Outcome::NotStarted;
    int exitCode = -1;
    // What the tool wrote to its error output (the last few KiB), trimmed.
    QString errorOutput;

    bool succeeded() const { return outcome == Outcome::Finished && exitCode == 0; }
    // One sentence on how the run ended, for messages: "exited with status 1: <its error output>".
    QString describe() const;
};

namespace ToolRunner {

// Runs `program` in `workingFolder` and waits for it through the prompter,
// which offers Cancel (with `busyText`) when the wait grows long. A cancelled
// run is stopped before this returns.
ToolRun run(Prompter &prompter, const QString &program, const QStringList &arguments, const QString &workingFolder,
            const QString &busyText);

} // namespace ToolRunner

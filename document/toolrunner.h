#pragma once

#include <QString>
#include <QStringList>

// Runs an external tool and waits for it without a time limit. Only whether it
// could be started is reported: callers judge the run by the files it leaves.
namespace ToolRunner {

bool run(const QString &program, const QStringList &arguments, const QString &workingFolder);

} // namespace ToolRunner

#include "cli/vantorcli.h"
#include "common/platform.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    // A full disk or a file-size limit fails the write with a message instead of killing us.
    Platform::ignoreFileSizeSignal();
    // SIGINT, SIGTERM and SIGHUP stop a running tool and remove the working copy before the end.
    Platform::catchTermination();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantor"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = runVantor(QCoreApplication::arguments(), QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    Platform::endAfterTermination();
    return status;
}

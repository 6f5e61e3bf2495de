#include "cli/vantorcli.h"
#include "common/platform.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    // A full disk or a file-size limit fails the write with a message instead of killing us.
    Platform::ignoreFileSizeSignal();
    // SIGINT, SIGTERM and SIGHUP stop a running tool and remove the working copy before the end.
    Platform::catchTermination();
    QStringList arguments = Platform::arguments(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (vantorDraws(arguments)) {
        // Pictures are drawn with fonts, which need a QGuiApplication, and never
        // shown: the platform without a display, whatever the desktop session
        // asks of windowed programs. It gets no arguments of ours to take.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int guiArgc = 1;
        // While it starts, Qt warns about the desktop session (no runtime
        // folder in a container): nothing the script asked about. Its
        // critical and fatal messages still go out.
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                previous(type, context, text);
        });
        app = std::make_unique<QGuiApplication>(guiArgc, argv);
        qInstallMessageHandler(previous);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
        arguments = QCoreApplication::arguments();
    }
    QCoreApplication::setApplicationName(QStringLiteral("vantor"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = runVantor(arguments, QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    Platform::endAfterTermination();
    return status;
}

#include "app/artwork.h"
#include "document/homefolder.h"
#include "app/mainwindow.h"
#include "app/widgetprompter.h"
#include "common/prompter.h"
#include "common/platform.h"
#include "document/prxdocument.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSocketNotifier>

int main(int argc, char **argv)
{
    Platform::ignoreFileSizeSignal();
    Platform::catchTermination();
    QApplication app(argc, argv);
    // Asked to end (SIGTERM, a closed terminal): the event loop ends, the
    // document closes its module and removes the working copy it made.
    QSocketNotifier ending(Platform::terminationHandle(), QSocketNotifier::Read);
    QObject::connect(&ending, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    QApplication::setApplicationName(Prompter::AppTitle);
    QApplication::setWindowIcon(Artwork::appIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("vantoreditor"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for PSP firmware modules (PRX)"));
    parser.addHelpOption();
    const QCommandLineOption homeOption(QStringLiteral("home"), QStringLiteral("Home folder with Config.ini."),
                                        QStringLiteral("folder"));
    parser.addOption(homeOption);
    parser.addPositionalArgument(QStringLiteral("module"), QStringLiteral("Module to open."), QStringLiteral("[module]"));
    parser.process(app);

    const QString programFolder = QApplication::applicationDirPath();
    const QString home = HomeFolder::resolve(parser.value(homeOption), programFolder);
    QDir().mkpath(home);
    HomeFolder::seed(home, HomeFolder::installedData(programFolder), HomeFolder::installedTool(programFolder));

    WidgetPrompter prompter;
    PrxDocument document(home, prompter);
    MainWindow window(document);
    prompter.setParent(&window);
    document.startUp();
    if (!parser.positionalArguments().isEmpty())
        document.openFromCommandLine(parser.positionalArguments().first());
    window.restoreSize();
    window.show();
    const int status = app.exec();
    document.closeModule();
    Platform::endAfterTermination();
    return status;
}

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

#include <memory>

namespace {

struct EditorOptions
{
    QCommandLineParser parser;
    QCommandLineOption help;
    QCommandLineOption version;
    QCommandLineOption home{QStringLiteral("home"), QStringLiteral("Home folder with Config.ini."),
                            QStringLiteral("folder")};

    EditorOptions()
        : help(parser.addHelpOption())
        , version(parser.addVersionOption())
    {
        parser.setApplicationDescription(QStringLiteral("Editor for PSP firmware modules (PRX)"));
        parser.addOption(home);
        parser.addPositionalArgument(QStringLiteral("module"), QStringLiteral("Module to open."),
                                     QStringLiteral("[module]"));
    }
};

} // namespace

int main(int argc, char **argv)
{
    Platform::ignoreFileSizeSignal();
    Platform::catchTermination();
    QCoreApplication::setApplicationName(Prompter::AppTitle);
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));

    // Help and the version need no display: they are answered before the
    // window system is asked for one. This first look may fail on Qt's own
    // options (-platform, -style), which only QApplication takes away.
    EditorOptions options;
    options.parser.parse(Platform::arguments(argc, argv));
    if (options.parser.isSet(options.help) || options.parser.isSet(options.version)) {
        QCoreApplication app(argc, argv);
        if (options.parser.isSet(options.version))
            options.parser.showVersion();
        options.parser.showHelp();
    }

    QApplication app(argc, argv);
    // Asked to end (SIGTERM, a closed terminal): the event loop ends, the
    // document closes its module and removes the working copy it made.
    QSocketNotifier ending(Platform::terminationHandle(), QSocketNotifier::Read);
    QObject::connect(&ending, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    QApplication::setWindowIcon(Artwork::appIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("vantoreditor"));

    QCommandLineParser &parser = options.parser;
    parser.process(app);
    const QString programFolder = QApplication::applicationDirPath();
    const QString home = HomeFolder::resolve(parser.value(options.home), programFolder);
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

#include "app/homefolder.h"
#include "app/mainwindow.h"
#include "app/widgetprompter.h"
#include "document/prxdocument.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(PrxDocument::AppTitle);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for PSP firmware modules (PRX)"));
    parser.addHelpOption();
    const QCommandLineOption homeOption(QStringLiteral("home"), QStringLiteral("Home folder with Config.ini."),
                                        QStringLiteral("folder"));
    parser.addOption(homeOption);
    parser.addPositionalArgument(QStringLiteral("module"), QStringLiteral("Module to open."), QStringLiteral("[module]"));
    parser.process(app);

    const QString home = HomeFolder::resolve(parser.value(homeOption), QApplication::applicationDirPath());
    QDir().mkpath(home);

    WidgetPrompter prompter;
    PrxDocument document(home, prompter);
    MainWindow window(document);
    prompter.setParent(&window);
    document.startUp();
    if (!parser.positionalArguments().isEmpty())
        document.openFromCommandLine(parser.positionalArguments().first());
    window.show();
    return app.exec();
}

#include "common/platform.h"
#include "converter/hbkconverter.h"
#include "converter/kestrinwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

} // namespace

int main(int argc, char **argv)
{
    // A file-size limit fails the write with a message instead of killing the program.
    Platform::ignoreFileSizeSignal();
    QCoreApplication::setApplicationName(QStringLiteral("Kestrin"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Converts .hbk bookmark files of a hex editor into .vt bookmark "
                                                    "files of VantorEditor. Without --convert the window opens."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption convertOption(QStringLiteral("convert"),
                                           QStringLiteral("Convert <file> without opening a window."),
                                           QStringLiteral("file"));
    const QCommandLineOption firmwareOption(QStringLiteral("firmware"),
                                            QStringLiteral("Section (firmware version) to write, default 5.00."),
                                            QStringLiteral("version"), QStringLiteral("5.00"));
    const QCommandLineOption expandOption(QStringLiteral("expand-arrays"),
                                          QStringLiteral("Turn a bookmark with a count above 1 into one entry per "
                                                         "element."));
    const QCommandLineOption moduleOption(QStringLiteral("module"),
                                          QStringLiteral("The module the bookmarks are for: its size becomes the "
                                                         "section's PRXSize, by which VantorEditor finds the version."),
                                          QStringLiteral("module"));
    parser.addOption(convertOption);
    parser.addOption(firmwareOption);
    parser.addOption(moduleOption);
    parser.addOption(expandOption);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The .hbk file to show in the window."),
                                 QStringLiteral("[file]"));

    // A first look before the application is made: only the window needs a
    // display, so help, the version and a conversion run without one. The
    // command line is read again after, when QApplication has taken its own options.
    parser.parse(Platform::arguments(argc, argv));
    const bool window = !parser.isSet(helpOption) && !parser.isSet(versionOption) && !parser.isSet(convertOption);
    std::unique_ptr<QCoreApplication> app(window ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    const bool parsed = parser.parse(QCoreApplication::arguments());

    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto usageError = [&](const QString &text) {
        err << "Kestrin: " << text << "\nTry 'Kestrin --help'.\n";
        return ExitUsage;
    };
    if (!parsed)
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(versionOption)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1 || (parser.isSet(convertOption) && !positional.isEmpty()))
        return usageError(QStringLiteral("Unexpected argument \"%1\".").arg(positional.last()));

    HbkConverter::Options options;
    options.expandArrays = parser.isSet(expandOption);
    options.modulePath = parser.value(moduleOption);
    if (parser.isSet(convertOption)) {
        const ConversionReport report =
            HbkConverter::convert(parser.value(convertOption), parser.value(firmwareOption), options);
        if (!report.ok) {
            err << report.message << '\n';
            return ExitFailure;
        }
        out << report.statusLine() << '\n';
        return 0;
    }

    KestrinWindow kestrin;
    kestrin.setInput(positional.value(0), parser.value(firmwareOption), options.expandArrays, options.modulePath);
    kestrin.show();
    return app->exec();
}

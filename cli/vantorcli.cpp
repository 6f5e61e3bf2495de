#include "cli/vantorcli.h"

#include "cli/clicontext.h"
#include "cli/commands.h"
#include "document/homefolder.h"

#include <QDir>

namespace {

void printUsage(QTextStream &stream)
{
    stream << "usage: vantor [--home DIR] COMMAND ..." << Qt::endl;
    stream << "       vantor --version | --help" << Qt::endl;
    for (const CliCommand &command : cliCommands())
        stream << "       " << command.usage << Qt::endl;
}

bool isHomeOption(const QString &arg)
{
    return arg == QLatin1String("--home") || arg == QLatin1String("-home");
}

} // namespace

bool vantorDraws(const QStringList &arguments)
{
    bool colors = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        // What follows is operands only.
        if (arg == QLatin1String("--"))
            return false;
        if (isHomeOption(arg)) {
            ++i;
            continue;
        }
        if (arg.startsWith(QLatin1String("--home=")))
            continue;
        if (!colors) {
            if (arg != QLatin1String("colors"))
                return false;
            colors = true;
            continue;
        }
        for (const char *form : {"--preview", "-preview"})
            if (arg == QLatin1String(form) || arg.startsWith(QLatin1String(form) + QLatin1Char('=')))
                return true;
    }
    return false;
}

int runVantor(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err)
{
    QStringList rest;
    QString homeOption;
    bool homeGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--")) {
            rest << arguments.mid(i);
            break;
        }
        if (isHomeOption(arg)) {
            if (i + 1 >= arguments.size()) {
                err << "vantor: missing value after --home" << Qt::endl;
                printUsage(err);
                return CliContext::UsageError;
            }
            homeOption = arguments[++i];
            homeGiven = true;
        } else if (arg.startsWith(QLatin1String("--home="))) {
            homeOption = arg.mid(7);
            homeGiven = true;
        } else {
            rest << arg;
        }
    }
    if (!rest.isEmpty() && rest.first() == QLatin1String("--version")) {
        out << "vantor " << VANTOR_VERSION << Qt::endl;
        return CliContext::Success;
    }
    if (rest.isEmpty() || rest.first() == QLatin1String("--help") || rest.first() == QLatin1String("-h") ||
        rest.first() == QLatin1String("help")) {
        printUsage(rest.isEmpty() ? err : out);
        return rest.isEmpty() ? CliContext::UsageError : CliContext::Success;
    }
    const QString name = rest.takeFirst();
    for (const CliCommand &command : cliCommands()) {
        if (name != QLatin1String(command.name))
            continue;
        if (homeGiven && homeOption.isEmpty()) {
            err << "vantor: --home needs a folder" << Qt::endl;
            return CliContext::UsageError;
        }
        const QString home = HomeFolder::resolve(homeOption, programFolder);
        QDir().mkpath(home);
        HomeFolder::seed(home, HomeFolder::installedData(programFolder), HomeFolder::installedTool(programFolder));
        rest.prepend(QStringLiteral("vantor ") + name);
        CliContext context{home, rest, out, err};
        return command.run(context);
    }
    err << "vantor: unknown command '" << name << "'" << Qt::endl;
    printUsage(err);
    return CliContext::UsageError;
}

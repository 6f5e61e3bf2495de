#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "document/modulepacker.h"

int packCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor pack MODULE --version V -o OUT"));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("OUT"));
    parser.addOption(version);
    parser.addOption(output);
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    if (parser.value(version).isEmpty())
        return parser.usageError(QStringLiteral("--version names the header template to pack with"));
    if (parser.value(output).isEmpty())
        return parser.usageError(QStringLiteral("-o names the packed file to write"));
    CliSession session(context);
    const QString headerTemplate = session.document().settings().headerTemplate(parser.value(version));
    return ModulePacker(session.prompter()).pack(parser.operands().first(), headerTemplate, parser.value(output))
               ? CliContext::Success
               : CliContext::Failure;
}

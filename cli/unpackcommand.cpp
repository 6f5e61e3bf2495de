#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "document/moduleunpacker.h"

int unpackCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor unpack FILE -o OUT"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("OUT"));
    parser.addOption(output);
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    if (parser.value(output).isEmpty())
        return parser.usageError(QStringLiteral("-o names the module file to write"));
    CliPrompter prompter(context.err);
    return ModuleUnpacker(prompter).unpack(parser.operands().first(), parser.value(output)) ? CliContext::Success
                                                                                            : CliContext::Failure;
}

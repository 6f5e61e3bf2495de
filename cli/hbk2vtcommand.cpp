#include "cli/cliparser.h"
#include "cli/commands.h"
#include "converter/hbkconverter.h"

int hbk2vtCommand(CliContext &context)
{
    CliParser parser(context,
                     QStringLiteral("vantor hbk2vt FILE.hbk [--firmware 5.00] [--module MODULE] [--expand-arrays]"));
    const QCommandLineOption firmware(QStringLiteral("firmware"), QString(), QStringLiteral("version"),
                                      QStringLiteral("5.00"));
    const QCommandLineOption expand(QStringLiteral("expand-arrays"));
    const QCommandLineOption module(QStringLiteral("module"), QString(), QStringLiteral("module"));
    parser.addOption(firmware);
    parser.addOption(module);
    parser.addOption(expand);
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    HbkConverter::Options options;
    options.expandArrays = parser.isSet(expand);
    options.modulePath = parser.value(module);
    // The .vt file is written where Kestrin writes it: beside the .hbk file.
    const ConversionReport report = HbkConverter::convert(parser.operands().first(), parser.value(firmware), options);
    if (!report.ok) {
        context.err << "vantor: " << report.message << Qt::endl;
        return CliContext::Failure;
    }
    context.out << report.statusLine() << Qt::endl;
    return CliContext::Success;
}

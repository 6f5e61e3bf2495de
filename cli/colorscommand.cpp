#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "vshtool/presettransfer.h"
#include "vshtool/vshtool.h"

#include <QDir>

int colorsCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor colors MODULE [--version V] --export FILE.json | --import FILE.json"));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    const QCommandLineOption exportTo(QStringLiteral("export"), QString(), QStringLiteral("FILE.json"));
    const QCommandLineOption importFrom(QStringLiteral("import"), QString(), QStringLiteral("FILE.json"));
    parser.addOption(version);
    parser.addOption(exportTo);
    parser.addOption(importFrom);
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    if (parser.isSet(exportTo) == parser.isSet(importFrom))
        return parser.usageError(QStringLiteral("give either --export or --import"));

    CliSession session(context);
    if (!session.open(parser.operands().first(), parser.value(version),
                      parser.isSet(importFrom) ? CliSession::Access::Change : CliSession::Access::Read))
        return CliContext::Failure;
    VshTool &tool = VshTool::of(session.document());
    QStringList notes;
    const bool exporting = parser.isSet(exportTo);
    const QString file = parser.value(exporting ? exportTo : importFrom);
    // The tables are read from and written into the module as opened: no save is needed.
    const QString why = exporting ? PresetTransfer::exportTo(tool, file, notes)
                                  : PresetTransfer::importFrom(tool, file, notes);
    for (const QString &note : notes)
        context.err << "vantor: note: " << note << Qt::endl;
    if (!why.isEmpty())
        return session.fail((exporting ? QStringLiteral("nothing was exported: ") : QStringLiteral("nothing was imported: ")) + why + QLatin1Char('.'));
    context.out << (exporting ? "exported the colours of " : "imported the colours into ")
                << QDir::toNativeSeparators(parser.operands().first()) << " (" << session.document().prxversion()
                << (exporting ? ") to " : ") from ") << QDir::toNativeSeparators(file) << Qt::endl;
    return CliContext::Success;
}

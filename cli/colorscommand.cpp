#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "common/safefile.h"
#include "vshtool/colourpreset.h"
#include "vshtool/preview/xmbpicture.h"
#include "vshtool/presettransfer.h"
#include "vshtool/vshtool.h"

#include <QBuffer>
#include <QDir>

namespace {

// The XMB picture of one month (1 to 12) or of all twelve (0), as PNG into `file`.
int writePreview(CliContext &context, CliSession &session, const QString &module, const QString &file, int month)
{
    VshTool &tool = VshTool::of(session.document());
    // The reading the export does names what is missing; the picture needs the same tables.
    ColourPreset preset;
    QStringList notes;
    if (const QString why = PresetTransfer::read(tool, preset, notes); !why.isEmpty())
        return session.fail(QStringLiteral("no preview was written: ") + why + QLatin1Char('.'));
    for (const QString &note : notes)
        context.err << "vantor: note: " << note << Qt::endl;
    const ColourTables tables = tool.VSHreadcolor();
    const QImage picture = month > 0 ? XmbPicture::month(tables, month - 1) : XmbPicture::year(tables);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return session.fail(QStringLiteral("no preview was written: the picture for %1 could not be made as PNG.")
                                .arg(QDir::toNativeSeparators(file)));
    if (const FileError error = SafeFile::write(file, png); !error.ok())
        return session.fail(QStringLiteral("no preview was written: ") + error.text() + QLatin1Char('.'));
    context.out << "wrote the XMB preview of "
                << (month > 0 ? QLatin1String(kMonthNames[size_t(month - 1)]) : QLatin1String("all months")) << " of "
                << QDir::toNativeSeparators(module) << " (" << session.document().prxversion() << ") to "
                << QDir::toNativeSeparators(file) << Qt::endl;
    return CliContext::Success;
}

} // namespace

int colorsCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor colors MODULE [--version V] --export FILE.json | --import FILE.json | "
                                             "--preview OUT.png [--month N]"));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    const QCommandLineOption exportTo(QStringLiteral("export"), QString(), QStringLiteral("FILE.json"));
    const QCommandLineOption importFrom(QStringLiteral("import"), QString(), QStringLiteral("FILE.json"));
    const QCommandLineOption preview(QStringLiteral("preview"), QString(), QStringLiteral("OUT.png"));
    const QCommandLineOption month(QStringLiteral("month"), QString(), QStringLiteral("N"));
    parser.addOption(version);
    parser.addOption(exportTo);
    parser.addOption(importFrom);
    parser.addOption(preview);
    parser.addOption(month);
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    if (int(parser.isSet(exportTo)) + int(parser.isSet(importFrom)) + int(parser.isSet(preview)) != 1)
        return parser.usageError(QStringLiteral("give one of --export, --import and --preview"));
    int monthNumber = 0;
    if (parser.isSet(month)) {
        if (!parser.isSet(preview))
            return parser.usageError(QStringLiteral("--month goes with --preview"));
        bool ok = false;
        monthNumber = parser.value(month).toInt(&ok);
        if (!ok || monthNumber < 1 || monthNumber > kMonths)
            return parser.usageError(
                QStringLiteral("--month takes a month from 1 to 12, not '%1'").arg(parser.value(month)));
    }

    CliSession session(context);
    if (!session.open(parser.operands().first(), parser.value(version),
                      parser.isSet(importFrom) ? CliSession::Access::Change : CliSession::Access::Read))
        return CliContext::Failure;
    if (parser.isSet(preview))
        return writePreview(context, session, parser.operands().first(), parser.value(preview), monthNumber);
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

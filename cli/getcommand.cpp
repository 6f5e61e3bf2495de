#include "bookmarks/bookmarksection.h"
#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "common/hextext.h"
#include "common/undecodablename.h"
#include "values/modulefiles.h"
#include "values/valuecodec.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

int getCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor get MODULE OFFSET TYPE [LEN]"));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    parser.addOption(version);
    if (!parser.parse(3, 4))
        return CliContext::UsageError;
    const QStringList operands = parser.operands();
    const HexText hex = HexText::convert(operands[1]);
    if (!hex.isNumber())
        return parser.usageError(QStringLiteral("OFFSET must be hexadecimal: '%1'").arg(operands[1]));
    // Nothing for a number beyond any file: it is told below as lying outside this one.
    const auto offset = hex.offset();
    const auto type = ValueTypes::fromCellIgnoringCase(operands[2]);
    if (!type)
        return parser.usageError(QStringLiteral("TYPE must be Float, Integer or String: '%1'").arg(operands[2]));
    std::optional<int> length;
    if (operands.size() > 3) {
        bool ok = false;
        const int n = operands[3].toInt(&ok);
        if (!ok || n < 0)
            return parser.usageError(QStringLiteral("LEN must be a whole number: '%1'").arg(operands[3]));
        length = std::min(n, BookmarkSection::ReadLimit);
    }

    CliSession session(context);
    PrxDocument &doc = session.document();
    const QString module = operands[0];
    const QString base = ModuleFiles::baseName(QFileInfo(module).fileName());
    ModuleFiles plain;
    ModuleFiles *files = &doc.files();
    // A module without a known version is read as it lies; a known one as the
    // editor opens it, a scrambled one from its working copy.
    const QString known = parser.isSet(version) ? parser.value(version)
                                                : doc.versionOfSize(base, QFileInfo(module).size());
    if (known.isEmpty()) {
        if (const QString undecodable = UndecodableName::message(module); !undecodable.isEmpty())
            return session.fail(undecodable);
        if (QFileInfo(module).isDir() || !plain.open(ModuleFiles::Working, module))
            return session.fail(QStringLiteral("Can not open %1: %2")
                                    .arg(QDir::toNativeSeparators(module), QFileInfo(module).isDir()
                                                                              ? QStringLiteral("it is a folder")
                                                                              : plain.errorString(ModuleFiles::Working)));
        files = &plain;
    } else if (!session.open(module, known)) {
        return CliContext::Failure;
    }
    const qint64 need = *type == ValueType::Float ? FloatCodec::Width : *type == ValueType::Integer ? IntegerCodec::Width : 1;
    if (!offset || *offset + need > files->size(ModuleFiles::Working))
        return session.fail(QStringLiteral("Offset %1 lies outside %2 (%3 bytes).")
                                .arg(operands[1].toUpper(), QDir::toNativeSeparators(module))
                                .arg(files->size(ModuleFiles::Working)));
    context.out << ValueCodec::ReadValue(*files, ModuleFiles::Working, *offset, *type, length, BookmarkSection::ReadLimit) << Qt::endl;
    return CliContext::Success;
}

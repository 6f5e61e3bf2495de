#include "cli/cliparser.h"
#include "cli/commands.h"
#include "search/scanner.h"
#include "search/searchresultmodel.h"

#include <vector>

int searchCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor search FILE (--float X | --int N | --string TEXT)"));
    struct Kind
    {
        QCommandLineOption option;
        SearchKey::Type type;
        const char *why;
    };
    const std::vector<Kind> kinds = {
        {QCommandLineOption(QStringLiteral("float"), QString(), QStringLiteral("X")), SearchKey::Type::Float,
         "--float must be a number that a single-precision float holds"},
        {QCommandLineOption(QStringLiteral("int"), QString(), QStringLiteral("N")), SearchKey::Type::Integer,
         "--int must be a number in -32768..32767"},
        {QCommandLineOption(QStringLiteral("string"), QString(), QStringLiteral("TEXT")), SearchKey::Type::String,
         "--string must be text of Windows-1252 characters, not empty"},
    };
    for (const Kind &kind : kinds)
        parser.addOption(kind.option);
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    const Kind *chosen = nullptr;
    for (const Kind &kind : kinds) {
        if (!parser.isSet(kind.option))
            continue;
        if (chosen)
            return parser.usageError(QStringLiteral("give one key: --float, --int or --string"));
        chosen = &kind;
    }
    if (!chosen)
        return parser.usageError(QStringLiteral("give a key: --float, --int or --string"));
    const QString text = parser.value(chosen->option);
    const auto key = SearchKey::make(chosen->type, text);
    if (!key)
        return parser.usageError(QStringLiteral("%1: '%2'").arg(QLatin1String(chosen->why), text));

    qint64 count = 0;
    const QString tail = u'\t' + key->valueText() + u'\n';
    Scanner scanner(*key);
    const bool read = scanner.scanFile(parser.operands().first(), [&](qint64 offset) {
        context.out << SearchResultModel::offsetText(offset) << tail;
        ++count;
    });
    context.out.flush();
    if (!read) {
        context.err << "vantor: " << scanner.errorString() << Qt::endl;
        return CliContext::Failure;
    }
    context.err << "Instance(s) Found: " << count << Qt::endl;
    return CliContext::Success;
}

#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct Field
{
    const char *key;
    int column;
};

// The columns in the order the editor shows them, with the row number first.
constexpr Field kFields[] = {
    {"number", BookmarkRow::Number}, {"description", BookmarkRow::Description}, {"value", BookmarkRow::Value},
    {"offset", BookmarkRow::Offset}, {"type", BookmarkRow::Type},               {"len", BookmarkRow::Len},
    {"file", BookmarkRow::File},
};

// One line per row whatever a cell holds.
QString tabSafe(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
}

} // namespace

int listCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor list MODULE [--version V] [--json]"));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    const QCommandLineOption json(QStringLiteral("json"));
    parser.addOption(version);
    parser.addOption(json);
    if (!parser.parse(1, 1))
        return CliContext::UsageError;
    CliSession session(context);
    if (!session.open(parser.operands().first(), parser.value(version)))
        return CliContext::Failure;

    const auto &rows = session.document().model().rows();
    if (parser.isSet(json)) {
        QJsonArray array;
        for (const BookmarkRow &row : rows) {
            QJsonObject object;
            for (const Field &field : kFields)
                object.insert(QLatin1String(field.key), row[field.column]);
            array.append(object);
        }
        context.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
        context.out.flush();
        return CliContext::Success;
    }
    QStringList header;
    for (const Field &field : kFields)
        header << QLatin1String(field.key);
    context.out << header.join(QLatin1Char('\t')) << '\n';
    for (const BookmarkRow &row : rows) {
        QStringList cells;
        for (const Field &field : kFields)
            cells << tabSafe(row[field.column]);
        context.out << cells.join(QLatin1Char('\t')) << '\n';
    }
    context.out.flush();
    return CliContext::Success;
}

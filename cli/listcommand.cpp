#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"
#include "cli/jsonrowwriter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

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
        // Written row by row: a whole document of a long list costs several times the list itself.
        std::array<Field, std::size(kFields)> byKey;
        std::copy(std::begin(kFields), std::end(kFields), byKey.begin());
        std::sort(byKey.begin(), byKey.end(),
                  [](const Field &a, const Field &b) { return std::strcmp(a.key, b.key) < 0; });
        std::array<JsonRowWriter::Member, std::size(kFields)> members;
        JsonRowWriter writer(context.out);
        for (const BookmarkRow &row : rows) {
            for (std::size_t i = 0; i < byKey.size(); ++i)
                members[i] = {QLatin1String(byKey[i].key), row[byKey[i].column]};
            writer.writeObject(members);
        }
        writer.finish();
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

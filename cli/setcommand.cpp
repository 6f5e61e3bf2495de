#include "cli/cliparser.h"
#include "cli/clisession.h"
#include "cli/commands.h"

#include <optional>

namespace {

// The 0-based row a selector names: a row number, or the one row with exactly that description.
std::optional<int> findRow(const BookmarkModel &model, const QString &selector, QString &why)
{
    bool isNumber = false;
    const int number = selector.toInt(&isNumber);
    if (isNumber && !selector.startsWith(QLatin1Char('+')) && !selector.startsWith(QLatin1Char('-'))) {
        if (number >= 1 && number <= model.count())
            return number - 1;
        why = QStringLiteral("there is no row %1 (the list has %2)").arg(selector).arg(model.count());
        return std::nullopt;
    }
    std::optional<int> found;
    for (int r = 0; r < model.count(); ++r) {
        if (model.cell(r, BookmarkRow::Description) != selector)
            continue;
        if (found) {
            why = QStringLiteral("rows %1 and %2 are both described as '%3': name the row by its number")
                      .arg(*found + 1)
                      .arg(r + 1)
                      .arg(selector);
            return std::nullopt;
        }
        found = r;
    }
    if (!found)
        why = QStringLiteral("no row is described as '%1'").arg(selector);
    return found;
}

struct Assignment
{
    int row;
    QString value;
};

// A description may hold "=" itself: the first split whose left part names a row wins.
std::optional<Assignment> parseAssignment(const BookmarkModel &model, const QString &text, QString &why)
{
    for (qsizetype at = text.indexOf(QLatin1Char('=')); at > 0; at = text.indexOf(QLatin1Char('='), at + 1)) {
        QString ignored;
        if (const auto row = findRow(model, text.left(at), ignored))
            return Assignment{*row, text.mid(at + 1)};
    }
    const qsizetype at = text.indexOf(QLatin1Char('='));
    if (at <= 0)
        why = QStringLiteral("'%1' is not SELECTOR=VALUE").arg(text);
    else
        findRow(model, text.left(at), why);
    return std::nullopt;
}

} // namespace

int setCommand(CliContext &context)
{
    CliParser parser(context, QStringLiteral("vantor set MODULE [--version V] SELECTOR=VALUE ..."));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    parser.addOption(version);
    if (!parser.parse(2, -1))
        return CliContext::UsageError;
    const QStringList operands = parser.operands();
    for (const QString &text : operands.mid(1))
        if (text.indexOf(QLatin1Char('=')) <= 0)
            return parser.usageError(QStringLiteral("'%1' is not SELECTOR=VALUE").arg(text));

    CliSession session(context);
    if (!session.open(operands.first(), parser.value(version), CliSession::Access::Change))
        return CliContext::Failure;
    PrxDocument &doc = session.document();
    std::vector<Assignment> assignments;
    for (const QString &text : operands.mid(1)) {
        QString why;
        const auto assignment = parseAssignment(doc.model(), text, why);
        if (!assignment)
            return session.fail(QStringLiteral("nothing was written: ") + why + QLatin1Char('.'));
        assignments.push_back(*assignment);
    }
    for (const Assignment &a : assignments)
        doc.model().setCell(a.row, BookmarkRow::Value, a.value);
    // The editor's Save: every value checked first, so one bad value writes nothing.
    return doc.save() ? CliContext::Success : CliContext::Failure;
}

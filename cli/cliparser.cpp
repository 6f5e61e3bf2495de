#include "cli/cliparser.h"

CliParser::CliParser(CliContext &context, const QString &usage) : m_context(context), m_usage(usage)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // A value such as -1.5 after an option or among the operands is a value, not an option.
    m_parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
}

bool CliParser::parse(int minOperands, int maxOperands)
{
    if (!m_parser.parse(m_context.arguments)) {
        usageError(m_parser.errorText());
        return false;
    }
    const qsizetype count = m_parser.positionalArguments().size();
    if (count < minOperands) {
        usageError(QStringLiteral("missing operand"));
        return false;
    }
    if (maxOperands >= 0 && count > maxOperands) {
        usageError(QStringLiteral("unexpected operand '%1'").arg(m_parser.positionalArguments().at(maxOperands)));
        return false;
    }
    return true;
}

int CliParser::usageError(const QString &why)
{
    m_context.err << "vantor: " << why << Qt::endl << "usage: " << m_usage << Qt::endl;
    return CliContext::UsageError;
}

#pragma once

#include "cli/clicontext.h"

#include <QCommandLineParser>

// A subcommand's options and operands, with the usage line printed on a usage error.
class CliParser
{
public:
    // `usage` is the line after "usage: ", e.g. "vantor info MODULE".
    CliParser(CliContext &context, const QString &usage);

    void addOption(const QCommandLineOption &option) { m_parser.addOption(option); }
    // False, after the usage error is printed, when an option is unknown or
    // lacks its value, or the operand count is outside min..max (max -1: any).
    bool parse(int minOperands, int maxOperands);

    bool isSet(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    QString value(const QCommandLineOption &option) const { return m_parser.value(option); }
    QStringList operands() const { return m_parser.positionalArguments(); }

    // Prints `why` and the usage line; gives the usage error's exit status.
    int usageError(const QString &why);

private:
    CliContext &m_context;
    QString m_usage;
    QCommandLineParser m_parser;
};

#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// What a subcommand of `vantor` gets: the resolved home folder, its own
// arguments (the first is "vantor <subcommand>", as a parser expects a program
// name), and the two output streams. Results go to `out`, messages to `err`.
struct CliContext
{
    enum Status { Success = 0, Failure = 1, UsageError = 2 };

    QString home;
    QStringList arguments;
    QTextStream &out;
    QTextStream &err;
};

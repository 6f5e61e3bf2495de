#include "cli/vantorcli.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantor"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = runVantor(QCoreApplication::arguments(), QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return status;
}

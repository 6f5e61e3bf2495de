#pragma once

#include <QStringList>
#include <QTextStream>

// Runs `vantor` with its command line (the program name first): takes the
// --home option wherever it stands, resolves the home folder as the editor
// does, and runs the subcommand. Gives the exit status.
int runVantor(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err);

// Whether the command line draws a picture (`colors --preview`): that needs a
// QGuiApplication for its fonts, every other command a QCoreApplication only.
bool vantorDraws(const QStringList &arguments);

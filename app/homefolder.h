#pragma once

#include <QString>

// Where Config.ini, bookmarks/, header/ and the scramble tool live: --home,
// else $VANTOR_HOME, else the program's folder when it holds Config.ini
// (portable use and the build folder), else the per-user configuration folder.
namespace HomeFolder {

QString resolve(const QString &option, const QString &programFolder);

} // namespace HomeFolder

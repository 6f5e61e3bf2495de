#pragma once

#include <QString>

// Where Config.ini, bookmarks/, header/ and the scramble tool live: --home,
// else $VANTOR_HOME, else the program's folder when it holds Config.ini
// (portable use and the build folder), else the per-user configuration folder.
namespace HomeFolder {

QString resolve(const QString &option, const QString &programFolder);

// The installed data folder (Config.ini, bookmarks/, header/) that belongs to
// the program in `programFolder`, or empty text when there is none.
QString installedData(const QString &programFolder);
// The installed scramble tool that belongs to the program, or empty text.
QString installedTool(const QString &programFolder);

// Fills a home that holds no Config.ini from the data folder: every file the
// home lacks is copied, nothing is overwritten, and the scramble tool is
// linked in (copied where links are not possible). False when nothing could
// be seeded.
bool seed(const QString &home, const QString &dataFolder, const QString &scrambleTool);

} // namespace HomeFolder

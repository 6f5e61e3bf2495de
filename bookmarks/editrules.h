#pragma once

#include <QString>

class BookmarkModel;
class ModuleFiles;

// What a person's edit of one cell does to the bookmark list, without a
// widget: which text a cell takes, and what an offset change reads anew.
namespace EditRules {

enum class Change { Mirrored, Applied, Refused };

// The characters an edit put into `before` to make `after`.
QString insertedText(const QString &before, const QString &after);

// Applies `newText` (edited from `before`) to a cell of `row` (0-based),
// `column` a BookmarkRow column. An offset must lie inside the module of
// `moduleSize` bytes, and its change re-reads the row's value from `files`.
Change apply(BookmarkModel &model, ModuleFiles &files, qint64 moduleSize, int row, int column, const QString &before,
             const QString &newText);

// The row's value read anew at `offsetText` from the module file its File cell names.
void reread(BookmarkModel &model, ModuleFiles &files, int row, const QString &offsetText);

} // namespace EditRules

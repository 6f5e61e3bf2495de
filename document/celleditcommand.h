#pragma once

#include "bookmarks/bookmarkrow.h"
#include "document/documentcommand.h"

class BookmarkModel;
class ModuleFiles;

// An edit of one row's cells. The keystrokes of one edit (one `session` of
// the in-place editor on the same row) merge into one command.
class CellEditCommand : public DocumentCommand
{
public:
    CellEditCommand(BookmarkModel &model, ModuleFiles &files, int row, int column, const BookmarkRow &before,
                    const BookmarkRow &after, quint64 session);

    QString apply(bool forward) override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override;

    // What a change of the row's cells is called: "Clock text scale = 2.75".
    static QString describe(int row, int column, const BookmarkRow &after);

private:
    BookmarkModel &m_model;
    ModuleFiles &m_files;
    int m_row;
    int m_column;
    BookmarkRow m_before;
    BookmarkRow m_after;
    quint64 m_session;
};

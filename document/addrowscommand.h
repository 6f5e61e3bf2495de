#pragma once

#include "bookmarks/bookmarkrow.h"
#include "document/documentcommand.h"

#include <vector>

class BookmarkModel;

// Rows put into the list at one place (Add Offset, a typed row, search hits;
// a removed row put back is the same change the other way round).
class AddRowsCommand : public DocumentCommand
{
public:
    AddRowsCommand(BookmarkModel &model, int first, std::vector<BookmarkRow> rows, const QString &text,
                   bool removes = false);

    QString apply(bool forward) override;

private:
    void insert();
    void remove();

    BookmarkModel &m_model;
    int m_first;
    std::vector<BookmarkRow> m_rows;
    bool m_removes;
};

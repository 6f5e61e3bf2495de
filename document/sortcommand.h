#pragma once

#include "document/documentcommand.h"

#include <vector>

class BookmarkModel;

// The list put in another order: row i after the sort is row order[i] before it.
class SortCommand : public DocumentCommand
{
public:
    SortCommand(BookmarkModel &model, std::vector<int> order, const QString &text);

    QString apply(bool forward) override;

private:
    BookmarkModel &m_model;
    std::vector<int> m_order;
};

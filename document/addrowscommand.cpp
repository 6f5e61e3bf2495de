#include "document/addrowscommand.h"

#include "bookmarks/bookmarkmodel.h"

AddRowsCommand::AddRowsCommand(BookmarkModel &model, int first, std::vector<BookmarkRow> rows, const QString &text,
                               bool removes)
    : m_model(model), m_first(first), m_rows(std::move(rows)), m_removes(removes)
{
    setText(text);
}

QString AddRowsCommand::apply(bool forward)
{
    if (forward != m_removes)
        insert();
    else
        remove();
    m_model.renumber();
    return QString();
}

void AddRowsCommand::insert()
{
    m_model.insertRowsAt(m_first, m_rows);
}

void AddRowsCommand::remove()
{
    // The rows as they are now go back in at a redo: a Save since may have read their values anew.
    const int n = int(m_rows.size());
    for (int i = 0; i < n && m_first + i < m_model.count(); ++i)
        m_rows[size_t(i)] = m_model.rows()[size_t(m_first + i)];
    m_model.removeRowsAt(m_first, n);
}

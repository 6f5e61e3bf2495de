#include "document/sortcommand.h"

#include "bookmarks/bookmarkmodel.h"

SortCommand::SortCommand(BookmarkModel &model, std::vector<int> order, const QString &text)
    : m_model(model), m_order(std::move(order))
{
    setText(text);
}

QString SortCommand::apply(bool forward)
{
    const std::vector<BookmarkRow> &rows = m_model.rows();
    if (rows.size() != m_order.size())
        return QStringLiteral("the list no longer has %1 rows").arg(m_order.size());
    std::vector<BookmarkRow> next(rows.size());
    for (size_t i = 0; i < m_order.size(); ++i) {
        if (forward)
            next[i] = rows[size_t(m_order[i])];
        else
            next[size_t(m_order[i])] = rows[i];
    }
    m_model.reorder(std::move(next));
    m_model.renumber();
    return QString();
}

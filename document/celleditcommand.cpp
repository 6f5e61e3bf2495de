#include "document/celleditcommand.h"

#include "bookmarks/bookmarkmodel.h"
#include "bookmarks/bookmarksection.h"

namespace {

// The cells that say where a row's value lies and how it is read.
bool sameLocation(const BookmarkRow &a, const BookmarkRow &b)
{
    for (int c : {BookmarkRow::Offset, BookmarkRow::Type, BookmarkRow::Len, BookmarkRow::File})
        if (a[c] != b[c])
            return false;
    return true;
}

} // namespace

CellEditCommand::CellEditCommand(BookmarkModel &model, ModuleFiles &files, int row, int column,
                                 const BookmarkRow &before, const BookmarkRow &after, quint64 session)
    : m_model(model)
    , m_files(files)
    , m_row(row)
    , m_column(column)
    , m_before(before)
    , m_after(after)
    , m_session(session)
{
    setText(describe(row, column, after));
}

QString CellEditCommand::describe(int row, int column, const BookmarkRow &after)
{
    const QString &description = after[BookmarkRow::Description];
    const QString name = description.isEmpty() ? QStringLiteral("Row %1").arg(row + 1) : description;
    if (column == BookmarkRow::Value)
        return QStringLiteral("%1 = %2").arg(name, after[BookmarkRow::Value]);
    if (column == BookmarkRow::Description)
        return QStringLiteral("Row %1: Description = %2").arg(row + 1).arg(description);
    return QStringLiteral("%1: %2 = %3").arg(name, BookmarkModel::caption(column), after[column]);
}

QString CellEditCommand::apply(bool forward)
{
    if (m_row < 0 || m_row >= m_model.count())
        return QStringLiteral("row %1 is no longer in the list").arg(m_row + 1);
    const BookmarkRow &current = m_model.rows()[size_t(m_row)];
    BookmarkRow target = forward ? m_after : m_before;
    // The saved value is what the module holds there now: a Save since may have changed it.
    if (sameLocation(target, current))
        target.savedValue = current.savedValue;
    else
        target.savedValue = BookmarkSection::readValue(m_files, target);
    m_model.setRow(m_row, target);
    return QString();
}

bool CellEditCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const CellEditCommand *>(other);
    if (next->m_session != m_session || next->m_row != m_row || next->m_column != m_column)
        return false;
    m_after = next->m_after;
    setText(next->text());
    setObsolete(m_after.cells == m_before.cells);
    return true;
}

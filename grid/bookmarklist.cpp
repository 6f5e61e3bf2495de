#include "grid/bookmarklist.h"

#include "document/prxdocument.h"
#include "grid/gridstate.h"

#include <QFileInfo>

bool BookmarkList::bookmarkFileExists() const
{
    const QString &file = m_doc.currentBookmarkFile();
    return !file.isEmpty() && QFileInfo(file).isFile();
}

QString BookmarkList::viewButtonCaption(bool expert)
{
    return expert ? QStringLiteral("Hide Offsets") : QStringLiteral("View Offsets");
}

void BookmarkList::cmdBookmark_Click(int index)
{
    m_state.editor().hide();
    const BookmarkModel &model = m_doc.model();
    switch (index) {
    case AddOffset:
        AddTypedEntry(QStringLiteral("Float"));
        return;
    case RemoveOffset:
        if (!bookmarkFileExists() || model.count() == 0 || m_state.selectedRow < 1 ||
            m_state.selectedRow > model.count())
            break;
        m_doc.removeRow(m_state.selectedRow - 1);
        break;
    case RefreshBookmark:
        if (m_doc.mayDropList(PrxDocument::ListDrop::Refresh))
            m_doc.ReloadBookmark();
        break;
    case SaveBookmark:
        m_doc.SaveVT(m_doc.prxversion());
        break;
    case ViewOffsets:
        m_doc.toggleExpertFlag();
        break;
    default:
        return;
    }
    m_state.hideEditor();
}

void BookmarkList::AddTypedEntry(const QString &type)
{
    if (!bookmarkFileExists())
        return;
    m_doc.addTypedRow(type);
    m_state.selectRow(m_doc.model().count());
}

void BookmarkList::sortByColumn(int column)
{
    if (bookmarkFileExists() && column >= 0 && column < BookmarkRow::ColumnCount)
        m_doc.sortList(column, m_state.takeSortDirection());
    m_state.hideEditor();
}

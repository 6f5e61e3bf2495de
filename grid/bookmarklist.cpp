#include "grid/bookmarklist.h"

#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
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
    BookmarkModel &model = m_doc.model();
    switch (index) {
    case AddOffset:
        AddTypedEntry(QStringLiteral("Float"));
        return;
    case RemoveOffset:
        if (!bookmarkFileExists() || model.count() == 0 || m_state.selectedRow < 1 ||
            m_state.selectedRow > model.count())
            break;
        model.removeRowAt(m_state.selectedRow - 1);
        model.renumber();
        break;
    case RefreshBookmark:
        if (m_doc.mayDropList(PrxDocument::ListDrop::Refresh))
            m_doc.ReloadBookmark();
        break;
    case SaveBookmark:
        m_doc.SaveVT(m_doc.prxversion());
        break;
    case ViewOffsets:
        m_doc.settings().setExpertFlag(!m_doc.settings().ExpertFlag());
        break;
    default:
        return;
    }
    emit m_state.changed();
}

void BookmarkList::AddTypedEntry(const QString &type)
{
    if (!bookmarkFileExists())
        return;
    m_doc.model().addTypedEntry(type);
    m_state.selectedRow = m_doc.model().count();
    emit m_state.changed();
}

void BookmarkList::sortByColumn(int column)
{
    BookmarkModel &model = m_doc.model();
    if (bookmarkFileExists() && column >= 0 && column < BookmarkRow::ColumnCount) {
        model.sortByColumn(column, m_state.nextSortAscending);
        m_state.nextSortAscending = !m_state.nextSortAscending;
        IniFile &file = m_doc.bookmarks();
        // The section now holds the list in this order: only other changes still count as unsaved.
        if (BookmarkSection::saveSorted(file, m_doc.prxversion(), model.rows()))
            model.markSaved();
        else
            m_doc.settings().reportWriteFailure(file);
    }
    m_state.editor().hide();
    emit m_state.changed();
}

#include "bookmarks/bookmarklist.h"

#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/gridgeometry.h"

#include <QFileInfo>
#include <algorithm>

namespace {

bool bookmarkFileExists(const PrxDocument &doc)
{
    return !doc.currentBookmarkFile.isEmpty() && QFileInfo(doc.currentBookmarkFile).isFile();
}

} // namespace

QString BookmarkList::viewButtonCaption(bool expert)
{
    return expert ? QStringLiteral("Hide Offsets") : QStringLiteral("View Offsets");
}

void BookmarkList::cmdBookmark_Click(int index)
{
    m_doc.editor().hide();
    BookmarkModel &model = m_doc.model();
    switch (index) {
    case AddOffset:
        AddTypedEntry(QStringLiteral("Float"));
        return;
    case RemoveOffset:
        if (!bookmarkFileExists(m_doc) || model.count() == 0 || selectedRow < 1 || selectedRow > model.count())
            break;
        model.removeRowAt(selectedRow - 1);
        selectedRow = std::min(selectedRow, model.count());
        if (model.count() < GridGeometry::VisibleRows)
            m_doc.scroll.enabled = false;
        else
            m_doc.scroll.maximum -= GridGeometry::RowPitch;
        model.renumber();
        clampScroll();
        break;
    case RefreshBookmark:
        if (m_doc.mayDropList())
            m_doc.ReloadBookmark();
        break;
    case SaveBookmark:
        m_doc.SaveVT(m_doc.prxversion);
        break;
    case ViewOffsets:
        m_doc.ExpertFlag = !m_doc.ExpertFlag;
        m_doc.writeExpertmode();
        break;
    default:
        return;
    }
    emit m_doc.changed();
}

void BookmarkList::AddTypedEntry(const QString &type)
{
    if (!bookmarkFileExists(m_doc))
        return;
    BookmarkModel &model = m_doc.model();
    BookmarkRow row;
    row[BookmarkRow::Type] = type;
    row[BookmarkRow::Len] = QStringLiteral("0");
    row[BookmarkRow::Number] = QString::number(model.count() + 1);
    row[BookmarkRow::File] = QStringLiteral("1");
    model.appendRow(row);
    m_doc.scroll.height += GridGeometry::RowPitch;
    selectedRow = model.count();
    if (model.count() > GridGeometry::VisibleRows) {
        GridGeometry::grow(m_doc.scroll, model.count());
        scrollTo(m_doc.scroll.position);
    }
    emit m_doc.changed();
}

void BookmarkList::sortByColumn(int column)
{
    BookmarkModel &model = m_doc.model();
    if (bookmarkFileExists(m_doc) && column >= 0 && column < BookmarkRow::ColumnCount) {
        std::vector<BookmarkRow> rows = model.rows();
        const bool ascending = nextSortAscending;
        std::stable_sort(rows.begin(), rows.end(), [&](const BookmarkRow &a, const BookmarkRow &b) {
            const int c = a[column].compare(b[column], Qt::CaseInsensitive);
            return ascending ? c < 0 : c > 0;
        });
        nextSortAscending = !nextSortAscending;
        IniFile &file = m_doc.bookmarks();
        BookmarkSection::saveSorted(file, m_doc.prxversion, rows);
        m_doc.reportWriteFailure(file);
        model.setRows(std::move(rows));
        model.renumber();
        selectedRow = 0;
    }
    m_doc.editor().hide();
    emit m_doc.changed();
}

void BookmarkList::list_1_ItemClick(int row)
{
    selectedRow = row;
    m_doc.editor().loadFromRow(row);
    emit m_doc.changed();
}

void BookmarkList::scrollTo(int position)
{
    const int rows = m_doc.model().count();
    m_doc.scroll.position = position;
    if (m_doc.scroll.maximum != 0) {
        m_doc.ScrollScale = GridGeometry::scrollScale(rows, m_doc.scroll.maximum);
        m_doc.listTop = GridGeometry::listTop(position, m_doc.ScrollScale);
    }
    m_doc.editor().hide();
    emit m_doc.changed();
}

void BookmarkList::clampScroll()
{
    GridGeometry::ListScroll &scroll = m_doc.scroll;
    if (!scroll.enabled) {
        scroll.position = 0;
        m_doc.listTop = GridGeometry::ListTopAtRest;
    } else if (scroll.position > std::max(scroll.maximum, 0)) {
        scrollTo(std::max(scroll.maximum, 0));
    }
}

void BookmarkList::addDescribedRows(const QString &description, const QString &value, const QStringList &offsets,
                                    const QString &type, const QString &file)
{
    BookmarkModel &model = m_doc.model();
    for (const QString &offset : offsets) {
        BookmarkRow row;
        row[BookmarkRow::Description] = description;
        row[BookmarkRow::Value] = value;
        row[BookmarkRow::Offset] = offset;
        row[BookmarkRow::Type] = type;
        row[BookmarkRow::Len] = QStringLiteral("0");
        row[BookmarkRow::Number] = QString::number(model.count() + 1);
        row[BookmarkRow::File] = file;
        model.appendRow(row);
        m_doc.scroll.height += GridGeometry::RowPitch;
    }
    if (model.count() > GridGeometry::VisibleRows) {
        GridGeometry::grow(m_doc.scroll, model.count());
        scrollTo(m_doc.scroll.position);
    }
    emit m_doc.changed();
}

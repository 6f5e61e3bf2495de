#include "grid/gridstate.h"

#include "document/prxdocument.h"

#include <algorithm>

GridState::GridState(PrxDocument &document, QObject *parent)
    : QObject(parent)
    , m_doc(document)
    , m_editor(document)
{
    const BookmarkModel *model = &document.model();
    connect(model, &QAbstractItemModel::modelReset, this, &GridState::rowsReplaced);
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rowsAppended(first, last); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, &GridState::rowsRemoved);
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] {
        selectedRow = 0;
        m_editor.hide();
        emit changed();
    });
    connect(&document, &PrxDocument::aboutToDropList, this, [this] { m_editor.commit(); });
    connect(&document, &PrxDocument::historyMoved, this, [this] {
        // The cell the editor held may hold other text now: the next keystroke
        // starts a new edit. The view, which follows the same signal, repaints.
        m_editor.focusOut();
        m_editor.hide();
    });
    connect(&document, &PrxDocument::valueFaulted, this, [this](int row) {
        selectedRow = row + 1;
        emit changed();
    });
}

void GridState::rowsReplaced()
{
    // What the editor and the selection pointed at is gone with the old rows.
    m_editor.reset();
    selectedRow = 0;
    GridGeometry::refill(scroll, m_doc.model().count());
    clampScroll();
    emit changed();
}

void GridState::rowsAppended(int first, int last)
{
    scroll.height += GridGeometry::RowPitch * (last - first + 1);
    const int rows = m_doc.model().count();
    if (rows > GridGeometry::VisibleRows) {
        GridGeometry::grow(scroll, rows);
        scrollTo(scroll.position);
    }
    emit changed();
}

void GridState::rowsRemoved()
{
    const int rows = m_doc.model().count();
    selectedRow = std::min(selectedRow, rows);
    if (rows < GridGeometry::VisibleRows)
        scroll.enabled = false;
    else
        scroll.maximum -= GridGeometry::RowPitch;
    clampScroll();
    emit changed();
}

void GridState::list_1_ItemClick(int row)
{
    selectedRow = row;
    m_editor.loadFromRow(row);
    emit changed();
}

void GridState::scrollTo(int position)
{
    const int rows = m_doc.model().count();
    scroll.position = position;
    if (scroll.maximum != 0) {
        ScrollScale = GridGeometry::scrollScale(rows, scroll.maximum);
        listTop = GridGeometry::listTop(position, ScrollScale);
    }
    m_editor.hide();
    emit changed();
}

void GridState::clampScroll()
{
    if (!scroll.enabled) {
        scroll.position = 0;
        listTop = GridGeometry::ListTopAtRest;
    } else if (scroll.position > std::max(scroll.maximum, 0)) {
        scrollTo(std::max(scroll.maximum, 0));
    }
}

void GridState::selectRow(int row)
{
    selectedRow = row;
    emit changed();
}

void GridState::hideEditor()
{
    m_editor.hide();
    emit changed();
}

bool GridState::takeSortDirection()
{
    const bool ascending = nextSortAscending;
    nextSortAscending = !nextSortAscending;
    return ascending;
}

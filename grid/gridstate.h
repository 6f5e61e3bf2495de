#pragma once

#include "grid/celleditor.h"
#include "grid/gridgeometry.h"

#include <QObject>

class PrxDocument;

// What the grid shows of the bookmark list beyond its cells: the scroll
// state, the selected row, the sort direction and the in-place editor. It
// follows the list model's signals; the widget paints from it.
class GridState : public QObject
{
    Q_OBJECT

public:
    explicit GridState(PrxDocument &document, QObject *parent = nullptr);

    CellEditor &editor() { return m_editor; }
    const CellEditor &editor() const { return m_editor; }

    // Pointer motion over the list, in twips from its cell origin.
    void place(double x, double y, const GridGeometry::Widths &widths) { m_editor.place(x, y, widths, listTop); }
    // A click on a row (1-based).
    void list_1_ItemClick(int row);
    void scrollTo(int position);
    // Brings a position that the list no longer has back into range, and the
    // list to rest when it fits without scrolling.
    void clampScroll();
    // A row (1-based, 0 for none) becomes the selected one.
    void selectRow(int row);
    // The editor shows no cell after a button of the list acted.
    void hideEditor();
    // The direction of the sort a caption click makes now; the next goes the other way.
    bool takeSortDirection();

    double ScrollScale = 1.0;
    float listTop = GridGeometry::ListTopAtRest;
    GridGeometry::ListScroll scroll;
    // 1-based selected row, 0 for none.
    int selectedRow = 0;
    bool nextSortAscending = false;

signals:
    void changed();

private:
    void rowsReplaced();
    void rowsAppended(int first, int last);
    void rowsRemoved();

    PrxDocument &m_doc;
    CellEditor m_editor;
};

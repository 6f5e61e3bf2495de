#pragma once

#include <QAccessibleWidget>
#include <QHash>

class GridView;

// The grid as assistive technology sees it: a table of the list's shown
// columns, a header row of captions, one cell per row and column, as Qt's
// item views give. The grid's own child widgets (the editor, the scroll bar,
// the buttons) follow the cells among its children. Read-only but for the
// row selection.
class GridViewAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridViewAccessible(GridView *view);
    ~GridViewAccessible() override;

    // Installs the factory (once) and announces the grid's changes to the
    // accessibility bus: the list's rows and cells, and the focus cell.
    static void watch(GridView *view);
    // Where the announcements go: the accessibility bus, which takes them only
    // while assistive technology listens. Tests record them instead.
    using Announcer = void (*)(QAccessibleEvent *event);
    static void setAnnouncer(Announcer announcer);

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    // The cell of a 0-based row (-1 the header row) and a list column, made on first use.
    QAccessibleInterface *cell(int row, int listColumn) const;
    // The child index of that cell, or -1 when its column is not shown.
    int indexOfCell(int row, int listColumn) const;

private:
    GridView *view() const;
    void dropCells();

    mutable QHash<qint64, QAccessible::Id> m_cells;
};

#include "grid/widgets/gridviewaccessible.h"

#include "bookmarks/bookmarkmodel.h"
#include "document/prxdocument.h"
#include "grid/gridgeometry.h"
#include "grid/widgets/gridview.h"

#include <QPointer>
#include <QWindow>
#include <cmath>
#include <vector>

namespace {

// The list columns the grid shows now, in the order it shows them.
std::vector<int> shownColumns(const GridView *view)
{
    const GridGeometry::Widths widths = view->columnWidths();
    std::vector<int> out;
    for (int column : GridGeometry::DisplayOrder) {
        if (widths[size_t(column)] > 0)
            out.push_back(column);
    }
    return out;
}

int displayIndex(const GridView *view, int listColumn)
{
    const std::vector<int> shown = shownColumns(view);
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == listColumn)
            return int(i);
    }
    return -1;
}

qint64 keyOf(int row, int listColumn)
{
    return qint64(row + 1) * BookmarkRow::ColumnCount + listColumn;
}

const BookmarkModel &modelOf(GridView *view)
{
    return view->document().model();
}

// One cell of the grid, or a caption of its header row (row -1).
class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCellAccessible(GridView *view, int row, int listColumn)
        : m_view(view)
        , m_row(row)
        , m_column(listColumn)
    {
    }

    bool isValid() const override
    {
        return m_view && m_row < modelOf(m_view).count() && displayIndex(m_view, m_column) >= 0;
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value))
            return QString();
        if (m_row < 0)
            return t == QAccessible::Name ? BookmarkModel::caption(m_column) : QString();
        return modelOf(m_view).cell(m_row, m_column);
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const GridGeometry::Widths widths = m_view->columnWidths();
        double left = GridGeometry::ListLeft + GridGeometry::CellInsetX;
        for (int column : GridGeometry::DisplayOrder) {
            if (column == m_column)
                break;
            left += widths[size_t(column)];
        }
        const double top =
            m_view->state().listTop + GridGeometry::CellInsetY + double(m_row + 1) * GridGeometry::RowPitch;
        const QRect local = m_view->twips(left, top, widths[size_t(m_column)], GridGeometry::RowPitch);
        return QRect(m_view->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override
    {
        return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const QRect shown(m_view->mapToGlobal(QPoint(0, 0)), m_view->size());
        if (!shown.intersects(rect()))
            s.offscreen = true;
        if (m_row < 0)
            return s;
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.readOnly = true;
        s.focused = m_view->hasFocus() && m_view->focusRow() == m_row + 1 &&
                    GridGeometry::columnOfEdit(m_view->focusColumn()) == m_column;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface *>(this) : nullptr;
    }

    bool isSelected() const override { return m_view && m_row >= 0 && m_view->state().selectedRow == m_row + 1; }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        if (m_row < 0 || !m_view)
            return {};
        auto *table = static_cast<GridViewAccessible *>(QAccessible::queryAccessibleInterface(m_view));
        return {table->cell(-1, m_column)};
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_view ? displayIndex(m_view, m_column) : -1; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<GridView> m_view;
    int m_row;
    int m_column;
};

GridViewAccessible::Announcer s_announcer = QAccessible::updateAccessibility;

QAccessibleInterface *gridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("GridView") && object && object->isWidgetType())
        return new GridViewAccessible(static_cast<GridView *>(object));
    return nullptr;
}

void announce(GridView *view, QAccessibleTableModelChangeEvent::ModelChangeType type, int first = -1, int last = -1)
{
    QAccessibleTableModelChangeEvent event(view, type);
    if (first >= 0) {
        event.setFirstRow(first);
        event.setLastRow(last);
    }
    // The bus passes the change on to the table only while it is active.
    if (!QAccessible::isActive())
        QAccessible::queryAccessibleInterface(view)->tableInterface()->modelChange(&event);
    s_announcer(&event);
}

} // namespace

GridViewAccessible::GridViewAccessible(GridView *view)
    : QAccessibleWidget(view, QAccessible::Table)
{
}

GridViewAccessible::~GridViewAccessible()
{
    dropCells();
}

void GridViewAccessible::watch(GridView *view)
{
    static const bool installed = (QAccessible::installFactory(gridFactory), true);
    Q_UNUSED(installed);
    const BookmarkModel *model = &view->document().model();
    using Change = QAccessibleTableModelChangeEvent;
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view] { announce(view, Change::ModelReset); });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view,
                     [view](const QModelIndex &, int first, int last) { announce(view, Change::RowsInserted, first, last); });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, view,
                     [view](const QModelIndex &, int first, int last) { announce(view, Change::RowsRemoved, first, last); });
    QObject::connect(model, &QAbstractItemModel::dataChanged, view,
                     [view](const QModelIndex &from, const QModelIndex &to) {
                         announce(view, Change::DataChanged, from.row(), to.row());
                         if (from != to)
                             return;
                         // One cell edited: its new text is said, as an item view says it.
                         auto *table = static_cast<GridViewAccessible *>(QAccessible::queryAccessibleInterface(view));
                         const int index = table->indexOfCell(from.row(), from.column());
                         if (index < 0)
                             return;
                         QAccessibleValueChangeEvent event(view, from.data());
                         event.setChild(index);
                         s_announcer(&event);
                     });
    QObject::connect(view, &GridView::currentCellChanged, view, [view](int row, int editColumn) {
        if (row < 1 || !view->hasFocus())
            return;
        auto *table = static_cast<GridViewAccessible *>(QAccessible::queryAccessibleInterface(view));
        const int index = table->indexOfCell(row - 1, GridGeometry::columnOfEdit(editColumn));
        if (index < 0)
            return;
        QAccessibleEvent event(view, QAccessible::Focus);
        event.setChild(index);
        s_announcer(&event);
    });
}

void GridViewAccessible::setAnnouncer(Announcer announcer)
{
    s_announcer = announcer ? announcer : QAccessible::updateAccessibility;
}

GridView *GridViewAccessible::view() const
{
    return static_cast<GridView *>(object());
}

void *GridViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int GridViewAccessible::columnCount() const
{
    return view() ? int(shownColumns(view()).size()) : 0;
}

int GridViewAccessible::rowCount() const
{
    return view() ? modelOf(view()).count() : 0;
}

int GridViewAccessible::childCount() const
{
    return (rowCount() + 1) * columnCount() + QAccessibleWidget::childCount();
}

QAccessibleInterface *GridViewAccessible::cell(int row, int listColumn) const
{
    if (!view() || row < -1 || row >= rowCount() || displayIndex(view(), listColumn) < 0)
        return nullptr;
    const qint64 key = keyOf(row, listColumn);
    if (const auto found = m_cells.constFind(key); found != m_cells.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto *made = new GridCellAccessible(view(), row, listColumn);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(made));
    return made;
}

int GridViewAccessible::indexOfCell(int row, int listColumn) const
{
    const int column = view() ? displayIndex(view(), listColumn) : -1;
    if (column < 0 || row < -1 || row >= rowCount())
        return -1;
    return (row + 1) * columnCount() + column;
}

QAccessibleInterface *GridViewAccessible::child(int index) const
{
    const int columns = columnCount();
    const int cells = (rowCount() + 1) * columns;
    if (index < 0)
        return nullptr;
    if (index >= cells)
        return QAccessibleWidget::child(index - cells);
    return cell(index / columns - 1, shownColumns(view())[size_t(index % columns)]);
}

int GridViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (const auto *c = const_cast<QAccessibleInterface *>(child)->tableCellInterface()) {
        if (c->table() != this)
            return -1;
        if (c->columnIndex() < 0)
            return -1;
        return (c->rowIndex() + 1) * columnCount() + c->columnIndex();
    }
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? -1 : index + (rowCount() + 1) * columnCount();
}

QAccessibleInterface *GridViewAccessible::childAt(int x, int y) const
{
    GridView *grid = view();
    if (!grid)
        return nullptr;
    // A child widget lies above the list (the editor over a cell, the buttons).
    if (QAccessibleInterface *widget = QAccessibleWidget::childAt(x, y))
        return widget;
    const QPointF at = QPointF(grid->mapFromGlobal(QPoint(x, y))) / grid->pixelsPerTwip();
    const double fromLeft = at.x() - (GridGeometry::ListLeft + GridGeometry::CellInsetX);
    const double fromTop = at.y() - (grid->state().listTop + GridGeometry::CellInsetY);
    if (at.y() < GridGeometry::TopStripBottom || at.y() > grid->bottomStripTop() || fromLeft < 0 || fromTop < 0)
        return nullptr;
    const int row = int(std::floor(fromTop / GridGeometry::RowPitch)) - 1;
    const GridGeometry::Widths widths = grid->columnWidths();
    double right = 0;
    for (int column : GridGeometry::DisplayOrder) {
        right += widths[size_t(column)];
        if (widths[size_t(column)] > 0 && fromLeft < right)
            return cell(row, column);
    }
    return nullptr;
}

QAccessibleInterface *GridViewAccessible::focusChild() const
{
    GridView *grid = view();
    if (grid && grid->hasFocus() && grid->focusRow() >= 1)
        return cell(grid->focusRow() - 1, GridGeometry::columnOfEdit(grid->focusColumn()));
    return QAccessibleWidget::focusChild();
}

QAccessibleInterface *GridViewAccessible::cellAt(int row, int column) const
{
    if (!view() || column < 0 || column >= columnCount())
        return nullptr;
    return cell(row, shownColumns(view())[size_t(column)]);
}

QString GridViewAccessible::columnDescription(int column) const
{
    if (!view() || column < 0 || column >= columnCount())
        return QString();
    return BookmarkModel::caption(shownColumns(view())[size_t(column)]);
}

QString GridViewAccessible::rowDescription(int row) const
{
    return row >= 0 && row < rowCount() ? modelOf(view()).cell(row, BookmarkRow::Description) : QString();
}

int GridViewAccessible::selectedRowCount() const
{
    return int(selectedRows().size());
}

QList<int> GridViewAccessible::selectedRows() const
{
    const int selected = view() ? view()->state().selectedRow : 0;
    if (selected >= 1 && selected <= rowCount())
        return {selected - 1};
    return {};
}

int GridViewAccessible::selectedCellCount() const
{
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface *> GridViewAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> out;
    for (int row : selectedRows()) {
        for (int column = 0; column < columnCount(); ++column)
            out << cellAt(row, column);
    }
    return out;
}

bool GridViewAccessible::isRowSelected(int row) const
{
    return selectedRows().contains(row);
}

bool GridViewAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    view()->state().list_1_ItemClick(row + 1);
    return true;
}

void GridViewAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    // Cells read their text when asked; when rows came or went they are made again.
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
        dropCells();
}

void GridViewAccessible::dropCells()
{
    for (QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

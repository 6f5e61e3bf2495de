#include "grid/widgets/gridview.h"

#include "document/prxdocument.h"
#include "grid/gridgeometry.h"
#include "grid/widgets/gridviewaccessible.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QToolTip>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QColor toColor(const std::optional<Rgb> &rgb, const QColor &fallback)
{
    return rgb ? QColor(rgb->red, rgb->green, rgb->blue) : fallback;
}

// The character code a key press types, as the editor's filters see it.
int typedCode(const QKeyEvent *key)
{
    if (key->matches(QKeySequence::Paste))
        return 22;
    if (key->matches(QKeySequence::Cut))
        return 24;
    if (key->matches(QKeySequence::Undo))
        return 26;
    if (key->key() == Qt::Key_Backspace)
        return 8;
    const QString text = key->text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

bool rightAligned(int column)
{
    return column == BookmarkRow::Value || column == BookmarkRow::Offset || column == BookmarkRow::Number;
}

// The grid never gets lower than this (about 21 rows), so that the window fits
// a 1366 x 768 screen with its menus, buttons and status bar.
constexpr double kMinimumClientHeight = 5460;
constexpr int kWheelRows = 3;

} // namespace

GridView::GridView(PrxDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_doc(document)
    , m_state(document)
{
    // Twips become pixels at the screen's resolution, never so small that a
    // row is lower than a line of text.
    const double byDpi = logicalDpiY() / 1440.0;
    const double byFont = (fontMetrics().height() + 5) / double(GridGeometry::RowPitch);
    m_scale = std::max(byDpi, byFont);
    setMinimumSize(twips(0, 0, GridGeometry::ClientWidth, kMinimumClientHeight).size());
    resize(sizeHint());
    setMouseTracking(true);
    // A click on the list takes the focus from the editor, which ends an edit.
    setFocusPolicy(Qt::StrongFocus);

    m_editor = new QLineEdit(this);
    m_editor->setObjectName(QStringLiteral("Text1"));
    m_editor->setFrame(false);
    QFont bold = font();
    bold.setBold(true);
    m_editor->setFont(bold);
    m_editor->setTextMargins(2, 0, 2, 0);
    m_editor->hide();
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::textEdited, this, &GridView::editorEdited);
    connect(&m_doc, &PrxDocument::historyMoved, this, [this] {
        if (m_editor->hasFocus())
            leaveEditor();
        syncFromDocument();
    });

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setObjectName(QStringLiteral("Vscroll"));
    m_scrollBar->setSingleStep(GridGeometry::RowPitch);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) { scrollToOffset(value); });

    const BookmarkModel *model = &m_doc.model();
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) { rowsChanged(from.row(), to.row()); });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, [this] { syncScroll(); update(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { syncScroll(); update(); });
    connect(&m_state, &GridState::changed, this, &GridView::syncFromDocument);
    GridViewAccessible::watch(this);

    syncFromDocument();
}

QSize GridView::sizeHint() const
{
    return twips(0, 0, GridGeometry::ClientWidth, GridGeometry::ClientHeight).size();
}

QRect GridView::twips(double x, double y, double w, double h) const
{
    const int left = int(std::lround(x * m_scale));
    const int top = int(std::lround(y * m_scale));
    return QRect(left, top, int(std::lround((x + w) * m_scale)) - left, int(std::lround((y + h) * m_scale)) - top);
}

double GridView::clientWidth() const
{
    return GridGeometry::ClientWidth + (width() - sizeHint().width()) / m_scale;
}

double GridView::clientHeight() const
{
    return GridGeometry::ClientHeight + (height() - sizeHint().height()) / m_scale;
}

GridGeometry::Widths GridView::columnWidths() const
{
    return GridGeometry::widenedLayout(m_doc.settings().ExpertFlag(), GridGeometry::listWidth(clientWidth()));
}

QRect GridView::listBand() const
{
    return twips(GridGeometry::ListLeft, GridGeometry::TopStripBottom, GridGeometry::listWidth(clientWidth()),
                 GridGeometry::bandHeight(clientHeight()));
}

QPointF GridView::toCellOrigin(QPointF pixels) const
{
    return QPointF(pixels.x() / m_scale - (GridGeometry::ListLeft + GridGeometry::CellInsetX),
                   pixels.y() / m_scale - (m_state.listTop + GridGeometry::CellInsetY));
}

double GridView::cellLeft(const GridGeometry::Widths &widths, int editColumn) const
{
    double left = widths[BookmarkRow::Number];
    for (int e = 1; e < editColumn; ++e)
        left += widths[size_t(GridGeometry::columnOfEdit(e))];
    return left;
}

QRect GridView::cellRect(int row, int editColumn) const
{
    const GridGeometry::Widths widths = columnWidths();
    const int column = GridGeometry::columnOfEdit(editColumn);
    if (column < 0)
        return {};
    return twips(GridGeometry::ListLeft + GridGeometry::CellInsetX + cellLeft(widths, editColumn),
                 m_state.listTop + GridGeometry::CellInsetY + double(row) * GridGeometry::RowPitch,
                 widths[size_t(column)], GridGeometry::RowPitch);
}

int GridView::travel() const
{
    return GridGeometry::travel(m_doc.model().count(), GridGeometry::bandHeight(clientHeight()));
}

double GridView::offset() const
{
    return GridGeometry::ListTopAtRest - double(m_state.listTop);
}

void GridView::scrollToOffset(double wanted)
{
    // The document keeps its classic scroll position; the position that puts
    // the list where this band wants it is found through its scale.
    const double target = std::clamp(wanted, 0.0, double(travel()));
    const int rows = m_doc.model().count();
    const int maximum = m_state.scroll.maximum;
    double scale = maximum != 0 ? GridGeometry::scrollScale(rows, maximum) : 1.0;
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1.0;
    const int position = int(std::lround(target / scale));
    if (position == m_state.scroll.position && std::abs(offset() - target) < scale)
        return;
    m_state.scrollTo(position);
}

void GridView::syncScroll()
{
    const int range = travel();
    const double band = GridGeometry::bandHeight(clientHeight());
    {
        const QSignalBlocker block(m_scrollBar);
        m_scrollBar->setRange(0, range);
        m_scrollBar->setPageStep(std::max(GridGeometry::RowPitch, int(band) - GridGeometry::RowPitch));
        m_scrollBar->setValue(int(std::lround(offset())));
        m_scrollBar->setEnabled(range > 0);
    }
    // A grown window or a shorter list may leave the list moved further than it needs.
    if (!m_syncing && (offset() > range + 0.5 || offset() < -0.5)) {
        m_syncing = true;
        scrollToOffset(offset());
        m_syncing = false;
    }
}

void GridView::ensureRowShown(int row)
{
    const double rowTop = GridGeometry::CellInsetY + double(row) * GridGeometry::RowPitch;
    // The first row brings the captions along.
    const double highest = row <= 1 ? 0.0 : GridGeometry::ListTopAtRest + rowTop - GridGeometry::TopStripBottom;
    const double lowest =
        GridGeometry::ListTopAtRest + rowTop + GridGeometry::RowPitch - bottomStripTop();
    const double now = offset();
    if (now > highest)
        scrollToOffset(highest);
    else if (now < lowest)
        scrollToOffset(std::ceil(lowest));
}

void GridView::setFocusCell(int row, int editColumn)
{
    if (row == m_focusRow && editColumn == m_focusColumn)
        return;
    update(cellRect(m_focusRow, m_focusColumn));
    m_focusRow = row;
    m_focusColumn = editColumn;
    update(cellRect(m_focusRow, m_focusColumn));
    emit currentCellChanged(m_focusRow, m_focusColumn);
}

void GridView::moveFocus(int rows, int columns)
{
    const int count = m_doc.model().count();
    if (count == 0)
        return;
    const GridGeometry::Widths widths = columnWidths();
    std::vector<int> shown;
    for (int e = 1; e <= 6; ++e) {
        if (widths[size_t(GridGeometry::columnOfEdit(e))] > 0)
            shown.push_back(e);
    }
    if (shown.empty())
        return;
    auto at = std::find(shown.begin(), shown.end(), m_focusColumn);
    int index = at == shown.end() ? 0 : int(at - shown.begin());
    index = std::clamp(index + columns, 0, int(shown.size()) - 1);
    const int row = m_focusRow < 1 ? 1 : std::clamp(m_focusRow + rows, 1, count);
    setFocusCell(row, shown[size_t(index)]);
    ensureRowShown(row);
}

void GridView::editFocusCell()
{
    if (m_doc.model().count() == 0 || m_state.editor().EditLock)
        return;
    moveFocus(0, 0);
    const GridGeometry::Widths widths = columnWidths();
    const double width = widths[size_t(GridGeometry::columnOfEdit(m_focusColumn))];
    m_state.place(cellLeft(widths, m_focusColumn) + width / 2,
                         (m_focusRow + 0.5) * GridGeometry::RowPitch, widths);
    syncEditor();
    if (m_editor->isVisible())
        m_editor->setFocus(Qt::OtherFocusReason);
}

void GridView::leaveEditor()
{
    const CellEditor &e = m_state.editor();
    if (e.EditRow >= 1 && e.EditColumn >= 1)
        setFocusCell(std::min(e.EditRow, m_doc.model().count()), e.EditColumn);
    setFocus(Qt::OtherFocusReason);
}

void GridView::syncFromDocument()
{
    syncScroll();
    QPalette editorPalette = m_editor->palette();
    editorPalette.setColor(QPalette::Text, toColor(m_doc.settings().colours()[0], palette().color(QPalette::WindowText)));
    editorPalette.setColor(QPalette::Base, toColor(m_doc.settings().colours()[1], palette().color(QPalette::Window)));
    m_editor->setPalette(editorPalette);
    if (m_focusRow > m_doc.model().count())
        setFocusCell(m_doc.model().count(), m_focusColumn);
    syncEditor();
    update();
}

void GridView::syncEditor()
{
    const CellEditor &e = m_state.editor();
    if (m_editor->text() != e.text)
        m_editor->setText(e.text);
    m_editor->setAlignment((e.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    m_editor->setMaxLength(e.maxLength > 0 ? e.maxLength : 32767);
    m_editor->setGeometry(twips(e.left, e.top, e.width, GridGeometry::RowPitch));
    m_editor->setVisible(e.visible && e.width > 0);
}

void GridView::rowsChanged(int first, int last)
{
    const double top = m_state.listTop + GridGeometry::CellInsetY + double(first + 1) * GridGeometry::RowPitch;
    const QRect rows = twips(GridGeometry::ListLeft, top, GridGeometry::listWidth(clientWidth()),
                             double(last - first + 1) * GridGeometry::RowPitch);
    update(rows.adjusted(0, -1, 0, 1) & listBand());
}

void GridView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_scrollBar->setGeometry(twips(GridGeometry::ListLeft + GridGeometry::listWidth(clientWidth()) + 90,
                                   GridGeometry::ListTopAtRest, 300, bottomStripTop() - 195));
    syncScroll();
}

void GridView::mouseMoveEvent(QMouseEvent *event)
{
    if (!listBand().contains(event->position().toPoint()))
        return;
    const QPointF at = toCellOrigin(event->position());
    m_state.place(at.x(), at.y(), columnWidths());
    syncEditor();
}

void GridView::mousePressEvent(QMouseEvent *event)
{
    if (!listBand().contains(event->position().toPoint()) || event->button() != Qt::LeftButton)
        return;
    const QPointF at = toCellOrigin(event->position());
    const int row = int(std::floor(at.y() / GridGeometry::RowPitch));
    const auto widths = columnWidths();
    if (row == 0) {
        double right = 0;
        for (int column : GridGeometry::DisplayOrder) {
            right += widths[size_t(column)];
            if (widths[size_t(column)] > 0 && at.x() < right) {
                m_list.sortByColumn(column);
                return;
            }
        }
    } else if (row >= 1 && row <= m_doc.model().count()) {
        const GridGeometry::Hit hit = GridGeometry::hitTest(widths, at.x());
        setFocusCell(row, hit.editColumn > 0 && hit.width > 0 ? hit.editColumn : m_focusColumn);
        m_state.list_1_ItemClick(row);
        // The click reached the list because the editor was elsewhere (held by
        // an edit, or hidden by a scroll). The editor follows the pointer
        // everywhere else, so a click on a cell edits it here too, and what is
        // typed next goes into that cell instead of into the list.
        if (hit.editColumn > 0 && hit.width > 0) {
            m_state.place(at.x(), at.y(), widths);
            syncEditor();
            if (m_editor->isVisible())
                m_editor->setFocus(Qt::MouseFocusReason);
        }
    }
}

void GridView::wheelEvent(QWheelEvent *event)
{
    const double rows = event->angleDelta().y() / 120.0 * kWheelRows;
    if (rows != 0 && travel() > 0)
        scrollToOffset(offset() - rows * GridGeometry::RowPitch);
    event->accept();
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    const int pageRows = std::max(1, int(GridGeometry::bandHeight(clientHeight()) / GridGeometry::RowPitch) - 2);
    switch (event->key()) {
    case Qt::Key_Up:
        moveFocus(-1, 0);
        break;
    case Qt::Key_Down:
        moveFocus(1, 0);
        break;
    case Qt::Key_Left:
        moveFocus(0, -1);
        break;
    case Qt::Key_Right:
        moveFocus(0, 1);
        break;
    case Qt::Key_PageUp:
        scrollToOffset(offset() - pageRows * GridGeometry::RowPitch);
        moveFocus(-pageRows, 0);
        break;
    case Qt::Key_PageDown:
        scrollToOffset(offset() + pageRows * GridGeometry::RowPitch);
        moveFocus(pageRows, 0);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        editFocusCell();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void GridView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(cellRect(m_focusRow, m_focusColumn));
}

void GridView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update(cellRect(m_focusRow, m_focusColumn));
}

bool GridView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor) {
        switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Undo and Redo are the document's, not the line's own.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y))
                return true;
            break;
        }
        case QEvent::FocusIn: {
            m_state.editor().focusIn();
            // A click on the editor makes its cell the current one, as a click on the list does.
            const CellEditor &e = m_state.editor();
            if (e.EditRow >= 1 && e.EditRow <= m_doc.model().count() && e.EditColumn >= 1)
                setFocusCell(e.EditRow, e.EditColumn);
            // After the click that gave the focus has placed the caret.
            QTimer::singleShot(0, m_editor, [this] { m_editor->selectAll(); });
            break;
        }
        case QEvent::FocusOut:
            m_state.editor().focusOut();
            break;
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape) {
                m_state.editor().cancelEdit();
                syncEditor();
                leaveEditor();
                return true;
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                leaveEditor();
                return true;
            }
            m_state.editor().keyTyped(typedCode(key));
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GridView::editorEdited(const QString &text)
{
    if (m_state.editor().textChanged(text) == CellEditor::Change::Refused) {
        m_editor->setText(m_state.editor().text);
        m_editor->deselect();
        m_editor->setCursorPosition(int(m_editor->text().size()));
    }
}

void GridView::paintRow(QPainter &painter, int row, double y, bool header, const GridGeometry::Widths &widths)
{
    double x = GridGeometry::ListLeft + GridGeometry::CellInsetX;
    const QColor lines = palette().color(QPalette::Mid).lighter(130);
    const QFont plain = painter.font();
    if (!header && m_doc.model().rowChanged(row - 1)) {
        QFont bold = plain;
        bold.setBold(true);
        painter.setFont(bold);
    }
    for (int column : GridGeometry::DisplayOrder) {
        const double w = widths[size_t(column)];
        if (w <= 0)
            continue;
        const QRect cell = twips(x, y, w, GridGeometry::RowPitch);
        if (header) {
            QStyleOptionHeader option;
            option.initFrom(this);
            option.rect = cell;
            option.text = BookmarkModel::caption(column);
            option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
            style()->drawControl(QStyle::CE_Header, &option, &painter, this);
        } else {
            // A changed row: its "#" cell carries a mark, in the list's own colours.
            const bool changed = m_doc.model().rowChanged(row - 1);
            const QString &cellText = m_doc.model().cell(row - 1, column);
            const QString text = changed && column == BookmarkRow::Number ? QStringLiteral("\u25CF ") + cellText : cellText;
            const QRect inner = cell.adjusted(3, 0, -3, 0);
            painter.drawText(inner, (rightAligned(column) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(text, Qt::ElideRight, inner.width()));
            painter.save();
            painter.setPen(lines);
            painter.drawLine(cell.topRight(), cell.bottomRight());
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
            painter.restore();
        }
        x += w;
    }
    painter.setFont(plain);
}

int GridView::rowAt(QPointF pixels) const
{
    if (!listBand().contains(pixels.toPoint()))
        return 0;
    const int row = int(std::floor(toCellOrigin(pixels).y() / GridGeometry::RowPitch));
    return row >= 1 && row <= m_doc.model().count() ? row : 0;
}

QString GridView::savedText(int row) const
{
    const BookmarkModel &model = m_doc.model();
    const BookmarkRow::Cells *saved = model.snapshotRow(row - 1);
    if (!saved)
        return QStringLiteral("Added since the list was loaded or saved");
    const BookmarkRow &now = model.rows()[size_t(row - 1)];
    QStringList lines{QStringLiteral("Saved:")};
    for (int c : {BookmarkRow::Description, BookmarkRow::Offset, BookmarkRow::Type, BookmarkRow::Len,
                  BookmarkRow::File})
        if ((*saved)[size_t(c)] != now[c])
            lines << QStringLiteral("%1: %2").arg(BookmarkModel::caption(c), (*saved)[size_t(c)]);
    if (now[BookmarkRow::Value] != now.savedValue)
        lines << QStringLiteral("Value: %1").arg(now.savedValue);
    return lines.join(u'\n');
}

bool GridView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int row = rowAt(help->pos());
        if (row > 0 && m_doc.model().rowChanged(row - 1))
            QToolTip::showText(help->globalPos(), savedText(row), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void GridView::contextMenuEvent(QContextMenuEvent *event)
{
    const int row = rowAt(event->pos());
    if (row == 0)
        return;
    QMenu menu(this);
    QAction *revert = menu.addAction(QStringLiteral("Revert Row"));
    revert->setObjectName(QStringLiteral("menuRevertRow"));
    revert->setEnabled(m_doc.model().rowChanged(row - 1) && m_doc.model().snapshotRow(row - 1));
    connect(revert, &QAction::triggered, this, [this, row] { m_doc.revertRow(row - 1); });
    menu.exec(event->globalPos());
}

void GridView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect band = listBand();
    const QRect dirty = event->rect() & band;
    const QColor text = toColor(m_doc.settings().colours()[2], palette().color(QPalette::WindowText));
    const QColor back = toColor(m_doc.settings().colours()[3], palette().color(QPalette::Base));
    const GridGeometry::Widths widths = columnWidths();
    painter.fillRect(dirty, back);
    painter.save();
    painter.setClipRect(dirty);
    painter.setPen(text);

    const double origin = m_state.listTop + GridGeometry::CellInsetY;
    const int rows = m_doc.model().count();
    // Only the rows the dirty part of the band shows: a moving editor repaints one or two.
    const double dirtyTop = dirty.top() / m_scale;
    const double dirtyBottom = (dirty.bottom() + 1) / m_scale;
    const int first = std::max(0, int(std::floor((dirtyTop - origin) / GridGeometry::RowPitch)));
    const int last = std::min(rows, int(std::ceil((dirtyBottom - origin) / GridGeometry::RowPitch)));
    for (int r = first; r <= last; ++r) {
        const double y = origin + double(r) * GridGeometry::RowPitch;
        if (r >= 1 && r == m_state.selectedRow) {
            const QRect line =
                twips(GridGeometry::ListLeft, y, GridGeometry::listWidth(clientWidth()), GridGeometry::RowPitch);
            painter.fillRect(line, palette().color(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
            paintRow(painter, r, y, false, widths);
            painter.setPen(text);
        } else {
            paintRow(painter, r, y, r == 0, widths);
        }
    }
    if (hasFocus() && m_focusRow >= 1 && m_focusRow <= rows) {
        const bool selected = m_focusRow == m_state.selectedRow;
        QPen pen(selected ? palette().color(QPalette::HighlightedText) : text);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cellRect(m_focusRow, m_focusColumn).adjusted(1, 1, -2, -2));
    }
    painter.restore();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(band.adjusted(0, 0, -1, -1));
}

#include "grid/gridview.h"

#include "document/prxdocument.h"
#include "grid/gridgeometry.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTimer>
#include <algorithm>
#include <cmath>

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

} // namespace

GridView::GridView(PrxDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_doc(document)
{
    // Twips become pixels at the screen's resolution, never so small that a
    // row is lower than a line of text.
    const double byDpi = logicalDpiY() / 1440.0;
    const double byFont = (fontMetrics().height() + 5) / double(GridGeometry::RowPitch);
    m_scale = std::max(byDpi, byFont);
    setFixedSize(twips(0, 0, GridGeometry::ClientWidth, GridGeometry::ClientHeight).size());
    setMouseTracking(true);
    // A click on the list takes the focus from the editor, which ends an edit.
    setFocusPolicy(Qt::ClickFocus);

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

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setObjectName(QStringLiteral("Vscroll"));
    m_scrollBar->setGeometry(twips(GridGeometry::RightStripLeft + 90, 165, 300, 8805));
    m_scrollBar->setSingleStep(GridGeometry::RowPitch);
    m_scrollBar->setPageStep(GridGeometry::RowPitch * 20);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) { m_doc.list().scrollTo(value); });

    syncFromDocument();
}

QRect GridView::twips(double x, double y, double w, double h) const
{
    const int left = int(std::lround(x * m_scale));
    const int top = int(std::lround(y * m_scale));
    return QRect(left, top, int(std::lround((x + w) * m_scale)) - left, int(std::lround((y + h) * m_scale)) - top);
}

QRect GridView::listBand() const
{
    return twips(GridGeometry::ListLeft, GridGeometry::TopStripBottom, GridGeometry::ListWidth,
                 GridGeometry::BottomStripTop - GridGeometry::TopStripBottom);
}

QPointF GridView::toCellOrigin(QPointF pixels) const
{
    return QPointF(pixels.x() / m_scale - (GridGeometry::ListLeft + GridGeometry::CellInsetX),
                   pixels.y() / m_scale - (m_doc.listTop + GridGeometry::CellInsetY));
}

void GridView::syncFromDocument()
{
    const GridGeometry::ListScroll &scroll = m_doc.scroll;
    {
        const QSignalBlocker block(m_scrollBar);
        m_scrollBar->setRange(0, std::max(scroll.maximum, 0));
        m_scrollBar->setValue(scroll.position);
        m_scrollBar->setEnabled(scroll.enabled);
    }
    QPalette editorPalette = m_editor->palette();
    editorPalette.setColor(QPalette::Text, toColor(m_doc.colours[0], palette().color(QPalette::WindowText)));
    editorPalette.setColor(QPalette::Base, toColor(m_doc.colours[1], palette().color(QPalette::Window)));
    m_editor->setPalette(editorPalette);
    syncEditor();
    update();
}

void GridView::syncEditor()
{
    const CellEditor &e = m_doc.editor();
    if (m_editor->text() != e.text)
        m_editor->setText(e.text);
    m_editor->setAlignment((e.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    m_editor->setMaxLength(e.maxLength > 0 ? e.maxLength : 32767);
    m_editor->setGeometry(twips(e.left, e.top, e.width, GridGeometry::RowPitch));
    m_editor->setVisible(e.visible && e.width > 0);
}

void GridView::mouseMoveEvent(QMouseEvent *event)
{
    if (!listBand().contains(event->position().toPoint()))
        return;
    const QPointF at = toCellOrigin(event->position());
    m_doc.editor().place(at.x(), at.y(), GridGeometry::layout(m_doc.ExpertFlag));
    syncEditor();
}

void GridView::mousePressEvent(QMouseEvent *event)
{
    if (!listBand().contains(event->position().toPoint()) || event->button() != Qt::LeftButton)
        return;
    const QPointF at = toCellOrigin(event->position());
    const int row = int(std::floor(at.y() / GridGeometry::RowPitch));
    if (row == 0) {
        const auto widths = GridGeometry::layout(m_doc.ExpertFlag);
        double right = 0;
        for (int column : GridGeometry::DisplayOrder) {
            right += widths[size_t(column)];
            if (widths[size_t(column)] > 0 && at.x() < right) {
                m_doc.list().sortByColumn(column);
                return;
            }
        }
    } else if (row >= 1 && row <= m_doc.model().count()) {
        m_doc.list().list_1_ItemClick(row);
    }
}

bool GridView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor) {
        switch (event->type()) {
        case QEvent::FocusIn:
            m_doc.editor().focusIn();
            // After the click that gave the focus has placed the caret.
            QTimer::singleShot(0, m_editor, [this] { m_editor->selectAll(); });
            break;
        case QEvent::FocusOut:
            m_doc.editor().focusOut();
            break;
        case QEvent::KeyPress:
            m_doc.editor().keyTyped(typedCode(static_cast<QKeyEvent *>(event)));
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GridView::editorEdited(const QString &text)
{
    if (m_doc.editor().textChanged(text) == CellEditor::Change::Refused) {
        m_editor->setText(m_doc.editor().text);
        m_editor->deselect();
        m_editor->setCursorPosition(int(m_editor->text().size()));
    }
}

void GridView::paintRow(QPainter &painter, int row, double y, bool header)
{
    const auto widths = GridGeometry::layout(m_doc.ExpertFlag);
    double x = GridGeometry::ListLeft + GridGeometry::CellInsetX;
    const QColor lines = palette().color(QPalette::Mid).lighter(130);
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
            const QString &text = m_doc.model().cell(row - 1, column);
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
}

void GridView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect band = listBand();
    const QRect dirty = event->rect() & band;
    const QColor text = toColor(m_doc.colours[2], palette().color(QPalette::WindowText));
    const QColor back = toColor(m_doc.colours[3], palette().color(QPalette::Base));
    painter.fillRect(dirty, back);
    painter.save();
    painter.setClipRect(dirty);
    painter.setPen(text);

    const double origin = m_doc.listTop + GridGeometry::CellInsetY;
    const int rows = m_doc.model().count();
    // Only the rows the dirty part of the band shows: a moving editor repaints one or two.
    const double dirtyTop = dirty.top() / m_scale;
    const double dirtyBottom = (dirty.bottom() + 1) / m_scale;
    const int first = std::max(0, int(std::floor((dirtyTop - origin) / GridGeometry::RowPitch)));
    const int last = std::min(rows, int(std::ceil((dirtyBottom - origin) / GridGeometry::RowPitch)));
    for (int r = first; r <= last; ++r) {
        const double y = origin + double(r) * GridGeometry::RowPitch;
        if (r >= 1 && r == m_doc.list().selectedRow) {
            const QRect line = twips(GridGeometry::ListLeft, y, GridGeometry::ListWidth, GridGeometry::RowPitch);
            painter.fillRect(line, palette().color(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
            paintRow(painter, r, y, false);
            painter.setPen(text);
        } else {
            paintRow(painter, r, y, r == 0);
        }
    }
    painter.restore();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(band.adjusted(0, 0, -1, -1));
}

#pragma once

#include "grid/bookmarklist.h"
#include "grid/gridgeometry.h"
#include "grid/gridstate.h"

#include <QWidget>

class PrxDocument;
class QLineEdit;
class QScrollBar;

// The main window's client area: the bookmark grid painted over the model in
// the band between the top and bottom strips, the floating editor Text1 and
// the scroll bar Vscroll. Geometry comes in twips and is drawn at one scale,
// so what is hit-tested is what is drawn. No widget or item exists per row.
// The band, the list's width and the scroll range follow the widget's size.
class GridView : public QWidget
{
    Q_OBJECT

public:
    explicit GridView(PrxDocument &document, QWidget *parent = nullptr);

    PrxDocument &document() const { return m_doc; }
    QRect twips(double x, double y, double w, double h) const;
    double pixelsPerTwip() const { return m_scale; }
    QLineEdit *editor() const { return m_editor; }
    QScrollBar *scrollBar() const { return m_scrollBar; }
    GridState &state() { return m_state; }
    BookmarkList &list() { return m_list; }
    QSize sizeHint() const override;

    // Twips of the current size, counted from the classic size so that the
    // classic size gives the classic geometry exactly; and the bottom strip's top.
    double clientWidth() const;
    double clientHeight() const;
    double bottomStripTop() const { return GridGeometry::bottomStripTop(clientHeight()); }
    GridGeometry::Widths columnWidths() const;

    // The cell under the keyboard focus: row 1-based (0 none), EditColumn 1..6.
    int focusRow() const { return m_focusRow; }
    int focusColumn() const { return m_focusColumn; }
    void setFocusCell(int row, int editColumn);
    // The pixels of a cell (row 1-based, EditColumn 1..6) where it is drawn now.
    QRect cellRect(int row, int editColumn) const;

    // Mirrors the document: scroll bar, editor place and text, colours.
    void syncFromDocument();

signals:
    // The focus cell moved (row 1-based, 0 none).
    void currentCellChanged(int row, int editColumn);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // The 1-based row under a point of the widget, or 0 (captions, outside the rows).
    int rowAt(QPointF pixels) const;
    // What the row held when the list was last loaded or saved, for its tooltip.
    QString savedText(int row) const;
    QRect listBand() const;
    QPointF toCellOrigin(QPointF pixels) const;
    int travel() const;
    // Where the list is moved behind the band, in twips up from its resting top.
    double offset() const;
    void scrollToOffset(double offset);
    void syncScroll();
    void ensureRowShown(int row);
    double cellLeft(const GridGeometry::Widths &widths, int editColumn) const;
    void moveFocus(int rows, int columns);
    void editFocusCell();
    void leaveEditor();
    void syncEditor();
    void editorEdited(const QString &text);
    void rowsChanged(int first, int last);
    void paintRow(QPainter &painter, int row, double y, bool header, const GridGeometry::Widths &widths);

    PrxDocument &m_doc;
    GridState m_state;
    BookmarkList m_list{m_doc, m_state};
    double m_scale = 1.0 / 15;
    QLineEdit *m_editor = nullptr;
    QScrollBar *m_scrollBar = nullptr;
    int m_focusRow = 0;
    int m_focusColumn = 1;
    bool m_syncing = false;
};

#pragma once

#include <QWidget>

class PrxDocument;
class QLineEdit;
class QScrollBar;

// The main window's client area: the bookmark grid painted over the model in
// the band between the top and bottom strips, the floating editor Text1 and
// the scroll bar Vscroll. Geometry comes in twips and is drawn at one scale,
// so what is hit-tested is what is drawn. No widget or item exists per row.
class GridView : public QWidget
{
    Q_OBJECT

public:
    explicit GridView(PrxDocument &document, QWidget *parent = nullptr);

    QRect twips(double x, double y, double w, double h) const;
    double pixelsPerTwip() const { return m_scale; }
    QLineEdit *editor() const { return m_editor; }
    QScrollBar *scrollBar() const { return m_scrollBar; }

    // Mirrors the document: scroll bar, editor place and text, colours.
    void syncFromDocument();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRect listBand() const;
    QPointF toCellOrigin(QPointF pixels) const;
    void syncEditor();
    void editorEdited(const QString &text);
    void paintRow(QPainter &painter, int row, double y, bool header);

    PrxDocument &m_doc;
    double m_scale = 1.0 / 15;
    QLineEdit *m_editor = nullptr;
    QScrollBar *m_scrollBar = nullptr;
};

#include "vshtool/widgets/swatchview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

SwatchView::SwatchView(const QString &name, QWidget *parent) : QFrame(parent)
{
    setObjectName(name);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFixedSize(44, 22);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setColour(m_colour);
}

void SwatchView::setColour(Rgb colour)
{
    m_colour = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(colour.red, colour.green, colour.blue));
    p.setColor(QPalette::WindowText, QColor(64, 64, 64));
    setPalette(p);
    setToolTip(QStringLiteral("%1, %2, %3: click to change").arg(colour.red).arg(colour.green).arg(colour.blue));
    setAccessibleDescription(
        QStringLiteral("Red %1, green %2, blue %3").arg(colour.red).arg(colour.green).arg(colour.blue));
}

void SwatchView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

void SwatchView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            emit clicked();
            return;
        }
        break;
    default:
        break;
    }
    QFrame::keyPressEvent(event);
}

void SwatchView::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    // A frame that shows on any colour: dark on light swatches, light on dark ones.
    const QColor fill(m_colour.red, m_colour.green, m_colour.blue);
    QPainter painter(this);
    painter.setPen(QPen(fill.lightnessF() > 0.5 ? QColor(0, 0, 0) : QColor(255, 255, 255), 1, Qt::DashLine));
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
}

#include "vshtool/widgets/swatchview.h"

#include <QMouseEvent>

SwatchView::SwatchView(const QString &name, QWidget *parent) : QFrame(parent)
{
    setObjectName(name);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFixedSize(44, 22);
    setCursor(Qt::PointingHandCursor);
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

#include "vshtool/widgets/xmbpictureview.h"

#include "vshtool/colourtable.h"
#include "vshtool/preview/picturelayout.h"

#include <QMouseEvent>
#include <QPainter>

XmbPictureView::XmbPictureView(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setToolTip(QStringLiteral("The XMB in this month's colours; click a month below to see it"));
    clear();
}

void XmbPictureView::setPicture(const QImage &picture, int month)
{
    m_picture = picture;
    setAccessibleName(QStringLiteral("XMB preview of %1").arg(QLatin1String(kMonthNames[size_t(month)])));
    update();
}

void XmbPictureView::clear()
{
    m_picture = QImage();
    setAccessibleName(QStringLiteral("XMB preview, no module"));
    update();
}

QSize XmbPictureView::sizeHint() const
{
    return PictureLayout::monthSize();
}

QSize XmbPictureView::minimumSizeHint() const
{
    return PictureLayout::monthSize() / 2;
}

int XmbPictureView::heightForWidth(int width) const
{
    const QSize natural = PictureLayout::monthSize();
    return width * natural.height() / natural.width();
}

QRect XmbPictureView::target() const
{
    const QSize fitted = PictureLayout::monthSize().scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, 0), fitted);
}

void XmbPictureView::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target(), m_picture);
}

void XmbPictureView::mouseReleaseEvent(QMouseEvent *event)
{
    const QRect drawn = target();
    if (event->button() == Qt::LeftButton && !m_picture.isNull() && drawn.contains(event->position().toPoint())) {
        const QPointF at = event->position() - drawn.topLeft();
        const QSize natural = PictureLayout::monthSize();
        const QPoint inPicture(int(at.x() * natural.width() / drawn.width()),
                               int(at.y() * natural.height() / drawn.height()));
        if (const auto month = PictureLayout::monthAt(inPicture))
            emit monthClicked(*month);
    }
    QWidget::mouseReleaseEvent(event);
}

#include "app/artwork.h"

#include <QFont>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kSkyTop(0x2b, 0x58, 0xc4);
const QColor kSkyBottom(0x0d, 0x1a, 0x4a);
const QColor kSun(0xff, 0xd5, 0x4a);

// One XMB-like wave across a width, its crest line at `y`.
QPainterPath wave(double width, double y, double swing)
{
    QPainterPath path(QPointF(0, y));
    path.cubicTo(width * 0.25, y - swing, width * 0.45, y + swing * 1.2, width * 0.68, y);
    path.cubicTo(width * 0.8, y - swing * 0.6, width * 0.92, y - swing * 0.7, width, y - swing * 0.7);
    return path;
}

// The icon on a 64-unit square, as in the SVG.
void paintIcon(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 2, 0, 62);
    sky.setColorAt(0, kSkyTop);
    sky.setColorAt(1, kSkyBottom);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.fillPath(frame, sky);
    p.setClipPath(frame);

    QPainterPath sea = wave(64, 47, 7);
    sea.lineTo(64, 64);
    sea.lineTo(0, 64);
    sea.closeSubpath();
    p.fillPath(sea, QColor(255, 255, 255, 46));
    p.setPen(QPen(QColor(255, 255, 255, 140), 1.5));
    p.drawPath(wave(64, 43, 7));
    p.setClipping(false);

    const QPointF v[] = {{17, 11}, {28, 37}, {32, 37}, {43, 11}, {37.5, 11}, {30, 29.5}, {22.5, 11}};
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(v, int(std::size(v)));
    p.setBrush(kSun);
    p.drawEllipse(QPointF(48, 14), 3, 3);
}

} // namespace

namespace Artwork {

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.scale(size / 64.0, size / 64.0);
        paintIcon(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap logo()
{
    constexpr int width = 400;
    constexpr int height = 52;
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, kSkyBottom);
    sky.setColorAt(0.55, kSkyTop);
    sky.setColorAt(1, QColor(0x5d, 0x9c, 0xf0));
    p.fillRect(pixmap.rect(), sky);

    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 50 + 35 * i), 1.2 + 0.4 * i));
        p.drawPath(wave(width, 34 + 5 * i, 9 - 2 * i));
    }

    p.save();
    p.translate(8, 1);
    p.scale(50 / 64.0, 50 / 64.0);
    paintIcon(p);
    p.restore();

    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(25);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QPointF(69, 32), QStringLiteral("Vantor Editor"));
    p.setPen(Qt::white);
    p.drawText(QPointF(68, 31), QStringLiteral("Vantor Editor"));

    p.end();
    return pixmap;
}

} // namespace Artwork

#include "vshtool/preview/xmbpicture.h"

#include "vshtool/preview/picturelayout.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>

namespace XmbPicture {

namespace {

using PictureLayout::Layer;

constexpr QRgb kFrame = 0xFF1D2027;
constexpr QRgb kNote = 0xFF9AA1AD;
constexpr QRgb kLabel = 0xFF8D939E;
constexpr QRgb kMarked = 0xFFF0F0F0;
constexpr QRgb kCaption = 0xFFC8CCD4;

// What the menu line says: the XMB's categories, as a theme maker knows them.
const QString kMenuLine = QStringLiteral("Photo    Music    Video    Game");

enum class Detail { Full, Tile };

QColor colourOf(const Rgb &rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// A module may hold anything as alpha: outside 0..1 it is held to the nearer end, NaN draws nothing.
double drawnAlpha(float alpha)
{
    if (std::isnan(alpha))
        return 0;
    return std::clamp(double(alpha), 0.0, 1.0);
}

// Text is drawn only where fonts can be had.
bool canWrite()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

QFont font(int pixels, QFont::Weight weight = QFont::Normal, bool italic = false)
{
    QFont f;
    f.setPixelSize(pixels);
    f.setWeight(weight);
    f.setItalic(italic);
    return f;
}

// The scene in its own coordinates (PictureLayout::scene()); the painter's
// transform puts it where it goes.
void paintScene(QPainter &p, const ColourTables &tables, int month, Detail detail)
{
    const bool words = detail == Detail::Full && canWrite();
    p.save();
    p.setClipRect(PictureLayout::scene());
    p.fillRect(PictureLayout::scene(), QColor::fromRgb(kBackground));
    p.setPen(Qt::NoPen);
    if (tables.waveTables) {
        // Back first, then front over it: the front's alpha shows the back through.
        for (auto [table, layer] : {std::pair{ColourTable::WaveBack, Layer::Back},
                                    std::pair{ColourTable::WaveFront, Layer::Front}}) {
            const auto &wave = tables.wave(table, month);
            if (!wave)
                continue;
            QColor colour = colourOf(wave->colour);
            colour.setAlphaF(float(drawnAlpha(wave->alpha)));
            p.setBrush(colour);
            p.drawPath(PictureLayout::wave(layer));
        }
    } else if (words) {
        p.setPen(QColor::fromRgb(kNote));
        p.setFont(font(15, QFont::Normal, true));
        p.drawText(PictureLayout::note(), Qt::AlignCenter, noWavesText());
        p.setPen(Qt::NoPen);
    }
    if (const auto &fontColour = tables.swatch(ColourTable::Font, month)) {
        const QRect line = PictureLayout::menuText();
        if (words) {
            p.setPen(colourOf(*fontColour));
            p.setFont(font(20, QFont::DemiBold));
            p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, kMenuLine);
            p.setPen(Qt::NoPen);
        } else {
            // Too small to read: a stroke where the words stand.
            p.fillRect(line.adjusted(0, line.height() / 3, 0, -line.height() / 3), colourOf(*fontColour));
        }
    }
    if (const auto &option = tables.swatch(ColourTable::Option, month))
        p.fillRect(PictureLayout::optionBar(), colourOf(*option));
    p.restore();
}

void paintStrip(QPainter &p, const ColourTables &tables, int marked)
{
    const QRect strip = PictureLayout::strip();
    p.fillRect(strip, QColor::fromRgb(kFrame));
    const QRect scene = PictureLayout::scene();
    for (int m = 0; m < kMonths; ++m) {
        const QRect tile = PictureLayout::tile(m);
        p.save();
        p.translate(tile.topLeft());
        p.scale(double(tile.width()) / scene.width(), double(tile.height()) / scene.height());
        paintScene(p, tables, m, Detail::Tile);
        p.restore();
        if (m == marked) {
            p.setPen(QPen(QColor::fromRgb(kMarked), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(tile).adjusted(-1, -1, 1, 1));
        }
        if (canWrite()) {
            p.setPen(QColor::fromRgb(m == marked ? kMarked : kLabel));
            p.setFont(font(10, m == marked ? QFont::Bold : QFont::Normal));
            p.drawText(PictureLayout::tileLabel(m), Qt::AlignCenter, QLatin1String(kMonthNames[size_t(m)]).left(3));
        }
    }
}

void begin(QImage &image, QPainter &painter)
{
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
}

// Drawn with 16 bits a channel, so the two layers blend without the rounding
// of each step adding up; handed out with 8.
QImage canvas(QSize size)
{
    QImage image(size, QImage::Format_RGBA64_Premultiplied);
    image.fill(QColor::fromRgb(kFrame));
    return image;
}

} // namespace

QString noWavesText()
{
    return QStringLiteral("No wave colours before firmware 5.00");
}

QImage month(const ColourTables &tables, int month)
{
    month = std::clamp(month, 0, kMonths - 1);
    QImage image = canvas(PictureLayout::monthSize());
    QPainter painter;
    begin(image, painter);
    paintScene(painter, tables, month, Detail::Full);
    paintStrip(painter, tables, month);
    painter.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage year(const ColourTables &tables)
{
    QImage image = canvas(PictureLayout::yearSize());
    QPainter painter;
    begin(image, painter);
    for (int m = 0; m < kMonths; ++m) {
        const QRect scene = PictureLayout::yearScene(m);
        painter.save();
        painter.translate(scene.topLeft());
        paintScene(painter, tables, m, Detail::Full);
        painter.restore();
        if (canWrite()) {
            painter.setPen(QColor::fromRgb(kCaption));
            painter.setFont(font(14));
            painter.drawText(PictureLayout::yearCaption(m), Qt::AlignCenter, QLatin1String(kMonthNames[size_t(m)]));
        }
    }
    painter.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace XmbPicture

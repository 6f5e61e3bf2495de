#include "vshtool/preview/picturelayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace PictureLayout {

namespace {

constexpr int kStripHeight = 48;
constexpr int kTileWidth = 35;
constexpr int kTileHeight = 20;
constexpr int kTileGap = 4;
constexpr int kTileTop = 7;
constexpr int kLabelGap = 3;
constexpr int kLabelHeight = 13;
constexpr int kYearMargin = 8;
constexpr int kYearCaption = 22;
constexpr int kMonths = 12;

// A smooth band: its centre line and its height, each a sum of two or one
// sine waves over the scene's width, so the two layers drift apart and cross
// as the XMB's waves do.
struct Band
{
    double centre;
    double swing1, period1, phase1;
    double swing2, period2, phase2;
    double height, heightSwing, heightPeriod, heightPhase;
};

constexpr Band kBack = {146, 26, 560, 0.5, 7, 190, 2.0, 52, 14, 330, 2.6};
constexpr Band kFront = {158, 30, 470, 2.4, 6, 150, 0.3, 32, 10, 270, 1.0};

const Band &band(Layer layer)
{
    return layer == Layer::Back ? kBack : kFront;
}

double wavePart(double x, double swing, double period, double phase)
{
    return swing * std::sin(2 * std::numbers::pi * x / period + phase);
}

double centreOf(const Band &b, double x)
{
    return b.centre + wavePart(x, b.swing1, b.period1, b.phase1) + wavePart(x, b.swing2, b.period2, b.phase2);
}

double heightOf(const Band &b, double x)
{
    return b.height + wavePart(x, b.heightSwing, b.heightPeriod, b.heightPhase);
}

struct Span
{
    double top;
    double bottom;
    double length() const { return bottom - top; }
};

} // namespace

QSize monthSize()
{
    return {kSceneWidth, kSceneHeight + kStripHeight};
}

QRect scene()
{
    return {0, 0, kSceneWidth, kSceneHeight};
}

QRect menuText()
{
    return {36, 34, 340, 26};
}

QRect optionBar()
{
    return {392, 0, kSceneWidth - 392, kSceneHeight};
}

QRect waveArea()
{
    static const QRect area = [] {
        double top = kSceneHeight;
        double bottom = 0;
        for (int x = 0; x <= kSceneWidth; ++x)
            for (Layer layer : {Layer::Back, Layer::Front}) {
                top = std::min(top, waveTop(layer, x));
                bottom = std::max(bottom, waveBottom(layer, x));
            }
        const int y = int(std::floor(top));
        return QRect(0, y, optionBar().left(), int(std::ceil(bottom)) - y);
    }();
    return area;
}

QRect note()
{
    const QRect area = waveArea();
    return {0, area.center().y() - 14, optionBar().left(), 28};
}

double waveTop(Layer layer, double x)
{
    return centreOf(band(layer), x) - heightOf(band(layer), x) / 2;
}

double waveBottom(Layer layer, double x)
{
    return centreOf(band(layer), x) + heightOf(band(layer), x) / 2;
}

QPainterPath wave(Layer layer)
{
    // Beyond both sides, so the band's ends are cut by the picture, not drawn.
    constexpr int kFrom = -8;
    constexpr int kTo = kSceneWidth + 8;
    constexpr int kStep = 2;
    QPainterPath path;
    path.moveTo(kFrom, waveTop(layer, kFrom));
    for (int x = kFrom + kStep; x <= kTo; x += kStep)
        path.lineTo(x, waveTop(layer, x));
    for (int x = kTo; x >= kFrom; x -= kStep)
        path.lineTo(x, waveBottom(layer, x));
    path.closeSubpath();
    return path;
}

Probes probes()
{
    // The first column (from the left, clear of the edges and the option bar)
    // where each kind of span is long enough; the probe is the pixel at its middle.
    constexpr double kLongEnough = 14;
    std::optional<QPoint> found[4];
    for (int x = 12; x < optionBar().left() - 12; ++x) {
        const double at = x + 0.5;
        const Span back{waveTop(Layer::Back, at), waveBottom(Layer::Back, at)};
        const Span front{waveTop(Layer::Front, at), waveBottom(Layer::Front, at)};
        const double lowest = std::max(back.bottom, front.bottom);
        const Span kinds[4][2] = {
            {{back.top, std::min(back.bottom, front.top)}, {std::max(back.top, front.bottom), back.bottom}},
            {{front.top, std::min(front.bottom, back.top)}, {std::max(front.top, back.bottom), front.bottom}},
            {{std::max(back.top, front.top), std::min(back.bottom, front.bottom)}, {0, 0}},
            {{lowest, std::min(lowest + 24, double(kSceneHeight))}, {0, 0}},
        };
        for (int k = 0; k < 4; ++k)
            for (const Span &span : kinds[k])
                if (!found[k] && span.length() >= kLongEnough)
                    found[k] = QPoint(x, int(std::floor((span.top + span.bottom) / 2)));
    }
    return {found[0].value_or(QPoint()), found[1].value_or(QPoint()), found[2].value_or(QPoint()),
            found[3].value_or(QPoint())};
}

QRect strip()
{
    return {0, kSceneHeight, kSceneWidth, kStripHeight};
}

QRect tile(int month)
{
    const int row = kMonths * kTileWidth + (kMonths - 1) * kTileGap;
    const int left = (kSceneWidth - row) / 2 + month * (kTileWidth + kTileGap);
    return {left, kSceneHeight + kTileTop, kTileWidth, kTileHeight};
}

QRect tileLabel(int month)
{
    const QRect t = tile(month);
    return {t.left() - kTileGap / 2, t.bottom() + 1 + kLabelGap, kTileWidth + kTileGap, kLabelHeight};
}

std::optional<int> monthAt(QPoint point)
{
    for (int m = 0; m < kMonths; ++m) {
        const QRect t = tile(m);
        const QRect column(t.left() - kTileGap / 2, t.top() - kTileTop, kTileWidth + kTileGap, kStripHeight);
        if (column.contains(point))
            return m;
    }
    return std::nullopt;
}

QSize yearSize()
{
    const int rows = (kMonths + kYearColumns - 1) / kYearColumns;
    return {kYearMargin + kYearColumns * (kSceneWidth + kYearMargin),
            kYearMargin + rows * (kSceneHeight + kYearCaption + kYearMargin)};
}

QRect yearScene(int month)
{
    const int column = month % kYearColumns;
    const int row = month / kYearColumns;
    return {kYearMargin + column * (kSceneWidth + kYearMargin),
            kYearMargin + row * (kSceneHeight + kYearCaption + kYearMargin), kSceneWidth, kSceneHeight};
}

QRect yearCaption(int month)
{
    const QRect s = yearScene(month);
    return {s.left(), s.bottom() + 1, s.width(), kYearCaption};
}

} // namespace PictureLayout

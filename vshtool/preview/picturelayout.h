#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Where the XMB pictures put their parts, in pixels. Fixed numbers and pure
// functions only: the same tables always give the same pixels at the same places.
//
// A month's picture is the scene (the XMB's own 480 x 272 screen: the two wave
// layers, a line of menu text, the option bar on the right) above a strip of
// twelve small tiles, one a month. The year's picture is a grid of the twelve
// scenes, four a row, each with its month's name beneath.
namespace PictureLayout {

inline constexpr int kSceneWidth = 480;
inline constexpr int kSceneHeight = 272;
inline constexpr int kYearColumns = 4;

enum class Layer { Back, Front };

QSize monthSize();
QRect scene();
// The line of menu text, drawn in the font colour.
QRect menuText();
// The bar drawn in the option colour.
QRect optionBar();
// Where a picture of a version without wave tables says so.
QRect note();
// Everything between the highest top and the lowest bottom of the two bands,
// left of the option bar.
QRect waveArea();

// The band of a wave layer at column x (scene pixels, x from 0 to the width).
double waveTop(Layer layer, double x);
double waveBottom(Layer layer, double x);
// The band as a closed outline, a little wider than the scene on both sides.
QPainterPath wave(Layer layer);

// Pixels well inside (at least a few pixels from every edge) the part of the
// scene covered by the back band alone, by the front band alone, by both, and
// by neither (just below the bands). Their centres lie at least four pixels
// from any edge, so antialiasing does not reach them.
struct Probes
{
    QPoint backOnly;
    QPoint frontOnly;
    QPoint both;
    QPoint neither;
};
Probes probes();

// The strip under the scene and the tile and label of each month in it.
QRect strip();
QRect tile(int month);
QRect tileLabel(int month);
// The month whose tile (or label) holds `point` of the month's picture.
std::optional<int> monthAt(QPoint point);

QSize yearSize();
// Where month m's scene lies in the year's picture, and its caption.
QRect yearScene(int month);
QRect yearCaption(int month);

} // namespace PictureLayout

#pragma once

#include "vshtool/colourtables.h"

#include <QImage>
#include <QString>

// The XMB as a month's colours make it look, drawn by one renderer for the
// VSHmain tool window and for `vantor colors --preview`. Over a dark
// background: the back and then the front wave layer in their colours with
// their alpha (before firmware 5.0 a note instead), a line of menu text in the
// font colour, and the option bar in its colour. A colour the tables lack
// (a failed read) is left out. Words need a QGuiApplication; without one the
// pictures are drawn without them. Where the parts lie is PictureLayout.
namespace XmbPicture {

// One month (0 January ... 11 December): its scene above the strip of the
// twelve months, the month's tile marked.
QImage month(const ColourTables &tables, int month);
// The twelve scenes in a grid, each with its month's name.
QImage year(const ColourTables &tables);

// The scene's background.
inline constexpr QRgb kBackground = 0xFF0E1117;
// What a picture of a version without wave tables says in their place.
QString noWavesText();

} // namespace XmbPicture

#pragma once

class QIcon;
class QPixmap;

// The editor's pictures, drawn in code so that nothing has to be written to
// disk to show them: the window icon (the design of data/vantoreditor.svg)
// and the 400 x 52 logo of the About window.
namespace Artwork {

QIcon appIcon();
QPixmap logo();

} // namespace Artwork

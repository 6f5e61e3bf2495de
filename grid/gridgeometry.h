#pragma once

#include <array>

// The bookmark grid's geometry in twips: row pitch, list height, scroll range,
// the list's top for a scroll position, column layouts and the editor's hit
// zones. Widgets convert twips to pixels; everything here is plain numbers.
namespace GridGeometry {

inline constexpr int RowPitch = 210;
inline constexpr int VisibleRows = 40;
inline constexpr int RestingHeight = 8780;
inline constexpr int ScrollCap = 32767;
inline constexpr int ListLeft = 90;
inline constexpr int ListWidth = 9810;
inline constexpr int ListTopAtRest = 165;
// The list's cells start this far right of its left edge and this far below its top.
inline constexpr int CellInsetX = 30;
inline constexpr int CellInsetY = 90;
inline constexpr int NumberWidth = 650;
inline constexpr int ClientWidth = 10425;
inline constexpr int ClientHeight = 9480;
inline constexpr int TopStripBottom = 180;
inline constexpr int BottomStripTop = 9000;
inline constexpr int RightStripLeft = 9900;

// The scroll bar's state and the list's height, as the main window keeps them.
struct ListScroll
{
    bool enabled = false;
    int maximum = 0;
    int position = 0;
    int height = RestingHeight;
};

int listHeight(int rows);
int scrollMaximum(int rows);
// Refilled list: height, maximum and enabled state set; the position is kept.
void refill(ListScroll &scroll, int rows);
// A row appended past 40 rows: enabled, maximum, height, and the end shown.
void grow(ListScroll &scroll, int rows);
double scrollScale(int rows, int maximum);
float listTop(int position, double scale);

// A grid whose client area is not the classic 10425 x 9480: the strips keep
// their distances from the edges, and the band between the strips, the list's
// width and how far the list moves behind the band follow the size.
inline constexpr int BottomStripMargin = ClientHeight - BottomStripTop;
inline constexpr int RightMargin = ClientWidth - ListWidth;
double bottomStripTop(double clientHeight);
double bandHeight(double clientHeight);
double listWidth(double clientWidth);
// How far the list of `rows` moves up at the end of its travel behind a band
// of `band` twips; 0 when it fits. The classic band gives scrollMaximum().
int travel(int rows, double band);

// Column widths by column number (Description, Value, Offset, Type, Len, #, File).
using Widths = std::array<double, 7>;
Widths layout(bool expert, double listWidth = ListWidth);
// The classic layout with a list wider than ListWidth: the narrow columns keep
// their widths and Description takes the rest.
Widths widenedLayout(bool expert, double listWidth);

// Which cell an x (twips from the list's cell origin) falls in, for the editor.
struct Hit
{
    int editColumn = 0; // 1 Description .. 6 File, 0 over "#"
    double left = 0;    // from the cell origin
    double width = 0;
};
Hit hitTest(const Widths &widths, double x);

// Column numbers in the order they are shown: "#" first.
inline constexpr std::array<int, 7> DisplayOrder = {5, 0, 1, 2, 3, 4, 6};
// The column number of an EditColumn (1 Description .. 6 File).
int columnOfEdit(int editColumn);

} // namespace GridGeometry

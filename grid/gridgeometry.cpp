#include "grid/gridgeometry.h"

#include <algorithm>
#include <cmath>

namespace GridGeometry {

int listHeight(int rows)
{
    return rows > VisibleRows ? rows * RowPitch + 380 : RestingHeight;
}

int scrollMaximum(int rows)
{
    const long long m = static_cast<long long>(rows) * RowPitch - 8440;
    return m < ScrollCap ? int(m) : ScrollCap;
}

void refill(ListScroll &scroll, int rows)
{
    scroll.height = listHeight(rows);
    scroll.enabled = rows > VisibleRows;
    scroll.maximum = scrollMaximum(rows);
}

void grow(ListScroll &scroll, int rows)
{
    if (rows <= VisibleRows)
        return;
    scroll.enabled = true;
    scroll.maximum = scrollMaximum(rows);
    scroll.height = rows * RowPitch + 380;
    scroll.position = scroll.maximum - 100;
}

double scrollScale(int rows, int maximum)
{
    return (double(rows) * RowPitch - 8440) / double(maximum);
}

float listTop(int position, double scale)
{
    return float(ListTopAtRest - position * scale);
}

double bottomStripTop(double clientHeight)
{
    return clientHeight - BottomStripMargin;
}

double bandHeight(double clientHeight)
{
    return bottomStripTop(clientHeight) - TopStripBottom;
}

double listWidth(double clientWidth)
{
    return std::max<double>(clientWidth - RightMargin, ListWidth);
}

int travel(int rows, double band)
{
    const double t = double(rows) * RowPitch + 380 - band;
    return t > 0 ? int(std::ceil(t)) : 0;
}

Widths layout(bool expert, double w)
{
    Widths widths{};
    if (expert) {
        const double rest = w - NumberWidth;
        widths = {rest * 5 / 10 - 15, rest * 1.5 / 10 - 15, rest * 1.5 / 10 - 15, rest * 1 / 10 - 15,
                  rest / 20, NumberWidth, rest / 20};
    } else {
        widths = {w * 3 / 5, w * 4 / 10 - 720, 0, 0, 0, NumberWidth, 0};
    }
    return widths;
}

Widths widenedLayout(bool expert, double w)
{
    Widths widths = layout(expert);
    widths[0] += std::max(0.0, w - ListWidth);
    return widths;
}

int columnOfEdit(int editColumn)
{
    static constexpr int columns[] = {-1, 0, 1, 2, 3, 4, 6};
    return editColumn >= 1 && editColumn <= 6 ? columns[editColumn] : -1;
}

Hit hitTest(const Widths &widths, double x)
{
    double bound = widths[5];
    if (x <= bound)
        return Hit{};
    for (int edit = 1; edit <= 5; ++edit) {
        const double width = widths[size_t(columnOfEdit(edit))];
        if (x <= bound + width)
            return Hit{edit, bound, width};
        bound += width;
    }
    return Hit{6, bound, widths[6]};
}

} // namespace GridGeometry

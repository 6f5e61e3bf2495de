#include "vshtool/colourtable.h"

const TableLayout &TableLayout::of(ColourTable table)
{
    static const TableLayout font{{QStringLiteral("RFontStart"), QStringLiteral("GFontStart"), QStringLiteral("BFontStart"), {}}, 12, 0};
    static const TableLayout option{{QStringLiteral("ROptStart"), QStringLiteral("GOptStart"), QStringLiteral("BOptStart"), {}}, 12, 0};
    static const std::array<QString, 4> wave = {QStringLiteral("RWaveStart"), QStringLiteral("GWaveStart"),
                                                QStringLiteral("BWaveStart"), QStringLiteral("AWaveStart")};
    static const TableLayout back{wave, 32, 0};
    static const TableLayout front{wave, 32, 16};
    switch (table) {
    case ColourTable::Font:
        return font;
    case ColourTable::Option:
        return option;
    case ColourTable::WaveBack:
        return back;
    case ColourTable::WaveFront:
        break;
    }
    return front;
}

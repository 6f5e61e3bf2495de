#pragma once

#include <QString>
#include <array>

// The four monthly colour tables of a vshmain module. Each component of month m
// lies at its own bookmark key's offset + stride * m + placement: font and
// option bar are red, green, blue records of 12 bytes; the wave table is one
// 32-byte record per month, the back layer first, the front layer 16 bytes on.
enum class ColourTable { Font, Option, WaveBack, WaveFront };

struct TableLayout
{
    // Red, green, blue and (for the waves) alpha: the bookmark keys that give
    // each component's start. The alpha key is empty for font and option bar.
    std::array<QString, 4> keys;
    int stride = 12;
    int placement = 0;

    bool hasAlpha() const { return !keys[3].isEmpty(); }
    static const TableLayout &of(ColourTable table);
};

inline constexpr std::array<ColourTable, 4> kColourTables = {ColourTable::Font, ColourTable::Option,
                                                             ColourTable::WaveBack, ColourTable::WaveFront};
inline constexpr int kMonths = 12;
// The months' names, January first: the window's labels and the presets' keys.
inline constexpr std::array<const char *, kMonths> kMonthNames = {
    "January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November", "December"};

inline bool isWave(ColourTable table)
{
    return table == ColourTable::WaveBack || table == ColourTable::WaveFront;
}

#pragma once

#include "common/rgb.h"
#include "vshtool/colourtable.h"

#include <QString>
#include <array>
#include <optional>

// What a read of all tables found: each month's swatch and each wave month's
// alpha text, in table order. A failed read ends at the failing component;
// what it read before stays set, the rest is empty.
struct ColourTables
{
    std::array<std::array<std::optional<Rgb>, kMonths>, 4> swatches;
    // Back and front layer.
    std::array<std::array<std::optional<QString>, kMonths>, 2> alphas;
    bool complete = false;

    std::optional<Rgb> &swatch(ColourTable table, int month) { return swatches[size_t(table)][size_t(month)]; }
    std::optional<QString> &alpha(ColourTable layer, int month)
    {
        return alphas[layer == ColourTable::WaveBack ? 0 : 1][size_t(month)];
    }
};

#pragma once

#include "common/rgb.h"
#include "vshtool/colourtable.h"

#include <QString>
#include <array>
#include <optional>

// A wave layer's month as stored: its own colour and its alpha, unblended.
struct WaveColour
{
    Rgb colour;
    float alpha = 1;
};

// What a read of all tables found: each month's swatch and each wave month's
// alpha text, in table order. A failed read ends at the failing component;
// what it read before stays set, the rest is empty.
struct ColourTables
{
    std::array<std::array<std::optional<Rgb>, kMonths>, 4> swatches;
    // Back and front layer.
    std::array<std::array<std::optional<QString>, kMonths>, 2> alphas;
    // Back and front layer as the XMB draws them (the swatches are blended over white).
    std::array<std::array<std::optional<WaveColour>, kMonths>, 2> waves;
    // The version has wave tables (5.0 and later).
    bool waveTables = false;
    bool complete = false;

    std::optional<Rgb> &swatch(ColourTable table, int month) { return swatches[size_t(table)][size_t(month)]; }
    std::optional<QString> &alpha(ColourTable layer, int month)
    {
        return alphas[layer == ColourTable::WaveBack ? 0 : 1][size_t(month)];
    }
    std::optional<WaveColour> &wave(ColourTable layer, int month)
    {
        return waves[layer == ColourTable::WaveBack ? 0 : 1][size_t(month)];
    }
    const std::optional<WaveColour> &wave(ColourTable layer, int month) const
    {
        return waves[layer == ColourTable::WaveBack ? 0 : 1][size_t(month)];
    }
    const std::optional<Rgb> &swatch(ColourTable table, int month) const
    {
        return swatches[size_t(table)][size_t(month)];
    }
};

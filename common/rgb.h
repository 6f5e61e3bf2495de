#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// A 24-bit colour. As a number it is stored the way Config.ini holds colours:
// red in the lowest byte, then green, then blue.
struct Rgb
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    static Rgb fromNumber(std::uint32_t n)
    {
        return Rgb{std::uint8_t(n & 0xFF), std::uint8_t((n >> 8) & 0xFF), std::uint8_t((n >> 16) & 0xFF)};
    }
    // A colour as Config.ini stores it (decimal, 0 to 0xFFFFFF); nothing for other text.
    static std::optional<Rgb> fromSetting(const QString &text);
    std::uint32_t toNumber() const { return red | (std::uint32_t(green) << 8) | (std::uint32_t(blue) << 16); }
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

#include "common/rgb.h"

#include "common/numbertext.h"

std::optional<Rgb> Rgb::fromSetting(const QString &text)
{
    const auto n = NumberText::parseWhole(text);
    if (!n || *n < 0 || *n > 0xFFFFFF)
        return std::nullopt;
    return fromNumber(std::uint32_t(*n));
}

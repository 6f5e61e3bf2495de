#include "vshtool/colourchannel.h"

#include <algorithm>
#include <cmath>

namespace ColourChannel {

namespace {

int clamped(double value)
{
    if (std::isnan(value))
        return 0;
    return int(std::clamp(value, 0.0, 255.0));
}

} // namespace

int fromComponent(float component)
{
    return clamped(std::floor(double(component) * 255.0));
}

int blended(int channel, float alpha)
{
    return clamped(std::floor(255.0 - (255.0 - channel) * double(alpha)));
}

int blendedRounded(int channel, double alpha)
{
    // nearbyint follows the default rounding mode: to nearest, halves to even.
    return clamped(std::nearbyint(255.0 - alpha * (255.0 - channel)));
}

float toComponent(int channel)
{
    return float(double(std::clamp(channel, 0, 255)) / 255.0);
}

} // namespace ColourChannel

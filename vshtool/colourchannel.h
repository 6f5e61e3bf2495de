#pragma once

// How a stored colour component (a single, nominally 0.0 to 1.0) becomes a
// swatch channel (0 to 255) and back. Channels outside 0..255 are clamped, a
// NaN counts as 0: a module may hold anything at these places.
namespace ColourChannel {

// floor(c * 255).
int fromComponent(float component);
// The wave swatch over white with the month's alpha, as a table read shows it:
// floor(255 - (255 - channel) * alpha).
int blended(int channel, float alpha);
// The same after an alpha was typed: rounded to the nearest, halves to even.
int blendedRounded(int channel, double alpha);
// k / 255 as a single.
float toComponent(int channel);

} // namespace ColourChannel

#pragma once

#include <QString>
#include <optional>

// Decisions taken from a firmware version text such as "5.00". A text that is
// not a number counts as below 5 wherever its value decides.
namespace Firmware {

// The digits before the point, after trimming: " 5.00" and "5.00M33" are 5.
// Nothing when the text does not start with a digit.
std::optional<int> generation(const QString &version);

// The generation is 5 or more: the module is scrambled and needs a working copy.
bool isScrambled(const QString &version);

} // namespace Firmware

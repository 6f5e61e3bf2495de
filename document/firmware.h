#pragma once

#include <QString>

// Decisions taken from a firmware version text such as "5.00". A text that is
// not a number counts as below 5 wherever its value decides.
namespace Firmware {

// The integer part is 5 or more: the module is scrambled and needs a working copy.
bool isScrambled(const QString &version);

} // namespace Firmware

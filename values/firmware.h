#pragma once

#include <QString>
#include <optional>

// Decisions taken from a firmware version text such as "5.00". Every one
// reads the text's leading number after trimming: digits, then optionally a
// point and more digits; whatever follows ("M33", " OE") is no part of it. A
// text that does not start with a digit has no number and counts as below 5
// wherever its value decides.
namespace Firmware {

// The digits before the point: " 5.00" and "5.00M33" are 5.
std::optional<int> generation(const QString &version);

// The leading number: "5.00M33" is 5.0, "4.99" is 4.99.
std::optional<double> value(const QString &version);

// The generation is 5 or more: the module is scrambled and needs a working copy.
bool isScrambled(const QString &version);

// The value is 5.0 or more: the module has the two wave colour tables and
// keeps its sub-icon records in the module as opened.
bool hasWaveTables(const QString &version);

} // namespace Firmware

#pragma once

#include <QString>
#include <optional>

// Decimal number text as cells and settings hold it: optional sign, digits with
// an optional "." (at least one digit in all), optional exponent. Nothing else:
// no blanks, no thousands separators, no hexadecimal.
namespace NumberText {

std::optional<double> parse(const QString &text);
// A whole number that fits a 64-bit integer, for counts such as `offset`.
std::optional<qint64> parseWhole(const QString &text);

} // namespace NumberText

#include "common/numbertext.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace NumberText {

std::optional<double> parse(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto at = [&](qsizetype k) { return k < n ? text.at(k).unicode() : char16_t(0); };
    auto isDigit = [](char16_t c) { return c >= '0' && c <= '9'; };
    if (at(i) == '+' || at(i) == '-')
        ++i;
    int digits = 0;
    while (isDigit(at(i))) { ++i; ++digits; }
    if (at(i) == '.') {
        ++i;
        while (isDigit(at(i))) { ++i; ++digits; }
    }
    if (digits == 0)
        return std::nullopt;
    if (at(i) == 'e' || at(i) == 'E') {
        ++i;
        if (at(i) == '+' || at(i) == '-')
            ++i;
        int expDigits = 0;
        while (isDigit(at(i))) { ++i; ++expDigits; }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    const std::string ascii = text.toStdString();
    return std::strtod(ascii.c_str(), nullptr);
}

std::optional<qint64> parseWhole(const QString &text)
{
    const auto value = parse(text);
    if (!value || !std::isfinite(*value) || std::floor(*value) != *value || std::fabs(*value) > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(*value);
}

} // namespace NumberText

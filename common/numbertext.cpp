#include "common/numbertext.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace NumberText {

namespace {

// What a text beyond the range of a double stands for: from_chars leaves the
// value alone there, so overflow and underflow are told apart by the decimal
// exponent of the first significant digit.
double beyondRange(const std::string &ascii)
{
    const bool negative = ascii[0] == '-';
    const size_t e = ascii.find_first_of("eE");
    const std::string mantissa = ascii.substr(0, e);
    qint64 exponent = 0;
    if (e != std::string::npos) {
        size_t i = e + 1;
        const bool down = ascii[i] == '-';
        if (ascii[i] == '+' || ascii[i] == '-')
            ++i;
        for (; i < ascii.size() && exponent < 1000000; ++i)
            exponent = exponent * 10 + (ascii[i] - '0');
        if (down)
            exponent = -exponent;
    }
    const size_t point = mantissa.find('.');
    const qint64 intEnd = qint64(point == std::string::npos ? mantissa.size() : point);
    const size_t found = mantissa.find_first_of("123456789");
    if (found == std::string::npos)
        return negative ? -0.0 : 0.0;
    const qint64 first = qint64(found);
    exponent += first < intEnd ? intEnd - first - 1 : intEnd - first;
    const double magnitude = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

} // namespace

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
    // The point is the separator whatever the locale: strtod would follow LC_NUMERIC.
    const std::string ascii = text.toStdString();
    const char *begin = ascii.data() + (ascii[0] == '+' ? 1 : 0);
    double value = 0;
    const auto [end, error] = std::from_chars(begin, ascii.data() + ascii.size(), value);
    if (error == std::errc::result_out_of_range)
        return beyondRange(ascii);
    if (error != std::errc() || end != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

std::optional<qint64> parseWhole(const QString &text)
{
    const auto value = parse(text);
    if (!value || !std::isfinite(*value) || std::floor(*value) != *value || std::fabs(*value) > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(*value);
}

} // namespace NumberText

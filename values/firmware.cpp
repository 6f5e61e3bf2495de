#include "values/firmware.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Firmware {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The leading number's text, or empty text when the version has none.
QString leadingNumber(const QString &version)
{
    const QString text = version.trimmed();
    qsizetype end = 0;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    if (end == 0)
        return QString();
    if (end + 1 < text.size() && text[end] == u'.' && isDigit(text[end + 1])) {
        ++end;
        while (end < text.size() && isDigit(text[end]))
            ++end;
    }
    return text.left(end);
}

} // namespace

std::optional<double> value(const QString &version)
{
    bool ok = false;
    const double number = leadingNumber(version).toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

std::optional<int> generation(const QString &version)
{
    // Taken from the value, so the two never disagree about one text.
    const auto number = value(version);
    if (!number)
        return std::nullopt;
    return int(std::min(std::floor(*number), double(std::numeric_limits<int>::max())));
}

bool isScrambled(const QString &version)
{
    const auto number = generation(version);
    return number && *number >= 5;
}

bool hasWaveTables(const QString &version)
{
    const auto number = value(version);
    return number && *number >= 5.0;
}

} // namespace Firmware

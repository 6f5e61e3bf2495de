#include "values/firmware.h"

namespace Firmware {

std::optional<int> generation(const QString &version)
{
    const QString text = version.trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9')
        ++digits;
    bool ok = false;
    const int value = text.left(digits).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool isScrambled(const QString &version)
{
    const auto value = generation(version);
    return value && *value >= 5;
}

} // namespace Firmware

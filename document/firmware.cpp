#include "document/firmware.h"

#include "common/numbertext.h"

namespace Firmware {

bool isScrambled(const QString &version)
{
    const auto value = NumberText::parse(version);
    return value && *value >= 5.0;
}

} // namespace Firmware

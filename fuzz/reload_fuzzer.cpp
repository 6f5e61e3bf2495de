#include "fuzz/reloadinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ReloadInput::run(data, size);
    return 0;
}

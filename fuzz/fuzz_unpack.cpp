#include "fuzz/unpackcase.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!UnpackCase::check(data, size))
        std::abort();
    return 0;
}

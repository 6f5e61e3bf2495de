#include "fuzz/filecheck.h"
#include "fuzz/searchcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FileCheck::fuzzOne("fuzz_search", data, size, SearchCheck::check);
}

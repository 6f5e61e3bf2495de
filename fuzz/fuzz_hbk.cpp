#include "fuzz/filecheck.h"
#include "fuzz/hbkcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FileCheck::fuzzOne("fuzz_hbk", data, size, HbkCheck::check);
}

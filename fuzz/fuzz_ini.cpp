#include "fuzz/filecheck.h"
#include "fuzz/iniroundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FileCheck::fuzzOne("fuzz_ini", data, size, IniRoundTrip::check);
}

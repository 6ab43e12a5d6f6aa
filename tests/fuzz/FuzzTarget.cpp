// One libFuzzer program per entry of FuzzEntries.hpp; the build names the entry.
#include "tests/fuzz/FuzzEntries.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QUILLET_FUZZ_ENTRY(quillet::fuzz::Bytes(data, size));
    return 0;
}

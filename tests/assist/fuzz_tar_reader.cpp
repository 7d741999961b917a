// Fuzzes the assistant's tar and tar.gz reader with arbitrary file contents.
#include "tests/assist/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return ks_fuzz::FuzzReader(arcdesc::TarFormat(), data, size);
}

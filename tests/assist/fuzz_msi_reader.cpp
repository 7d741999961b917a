// Fuzzes the assistant's installer (MSI, OLE compound file) reader with arbitrary file contents.
#include "tests/assist/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return ks_fuzz::FuzzReader(arcdesc::MsiFormat(), data, size);
}

// Fuzzes the assistant's plain text reader, and with it the guessing and conversion of text encodings.
#include "tests/assist/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return ks_fuzz::FuzzReader(arcdesc::TextFormat(), data, size);
}

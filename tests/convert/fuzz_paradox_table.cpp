// Fuzz target: the Paradox reader and version-1 mapping on arbitrary table and memo bytes.
#include "kspdx/version1_import.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first two bytes say where the table ends and the memo file begins.
    if (size < 2)
        return 0;
    const std::size_t split = std::min<std::size_t>(size - 2, static_cast<std::size_t>(data[0] | data[1] << 8) * 16);
    const std::span<const std::uint8_t> db(data + 2, split);
    const std::span<const std::uint8_t> mb(data + 2 + split, size - 2 - split);
    std::vector<kspdx::ImportTexts> records;
    const std::int32_t result =
        kspdx::MapVersion1Table(db, mb, [](std::uint32_t day) { return std::to_string(day).substr(0, 10); }, records);
    if (result != 0 && !records.empty())
        std::abort();
    for (const kspdx::ImportTexts& texts : records)
        for (std::size_t i = 0; i < kTextFieldCount; ++i)
            if (texts[i].size() >= kTextFields[i].size || texts[i].find('\0') != std::string::npos)
                std::abort();
    return 0;
}

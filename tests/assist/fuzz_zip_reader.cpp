// Fuzzes the assistant's ZIP reader and description choice with arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assist/archive/description.h"
#include "assist/archive/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const arcdesc::MemorySource source(data, size);
    const arcdesc::ZipDirectory dir = arcdesc::ReadZipDirectory(source);
    std::size_t n = 0;
    for (const arcdesc::ZipEntry& entry : dir.entries) {
        if (++n > 8)
            break;
        std::string text;
        arcdesc::ReadZipEntry(source, entry, 4096, text);
    }
    for (bool namedZip : {false, true}) {
        arcdesc::Proposal proposal;
        if (arcdesc::ProposeForFile(source, namedZip, {}, proposal) > 0 &&
            (proposal.title.size() > arcdesc::kLineChars || proposal.keywords.size() > arcdesc::kLineChars ||
             proposal.abstract.size() > arcdesc::kAbstractChars))
            __builtin_trap();
    }
    return 0;
}

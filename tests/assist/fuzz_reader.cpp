// Fuzzes one of the assistant's file readers, named by the program (fuzz_pe_reader drives the PE reader): it is
// shown arbitrary bytes whether or not it recognises them, and what it proposes must keep the record's widths.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assist/archive/description.h"
#include "assist/archive/reader.h"

namespace {
const arcdesc::FormatReader* g_reader = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    const std::string program = *argc > 0 ? (*argv)[0] : "";
    const struct {
        const char* name;
        const arcdesc::FormatReader& reader;
    } readers[] = {{"pe", arcdesc::PeFormat()}, {"msi", arcdesc::MsiFormat()}, {"pdf", arcdesc::PdfFormat()},
                   {"mp3", arcdesc::Mp3Format()}, {"jpeg", arcdesc::JpegFormat()}, {"png", arcdesc::PngFormat()},
                   {"tar", arcdesc::TarFormat()}, {"text", arcdesc::TextFormat()}};
    for (const auto& r : readers)
        if (program.ends_with(std::string("fuzz_") + r.name + "_reader"))
            g_reader = &r.reader;
    if (!g_reader)
        std::abort();  // a fuzzer named after no reader would test nothing
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const arcdesc::MemorySource source(data, size);
    g_reader->Recognises(source, std::string(reinterpret_cast<const char*>(data), std::min(size, arcdesc::kHeadBytes)));
    const arcdesc::CodePages pages;
    const arcdesc::Sources sources;
    arcdesc::Proposal p;
    if (g_reader->Propose(source, arcdesc::ReadContext{sources, pages}, p) > 0 &&
        (p.title.size() > arcdesc::kLineChars || p.keywords.size() > arcdesc::kLineChars ||
         p.abstract.size() > arcdesc::kAbstractChars))
        __builtin_trap();
    return 0;
}

// The body of each file reader's fuzzer: the reader is shown arbitrary bytes whether or not it recognises them,
// and what it proposes must keep the record's widths. Each fuzz_*_reader.cpp names its reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "assist/archive/description.h"
#include "assist/archive/reader.h"

namespace ks_fuzz {

inline void CheckWidths(const arcdesc::Proposal& p)
{
    if (p.title.size() > arcdesc::kLineChars || p.keywords.size() > arcdesc::kLineChars ||
        p.abstract.size() > arcdesc::kAbstractChars)
        __builtin_trap();
}

inline int FuzzReader(const arcdesc::FormatReader& reader, const std::uint8_t* data, std::size_t size)
{
    const arcdesc::MemorySource source(data, size);
    const std::string head(
        reinterpret_cast<const char*>(data), size < arcdesc::kHeadBytes ? size : arcdesc::kHeadBytes);
    reader.Recognises(source, head);
    const arcdesc::CodePages pages;
    const arcdesc::Sources sources;
    arcdesc::Proposal proposal;
    if (reader.Propose(source, arcdesc::ReadContext{sources, pages}, proposal) > 0)
        CheckWidths(proposal);
    return 0;
}

}  // namespace ks_fuzz

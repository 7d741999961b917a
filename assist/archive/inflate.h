// zlib-compressed data unpacked in memory, never beyond a limit. Portable.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace arcdesc {

// At most max bytes of the unpacked data; data damaged after a start gives that start.
std::string InflateZlib(std::string_view in, std::size_t max);

}  // namespace arcdesc

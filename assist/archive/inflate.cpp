// Unpacking zlib data through zlib, bounded.
#include "assist/archive/inflate.h"

#include <zlib.h>

#include <algorithm>

namespace arcdesc {

std::string InflateZlib(std::string_view in, std::size_t max)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    std::string out;
    char buffer[16384];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), 0x7FFFFFFF));
    int rc = Z_OK;
    while (rc == Z_OK && out.size() < max) {
        const std::size_t want = std::min(sizeof buffer, max - out.size());
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = static_cast<uInt>(want);
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, want - z.avail_out);
    }
    inflateEnd(&z);
    return out;
}

}  // namespace arcdesc

// Reading bytes of a file or of memory, never past its end.
#include "assist/archive/byte_source.h"

#include <algorithm>
#include <cstring>

namespace arcdesc {

bool MemorySource::ReadAt(std::uint64_t offset, void* out, std::size_t n) const
{
    if (offset > m_size || n > m_size - offset)
        return false;
    if (n)
        std::memcpy(out, m_data + offset, n);
    return true;
}

std::string ReadUpTo(const ByteSource& source, std::uint64_t offset, std::size_t n)
{
    const std::uint64_t size = source.Size();
    if (offset >= size)
        return {};
    std::string out(static_cast<std::size_t>(std::min<std::uint64_t>(n, size - offset)), '\0');
    if (!source.ReadAt(offset, out.data(), out.size()))
        return {};
    return out;
}

}  // namespace arcdesc

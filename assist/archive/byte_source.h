// The bytes of the file an assistant reads, at any offset, and the little helpers that read numbers out of them.
// Portable (no <windows.h>). Every reader asks for exactly the bytes it needs and checks what it gets.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace arcdesc {

// Random-access bytes of one file; reads never change it.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly n bytes at offset; false when they are not all there.
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t n) const = 0;
};

// Bytes held in memory (tests, fuzzing, and parts of a file a reader has unpacked).
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size) : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    explicit MemorySource(const std::string& bytes) : MemorySource(bytes.data(), bytes.size()) {}
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t n) const override;

private:
    const unsigned char* m_data;
    std::size_t m_size;
};

// Up to n bytes at offset, fewer where the file ends first; empty past its end.
std::string ReadUpTo(const ByteSource& source, std::uint64_t offset, std::size_t n);

inline std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t Le64(const unsigned char* p) { return Le32(p) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32); }
inline std::uint16_t Be16(const unsigned char* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
inline std::uint32_t Be32(const unsigned char* p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

// The same helpers over a string of bytes, by position; the caller has checked that the bytes are there.
inline const unsigned char* At(const std::string& bytes, std::size_t pos)
{
    return reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
}

}  // namespace arcdesc

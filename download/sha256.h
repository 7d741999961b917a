// Sha256: the SHA-256 digest of a byte stream fed in pieces, so that a large file is read in chunks.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void Update(const void* data, std::size_t size);
    // Ends the stream; the object must not be fed afterwards.
    Digest Finish();

    // Lower-case hex of a digest.
    static std::string Hex(const Digest& digest);

private:
    void Block(const std::uint8_t* block);

    std::uint32_t m_state[8];
    std::uint8_t m_buffer[64];
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;  // bytes fed
};

// Builds ZIP archives in memory for the tests: stored or deflated entries, written as an archiver writes them.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ks_test {

struct ZipItem {
    std::string name;
    std::string data;
    bool deflate = false;
};

inline void Put16(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline std::string RawDeflate(const std::string& data)
{
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::string BuildZip(const std::vector<ZipItem>& items, const std::string& comment = {})
{
    std::string out;
    std::string central;
    for (const ZipItem& item : items) {
        const std::string packed = item.deflate ? RawDeflate(item.data) : item.data;
        const std::uint32_t crc =
            crc32(0L, reinterpret_cast<const Bytef*>(item.data.data()), static_cast<uInt>(item.data.size()));
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint16_t method = item.deflate ? 8 : 0;
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, 0);
        Put16(out, method);
        Put32(out, 0);  // time and date
        Put32(out, crc);
        Put32(out, static_cast<std::uint32_t>(packed.size()));
        Put32(out, static_cast<std::uint32_t>(item.data.size()));
        Put16(out, static_cast<std::uint32_t>(item.name.size()));
        Put16(out, 0);
        out += item.name;
        out += packed;

        Put32(central, 0x02014b50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, 0);
        Put16(central, method);
        Put32(central, 0);
        Put32(central, crc);
        Put32(central, static_cast<std::uint32_t>(packed.size()));
        Put32(central, static_cast<std::uint32_t>(item.data.size()));
        Put16(central, static_cast<std::uint32_t>(item.name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, 0);
        Put32(central, offset);
        central += item.name;
    }
    const std::uint32_t centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(items.size()));
    Put16(out, static_cast<std::uint32_t>(items.size()));
    Put32(out, static_cast<std::uint32_t>(central.size()));
    Put32(out, centralOffset);
    Put16(out, static_cast<std::uint32_t>(comment.size()));
    out += comment;
    return out;
}

}  // namespace ks_test

// A small read-only ZIP reader: the central directory, and the data of stored and deflated entries.
// Portable (no <windows.h>); every offset and size read from the archive is checked before it is used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "assist/archive/byte_source.h"

namespace arcdesc {

enum class ZipStatus {
    Ok,
    NotZip,       // no end-of-directory record: not an archive at all
    Damaged,      // an archive whose structures or data are inconsistent
    Unsupported,  // a valid archive using what this reader does not read (ZIP64, encryption, other methods)
};

struct ZipEntry {
    std::string name;  // as stored; '/' or '\' separated
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localHeader = 0;
};

struct ZipDirectory {
    ZipStatus status = ZipStatus::NotZip;
    std::vector<ZipEntry> entries;
};

// True when the bytes begin like an archive (a local header, or the end record of an empty one).
bool StartsLikeZip(const ByteSource& source);

ZipDirectory ReadZipDirectory(const ByteSource& source);

// Reads the first maxBytes bytes of an entry's data (all of it when it is shorter). An entry read whole is
// checked against its size and CRC; a damaged one gives Damaged and no text.
ZipStatus ReadZipEntry(const ByteSource& source, const ZipEntry& entry, std::size_t maxBytes, std::string& out);

}  // namespace arcdesc

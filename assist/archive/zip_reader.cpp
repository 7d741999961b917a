// The ZIP reader: finds the end record, walks the central directory, and inflates entry data through zlib;
// and the ZIP format of the assistant, which proposes the description an archive carries.
#include "assist/archive/zip_reader.h"

#include <zlib.h>

#include "assist/archive/archive_members.h"
#include "assist/archive/reader.h"

#include <algorithm>
#include <cstring>

namespace arcdesc {

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
// More directory than this is not read: it holds tens of thousands of entries, and a damaged end record may
// claim nearly all of a large file.
constexpr std::size_t kMaxDirectoryBytes = 8 * 1024 * 1024;

std::uint16_t U16(const unsigned char* p) { return Le16(p); }
std::uint32_t U32(const unsigned char* p) { return Le32(p); }

// Offset of the end record, searched backwards over the longest comment it may carry; false when none.
bool FindEnd(const ByteSource& source, std::uint64_t& endOffset)
{
    const std::uint64_t size = source.Size();
    if (size < kEndSize)
        return false;
    const std::uint64_t span = std::min<std::uint64_t>(size, kEndSize + kMaxComment);
    std::vector<unsigned char> tail(static_cast<std::size_t>(span));
    if (!source.ReadAt(size - span, tail.data(), tail.size()))
        return false;
    for (std::size_t i = tail.size() - kEndSize + 1; i-- > 0;) {
        if (U32(&tail[i]) != kEndSignature)
            continue;
        // The record's comment must reach exactly to the end of the file.
        if (i + kEndSize + U16(&tail[i + 20]) == tail.size()) {
            endOffset = size - span + i;
            return true;
        }
    }
    return false;
}

}  // namespace

bool StartsLikeZip(const ByteSource& source)
{
    unsigned char head[4];
    if (!source.ReadAt(0, head, sizeof head))
        return false;
    return U32(head) == kLocalSignature || U32(head) == kEndSignature;
}

ZipDirectory ReadZipDirectory(const ByteSource& source)
{
    ZipDirectory dir;
    std::uint64_t endOffset = 0;
    if (!FindEnd(source, endOffset))
        return dir;
    unsigned char end[kEndSize];
    if (!source.ReadAt(endOffset, end, sizeof end)) {
        dir.status = ZipStatus::Damaged;
        return dir;
    }
    const std::uint16_t disk = U16(end + 4);
    const std::uint16_t dirDisk = U16(end + 6);
    const std::uint16_t count = U16(end + 10);
    const std::uint32_t dirSize = U32(end + 12);
    const std::uint32_t dirOffset = U32(end + 16);
    if (count == 0xFFFF || dirSize == 0xFFFFFFFF || dirOffset == 0xFFFFFFFF) {
        dir.status = ZipStatus::Unsupported;  // ZIP64
        return dir;
    }
    if (disk != 0 || dirDisk != 0) {
        dir.status = ZipStatus::Unsupported;  // spanned over several disks
        return dir;
    }
    if (static_cast<std::uint64_t>(dirOffset) + dirSize > endOffset) {
        dir.status = ZipStatus::Damaged;
        return dir;
    }
    const bool cut = dirSize > kMaxDirectoryBytes;
    std::vector<unsigned char> central(cut ? kMaxDirectoryBytes : dirSize);
    if (!source.ReadAt(dirOffset, central.data(), central.size())) {
        dir.status = ZipStatus::Damaged;
        return dir;
    }
    std::size_t at = 0;
    dir.entries.reserve(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        if (cut && central.size() - at < kCentralSize)
            break;  // the entries beyond what is read are left out
        if (central.size() - at < kCentralSize || U32(&central[at]) != kCentralSignature) {
            dir.status = ZipStatus::Damaged;
            dir.entries.clear();
            return dir;
        }
        const unsigned char* h = &central[at];
        const std::size_t nameLength = U16(h + 28);
        const std::size_t variable = nameLength + U16(h + 30) + U16(h + 32);
        if (cut && central.size() - at - kCentralSize < variable)
            break;
        if (central.size() - at - kCentralSize < variable) {
            dir.status = ZipStatus::Damaged;
            dir.entries.clear();
            return dir;
        }
        ZipEntry entry;
        entry.flags = U16(h + 8);
        entry.method = U16(h + 10);
        entry.crc = U32(h + 16);
        entry.compressedSize = U32(h + 20);
        entry.size = U32(h + 24);
        entry.localHeader = U32(h + 42);
        entry.name.assign(reinterpret_cast<const char*>(h + kCentralSize), nameLength);
        dir.entries.push_back(std::move(entry));
        at += kCentralSize + variable;
    }
    dir.status = ZipStatus::Ok;
    return dir;
}

ZipStatus ReadZipEntry(const ByteSource& source, const ZipEntry& entry, std::size_t maxBytes, std::string& out)
{
    out.clear();
    if (entry.flags & 0x0001)
        return ZipStatus::Unsupported;  // encrypted
    if (entry.method != 0 && entry.method != 8)
        return ZipStatus::Unsupported;
    if (entry.compressedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF)
        return ZipStatus::Unsupported;  // ZIP64 sizes
    unsigned char local[kLocalSize];
    if (!source.ReadAt(entry.localHeader, local, sizeof local) || U32(local) != kLocalSignature)
        return ZipStatus::Damaged;
    const std::uint64_t data = entry.localHeader + kLocalSize + U16(local + 26) + U16(local + 28);
    if (data > source.Size() || entry.compressedSize > source.Size() - data)
        return ZipStatus::Damaged;

    const bool whole = entry.size <= maxBytes;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(entry.size, maxBytes));
    if (entry.method == 0) {
        if (entry.compressedSize != entry.size)
            return ZipStatus::Damaged;
        out.resize(want);
        if (!source.ReadAt(data, out.data(), want)) {
            out.clear();
            return ZipStatus::Damaged;
        }
    } else {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return ZipStatus::Damaged;
        out.resize(want);
        unsigned char input[16384];
        std::uint64_t consumed = 0;
        std::size_t produced = 0;
        int rc = Z_OK;
        // One byte more than wanted is asked for when the entry is read whole, so that data longer than the
        // recorded size is noticed.
        std::string spare(1, '\0');
        while (rc != Z_STREAM_END && (produced < want || (whole && produced == want))) {
            if (z.avail_in == 0) {
                const std::size_t n = static_cast<std::size_t>(
                    std::min<std::uint64_t>(sizeof input, entry.compressedSize - consumed));
                if (n == 0)
                    break;
                if (!source.ReadAt(data + consumed, input, n)) {
                    rc = Z_DATA_ERROR;
                    break;
                }
                consumed += n;
                z.next_in = input;
                z.avail_in = static_cast<uInt>(n);
            }
            if (produced < want) {
                z.next_out = reinterpret_cast<Bytef*>(out.data()) + produced;
                z.avail_out = static_cast<uInt>(std::min<std::size_t>(want - produced, 1u << 30));
            } else {
                z.next_out = reinterpret_cast<Bytef*>(spare.data());
                z.avail_out = 1;
            }
            const uInt before = z.avail_out;
            rc = inflate(&z, Z_NO_FLUSH);
            const std::size_t made = before - z.avail_out;
            if (produced < want)
                produced += made;
            else if (made)
                rc = Z_DATA_ERROR;  // more data than the directory says
            if (rc != Z_OK && rc != Z_STREAM_END && !(rc == Z_BUF_ERROR && made))
                break;
            if (rc == Z_BUF_ERROR)
                rc = Z_OK;
        }
        inflateEnd(&z);
        const bool ended = rc == Z_STREAM_END;
        if ((rc != Z_OK && !ended) || (whole && (!ended || produced != want)) || (!whole && produced != want)) {
            out.clear();
            return ZipStatus::Damaged;
        }
    }
    if (whole && crc32(0L, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())) != entry.crc) {
        out.clear();
        return ZipStatus::Damaged;
    }
    return ZipStatus::Ok;
}

namespace {

class Zip : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Archive; }
    bool Recognises(const ByteSource& file, std::string_view head) const override
    {
        MemorySource start(head.data(), head.size());
        return StartsLikeZip(start) || ReadZipDirectory(file).status != ZipStatus::NotZip;
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        const ZipDirectory dir = ReadZipDirectory(file);
        if (dir.status == ZipStatus::Unsupported)
            return kUnsupportedArchive;
        if (dir.status != ZipStatus::Ok)
            return kDamagedArchive;  // also an archive's start without its directory
        // The shallowest entry of each role, the first of equals in directory order.
        std::array<const ZipEntry*, kRoles> best{};
        for (const ZipEntry& e : dir.entries) {
            const auto role = RoleOf(e.name, context.sources);
            if (!role)
                continue;
            const ZipEntry*& kept = best[static_cast<std::size_t>(*role)];
            if (!kept || Depth(e.name) < Depth(kept->name))
                kept = &e;
        }
        for (std::size_t i = 0; i < kRoles; ++i) {
            if (!best[i])
                continue;
            std::string bytes;
            const ZipStatus status = ReadZipEntry(file, *best[i], kMemberReadBytes, bytes);
            if (status == ZipStatus::Damaged)
                return kDamagedArchive;
            if (status == ZipStatus::Unsupported)
                continue;  // an encrypted or oddly packed description: try the next source
            const std::u32string text =
                DecodeText(bytes, context.pages, Legacy::Dos, best[i]->size > kMemberReadBytes);
            if (ProposeFromText(text, KindOf(static_cast<MemberRole>(i)), *context.pages.record, proposal))
                return kProposed;
        }
        return kNothing;
    }
};

}  // namespace

const FormatReader& ZipFormat()
{
    static const Zip reader;
    return reader;
}

}  // namespace arcdesc

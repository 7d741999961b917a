// Tar archives, plain or compressed with gzip (.tar, .tar.gz, .tgz): the FILE_ID.DIZ, DESCRIPT.ION or README
// inside, chosen as in a ZIP. The archive is walked member by member; a plain tar's data is stepped over, a
// compressed one is unpacked only up to a limit, so a large archive is never read whole.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "assist/archive/archive_members.h"
#include "assist/archive/reader.h"

namespace arcdesc {

namespace {

constexpr std::size_t kBlock = 512;
constexpr std::size_t kMaxMembers = 100000;
constexpr std::uint64_t kMaxUnpacked = 64ull * 1024 * 1024;  // of a compressed archive
constexpr std::size_t kMaxLongName = 4096;
constexpr std::size_t kMaxPaxHeader = 64 * 1024;

// The archive's bytes in order.
class Stream {
public:
    virtual ~Stream() = default;
    // Exactly n bytes; false at the end or on damage.
    virtual bool Read(char* out, std::size_t n) = 0;
    virtual bool Skip(std::uint64_t n) = 0;
};

class PlainStream : public Stream {
public:
    explicit PlainStream(const ByteSource& file) : m_file(file) {}
    bool Read(char* out, std::size_t n) override
    {
        if (!m_file.ReadAt(m_at, out, n))
            return false;
        m_at += n;
        return true;
    }
    bool Skip(std::uint64_t n) override
    {
        if (n > m_file.Size() - std::min(m_at, m_file.Size()))
            return false;
        m_at += n;
        return true;
    }

private:
    const ByteSource& m_file;
    std::uint64_t m_at = 0;
};

// gzip members one after another, unpacked through zlib.
class GzipStream : public Stream {
public:
    explicit GzipStream(const ByteSource& file) : m_file(file)
    {
        m_ok = inflateInit2(&m_z, 16 + MAX_WBITS) == Z_OK;
    }
    ~GzipStream() override { inflateEnd(&m_z); }
    GzipStream(const GzipStream&) = delete;
    GzipStream& operator=(const GzipStream&) = delete;

    bool Read(char* out, std::size_t n) override
    {
        while (n > 0) {
            const std::size_t got = Unpack(out, n);
            if (got == 0)
                return false;
            out += got;
            n -= got;
        }
        return true;
    }
    bool Skip(std::uint64_t n) override
    {
        char scratch[16384];
        while (n > 0) {
            const std::size_t got =
                Unpack(scratch, static_cast<std::size_t>(std::min<std::uint64_t>(n, sizeof scratch)));
            if (got == 0)
                return false;
            n -= got;
        }
        return true;
    }

private:
    std::size_t Unpack(char* out, std::size_t n)
    {
        if (!m_ok || m_unpacked >= kMaxUnpacked)
            return 0;
        n = static_cast<std::size_t>(std::min<std::uint64_t>(n, kMaxUnpacked - m_unpacked));
        for (;;) {
            if (m_z.avail_in == 0) {
                const std::string more = ReadUpTo(m_file, m_in, sizeof m_buffer);
                if (more.empty())
                    return 0;
                std::memcpy(m_buffer, more.data(), more.size());
                m_in += more.size();
                m_z.next_in = reinterpret_cast<Bytef*>(m_buffer);
                m_z.avail_in = static_cast<uInt>(more.size());
            }
            m_z.next_out = reinterpret_cast<Bytef*>(out);
            m_z.avail_out = static_cast<uInt>(n);
            const int rc = inflate(&m_z, Z_NO_FLUSH);
            const std::size_t got = n - m_z.avail_out;
            m_unpacked += got;
            if (rc == Z_STREAM_END) {
                // Another member may follow.
                if (inflateReset(&m_z) != Z_OK)
                    m_ok = false;
            } else if (rc != Z_OK && !(rc == Z_BUF_ERROR && got)) {
                m_ok = false;
            }
            if (got || !m_ok)
                return got;
        }
    }

    const ByteSource& m_file;
    z_stream m_z{};
    bool m_ok = false;
    std::uint64_t m_in = 0;
    std::uint64_t m_unpacked = 0;
    char m_buffer[65536];
};

// A number field: octal digits, or base 256 when the first byte's high bit is set.
std::optional<std::uint64_t> Number(const unsigned char* p, std::size_t n)
{
    if (p[0] & 0x80) {
        std::uint64_t v = p[0] & 0x7F;
        for (std::size_t i = 1; i < n; ++i) {
            if (v >> 55)
                return std::nullopt;
            v = (v << 8) | p[i];
        }
        return v;
    }
    std::size_t i = 0;
    while (i < n && (p[i] == ' ' || p[i] == 0))
        ++i;
    std::uint64_t v = 0;
    bool digits = false;
    for (; i < n && p[i] >= '0' && p[i] <= '7'; ++i) {
        if (v >> 60)
            return std::nullopt;
        v = v * 8 + (p[i] - '0');
        digits = true;
    }
    for (; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0)
            return std::nullopt;
    return digits ? std::optional(v) : std::nullopt;
}

// A header block whose checksum (its bytes, the checksum field counted as blanks) is right.
bool IsHeader(const unsigned char* h)
{
    const auto stored = Number(h + 148, 8);
    if (!stored)
        return false;
    std::uint64_t sum = 0;
    std::int64_t signedSum = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        const unsigned char b = i >= 148 && i < 156 ? ' ' : h[i];
        sum += b;
        signedSum += static_cast<signed char>(b);
    }
    return *stored == sum || static_cast<std::int64_t>(*stored) == signedSum;
}

std::string Field(const unsigned char* p, std::size_t n)
{
    std::size_t length = 0;
    while (length < n && p[length])
        ++length;
    return std::string(reinterpret_cast<const char*>(p), length);
}

// The path a pax extended header gives: records "length key=value\n".
std::string PaxPath(std::string_view pax)
{
    std::string path;
    while (!pax.empty()) {
        std::size_t length = 0, i = 0;
        while (i < pax.size() && pax[i] >= '0' && pax[i] <= '9' && length < kMaxPaxHeader)
            length = length * 10 + (pax[i++] - '0');
        if (i == 0 || length <= i || length > pax.size())
            break;
        const std::string_view record = pax.substr(i, length - i);
        if (record.substr(0, 6) == " path=")
            path = std::string(record.substr(6, record.size() > 7 ? record.size() - 7 : 0));
        pax.remove_prefix(length);
    }
    return path;
}

std::uint64_t Padded(std::uint64_t size) { return (size + kBlock - 1) / kBlock * kBlock; }

// Walks the members, keeping the text of each that may give the description.
void Walk(Stream& stream, const ReadContext& context, DescriptionChoice& choice)
{
    std::string longName;
    unsigned char h[kBlock];
    for (std::size_t n = 0; n < kMaxMembers && !choice.Settled(); ++n) {
        if (!stream.Read(reinterpret_cast<char*>(h), kBlock))
            return;
        if (std::all_of(h, h + kBlock, [](unsigned char b) { return b == 0; }))
            return;  // the end-of-archive blocks
        if (!IsHeader(h))
            return;  // damaged: what was found so far stands
        const auto size = Number(h + 124, 12);
        if (!size)
            return;
        const char type = static_cast<char>(h[156]);
        if (type == 'L' || type == 'x') {
            // A long name for the next member (GNU), or its extended header (POSIX).
            if (*size > (type == 'L' ? kMaxLongName : kMaxPaxHeader))
                return;
            std::string data(static_cast<std::size_t>(*size), '\0');
            if (!stream.Read(data.data(), data.size()) || !stream.Skip(Padded(*size) - *size))
                return;
            const std::string name =
                type == 'L' ? Field(reinterpret_cast<const unsigned char*>(data.data()), data.size()) : PaxPath(data);
            if (!name.empty())
                longName = name;
            continue;
        }
        std::string name = longName;
        longName.clear();
        if (name.empty()) {
            name = Field(h, 100);
            if (std::memcmp(h + 257, "ustar", 5) == 0 && h[345])
                name = Field(h + 345, 155) + "/" + name;
        }
        const bool regular = type == '0' || type == '\0' || type == '7';
        std::uint64_t left = *size;
        if (regular) {
            if (const auto role = choice.Wanted(name, context.sources)) {
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(*size, kMemberReadBytes));
                std::string bytes(n, '\0');
                if (!stream.Read(bytes.data(), n))
                    return;
                left -= n;
                const Legacy usual = *role == MemberRole::Readme ? Legacy::Ansi : Legacy::Dos;
                choice.Keep(*role, name, DecodeText(bytes, context.pages, usual, *size > n));
            }
        }
        if (!stream.Skip(left + Padded(*size) - *size))
            return;
    }
}

bool IsGzip(std::string_view head) { return head.size() >= 18 && head.substr(0, 3) == "\x1F\x8B\x08"; }

class Tar : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Archive; }
    bool Recognises(const ByteSource& file, std::string_view head) const override
    {
        unsigned char h[kBlock];
        if (IsGzip(head)) {
            auto stream = std::make_unique<GzipStream>(file);
            return stream->Read(reinterpret_cast<char*>(h), kBlock) && IsHeader(h);
        }
        if (head.size() < kBlock)
            return false;
        std::memcpy(h, head.data(), kBlock);
        return IsHeader(h);
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        DescriptionChoice choice;
        std::unique_ptr<Stream> stream;
        if (IsGzip(ReadUpTo(file, 0, 18)))
            stream = std::make_unique<GzipStream>(file);
        else
            stream = std::make_unique<PlainStream>(file);
        Walk(*stream, context, choice);
        return choice.Propose(*context.pages.record, proposal) ? kProposed : kNothing;
    }
};

}  // namespace

const FormatReader& TarFormat()
{
    static const Tar reader;
    return reader;
}

}  // namespace arcdesc

// Installers (MSI files, which are OLE compound files): the summary information's title, subject, author,
// keywords and comments. The allocation table is read a sector at a time as the chains need it, so a large
// installer is never read whole.
#include <algorithm>
#include <cstring>
#include <optional>

#include "assist/archive/reader.h"

namespace arcdesc {

namespace {

constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr unsigned char kSummaryId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                          0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
constexpr std::uint32_t kLastRegular = 0xFFFFFFFA;
constexpr std::size_t kHeaderDifat = 109;
constexpr std::size_t kMaxDirectoryEntries = 8192;
constexpr std::size_t kMaxSummaryBytes = 256 * 1024;

// A compound file's sectors and their allocation table.
class CompoundFile {
public:
    explicit CompoundFile(const ByteSource& file) : m_file(file) {}

    bool Open()
    {
        unsigned char h[512];
        if (!m_file.ReadAt(0, h, sizeof h) || std::memcmp(h, kSignature, 8) != 0)
            return false;
        m_shift = Le16(h + 0x1E);
        m_miniShift = Le16(h + 0x20);
        if ((m_shift != 9 && m_shift != 12) || m_miniShift != 6)
            return false;
        m_directory = Le32(h + 0x30);
        m_miniCutoff = Le32(h + 0x38);
        m_miniFat = Le32(h + 0x3C);
        m_difat = Le32(h + 0x44);
        for (std::size_t i = 0; i < kHeaderDifat; ++i)
            m_headerDifat[i] = Le32(h + 0x4C + 4 * i);
        // A chain can hold no more sectors than the file has.
        m_maxSteps = static_cast<std::size_t>(std::min<std::uint64_t>(m_file.Size() >> m_shift, 1u << 26)) + 1;
        return true;
    }

    std::size_t SectorSize() const { return std::size_t{1} << m_shift; }
    std::uint32_t Directory() const { return m_directory; }
    std::uint32_t MiniCutoff() const { return m_miniCutoff; }
    std::uint32_t MiniFat() const { return m_miniFat; }

    bool ReadSector(std::uint32_t sector, std::size_t offset, void* out, std::size_t n) const
    {
        if (sector > kLastRegular || offset + n > SectorSize())
            return false;
        return m_file.ReadAt(((std::uint64_t{sector} + 1) << m_shift) + offset, out, n);
    }

    // The sector after this one in its chain; none at the chain's end or on damage.
    std::optional<std::uint32_t> Next(std::uint32_t sector)
    {
        const std::size_t perSector = SectorSize() / 4;
        const auto fatSector = FatSector(sector / perSector);
        if (!fatSector)
            return std::nullopt;
        if (m_cachedSector != *fatSector) {
            m_cache.assign(SectorSize(), '\0');
            if (!ReadSector(*fatSector, 0, m_cache.data(), m_cache.size()))
                return std::nullopt;
            m_cachedSector = *fatSector;
        }
        const std::uint32_t next = Le32(At(m_cache, (sector % perSector) * 4));
        if (next > kLastRegular)
            return std::nullopt;
        return next;
    }

    std::size_t MaxSteps() const { return m_maxSteps; }

private:
    // Which sector holds the k-th part of the allocation table: the header lists the first 109, the DIFAT
    // chain the rest.
    std::optional<std::uint32_t> FatSector(std::size_t k) const
    {
        if (k < kHeaderDifat)
            return m_headerDifat[k] <= kLastRegular ? std::optional(m_headerDifat[k]) : std::nullopt;
        const std::size_t perSector = SectorSize() / 4 - 1;
        std::size_t index = k - kHeaderDifat;
        std::uint32_t sector = m_difat;
        for (std::size_t steps = 0; index >= perSector; index -= perSector) {
            unsigned char next[4];
            if (++steps > m_maxSteps || !ReadSector(sector, perSector * 4, next, 4))
                return std::nullopt;
            sector = Le32(next);
        }
        unsigned char entry[4];
        if (!ReadSector(sector, index * 4, entry, 4) || Le32(entry) > kLastRegular)
            return std::nullopt;
        return Le32(entry);
    }

    const ByteSource& m_file;
    unsigned m_shift = 9, m_miniShift = 6;
    std::uint32_t m_directory = 0, m_miniCutoff = 4096, m_miniFat = 0, m_difat = 0;
    std::uint32_t m_headerDifat[kHeaderDifat]{};
    std::size_t m_maxSteps = 0;
    std::string m_cache;
    std::uint32_t m_cachedSector = 0xFFFFFFFF;
};

// The sectors of one chain, found as far as they are asked for.
class Chain {
public:
    Chain(CompoundFile& cf, std::uint32_t start) : m_cf(cf)
    {
        if (start <= kLastRegular)
            m_sectors.push_back(start);
    }
    std::optional<std::uint32_t> Sector(std::size_t k)
    {
        while (m_sectors.size() <= k && !m_ended) {
            const auto next = m_sectors.empty() || m_sectors.size() >= m_cf.MaxSteps()
                                  ? std::nullopt
                                  : m_cf.Next(m_sectors.back());
            if (next)
                m_sectors.push_back(*next);
            else
                m_ended = true;
        }
        return k < m_sectors.size() ? std::optional(m_sectors[k]) : std::nullopt;
    }
    // Bytes at an offset into the chain's stream; false when the chain ends first.
    bool Read(std::uint64_t offset, char* out, std::size_t n)
    {
        const std::size_t size = m_cf.SectorSize();
        while (n > 0) {
            const auto sector = Sector(static_cast<std::size_t>(offset / size));
            const std::size_t within = static_cast<std::size_t>(offset % size);
            const std::size_t part = std::min(n, size - within);
            if (!sector || !m_cf.ReadSector(*sector, within, out, part))
                return false;
            out += part;
            offset += part;
            n -= part;
        }
        return true;
    }

private:
    CompoundFile& m_cf;
    std::vector<std::uint32_t> m_sectors;
    bool m_ended = false;
};

struct Entry {
    std::uint32_t start = 0;
    std::uint64_t size = 0;
};

// The root entry (which holds the small streams) and the summary information stream's entry.
bool FindEntries(CompoundFile& cf, Entry& root, Entry& summary)
{
    static const char16_t kName[] = u"\x05SummaryInformation";
    Chain directory(cf, cf.Directory());
    bool haveRoot = false;
    unsigned char e[128];
    for (std::size_t i = 0; i < kMaxDirectoryEntries; ++i) {
        if (!directory.Read(std::uint64_t{i} * 128, reinterpret_cast<char*>(e), sizeof e))
            return false;
        const std::uint8_t type = e[66];
        Entry entry{Le32(e + 116), cf.SectorSize() == 512 ? Le32(e + 120) : Le64(e + 120)};
        if (i == 0) {
            if (type != 5)
                return false;
            root = entry;
            haveRoot = true;
            continue;
        }
        const std::size_t nameBytes = Le16(e + 64);
        if (type != 2 || nameBytes != sizeof kName)
            continue;
        bool same = true;
        for (std::size_t c = 0; c + 1 < sizeof kName / 2 && same; ++c)
            same = Le16(e + 2 * c) == kName[c];
        if (same) {
            summary = entry;
            return haveRoot;
        }
    }
    return false;
}

std::string ReadSummary(CompoundFile& cf, const Entry& root, const Entry& summary)
{
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(summary.size, kMaxSummaryBytes));
    std::string out(size, '\0');
    if (summary.size >= cf.MiniCutoff()) {
        Chain chain(cf, summary.start);
        return chain.Read(0, out.data(), size) ? out : std::string();
    }
    // A small stream lies in 64-byte mini sectors inside the root entry's stream, chained by the mini table.
    Chain miniStream(cf, root.start);
    Chain miniFat(cf, cf.MiniFat());
    std::uint32_t mini = summary.start;
    for (std::size_t done = 0, steps = 0; done < size; done += 64) {
        if (mini > kLastRegular || ++steps > cf.MaxSteps() * 64 || std::uint64_t{mini} * 64 + 64 > root.size)
            return {};
        const std::size_t part = std::min<std::size_t>(64, size - done);
        if (!miniStream.Read(std::uint64_t{mini} * 64, out.data() + done, part))
            return {};
        char next[4];
        if (done + 64 < size) {
            if (!miniFat.Read(std::uint64_t{mini} * 4, next, 4))
                return {};
            mini = Le32(reinterpret_cast<unsigned char*>(next));
        }
    }
    return out;
}

struct Summary {
    std::u32string title, subject, author, keywords, comments;
};

// The summary information property set: its strings in the code page it names.
Summary ParseSummary(const std::string& data, const CodePages& pages)
{
    Summary s;
    if (data.size() < 48 || Le16(At(data, 0)) != 0xFFFE)
        return s;
    const std::uint32_t sets = std::min<std::uint32_t>(Le32(At(data, 24)), 16);
    std::size_t section = 0;
    for (std::uint32_t i = 0; i < sets && 28 + 20 * (i + 1) <= data.size(); ++i)
        if (std::memcmp(At(data, 28 + 20 * i), kSummaryId, 16) == 0)
            section = Le32(At(data, 28 + 20 * i + 16));
    if (!section || section + 8 > data.size())
        return s;
    const std::size_t count = std::min<std::size_t>(Le32(At(data, section + 4)), 1024);
    struct Property {
        std::uint32_t id, at;
    };
    std::vector<Property> properties;
    for (std::size_t i = 0; i < count && section + 8 + 8 * (i + 1) <= data.size(); ++i)
        properties.push_back({Le32(At(data, section + 8 + 8 * i)), Le32(At(data, section + 12 + 8 * i))});

    unsigned codePage = 1252;
    for (const Property& p : properties) {
        const std::size_t at = section + p.at;
        if (p.id == 1 && p.at <= data.size() && at + 6 <= data.size() && (Le16(At(data, at)) == 2))
            codePage = Le16(At(data, at + 4));
    }
    const CodePage* page = pages.Find(codePage);
    const struct {
        std::uint32_t id;
        std::u32string Summary::*field;
    } kFields[] = {{2, &Summary::title}, {3, &Summary::subject}, {4, &Summary::author},
                   {5, &Summary::keywords}, {6, &Summary::comments}};
    for (const Property& p : properties) {
        const auto field =
            std::find_if(std::begin(kFields), std::end(kFields), [&](const auto& f) { return f.id == p.id; });
        const std::size_t at = section + p.at;
        if (field == std::end(kFields) || p.at > data.size() || at + 8 > data.size())
            continue;
        const std::uint16_t type = Le16(At(data, at));
        const std::size_t length = Le32(At(data, at + 4));
        const std::size_t bytes = type == 31 ? length * 2 : length;
        if (length > data.size() || bytes > data.size() - at - 8)
            continue;
        std::string_view value = std::string_view(data).substr(at + 8, bytes);
        std::u32string text;
        if (type == 31 || (type == 30 && codePage == 1200)) {
            text = DecodeUtf16(value, false);
        } else if (type == 30) {
            // Some installer tools write UTF-8 whatever code page the set names; text in a single-byte page
            // practically never reads as well-formed UTF-8 with accented letters.
            const bool utf8 = IsUtf8(value) && std::any_of(value.begin(), value.end(), [](char c) { return c & 0x80; });
            if (codePage == 65001 || utf8)
                text = DecodeUtf8(value);
            else
                text = DecodeCodePage(value, page ? *page : CodePage::AsciiOnly(codePage));
        } else {
            continue;
        }
        if (const auto nul = text.find(U'\0'); nul != std::u32string::npos)
            text.resize(nul);
        s.*field->field = Tidy(text);
    }
    return s;
}

class Msi : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Installer; }
    bool Recognises(const ByteSource&, std::string_view head) const override
    {
        return head.size() >= 512 && std::memcmp(head.data(), kSignature, 8) == 0;
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        CompoundFile cf(file);
        Entry root, summary;
        if (!cf.Open() || !FindEntries(cf, root, summary))
            return kNothing;
        const Summary s = ParseSummary(ReadSummary(cf, root, summary), context.pages);
        // Installer tools write the same generic title into every package; the subject then names it.
        const bool generic = s.title.empty() || s.title == U"Installation Database";
        Fields f;
        f.title = generic ? s.subject : s.title;
        f.keywords = SplitList(s.keywords);
        f.keywords.push_back(s.author);
        std::u32string first = f.title;
        if (!s.author.empty())
            first += (first.empty() ? U"By " : U" by ") + s.author;
        f.sentences = {first, !generic && s.subject != s.title ? s.subject : std::u32string(), s.comments};
        return ProposeFromFields(f, *context.pages.record, proposal) ? kProposed : kNothing;
    }
};

}  // namespace

const FormatReader& MsiFormat()
{
    static const Msi reader;
    return reader;
}

}  // namespace arcdesc

// Windows programs and libraries (PE files): the version resource's strings, or else what kind of program it
// is and for which processor. Only the headers, the resource directory's path to the version resource and that
// resource itself are read.
#include <algorithm>
#include <cstdio>
#include <optional>

#include "assist/archive/reader.h"

namespace arcdesc {

namespace {

constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kVersionType = 16;  // RT_VERSION
constexpr std::size_t kMaxSections = 96;
constexpr std::size_t kMaxVersionBytes = 64 * 1024;
constexpr std::size_t kMaxDirectoryEntries = 4096;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

struct Headers {
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    std::uint32_t resourceRva = 0, resourceSize = 0;
    std::vector<Section> sections;
};

bool ReadHeaders(const ByteSource& file, Headers& h)
{
    unsigned char dos[64];
    if (!file.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const std::uint32_t peAt = Le32(dos + 0x3C);
    unsigned char coff[24];
    if (!file.ReadAt(peAt, coff, sizeof coff) || Le32(coff) != 0x00004550)
        return false;
    h.machine = Le16(coff + 4);
    const std::size_t sectionCount = Le16(coff + 6);
    const std::size_t optionalSize = Le16(coff + 20);
    h.characteristics = Le16(coff + 22);
    // The optional header: where the data directories are depends on PE32 or PE32+.
    const std::string optional = ReadUpTo(file, std::uint64_t{peAt} + 24, optionalSize);
    if (optional.size() == optionalSize && optionalSize >= 2) {
        const std::uint16_t magic = Le16(At(optional, 0));
        const std::size_t countAt = magic == 0x20B ? 108 : 92;
        const std::size_t dirsAt = countAt + 4;
        if ((magic == 0x10B || magic == 0x20B) && optional.size() >= dirsAt) {
            const std::uint32_t count = Le32(At(optional, countAt));
            const std::size_t entryAt = dirsAt + 8 * kResourceDirectoryIndex;
            if (count > kResourceDirectoryIndex && optional.size() >= entryAt + 8) {
                h.resourceRva = Le32(At(optional, entryAt));
                h.resourceSize = Le32(At(optional, entryAt + 4));
            }
        }
    }
    const std::size_t n = std::min(sectionCount, kMaxSections);
    const std::string table = ReadUpTo(file, std::uint64_t{peAt} + 24 + optionalSize, n * 40);
    for (std::size_t i = 0; i + 40 <= table.size(); i += 40)
        h.sections.push_back({Le32(At(table, i + 12)), Le32(At(table, i + 8)), Le32(At(table, i + 16)),
                              Le32(At(table, i + 20))});
    return true;
}

// The file offset of an address in the loaded image, when a section holds it in the file.
std::optional<std::uint64_t> OffsetOf(const Headers& h, std::uint32_t rva)
{
    for (const Section& s : h.sections) {
        if (rva < s.virtualAddress)
            continue;
        const std::uint32_t within = rva - s.virtualAddress;
        if (within < s.rawSize && within < std::max(s.virtualSize, s.rawSize))
            return std::uint64_t{s.rawOffset} + within;
    }
    return std::nullopt;
}

// One resource directory's entry: the numbered one wanted, or the first of all when any will do.
std::optional<std::uint32_t> DirectoryEntry(const ByteSource& file, std::uint64_t base, std::uint32_t at,
                                            std::optional<std::uint32_t> id)
{
    unsigned char dir[16];
    if (!file.ReadAt(base + at, dir, sizeof dir))
        return std::nullopt;
    const std::size_t named = Le16(dir + 12), numbered = Le16(dir + 14);
    const std::size_t total = std::min(named + numbered, kMaxDirectoryEntries);
    const std::string entries = ReadUpTo(file, base + at + 16, total * 8);
    for (std::size_t i = 0; i + 8 <= entries.size(); i += 8) {
        const std::uint32_t name = Le32(At(entries, i));
        if (!id || (i / 8 >= named && !(name & 0x80000000u) && name == *id))
            return Le32(At(entries, i + 4));
    }
    return std::nullopt;
}

// The version resource's bytes, found by type, then its first name and its first language.
std::string VersionResource(const ByteSource& file, const Headers& h)
{
    if (!h.resourceRva)
        return {};
    const auto base = OffsetOf(h, h.resourceRva);
    if (!base)
        return {};
    auto names = DirectoryEntry(file, *base, 0, kVersionType);
    if (!names || !(*names & 0x80000000u))
        return {};
    auto languages = DirectoryEntry(file, *base, *names & 0x7FFFFFFFu, std::nullopt);
    if (!languages || !(*languages & 0x80000000u))
        return {};
    auto data = DirectoryEntry(file, *base, *languages & 0x7FFFFFFFu, std::nullopt);
    if (!data || (*data & 0x80000000u))
        return {};
    unsigned char entry[16];
    if (!file.ReadAt(*base + *data, entry, sizeof entry))
        return {};
    const auto at = OffsetOf(h, Le32(entry));
    if (!at)
        return {};
    return ReadUpTo(file, *at, std::min<std::size_t>(Le32(entry + 4), kMaxVersionBytes));
}

// One block of a version resource: its key, its value's bytes and its children's span.
struct Block {
    std::u32string key;
    std::size_t valueAt = 0, valueEnd = 0;  // the value runs to the children or the block's end
    std::size_t childrenAt = 0, end = 0;
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
};

std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

std::optional<Block> ReadBlock(const std::string& data, std::size_t at, std::size_t limit)
{
    if (at + 6 > limit)
        return std::nullopt;
    const std::size_t length = Le16(At(data, at));
    if (length < 6 || length > limit - at)
        return std::nullopt;
    Block b;
    b.end = at + length;
    b.valueLength = Le16(At(data, at + 2));
    b.type = Le16(At(data, at + 4));
    std::size_t i = at + 6;
    for (; i + 2 <= b.end; i += 2) {
        const char32_t c = Le16(At(data, i));
        if (c == 0)
            break;
        b.key.push_back(c);
    }
    b.valueAt = std::min(Align4(i + 2), b.end);
    // Text values count characters, binary ones bytes.
    const std::size_t valueBytes = b.type == 1 ? std::size_t{b.valueLength} * 2 : b.valueLength;
    b.valueEnd = std::min(b.valueAt + valueBytes, b.end);
    b.childrenAt = std::min(Align4(b.valueEnd), b.end);
    return b;
}

template <class Visit>
void Children(const std::string& data, const Block& parent, Visit visit)
{
    std::size_t at = parent.childrenAt;
    for (int guard = 0; at < parent.end && guard < 1024; ++guard) {
        const auto child = ReadBlock(data, at, parent.end);
        if (!child)
            return;
        visit(*child);
        at = Align4(child->end);
    }
}

// A String block's text: up to its terminating zero, within the block whatever its stated length says.
std::u32string StringValue(const std::string& data, const Block& b)
{
    std::size_t i = b.valueAt;
    while (i + 2 <= b.end && Le16(At(data, i)) != 0)
        i += 2;
    return DecodeUtf16(std::string_view(data).substr(b.valueAt, i - b.valueAt), false);
}

struct VersionInfo {
    std::u32string company, description, product, productVersion, fileVersion, copyright;
    std::u32string fixedVersion;  // from the fixed part, when the strings give none
    bool found = false;
};

std::u32string HexKey(std::uint32_t lang, std::uint32_t codePage)
{
    char key[16];
    std::snprintf(key, sizeof key, "%04X%04X", lang & 0xFFFF, codePage & 0xFFFF);
    return U32(key);
}

VersionInfo ParseVersion(const std::string& data)
{
    VersionInfo v;
    const auto root = ReadBlock(data, 0, data.size());
    if (!root || root->key != U"VS_VERSION_INFO")
        return v;
    if (root->valueEnd - root->valueAt >= 52 && Le32(At(data, root->valueAt)) == kFixedSignature) {
        const std::uint32_t ms = Le32(At(data, root->valueAt + 16)), ls = Le32(At(data, root->valueAt + 20));
        char text[48];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
        v.fixedVersion = U32(text);
    }
    std::vector<std::u32string> translations;
    std::vector<Block> tables;
    Children(data, *root, [&](const Block& b) {
        if (b.key == U"StringFileInfo")
            Children(data, b, [&](const Block& table) { tables.push_back(table); });
        else if (b.key == U"VarFileInfo")
            Children(data, b, [&](const Block& var) {
                if (var.key != U"Translation")
                    return;
                for (std::size_t i = var.valueAt; i + 4 <= var.valueEnd; i += 4)
                    translations.push_back(HexKey(Le16(At(data, i)), Le16(At(data, i + 2))));
            });
    });
    if (tables.empty())
        return v;
    // The table of the first translation the file names, else an English or neutral one, else the first.
    const Block* chosen = nullptr;
    for (const std::u32string& t : translations)
        for (const Block& table : tables)
            if (!chosen && UpperText(table.key) == t)
                chosen = &table;
    for (const Block& table : tables)
        if (!chosen && (UpperText(table.key).rfind(U"0409", 0) == 0 || UpperText(table.key).rfind(U"0000", 0) == 0))
            chosen = &table;
    if (!chosen)
        chosen = &tables.front();
    const struct {
        std::u32string_view key;
        std::u32string VersionInfo::*field;
    } kStrings[] = {{U"CompanyName", &VersionInfo::company},       {U"FileDescription", &VersionInfo::description},
                    {U"ProductName", &VersionInfo::product},       {U"ProductVersion", &VersionInfo::productVersion},
                    {U"FileVersion", &VersionInfo::fileVersion},   {U"LegalCopyright", &VersionInfo::copyright}};
    Children(data, *chosen, [&](const Block& s) {
        for (const auto& k : kStrings)
            if (s.key == k.key)
                v.*k.field = Tidy(StringValue(data, s));
    });
    v.found = true;
    return v;
}

const char* Architecture(std::uint16_t machine)
{
    switch (machine) {
    case 0x014C:
        return "x86";
    case 0x8664:
        return "x86-64";
    case 0xAA64:
        return "ARM64";
    case 0xA641:
        return "ARM64EC";
    case 0x01C0:
    case 0x01C2:
    case 0x01C4:
        return "ARM";
    case 0x0200:
        return "Itanium";
    case 0x5064:
        return "RISC-V";
    default:
        return nullptr;
    }
}

class Pe : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Program; }
    bool Recognises(const ByteSource& file, std::string_view head) const override
    {
        Headers h;
        return head.substr(0, 2) == "MZ" && ReadHeaders(file, h);
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        Headers h;
        if (!ReadHeaders(file, h))
            return kNothing;
        const VersionInfo v = ParseVersion(VersionResource(file, h));
        const bool library = (h.characteristics & 0x2000) != 0;
        const char* arch = Architecture(h.machine);
        Fields f;
        const std::u32string version =
            !v.productVersion.empty() ? v.productVersion : !v.fileVersion.empty() ? v.fileVersion : v.fixedVersion;
        if (v.found && (!v.description.empty() || !v.product.empty())) {
            f.title = !v.description.empty() ? v.description : v.product;
            f.keywords = {v.product, v.company, version};
            std::u32string first = v.product;
            if (!version.empty())
                first += (first.empty() ? U"" : U" ") + version;
            if (!v.company.empty())
                first += (first.empty() ? U"By " : U" by ") + v.company;
            f.sentences = {first, v.description == v.product ? std::u32string() : v.description, v.copyright};
        } else {
            const std::u32string kind = library ? U"Windows library" : U"Windows program";
            f.title = kind;
            if (arch)
                f.title += U" (" + U32(arch) + U")";
            f.keywords = {kind, arch ? U32(arch) : std::u32string(), v.company};
            f.sentences = {U"A " + kind + (arch ? U" for " + U32(arch) + U" processors" : U""), v.copyright};
        }
        return ProposeFromFields(f, *context.pages.record, proposal) ? kProposed : kNothing;
    }
};

}  // namespace

const FormatReader& PeFormat()
{
    static const Pe reader;
    return reader;
}

}  // namespace arcdesc

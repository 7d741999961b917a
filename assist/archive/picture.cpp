// EXIF directories, and turning a picture's description, artist, date and camera into a proposal.
#include "assist/archive/picture.h"

#include <algorithm>
#include <set>

#include "assist/archive/byte_source.h"

namespace arcdesc {

namespace {

constexpr std::size_t kMaxEntries = 1024;
constexpr std::uint32_t kExifPointer = 0x8769;

class Tiff {
public:
    explicit Tiff(std::string_view data) : m_d(data) {}

    bool Open()
    {
        if (m_d.size() < 8)
            return false;
        if (m_d.substr(0, 4) == std::string_view("II*\0", 4))
            m_big = false;
        else if (m_d.substr(0, 4) == std::string_view("MM\0*", 4))
            m_big = true;
        else
            return false;
        return true;
    }
    std::uint32_t First() const { return U32(4); }

    std::uint16_t U16(std::size_t at) const
    {
        if (at + 2 > m_d.size())
            return 0;
        const auto* p = reinterpret_cast<const unsigned char*>(m_d.data()) + at;
        return m_big ? Be16(p) : Le16(p);
    }
    std::uint32_t U32(std::size_t at) const
    {
        if (at + 4 > m_d.size())
            return 0;
        const auto* p = reinterpret_cast<const unsigned char*>(m_d.data()) + at;
        return m_big ? Be32(p) : Le32(p);
    }

    struct Entry {
        std::uint16_t tag, type;
        std::string_view value;  // empty when it lies outside the block
    };

    // The entries of the directory at offset.
    std::vector<Entry> Directory(std::uint32_t offset) const
    {
        std::vector<Entry> entries;
        if (offset > m_d.size() || m_d.size() - offset < 2)
            return entries;
        const std::size_t count = std::min<std::size_t>(U16(offset), kMaxEntries);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = offset + 2 + 12 * i;
            if (at + 12 > m_d.size())
                break;
            Entry e{U16(at), U16(at + 2), {}};
            const std::uint32_t count32 = U32(at + 4);
            static constexpr unsigned kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
            const unsigned unit = e.type < std::size(kSizes) ? kSizes[e.type] : 0;
            if (unit && count32 <= m_d.size() / unit) {
                const std::size_t bytes = std::size_t{count32} * unit;
                const std::size_t where = bytes <= 4 ? at + 8 : U32(at + 8);
                if (where <= m_d.size() && bytes <= m_d.size() - where)
                    e.value = m_d.substr(where, bytes);
            }
            entries.push_back(e);
        }
        return entries;
    }

private:
    std::string_view m_d;
    bool m_big = false;
};

// EXIF text: ASCII by the standard, UTF-8 in practice, else the Windows code page.
std::u32string ExifText(std::string_view value, const CodePages& pages)
{
    if (const auto nul = value.find('\0'); nul != std::string_view::npos)
        value = value.substr(0, nul);
    return Tidy(IsUtf8(value) ? DecodeUtf8(value) : DecodeCodePage(value, *pages.record));
}

// The UTF-16 texts Windows writes into its own tags.
std::u32string WindowsText(std::string_view value)
{
    std::u32string text = DecodeUtf16(value, false);
    if (const auto nul = text.find(U'\0'); nul != std::u32string::npos)
        text.resize(nul);
    return Tidy(text);
}

// "2019:07:14 10:30:00" as "2019-07-14".
std::u32string ExifDate(const std::u32string& s)
{
    if (s.size() < 10 || s[4] != ':' || s[7] != ':')
        return s;
    std::u32string out = s.substr(0, 10);
    out[4] = out[7] = '-';
    return out == U"0000-00-00" ? std::u32string() : out;
}

void Fill(std::u32string& field, std::u32string value)
{
    if (field.empty())
        field = std::move(value);
}

std::u32string Camera(const PictureInfo& info)
{
    std::u32string make = info.make, model = info.model;
    if (!make.empty() && UpperText(model).rfind(UpperText(make), 0) == 0)
        return model;  // "Canon" and "Canon EOS 5D"
    if (make.empty() || model.empty())
        return make + model;
    return make + U" " + model;
}

}  // namespace

void ReadExif(std::string_view tiff, const CodePages& pages, PictureInfo& info)
{
    Tiff t(tiff);
    if (!t.Open())
        return;
    std::set<std::uint32_t> seen;
    std::vector<std::uint32_t> pending{t.First()};
    while (!pending.empty() && seen.size() < 8) {
        const std::uint32_t offset = pending.back();
        pending.pop_back();
        if (!seen.insert(offset).second)
            continue;
        for (const Tiff::Entry& e : t.Directory(offset)) {
            switch (e.tag) {
            case 0x010E: Fill(info.description, ExifText(e.value, pages)); break;
            case 0x010F: Fill(info.make, ExifText(e.value, pages)); break;
            case 0x0110: Fill(info.model, ExifText(e.value, pages)); break;
            case 0x013B: Fill(info.artist, ExifText(e.value, pages)); break;
            case 0x8298: Fill(info.copyright, ExifText(e.value, pages)); break;
            case 0x9003: Fill(info.date, ExifDate(ExifText(e.value, pages))); break;
            case 0x9C9B: Fill(info.title, WindowsText(e.value)); break;
            case 0x9C9D: Fill(info.artist, WindowsText(e.value)); break;
            case kExifPointer:
                if (e.value.size() == 4)
                    pending.push_back(t.U32(static_cast<std::size_t>(e.value.data() - tiff.data())));
                break;
            default: break;
            }
        }
    }
}

void TakeXmp(const XmpFields& xmp, PictureInfo& info)
{
    Fill(info.title, xmp.title);
    Fill(info.description, xmp.description);
    if (!xmp.creators.empty())
        Fill(info.artist, xmp.creators.front());
}

bool ProposePicture(const PictureInfo& info, const CodePage& record, Proposal& proposal)
{
    const std::u32string description = Tidy(info.description);
    const std::u32string camera = Camera(info);
    Fields f;
    f.title = !info.title.empty() ? info.title : description;
    if (f.title.empty() && (!info.date.empty() || !camera.empty())) {
        f.title = U"Picture";
        if (!info.date.empty())
            f.title += U" taken " + info.date;
        if (!camera.empty())
            f.title += U" with " + camera;
    }
    f.keywords = {info.artist, info.make, camera, info.date.substr(0, 4)};
    std::u32string taken;
    if (!info.date.empty())
        taken = U"Taken " + info.date;
    if (!camera.empty())
        taken += (taken.empty() ? U"Taken with " : U" with ") + camera;
    f.sentences = {info.title != description ? info.title : std::u32string(), description,
                   info.artist.empty() ? std::u32string() : U"By " + info.artist, taken, info.copyright};
    return ProposeFromFields(f, record, proposal);
}

}  // namespace arcdesc

// PNG pictures: the text chunks (Title, Description, Author, Comment, Copyright, Creation Time, and XMP), plain,
// compressed or international, and an EXIF chunk. Chunks are stepped over by their lengths; image data is never
// read.
#include <cstring>

#include "assist/archive/inflate.h"
#include "assist/archive/picture.h"
#include "assist/archive/reader.h"

namespace arcdesc {

namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1A\n";
constexpr std::size_t kMaxChunks = 65536;
constexpr std::size_t kMaxTextBytes = 1024 * 1024;

bool SameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

struct TextChunk {
    std::string key;
    std::u32string text;
    std::string raw;  // for XMP: the packet's bytes
};

// A tEXt, zTXt or iTXt chunk's keyword and text; false when it cannot be read.
bool ReadText(std::string_view type, std::string_view data, TextChunk& out)
{
    const auto nul = data.find('\0');
    if (nul == std::string_view::npos || nul == 0 || nul > 79)
        return false;
    out.key = std::string(data.substr(0, nul));
    std::string_view rest = data.substr(nul + 1);
    if (type == "tEXt") {
        out.text = DecodeCodePage(rest, Latin1());
        return true;
    }
    if (type == "zTXt") {
        if (rest.empty() || rest[0] != 0)
            return false;
        out.text = DecodeCodePage(InflateZlib(rest.substr(1), kMaxTextBytes), Latin1());
        return true;
    }
    // iTXt: compression flag and method, a language tag and a translated keyword, then UTF-8.
    if (rest.size() < 2)
        return false;
    const bool compressed = rest[0] != 0;
    if (compressed && rest[1] != 0)
        return false;
    rest.remove_prefix(2);
    for (int field = 0; field < 2; ++field) {
        const auto end = rest.find('\0');
        if (end == std::string_view::npos)
            return false;
        rest.remove_prefix(end + 1);
    }
    out.raw = compressed ? InflateZlib(rest, kMaxTextBytes) : std::string(rest);
    out.text = DecodeUtf8(out.raw);
    return true;
}

class Png : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Picture; }
    bool Recognises(const ByteSource&, std::string_view head) const override
    {
        return head.substr(0, 8) == std::string_view(kSignature, 8);
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        PictureInfo info;
        std::u32string comment;
        std::uint64_t at = 8;
        for (std::size_t n = 0; n < kMaxChunks; ++n) {
            unsigned char h[8];
            if (!file.ReadAt(at, h, sizeof h))
                break;
            const std::uint32_t length = Be32(h);
            const std::string_view type(reinterpret_cast<const char*>(h + 4), 4);
            if (length > 0x7FFFFFFF || type == "IEND")
                break;
            const bool text = type == "tEXt" || type == "zTXt" || type == "iTXt";
            if ((text || type == "eXIf") && length <= kMaxTextBytes) {
                const std::string data = ReadUpTo(file, at + 8, length);
                if (data.size() != length)
                    break;
                TextChunk chunk;
                if (type == "eXIf")
                    ReadExif(data, context.pages, info);
                else if (ReadText(type, data, chunk))
                    Take(chunk, info, comment);
            }
            at += 12 + std::uint64_t{length};
        }
        if (info.description.empty())
            info.description = comment;
        return ProposePicture(info, *context.pages.record, proposal) ? kProposed : kNothing;
    }

private:
    static void Take(const TextChunk& chunk, PictureInfo& info, std::u32string& comment)
    {
        const std::u32string text = Tidy(chunk.text);
        const struct {
            const char* key;
            std::u32string* field;
        } kKeys[] = {{"Title", &info.title},         {"Description", &info.description}, {"Author", &info.artist},
                     {"Copyright", &info.copyright}, {"Comment", &comment}};
        for (const auto& k : kKeys)
            if (SameKey(chunk.key, k.key) && k.field->empty())
                *k.field = text;
        if (SameKey(chunk.key, "Creation Time") && info.date.empty())
            info.date = text;
        if (chunk.key == "XML:com.adobe.xmp")
            TakeXmp(ReadXmp(chunk.raw), info);
    }
};

}  // namespace

const FormatReader& PngFormat()
{
    static const Png reader;
    return reader;
}

}  // namespace arcdesc

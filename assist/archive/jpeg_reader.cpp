// JPEG pictures: the EXIF block (description, artist, date taken, camera), the XMP packet and the comment, all
// in the segments before the image data, which is never read.
#include <cstring>

#include "assist/archive/picture.h"
#include "assist/archive/reader.h"

namespace arcdesc {

namespace {

constexpr std::size_t kMaxSegments = 256;
constexpr char kXmpName[] = "http://ns.adobe.com/xap/1.0/";

class Jpeg : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Picture; }
    bool Recognises(const ByteSource&, std::string_view head) const override
    {
        return head.size() >= 4 && head.substr(0, 3) == "\xFF\xD8\xFF";
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        PictureInfo info;
        std::u32string comment;
        std::uint64_t at = 2;
        for (std::size_t n = 0; n < kMaxSegments; ++n) {
            unsigned char h[4];
            if (!file.ReadAt(at, h, sizeof h) || h[0] != 0xFF)
                break;
            const unsigned char marker = h[1];
            if (marker == 0xFF) {
                ++at;  // fill byte
                continue;
            }
            if (marker == 0xD9 || marker == 0xDA)
                break;  // the end, or the image data
            if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
                at += 2;
                continue;  // markers without a length
            }
            const std::size_t length = Be16(h + 2);
            if (length < 2)
                break;
            if (marker == 0xE1 || marker == 0xFE) {
                const std::string data = ReadUpTo(file, at + 4, length - 2);
                if (data.size() != length - 2)
                    break;
                if (marker == 0xE1 && data.size() > 6 && std::memcmp(data.data(), "Exif\0\0", 6) == 0)
                    ReadExif(std::string_view(data).substr(6), context.pages, info);
                else if (marker == 0xE1 && data.size() > sizeof kXmpName &&
                         std::memcmp(data.data(), kXmpName, sizeof kXmpName) == 0)
                    TakeXmp(ReadXmp(std::string_view(data).substr(sizeof kXmpName)), info);
                else if (marker == 0xFE && comment.empty())
                    comment = Tidy(DecodeText(data, context.pages, Legacy::Ansi));
            }
            at += 2 + length;
        }
        if (info.description.empty())
            info.description = comment;
        return ProposePicture(info, *context.pages.record, proposal) ? kProposed : kNothing;
    }
};

}  // namespace

const FormatReader& JpegFormat()
{
    static const Jpeg reader;
    return reader;
}

}  // namespace arcdesc

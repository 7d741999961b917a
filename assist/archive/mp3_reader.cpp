// MP3 music: the ID3v2.3 and ID3v2.4 tags at the start (ID3v2.2 too), and the ID3v1 tag at the end, for
// title, artist, album, year and genre. Only the tags are read, frame by frame; pictures and other large
// frames are stepped over.
#include <algorithm>
#include <cstring>

#include "assist/archive/reader.h"

namespace arcdesc {

namespace {

constexpr std::size_t kMaxFrameBytes = 64 * 1024;  // a text frame larger than this is no title
constexpr std::size_t kMaxUnsyncedTag = 1024 * 1024;
constexpr std::size_t kMaxFrames = 4096;

// The genres numbered by ID3v1, which ID3v2 genre frames refer to as "(n)".
constexpr const char* kGenres[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal", "New Age",
    "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska",
    "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion",
    "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "Alt. Rock",
    "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy",
    "Cult", "Gangsta Rap", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret",
    "New Wave", "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz",
    "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing",
    "Fast-Fusion", "Bebop", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening",
    "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass",
    "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad",
    "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A Cappella", "Euro-House", "Dance Hall",
    "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "BritPop", "Afro-Punk", "Polsk Punk",
    "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian",
    "Christian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop", "Synthpop", "Abstract", "Art Rock",
    "Baroque", "Bhangra", "Big Beat", "Breakbeat", "Chillout", "Downtempo", "Dub", "EBM", "Eclectic", "Electro",
    "Electroclash", "Emo", "Experimental", "Garage", "Global", "IDM", "Illbient", "Industro-Goth", "Jam Band",
    "Krautrock", "Leftfield", "Lounge", "Math Rock", "New Romantic", "Nu-Breakz", "Post-Punk", "Post-Rock",
    "Psytrance", "Shoegaze", "Space Rock", "Trop Rock", "World Music", "Neoclassical", "Audiobook",
    "Audio Theatre", "Neue Deutsche Welle", "Podcast", "Indie Rock", "G-Funk", "Dubstep", "Garage Rock",
    "Psybient"
};

struct Tag {
    std::u32string title, artist, albumArtist, album, year, genre;
};

std::uint32_t Syncsafe(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 21) | (std::uint32_t{p[1]} << 14) | (std::uint32_t{p[2]} << 7) | p[3];
}
bool IsSyncsafe(const unsigned char* p) { return ((p[0] | p[1] | p[2] | p[3]) & 0x80) == 0; }

// Removes the zero bytes an unsynchronised tag puts after each 0xFF.
std::string Resync(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        if (data[i] == '\xFF' && i + 1 < data.size() && data[i + 1] == '\0')
            ++i;
    }
    return out;
}

// A text frame's values (several are separated by zeros), joined.
std::u32string FrameText(std::string_view data)
{
    if (data.empty())
        return {};
    const char encoding = data[0];
    const std::string_view body = data.substr(1);
    std::u32string text;
    switch (encoding) {
    case 0:
        text = DecodeCodePage(body, Latin1());
        break;
    case 1:
        if (body.substr(0, 2) == "\xFE\xFF")
            text = DecodeUtf16(body.substr(2), true);
        else
            text = DecodeUtf16(body.substr(body.substr(0, 2) == "\xFF\xFE" ? 2 : 0), false);
        break;
    case 2:
        text = DecodeUtf16(body, true);
        break;
    case 3:
        text = DecodeUtf8(body);
        break;
    default:
        return {};
    }
    // Later values in UTF-16 begin with their own byte-order marks.
    text.erase(std::remove(text.begin(), text.end(), char32_t{0xFEFF}), text.end());
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    std::u32string joined;
    for (char32_t c : text) {
        if (c == 0)
            joined += U", ";
        else
            joined.push_back(c);
    }
    return Tidy(joined);
}

std::u32string GenreName(std::u32string text)
{
    // "(17)", "(17)Rock" or "17": the number, unless a name follows it.
    auto number = [](std::u32string_view s) -> int {
        if (s.empty() || s.size() > 3)
            return -1;
        int v = 0;
        for (char32_t c : s) {
            if (c < '0' || c > '9')
                return -1;
            v = v * 10 + static_cast<int>(c - '0');
        }
        return v;
    };
    if (const auto comma = text.find(U", "); comma != std::u32string::npos)
        text.resize(comma);
    if (!text.empty() && text[0] == '(') {
        const auto close = text.find(')');
        if (close != std::u32string::npos) {
            const std::u32string inside = text.substr(1, close - 1);
            const std::u32string rest = Tidy(text.substr(close + 1));
            if (!rest.empty())
                return rest;
            text = inside;
        }
    }
    if (text == U"RX")
        return U"Remix";
    if (text == U"CR")
        return U"Cover";
    const int n = number(text);
    if (n >= 0) {
        if (static_cast<std::size_t>(n) < std::size(kGenres))
            return U32(kGenres[n]);
        return {};
    }
    return text;
}

void TakeFrame(std::string_view id, std::string_view data, Tag& tag)
{
    const struct {
        std::string_view v3, v2;
        std::u32string Tag::*field;
    } kFrames[] = {{"TIT2", "TT2", &Tag::title}, {"TPE1", "TP1", &Tag::artist}, {"TPE2", "TP2", &Tag::albumArtist},
                   {"TALB", "TAL", &Tag::album}, {"TYER", "TYE", &Tag::year},   {"TDRC", "TDRC", &Tag::year},
                   {"TCON", "TCO", &Tag::genre}};
    for (const auto& f : kFrames)
        if ((id == f.v3 || id == f.v2) && (tag.*f.field).empty())
            tag.*f.field = FrameText(data);
}

bool FrameId(const unsigned char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (!((p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= '0' && p[i] <= '9')))
            return false;
    return true;
}

// The frames of an ID3v2 tag body lying in source from at to end.
void ReadFrames(const ByteSource& source, std::uint64_t at, std::uint64_t end, int major, bool tagUnsynced, Tag& tag)
{
    const std::size_t header = major == 2 ? 6 : 10;
    const std::size_t idLength = major == 2 ? 3 : 4;
    for (std::size_t n = 0; n < kMaxFrames && at + header <= end; ++n) {
        unsigned char h[10];
        if (!source.ReadAt(at, h, header) || !FrameId(h, idLength))
            return;  // padding, or the tag's end
        std::uint32_t size;
        std::uint16_t flags = 0;
        if (major == 2) {
            size = (std::uint32_t{h[3]} << 16) | (std::uint32_t{h[4]} << 8) | h[5];
        } else if (major == 3) {
            size = Be32(h + 4);
            flags = Be16(h + 8);
        } else {
            if (!IsSyncsafe(h + 4))
                return;
            size = Syncsafe(h + 4);
            flags = Be16(h + 8);
        }
        const std::uint64_t dataAt = at + header;
        if (size > end - dataAt)
            return;
        at = dataAt + size;
        const std::string_view id(reinterpret_cast<const char*>(h), idLength);
        if (id[0] != 'T' || size > kMaxFrameBytes)
            continue;
        std::string data = ReadUpTo(source, dataAt, size);
        if (data.size() != size)
            return;
        std::size_t skip = 0;
        if (major == 3) {
            if (flags & 0x00C0)
                continue;  // compressed or encrypted
            if (flags & 0x0020)
                skip = 1;  // group byte
        } else if (major == 4) {
            if (flags & 0x000C)
                continue;
            if (flags & 0x0040)
                skip += 1;
            if (flags & 0x0001)
                skip += 4;  // data length indicator
            if ((flags & 0x0002) || tagUnsynced) {
                data = Resync(std::string_view(data).substr(std::min(skip, data.size())));
                skip = 0;
            }
        }
        if (skip > data.size())
            continue;
        TakeFrame(id, std::string_view(data).substr(skip), tag);
    }
}

// The ID3v2 tag at the file's start; false when there is none.
bool ReadId3v2(const ByteSource& file, Tag& tag)
{
    unsigned char h[10];
    if (!file.ReadAt(0, h, sizeof h) || std::memcmp(h, "ID3", 3) != 0 || h[3] < 2 || h[3] > 4 || h[4] == 0xFF ||
        !IsSyncsafe(h + 6))
        return false;
    const int major = h[3];
    const std::uint8_t flags = h[5];
    const std::uint64_t end = std::min<std::uint64_t>(10 + std::uint64_t{Syncsafe(h + 6)}, file.Size());
    std::uint64_t at = 10;
    if (major == 2 && (flags & 0x40))
        return true;  // compressed: no scheme was ever defined
    if ((flags & 0x80) && major < 4) {
        // The whole tag is unsynchronised: undo that in memory, extended header and all.
        const std::string body =
            Resync(ReadUpTo(file, 10, static_cast<std::size_t>(std::min<std::uint64_t>(end - 10, kMaxUnsyncedTag))));
        MemorySource source(body);
        std::uint64_t from = 0;
        if (major == 3 && (flags & 0x40) && body.size() >= 4)
            from = 4 + std::uint64_t{Be32(At(body, 0))};
        ReadFrames(source, from, body.size(), major, false, tag);
        return true;
    }
    if (flags & 0x40) {
        unsigned char ext[4];
        if (!file.ReadAt(at, ext, sizeof ext))
            return true;
        at += major == 3 ? 4 + std::uint64_t{Be32(ext)} : std::uint64_t{Syncsafe(ext)};
    }
    ReadFrames(file, at, end, major, major == 4 && (flags & 0x80), tag);
    return true;
}

std::u32string V1Field(const unsigned char* p, std::size_t n)
{
    std::size_t length = 0;
    while (length < n && p[length])
        ++length;
    return Tidy(DecodeCodePage(std::string_view(reinterpret_cast<const char*>(p), length), Latin1()));
}

bool ReadId3v1(const ByteSource& file, Tag& tag)
{
    unsigned char t[128];
    if (file.Size() < 128 || !file.ReadAt(file.Size() - 128, t, sizeof t) || std::memcmp(t, "TAG", 3) != 0)
        return false;
    const struct {
        std::size_t at, n;
        std::u32string Tag::*field;
    } kFields[] = {{3, 30, &Tag::title}, {33, 30, &Tag::artist}, {63, 30, &Tag::album}, {93, 4, &Tag::year}};
    for (const auto& f : kFields)
        if ((tag.*f.field).empty())
            tag.*f.field = V1Field(t + f.at, f.n);
    if (tag.genre.empty() && t[127] < std::size(kGenres))
        tag.genre = U32(kGenres[t[127]]);
    return true;
}

// An MPEG audio frame header: sync, a version, a layer, a bit rate and a sample rate that exist.
bool MpegFrame(std::string_view head)
{
    if (head.size() < 4)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(head.data());
    return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0 && ((p[1] >> 3) & 3) != 1 && ((p[1] >> 1) & 3) != 0 &&
           (p[2] >> 4) != 0xF && ((p[2] >> 2) & 3) != 3;
}

class Mp3 : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Music; }
    bool Recognises(const ByteSource& file, std::string_view head) const override
    {
        if (head.size() >= 10 && head.substr(0, 3) == "ID3" && head[3] >= 2 && head[3] <= 4)
            return true;
        unsigned char t[3];
        return MpegFrame(head) && file.Size() >= 128 && file.ReadAt(file.Size() - 128, t, 3) &&
               std::memcmp(t, "TAG", 3) == 0;
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        Tag tag;
        ReadId3v2(file, tag);
        ReadId3v1(file, tag);
        if (tag.artist.empty())
            tag.artist = tag.albumArtist;
        std::u32string year = tag.year.substr(0, 4);
        if (year.size() != 4 || !std::all_of(year.begin(), year.end(), [](char32_t c) { return c >= '0' && c <= '9'; }))
            year.clear();
        const std::u32string genre = GenreName(tag.genre);
        Fields f;
        f.title = !tag.title.empty() ? tag.title : tag.album;
        f.keywords = {tag.artist, tag.album, genre, year};
        std::u32string first = !tag.title.empty() ? tag.title : std::u32string(U"A recording");
        if (!tag.artist.empty())
            first += U" by " + tag.artist;
        std::u32string second;
        if (!tag.album.empty())
            second = U"From the album " + tag.album;
        if (!year.empty())
            second += (second.empty() ? U"Recorded in " : U" (") + year + (second.empty() ? U"" : U")");
        f.sentences = {tag.title.empty() && tag.artist.empty() ? std::u32string() : first, second,
                       genre.empty() ? std::u32string() : U"Genre: " + genre};
        return ProposeFromFields(f, *context.pages.record, proposal) ? kProposed : kNothing;
    }
};

}  // namespace

const FormatReader& Mp3Format()
{
    static const Mp3 reader;
    return reader;
}

}  // namespace arcdesc

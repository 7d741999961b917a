// PDF documents: the document information dictionary and the XMP metadata, found through the cross-reference
// tables or streams (and object streams), newest update first. Only the end of the file, the cross-reference
// data and the few objects needed are read. An encrypted document gives only what is stored in the clear: its
// XMP metadata when the document leaves that unencrypted.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

#include "assist/archive/inflate.h"
#include "assist/archive/reader.h"
#include "assist/archive/xmp.h"

namespace arcdesc {

namespace {

constexpr std::size_t kWindow = 16 * 1024;
constexpr std::size_t kBigWindow = 1024 * 1024;
constexpr std::size_t kTailBytes = 2048;
constexpr std::size_t kMaxSections = 64;
constexpr std::size_t kMaxSubsections = 4096;
constexpr std::size_t kMaxStreamBytes = 16 * 1024 * 1024;  // cross-reference and object streams, decoded
constexpr std::size_t kMaxMetadataBytes = 1024 * 1024;
constexpr int kMaxDepth = 48;
constexpr std::size_t kMaxItems = 100000;
constexpr int kMaxResolve = 8;

struct Obj {
    enum Type : std::uint8_t { Null, Bool, Int, Real, String, Name, Array, Dict, Ref, Keyword };
    Type type = Null;
    std::int64_t integer = 0;  // Int, Bool, and a reference's object number
    std::string text;          // String bytes, Name, Keyword
    std::vector<Obj> items;    // Array items, Dict values
    std::vector<std::string> keys;

    const Obj* Get(std::string_view key) const
    {
        if (type != Dict)
            return nullptr;
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key)
                return &items[i];
        return nullptr;
    }
};

bool IsBlank(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) { return std::strchr("()<>[]{}/%", c) != nullptr && c != '\0'; }
bool IsRegular(char c) { return !IsBlank(c) && !IsDelimiter(c); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The object syntax over a piece of the file held in memory.
class Parser {
public:
    explicit Parser(std::string_view s, std::size_t pos = 0) : m_s(s), m_pos(pos) {}

    std::size_t Pos() const { return m_pos; }
    bool Truncated() const { return m_truncated; }

    void SkipBlank()
    {
        while (m_pos < m_s.size()) {
            if (IsBlank(m_s[m_pos])) {
                ++m_pos;
            } else if (m_s[m_pos] == '%') {
                while (m_pos < m_s.size() && m_s[m_pos] != '\n' && m_s[m_pos] != '\r')
                    ++m_pos;
            } else {
                return;
            }
        }
    }

    bool Keyword(std::string_view word)
    {
        SkipBlank();
        if (m_s.substr(m_pos, word.size()) != word ||
            (m_pos + word.size() < m_s.size() && IsRegular(m_s[m_pos + word.size()])))
            return false;
        m_pos += word.size();
        return true;
    }

    std::optional<std::int64_t> Integer()
    {
        SkipBlank();
        std::size_t p = m_pos;
        bool negative = false;
        if (p < m_s.size() && (m_s[p] == '+' || m_s[p] == '-'))
            negative = m_s[p++] == '-';
        const std::size_t digits = p;
        std::int64_t v = 0;
        while (p < m_s.size() && IsDigit(m_s[p]) && p - digits < 18)
            v = v * 10 + (m_s[p++] - '0');
        if (p == digits || (p < m_s.size() && IsRegular(m_s[p])))
            return std::nullopt;
        m_pos = p;
        return negative ? -v : v;
    }

    bool Parse(Obj& out, int depth = 0)
    {
        if (depth > kMaxDepth || ++m_items > kMaxItems)
            return false;
        SkipBlank();
        if (m_pos >= m_s.size()) {
            m_truncated = true;
            return false;
        }
        const char c = m_s[m_pos];
        if (c == '/') {
            out.type = Obj::Name;
            out.text = NameToken();
            return true;
        }
        if (c == '(')
            return LiteralString(out);
        if (c == '<' && m_s.substr(m_pos, 2) == "<<")
            return Dictionary(out, depth);
        if (c == '<')
            return HexString(out);
        if (c == '[')
            return ArrayOf(out, depth);
        if (IsDigit(c) || c == '+' || c == '-' || c == '.')
            return Number(out);
        if (IsRegular(c)) {
            std::size_t p = m_pos;
            while (p < m_s.size() && IsRegular(m_s[p]))
                ++p;
            out.text = std::string(m_s.substr(m_pos, p - m_pos));
            m_pos = p;
            if (out.text == "true" || out.text == "false") {
                out.type = Obj::Bool;
                out.integer = out.text == "true";
            } else if (out.text == "null") {
                out.type = Obj::Null;
            } else {
                out.type = Obj::Keyword;
            }
            if (p >= m_s.size())
                m_truncated = true;
            return out.type != Obj::Keyword;
        }
        return false;  // a stray delimiter
    }

private:
    std::string NameToken()
    {
        std::string name;
        ++m_pos;
        while (m_pos < m_s.size() && IsRegular(m_s[m_pos])) {
            if (m_s[m_pos] == '#' && m_pos + 2 < m_s.size() && HexValue(m_s[m_pos + 1]) >= 0 &&
                HexValue(m_s[m_pos + 2]) >= 0) {
                name.push_back(static_cast<char>(HexValue(m_s[m_pos + 1]) * 16 + HexValue(m_s[m_pos + 2])));
                m_pos += 3;
            } else {
                name.push_back(m_s[m_pos++]);
            }
        }
        if (m_pos >= m_s.size())
            m_truncated = true;
        return name;
    }

    bool LiteralString(Obj& out)
    {
        out.type = Obj::String;
        ++m_pos;
        int depth = 1;
        while (m_pos < m_s.size()) {
            const char c = m_s[m_pos++];
            if (c == '(') {
                ++depth;
            } else if (c == ')') {
                if (--depth == 0)
                    return true;
            } else if (c == '\\') {
                if (m_pos >= m_s.size())
                    break;
                const char e = m_s[m_pos++];
                switch (e) {
                case 'n': out.text.push_back('\n'); continue;
                case 'r': out.text.push_back('\r'); continue;
                case 't': out.text.push_back('\t'); continue;
                case 'b': out.text.push_back('\b'); continue;
                case 'f': out.text.push_back('\f'); continue;
                case '\r':
                    if (m_pos < m_s.size() && m_s[m_pos] == '\n')
                        ++m_pos;
                    continue;
                case '\n':
                    continue;
                default:
                    break;
                }
                if (e >= '0' && e <= '7') {
                    int v = e - '0';
                    for (int k = 0; k < 2 && m_pos < m_s.size() && m_s[m_pos] >= '0' && m_s[m_pos] <= '7'; ++k)
                        v = v * 8 + (m_s[m_pos++] - '0');
                    out.text.push_back(static_cast<char>(v & 0xFF));
                    continue;
                }
                out.text.push_back(e);
                continue;
            }
            out.text.push_back(c);
        }
        m_truncated = true;
        return false;
    }

    bool HexString(Obj& out)
    {
        out.type = Obj::String;
        ++m_pos;
        int high = -1;
        while (m_pos < m_s.size()) {
            const char c = m_s[m_pos++];
            if (c == '>') {
                if (high >= 0)
                    out.text.push_back(static_cast<char>(high << 4));
                return true;
            }
            const int v = HexValue(c);
            if (v < 0) {
                if (IsBlank(c))
                    continue;
                return false;
            }
            if (high < 0) {
                high = v;
            } else {
                out.text.push_back(static_cast<char>((high << 4) | v));
                high = -1;
            }
        }
        m_truncated = true;
        return false;
    }

    bool Number(Obj& out)
    {
        const std::size_t start = m_pos;
        if (const auto v = Integer()) {
            out.type = Obj::Int;
            out.integer = *v;
            // "n g R" is a reference to object n.
            const std::size_t after = m_pos;
            if (*v >= 0) {
                if (const auto g = Integer(); g && *g >= 0 && Keyword("R")) {
                    out.type = Obj::Ref;
                    return true;
                }
            }
            m_pos = after;
            return true;
        }
        m_pos = start;
        std::size_t p = m_pos;
        while (p < m_s.size() && (IsDigit(m_s[p]) || m_s[p] == '.' || m_s[p] == '+' || m_s[p] == '-'))
            ++p;
        if (p == m_pos)
            return false;
        out.type = Obj::Real;
        m_pos = p;
        return true;
    }

    bool ArrayOf(Obj& out, int depth)
    {
        out.type = Obj::Array;
        ++m_pos;
        for (;;) {
            SkipBlank();
            if (m_pos >= m_s.size()) {
                m_truncated = true;
                return false;
            }
            if (m_s[m_pos] == ']') {
                ++m_pos;
                return true;
            }
            Obj item;
            if (!Parse(item, depth + 1))
                return false;
            out.items.push_back(std::move(item));
        }
    }

    bool Dictionary(Obj& out, int depth)
    {
        out.type = Obj::Dict;
        m_pos += 2;
        for (;;) {
            SkipBlank();
            if (m_pos >= m_s.size()) {
                m_truncated = true;
                return false;
            }
            if (m_s.substr(m_pos, 2) == ">>") {
                m_pos += 2;
                return true;
            }
            if (m_s[m_pos] != '/')
                return false;
            std::string key = NameToken();
            Obj value;
            if (!Parse(value, depth + 1))
                return false;
            out.keys.push_back(std::move(key));
            out.items.push_back(std::move(value));
        }
    }

    std::string_view m_s;
    std::size_t m_pos;
    bool m_truncated = false;
    std::size_t m_items = 0;
};

// Undoes the PNG predictors that cross-reference streams are often written with.
bool Unpredict(std::string& data, const Obj* parms)
{
    const Obj* predictor = parms ? parms->Get("Predictor") : nullptr;
    if (!predictor || predictor->type != Obj::Int || predictor->integer <= 1)
        return true;
    if (predictor->integer < 10)
        return false;  // TIFF prediction is not used for what is read here
    auto number = [&](const char* key, std::int64_t fallback) {
        const Obj* o = parms->Get(key);
        return o && o->type == Obj::Int ? o->integer : fallback;
    };
    const std::int64_t columns = number("Columns", 1), colors = number("Colors", 1),
                       bits = number("BitsPerComponent", 8);
    if (columns < 1 || columns > 1 << 20 || colors < 1 || colors > 32 || bits < 1 || bits > 16)
        return false;
    const std::size_t row = static_cast<std::size_t>((columns * colors * bits + 7) / 8);
    const std::size_t bpp = static_cast<std::size_t>(std::max<std::int64_t>(1, colors * bits / 8));
    std::string out;
    std::string previous(row, '\0');
    for (std::size_t at = 0; at + 1 + row <= data.size(); at += row + 1) {
        const int type = static_cast<unsigned char>(data[at]);
        std::string line = data.substr(at + 1, row);
        for (std::size_t i = 0; i < row; ++i) {
            const int left = i >= bpp ? static_cast<unsigned char>(line[i - bpp]) : 0;
            const int up = static_cast<unsigned char>(previous[i]);
            const int upLeft = i >= bpp ? static_cast<unsigned char>(previous[i - bpp]) : 0;
            int add = 0;
            switch (type) {
            case 0: break;
            case 1: add = left; break;
            case 2: add = up; break;
            case 3: add = (left + up) / 2; break;
            case 4: {
                const int p = left + up - upLeft;
                const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
                add = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
                break;
            }
            default: return false;
            }
            line[i] = static_cast<char>((static_cast<unsigned char>(line[i]) + add) & 0xFF);
        }
        out += line;
        previous = line;
    }
    data = std::move(out);
    return true;
}

// Bytes 0x18 to 0x1F and 0x80 to 0xAD of PDFDocEncoding where they differ from Latin-1 (0: undefined).
constexpr char32_t kDocLow[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
constexpr char32_t kDocHigh[46] = {
    0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212, 0x2030,
    0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152, 0x0160,
    0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0,      0x20AC, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0};

// A PDF text string: UTF-16 or UTF-8 with a byte-order mark, else PDFDocEncoding.
std::u32string TextString(std::string_view bytes)
{
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return DecodeUtf16(bytes.substr(2), true);
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return DecodeUtf8(bytes.substr(3));
    std::u32string out;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        char32_t c = b;
        if (b >= 0x18 && b <= 0x1F)
            c = kDocLow[b - 0x18];
        else if (b >= 0x80 && b <= 0xAD)
            c = kDocHigh[b - 0x80];
        out.push_back(c ? c : 0xFFFD);
    }
    return out;
}

struct XrefEntry {
    int type = 0;            // 0 free, 1 at an offset, 2 inside an object stream
    std::uint64_t field = 0;  // the offset, or the object stream's number
    std::uint32_t index = 0;  // the place inside the object stream
};

// One cross-reference section: a classic table (read entry by entry where it lies) or a decoded stream.
struct Section {
    struct Subsection {
        std::uint32_t first = 0, count = 0;
        std::uint64_t at = 0;
        unsigned stride = 20;
    };
    bool stream = false;
    std::vector<Subsection> subsections;
    std::string data;
    unsigned widths[3] = {0, 0, 0};
    std::vector<std::pair<std::uint32_t, std::uint32_t>> index;
};

class Document {
public:
    explicit Document(const ByteSource& file) : m_file(file) {}

    bool Open()
    {
        const std::uint64_t size = m_file.Size();
        const std::uint64_t from = size > kTailBytes ? size - kTailBytes : 0;
        const std::string tail = ReadUpTo(m_file, from, kTailBytes);
        const auto at = tail.rfind("startxref");
        if (at == std::string::npos)
            return false;
        Parser p(tail, at + 9);
        const auto offset = p.Integer();
        if (!offset || *offset < 0)
            return false;
        std::set<std::uint64_t> seen;
        std::optional<std::uint64_t> next = static_cast<std::uint64_t>(*offset);
        while (next && m_sections.size() < kMaxSections && seen.insert(*next).second) {
            Obj trailer;
            if (!ReadSection(*next, trailer))
                break;
            // A classic table may name a stream with the entries of a hybrid file.
            if (const Obj* hybrid = trailer.Get("XRefStm");
                hybrid && hybrid->type == Obj::Int && hybrid->integer >= 0) {
                Obj ignored;
                if (seen.insert(static_cast<std::uint64_t>(hybrid->integer)).second)
                    ReadSection(static_cast<std::uint64_t>(hybrid->integer), ignored);
            }
            for (const char* key : {"Root", "Info", "Encrypt"})
                if (!m_trailer.Get(key))
                    if (const Obj* value = trailer.Get(key)) {
                        m_trailer.type = Obj::Dict;
                        m_trailer.keys.push_back(key);
                        m_trailer.items.push_back(*value);
                    }
            const Obj* prev = trailer.Get("Prev");
            next.reset();
            if (prev && prev->type == Obj::Int && prev->integer >= 0)
                next = static_cast<std::uint64_t>(prev->integer);
        }
        return !m_sections.empty();
    }

    bool Encrypted() const { return m_trailer.Get("Encrypt") != nullptr; }
    const Obj* Trailer(const char* key) const { return m_trailer.Get(key); }

    // The object itself, or what a reference points to.
    Obj Resolve(const Obj& o, int depth = 0)
    {
        if (o.type != Obj::Ref)
            return o;
        if (depth >= kMaxResolve || o.integer < 0 || o.integer > 0xFFFFFFFF)
            return {};
        Obj out;
        GetObject(static_cast<std::uint32_t>(o.integer), out, nullptr, depth + 1);
        return out;
    }

    // An object by number; streamAt: where a stream object's data begins in the file.
    bool GetObject(std::uint32_t number, Obj& out, std::optional<std::uint64_t>* streamAt, int depth = 0)
    {
        const auto entry = Lookup(number);
        if (!entry || entry->type == 0)
            return false;
        if (entry->type == 1)
            return ReadIndirect(entry->field, number, out, streamAt);
        if (Encrypted() || streamAt || entry->field > 0xFFFFFFFF || depth >= kMaxResolve)
            return false;  // object streams are encrypted with the document, and hold no streams
        return FromObjectStream(static_cast<std::uint32_t>(entry->field), entry->index, number, out, depth);
    }

    // A stream's data, decoded (zlib only), at most max bytes.
    std::optional<std::string> StreamData(const Obj& dict, std::uint64_t at, std::size_t max, int depth = 0)
    {
        const Obj length = Resolve(dict.Get("Length") ? *dict.Get("Length") : Obj{}, depth);
        if (length.type != Obj::Int || length.integer < 0 || static_cast<std::uint64_t>(length.integer) > m_file.Size())
            return std::nullopt;
        const std::size_t raw = static_cast<std::size_t>(std::min<std::uint64_t>(length.integer, kMaxStreamBytes));
        std::string data = ReadUpTo(m_file, at, raw);
        if (data.size() != raw)
            return std::nullopt;
        const Obj* filter = dict.Get("Filter");
        const Obj* parms = dict.Get("DecodeParms");
        std::vector<const Obj*> filters;
        if (filter && filter->type == Obj::Name)
            filters.push_back(filter);
        else if (filter && filter->type == Obj::Array)
            for (const Obj& f : filter->items)
                filters.push_back(&f);
        if (parms && parms->type == Obj::Array)
            parms = parms->items.empty() ? nullptr : &parms->items[0];
        if (filters.size() > 1)
            return std::nullopt;
        if (filters.empty()) {
            data.resize(std::min(data.size(), max));
            return data;
        }
        if (filters[0]->type != Obj::Name || (filters[0]->text != "FlateDecode" && filters[0]->text != "Fl"))
            return std::nullopt;
        std::string out = InflateZlib(data, max);
        if (!Unpredict(out, parms && parms->type == Obj::Dict ? parms : nullptr))
            return std::nullopt;
        return out;
    }

private:
    bool ReadIndirect(std::uint64_t offset, std::optional<std::uint32_t> number, Obj& out,
                      std::optional<std::uint64_t>* streamAt)
    {
        for (const std::size_t window : {kWindow, kBigWindow}) {
            const std::string buf = ReadUpTo(m_file, offset, window);
            Parser p(buf);
            const auto n = p.Integer();
            const auto g = p.Integer();
            if (!n || !g || !p.Keyword("obj") || (number && *n != *number))
                return false;
            Obj o;
            if (p.Parse(o)) {
                if (streamAt) {
                    streamAt->reset();
                    if (p.Keyword("stream")) {
                        std::size_t at = p.Pos();
                        if (at < buf.size() && buf[at] == '\r')
                            ++at;
                        if (at < buf.size() && buf[at] == '\n')
                            ++at;
                        *streamAt = offset + at;
                    }
                }
                out = std::move(o);
                return true;
            }
            if (!p.Truncated() || buf.size() < window)
                return false;
        }
        return false;
    }

    bool ReadSection(std::uint64_t offset, Obj& trailer)
    {
        const std::string start = ReadUpTo(m_file, offset, 64);
        if (start.rfind("xref", 0) == 0)
            return ReadTable(offset + 4, trailer);
        Obj dict;
        std::optional<std::uint64_t> at;
        if (!ReadIndirect(offset, std::nullopt, dict, &at) || !at || dict.type != Obj::Dict)
            return false;
        const Obj* type = dict.Get("Type");
        const Obj* w = dict.Get("W");
        if (!type || type->text != "XRef" || !w || w->type != Obj::Array || w->items.size() < 3)
            return false;
        Section s;
        s.stream = true;
        for (int i = 0; i < 3; ++i) {
            if (w->items[i].type != Obj::Int || w->items[i].integer < 0 || w->items[i].integer > 8)
                return false;
            s.widths[i] = static_cast<unsigned>(w->items[i].integer);
        }
        const Obj* index = dict.Get("Index");
        if (index && index->type == Obj::Array) {
            for (std::size_t i = 0; i + 1 < index->items.size(); i += 2)
                if (index->items[i].type == Obj::Int && index->items[i + 1].type == Obj::Int &&
                    index->items[i].integer >= 0 && index->items[i + 1].integer >= 0)
                    s.index.emplace_back(
                        static_cast<std::uint32_t>(std::min<std::int64_t>(index->items[i].integer, 0xFFFFFFFF)),
                        static_cast<std::uint32_t>(std::min<std::int64_t>(index->items[i + 1].integer, 0xFFFFFFFF)));
        } else if (const Obj* size = dict.Get("Size"); size && size->type == Obj::Int && size->integer > 0) {
            s.index.emplace_back(0, static_cast<std::uint32_t>(std::min<std::int64_t>(size->integer, 0xFFFFFFFF)));
        }
        // Cross-reference streams are never encrypted; their Length is a direct number.
        auto data = StreamData(dict, *at, kMaxStreamBytes, kMaxResolve);
        if (!data)
            return false;
        s.data = std::move(*data);
        m_sections.push_back(std::move(s));
        trailer = std::move(dict);
        return true;
    }

    bool ReadTable(std::uint64_t at, Obj& trailer)
    {
        Section s;
        for (std::size_t n = 0; n < kMaxSubsections; ++n) {
            const std::string line = ReadUpTo(m_file, at, 64);
            Parser p(line);
            if (p.Keyword("trailer")) {
                const std::string buf = ReadUpTo(m_file, at + p.Pos(), kWindow);
                Parser t(buf);
                if (!t.Parse(trailer) || trailer.type != Obj::Dict)
                    return false;
                m_sections.push_back(std::move(s));
                return true;
            }
            const auto first = p.Integer();
            const auto count = p.Integer();
            if (!first || !count || *first < 0 || *count < 0 || *first > 0xFFFFFFFF || *count > 0xFFFFFFFF)
                return false;
            std::size_t entries = p.Pos();
            while (entries < line.size() && IsBlank(line[entries]))
                ++entries;
            Section::Subsection sub{static_cast<std::uint32_t>(*first), static_cast<std::uint32_t>(*count),
                                    at + entries, 20};
            // An entry is 18 characters and an end of line, which some writers make one character short.
            const std::string entry = ReadUpTo(m_file, sub.at, 21);
            if (*count > 0) {
                if (entry.size() < 19)
                    return false;
                unsigned stride = 18;
                while (stride < entry.size() && stride < 21 && IsBlank(entry[stride]))
                    ++stride;
                sub.stride = stride;
            }
            s.subsections.push_back(sub);
            at = sub.at + std::uint64_t{sub.count} * sub.stride;
            if (at > m_file.Size())
                return false;
        }
        return false;
    }

    std::optional<XrefEntry> Lookup(std::uint32_t number) const
    {
        for (const Section& s : m_sections) {
            if (!s.stream) {
                for (const auto& sub : s.subsections) {
                    if (number < sub.first || number - sub.first >= sub.count)
                        continue;
                    const std::string e = ReadUpTo(m_file, sub.at + std::uint64_t{number - sub.first} * sub.stride, 18);
                    Parser p(e);
                    const auto offset = p.Integer();
                    const auto gen = p.Integer();
                    if (!offset || !gen || *offset < 0)
                        return std::nullopt;
                    XrefEntry x;
                    x.type = p.Keyword("n") ? 1 : 0;
                    x.field = static_cast<std::uint64_t>(*offset);
                    return x;
                }
                continue;
            }
            const std::size_t row = s.widths[0] + s.widths[1] + s.widths[2];
            std::uint64_t base = 0;
            for (const auto& [first, count] : s.index) {
                if (number >= first && number - first < count) {
                    const std::uint64_t at = (base + (number - first)) * row;
                    if (row == 0 || at + row > s.data.size())
                        return std::nullopt;
                    auto field = [&](std::size_t offset, unsigned width) {
                        std::uint64_t v = 0;
                        for (unsigned i = 0; i < width; ++i)
                            v = (v << 8) | static_cast<unsigned char>(s.data[at + offset + i]);
                        return v;
                    };
                    XrefEntry x;
                    x.type = s.widths[0] ? static_cast<int>(field(0, s.widths[0])) : 1;
                    x.field = field(s.widths[0], s.widths[1]);
                    x.index = static_cast<std::uint32_t>(field(s.widths[0] + s.widths[1], s.widths[2]));
                    if (x.type > 2)
                        x.type = 0;
                    return x;
                }
                base += count;
            }
        }
        return std::nullopt;
    }

    bool FromObjectStream(std::uint32_t streamNumber, std::uint32_t index, std::uint32_t number, Obj& out, int depth)
    {
        if (!m_objectStream || m_objectStreamNumber != streamNumber) {
            m_objectStream.reset();
            Obj dict;
            std::optional<std::uint64_t> at;
            const auto entry = Lookup(streamNumber);
            if (!entry || entry->type != 1 || !ReadIndirect(entry->field, streamNumber, dict, &at) || !at)
                return false;
            const Obj n = Resolve(dict.Get("N") ? *dict.Get("N") : Obj{}, depth);
            const Obj first = Resolve(dict.Get("First") ? *dict.Get("First") : Obj{}, depth);
            if (n.type != Obj::Int || first.type != Obj::Int || n.integer < 0 || first.integer < 0)
                return false;
            auto data = StreamData(dict, *at, kMaxStreamBytes, depth);
            if (!data)
                return false;
            m_objectStream = std::move(*data);
            m_objectStreamNumber = streamNumber;
            m_objectCount = static_cast<std::size_t>(std::min<std::int64_t>(n.integer, 1 << 20));
            m_objectFirst = static_cast<std::size_t>(std::min<std::int64_t>(first.integer, 1 << 30));
        }
        // The stream starts with pairs of object number and offset; the one at the stated place is tried first.
        Parser header(*m_objectStream);
        std::optional<std::int64_t> offset;
        for (std::size_t i = 0; i < m_objectCount; ++i) {
            const auto n = header.Integer();
            const auto o = header.Integer();
            if (!n || !o)
                break;
            if (*n == number && (i == index || !offset))
                offset = *o;
            if (i == index && offset)
                break;
        }
        if (!offset || *offset < 0 ||
            m_objectFirst + static_cast<std::size_t>(std::min<std::int64_t>(*offset, 1 << 30)) >=
                m_objectStream->size())
            return false;
        Parser p(*m_objectStream, m_objectFirst + static_cast<std::size_t>(*offset));
        return p.Parse(out);
    }

    const ByteSource& m_file;
    std::vector<Section> m_sections;
    Obj m_trailer;
    std::optional<std::string> m_objectStream;
    std::uint32_t m_objectStreamNumber = 0;
    std::size_t m_objectCount = 0, m_objectFirst = 0;
};

// Texts PDF writers put in when the author gave none.
bool Placeholder(const std::u32string& s)
{
    const std::u32string upper = UpperText(s);
    return upper == U"UNTITLED" || upper == U"ANONYMOUS" || upper == U"UNSPECIFIED" || upper == U"UNKNOWN";
}

std::u32string Joined(const std::vector<std::u32string>& parts)
{
    std::u32string out;
    for (const auto& p : parts)
        out += (out.empty() ? U"" : U", ") + p;
    return out;
}

class Pdf : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Document; }
    bool Recognises(const ByteSource&, std::string_view head) const override
    {
        return head.substr(0, 1024).find("%PDF-") != std::string_view::npos;
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        Document doc(file);
        if (!doc.Open())
            return kNothing;
        // The information dictionary's strings are encrypted with the document.
        std::u32string title, author, subject, keywords;
        if (!doc.Encrypted() && doc.Trailer("Info")) {
            const Obj info = doc.Resolve(*doc.Trailer("Info"));
            auto text = [&](const char* key) {
                const Obj* o = info.Get(key);
                const Obj v = o ? doc.Resolve(*o) : Obj{};
                std::u32string s = v.type == Obj::String ? Tidy(TextString(v.text)) : std::u32string();
                return Placeholder(s) ? std::u32string() : s;
            };
            title = text("Title");
            author = text("Author");
            subject = text("Subject");
            keywords = text("Keywords");
        }
        const XmpFields xmp = Metadata(doc);
        if (title.empty())
            title = xmp.title;
        if (author.empty())
            author = Joined(xmp.creators);
        if (subject.empty())
            subject = xmp.description;
        std::vector<std::u32string> words = SplitList(keywords.empty() ? xmp.keywords : keywords);
        if (words.empty())
            words = xmp.subjects;

        Fields f;
        f.title = !title.empty() ? title : subject;
        f.keywords = words;
        f.keywords.push_back(author);
        std::u32string first = f.title;
        if (!author.empty())
            first += (first.empty() ? U"By " : U" by ") + author;
        f.sentences = {first, subject != f.title ? subject : std::u32string()};
        return ProposeFromFields(f, *context.pages.record, proposal) ? kProposed : kNothing;
    }

private:
    static XmpFields Metadata(Document& doc)
    {
        const Obj* rootRef = doc.Trailer("Root");
        if (!rootRef)
            return {};
        const Obj root = doc.Resolve(*rootRef);
        const Obj* metadata = root.Get("Metadata");
        if (!metadata || metadata->type != Obj::Ref || metadata->integer < 0 || metadata->integer > 0xFFFFFFFF)
            return {};
        if (doc.Encrypted()) {
            // Readable only where the document leaves its metadata in the clear.
            const Obj encrypt = doc.Resolve(*doc.Trailer("Encrypt"));
            const Obj* clear = encrypt.Get("EncryptMetadata");
            if (!clear || clear->type != Obj::Bool || clear->integer)
                return {};
        }
        Obj dict;
        std::optional<std::uint64_t> at;
        if (!doc.GetObject(static_cast<std::uint32_t>(metadata->integer), dict, &at) || !at)
            return {};
        const auto data = doc.StreamData(dict, *at, kMaxMetadataBytes);
        return data ? ReadXmp(*data) : XmpFields{};
    }
};

}  // namespace

const FormatReader& PdfFormat()
{
    static const Pdf reader;
    return reader;
}

}  // namespace arcdesc

// Turning a description's lines, or the fields a file names, into abstract, title and keywords.
#include "assist/archive/proposal.h"

#include <algorithm>
#include <array>

namespace arcdesc {

namespace {

// How many non-blank lines of a README or plain text file make its abstract.
constexpr std::size_t kFirstLines = 12;

bool Blank(char32_t c) { return c < 0x20 || c == 0x7F || c == ' ' || (c >= 0x80 && c < 0xA0) || c == 0xA0 ||
                                (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x3000; }

// Meaningful: carries at least two letters or digits, so that rules, frames and stray marks do not count.
bool Meaningful(std::u32string_view line) { return std::count_if(line.begin(), line.end(), IsWordChar) >= 2; }

std::vector<std::u32string> Lines(std::u32string_view text)
{
    // A DOS end-of-file mark ends the text.
    if (const auto eof = text.find(U'\x1A'); eof != std::u32string_view::npos)
        text = text.substr(0, eof);
    std::vector<std::u32string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r' || text[i] == 0x2028) {
            lines.emplace_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    return lines;
}

// A DESCRIPT.ION line is "NAME description" or "\"long name\" description"; the description follows the
// name, and an extended description after a ^D mark is left out.
std::u32string_view DescriptionOf(std::u32string_view line)
{
    if (const auto mark = line.find(U'\x04'); mark != std::u32string_view::npos)
        line = line.substr(0, mark);
    std::size_t at = 0;
    if (!line.empty() && line[0] == '"') {
        const auto close = line.find('"', 1);
        at = close == std::u32string_view::npos ? line.size() : close + 1;
    } else {
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
    }
    return line.substr(at);
}

// Words too common to be worth a keyword.
bool Common(const std::u32string& upperWord)
{
    static constexpr std::array<std::u32string_view, 16> kCommon = {
        U"THE", U"AND", U"FOR", U"WITH", U"FROM", U"THIS", U"THAT", U"YOU",
        U"YOUR", U"ARE", U"WAS", U"INTO", U"NOT", U"ALL", U"BUT", U"ITS"};
    return std::find(kCommon.begin(), kCommon.end(), upperWord) != kCommon.end();
}

// Adds one keyword when it fits and is new; false when it was left out.
bool AddKeyword(std::string& keywords, std::vector<std::u32string>& seen, std::u32string_view keyword,
                const CodePage& record)
{
    const std::u32string upper = UpperText(keyword);
    if (keyword.empty() || std::find(seen.begin(), seen.end(), upper) != seen.end())
        return false;
    const std::string encoded = Encode(keyword, record);
    const std::size_t grown = keywords.size() + (keywords.empty() ? 0 : 2) + encoded.size();
    if (encoded.empty() || grown > kLineChars)
        return false;  // a shorter one further on may still fit
    if (!keywords.empty())
        keywords += ", ";
    keywords += encoded;
    seen.push_back(upper);
    return true;
}

std::string KeywordsOf(std::u32string_view title, const CodePage& record)
{
    std::string keywords;
    std::vector<std::u32string> seen;
    std::size_t i = 0;
    while (i < title.size()) {
        while (i < title.size() && !IsWordChar(title[i]))
            ++i;
        std::size_t end = i;
        while (end < title.size() && IsWordChar(title[end]))
            ++end;
        const std::u32string word(title.substr(i, end - i));
        i = end;
        // Meaningful words: three characters or more, not all digits, not a common word, each once.
        if (word.size() < 3 || std::all_of(word.begin(), word.end(), [](char32_t c) { return c >= '0' && c <= '9'; }) ||
            Common(UpperText(word)))
            continue;
        AddKeyword(keywords, seen, word, record);
    }
    return keywords;
}

// Lines joined by blanks into at most kAbstractChars bytes; the line that does not fit is cut at a word's end,
// so the abstract does not end in half a word.
std::string JoinAbstract(const std::vector<std::string>& lines)
{
    std::string abstract;
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        const std::size_t room = kAbstractChars - abstract.size();
        const std::size_t needed = line.size() + (abstract.empty() ? 0 : 1);
        if (needed > room) {
            std::string part = (abstract.empty() ? "" : " ") + line;
            part.resize(room);
            if (const auto space = part.find_last_of(' '); space != std::string::npos && space > 0)
                part.resize(space);
            abstract += part;
            break;
        }
        if (!abstract.empty())
            abstract += ' ';
        abstract += line;
    }
    while (!abstract.empty() && abstract.back() == ' ')
        abstract.pop_back();
    return abstract;
}

// The title: the line's first whole characters that fit; keywords come from the part that fits, less a word the
// cut broke in two.
void TitleAndKeywords(std::u32string_view line, const CodePage& record, Proposal& p)
{
    std::size_t taken = 0;
    p.title = EncodeFit(line, record, kLineChars, &taken);
    while (!p.title.empty() && p.title.back() == ' ')
        p.title.pop_back();
    std::u32string_view whole = line.substr(0, taken);
    if (taken < line.size() && IsWordChar(line[taken]))
        while (!whole.empty() && IsWordChar(whole.back()))
            whole.remove_suffix(1);
    p.keywords = KeywordsOf(whole, record);
}

}  // namespace

std::u32string Tidy(std::u32string_view text)
{
    std::u32string out;
    for (char32_t c : text) {
        if (Blank(c)) {
            if (!out.empty() && out.back() != ' ')
                out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::u32string U32(std::string_view ascii) { return std::u32string(ascii.begin(), ascii.end()); }

std::vector<std::u32string> SplitList(std::u32string_view list)
{
    std::vector<std::u32string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i < list.size() && list[i] != ',' && list[i] != ';')
            continue;
        std::u32string item = Tidy(list.substr(start, i - start));
        if (!item.empty())
            out.push_back(std::move(item));
        start = i + 1;
    }
    return out;
}

bool ProposeFromText(std::u32string_view text, TextKind kind, const CodePage& record, Proposal& proposal)
{
    std::vector<std::u32string> kept;
    for (const std::u32string& raw : Lines(text)) {
        std::u32string line = Tidy(kind == TextKind::DescriptIon ? DescriptionOf(raw) : std::u32string_view(raw));
        if (line.empty())
            continue;
        kept.push_back(std::move(line));
        if (kind == TextKind::FirstLines && kept.size() == kFirstLines)
            break;
    }
    const auto first = std::find_if(kept.begin(), kept.end(), [](const std::u32string& l) { return Meaningful(l); });
    if (first == kept.end())
        return false;

    Proposal p;
    std::vector<std::string> lines;
    for (const std::u32string& line : kept) {
        if (!Meaningful(line) && kind != TextKind::Description)
            continue;  // rules and frames of a README say nothing
        lines.push_back(Encode(line, record));
    }
    p.abstract = JoinAbstract(lines);
    TitleAndKeywords(*first, record, p);
    proposal = std::move(p);
    return true;
}

bool ProposeFromText(std::string_view bytes, TextKind kind, Proposal& proposal)
{
    const CodePages pages;
    const Legacy usual = kind == TextKind::FirstLines ? Legacy::Ansi : Legacy::Dos;
    return ProposeFromText(DecodeText(bytes, pages, usual), kind, *pages.record, proposal);
}

bool ProposeFromFields(const Fields& fields, const CodePage& record, Proposal& proposal)
{
    Proposal p;
    std::size_t taken = 0;
    p.title = EncodeFit(Tidy(fields.title), record, kLineChars, &taken);
    while (!p.title.empty() && p.title.back() == ' ')
        p.title.pop_back();
    std::vector<std::u32string> seen;
    for (const std::u32string& keyword : fields.keywords)
        AddKeyword(p.keywords, seen, Tidy(keyword), record);
    std::vector<std::string> sentences;
    for (const std::u32string& sentence : fields.sentences) {
        std::u32string s = Tidy(sentence);
        if (s.empty())
            continue;
        if (s.back() != '.' && s.back() != '!' && s.back() != '?')
            s.push_back('.');
        sentences.push_back(Encode(s, record));
    }
    p.abstract = JoinAbstract(sentences);
    if (p.title.empty() && p.keywords.empty() && p.abstract.empty())
        return false;
    proposal = std::move(p);
    return true;
}

}  // namespace arcdesc

// Choosing the description inside an archive and turning its lines into abstract, title and keywords.
#include "assist/archive/description.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace arcdesc {

namespace {

// Enough of a README or text file for its first lines; descriptions are small but may be padded.
constexpr std::size_t kReadBytes = 64 * 1024;
// How many non-blank lines of a README or plain text file make its abstract.
constexpr std::size_t kFirstLines = 12;
// A file counts as plain text when its first bytes hold no NUL and few other control characters.
constexpr std::size_t kSniffBytes = 4096;

bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string UpperCase(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Upper);
    return out;
}

// A line with its control characters as spaces, runs of blanks collapsed and the ends trimmed.
std::string Tidy(std::string_view line)
{
    std::string out;
    for (char c : line) {
        const bool blank = static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == ' ';
        if (blank) {
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

// Meaningful: carries at least two letters or digits, so that rules, frames and stray marks do not count.
bool Meaningful(std::string_view line) { return std::count_if(line.begin(), line.end(), IsAlnum) >= 2; }

std::vector<std::string> Lines(std::string_view text)
{
    // A DOS end-of-file mark ends the text.
    if (const auto eof = text.find('\x1A'); eof != std::string_view::npos)
        text = text.substr(0, eof);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
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
std::string_view DescriptionOf(std::string_view line)
{
    if (const auto mark = line.find('\x04'); mark != std::string_view::npos)
        line = line.substr(0, mark);
    std::size_t at = 0;
    if (!line.empty() && line[0] == '"') {
        const auto close = line.find('"', 1);
        at = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
    }
    return line.substr(at);
}

// Words too common to be worth a keyword.
bool Common(const std::string& upperWord)
{
    static constexpr std::array<std::string_view, 16> kCommon = {"THE", "AND", "FOR", "WITH", "FROM", "THIS",
                                                                  "THAT", "YOU", "YOUR", "ARE", "WAS", "INTO",
                                                                  "NOT", "ALL", "BUT", "ITS"};
    return std::find(kCommon.begin(), kCommon.end(), upperWord) != kCommon.end();
}

std::string KeywordsOf(const std::string& title)
{
    std::string keywords;
    std::vector<std::string> seen;
    std::size_t i = 0;
    while (i < title.size()) {
        while (i < title.size() && !IsAlnum(title[i]))
            ++i;
        std::size_t end = i;
        while (end < title.size() && IsAlnum(title[end]))
            ++end;
        const std::string word = title.substr(i, end - i);
        i = end;
        const std::string upper = UpperCase(word);
        // Meaningful words: three characters or more, not all digits, not a common word, each once.
        if (word.size() < 3 || std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            Common(upper) || std::find(seen.begin(), seen.end(), upper) != seen.end())
            continue;
        const std::size_t grown = keywords.size() + (keywords.empty() ? 0 : 2) + word.size();
        if (grown > kLineChars)
            continue;  // a shorter word further on may still fit
        if (!keywords.empty())
            keywords += ", ";
        keywords += word;
        seen.push_back(upper);
    }
    return keywords;
}

// The entry's name without its directories, in capitals.
std::string BaseName(const std::string& name)
{
    const auto slash = name.find_last_of("/\\");
    return UpperCase(slash == std::string::npos ? name : name.substr(slash + 1));
}

std::size_t Depth(const std::string& name)
{
    return std::count_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '\\'; });
}

bool IsReadme(const std::string& base)
{
    return base == "README" || base == "READ.ME" || base.rfind("README.", 0) == 0;
}

// The shallowest entry whose base name fits, the first of equals in directory order; null when none.
template <class Fits>
const ZipEntry* Find(const std::vector<ZipEntry>& entries, Fits fits)
{
    const ZipEntry* best = nullptr;
    for (const ZipEntry& e : entries) {
        if (e.name.empty() || e.name.back() == '/' || !fits(BaseName(e.name)))
            continue;
        if (!best || Depth(e.name) < Depth(best->name))
            best = &e;
    }
    return best;
}

bool LooksLikeText(const ByteSource& file)
{
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kSniffBytes));
    if (n == 0)
        return false;
    std::string head(n, '\0');
    if (!file.ReadAt(0, head.data(), n))
        return false;
    std::size_t odd = 0;
    for (char c : head) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0)
            return false;
        if (u < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\x1A' && c != '\x04')
            ++odd;
    }
    return odd * 20 <= n;  // at most one in twenty
}

}  // namespace

bool ProposeFromText(std::string_view text, TextKind kind, Proposal& proposal)
{
    std::vector<std::string> kept;
    for (const std::string& raw : Lines(text)) {
        const std::string line = Tidy(kind == TextKind::DescriptIon ? DescriptionOf(raw) : std::string_view(raw));
        if (line.empty())
            continue;
        kept.push_back(line);
        if (kind == TextKind::FirstLines && kept.size() == kFirstLines)
            break;
    }
    const auto first = std::find_if(kept.begin(), kept.end(), [](const std::string& l) { return Meaningful(l); });
    if (first == kept.end())
        return false;

    Proposal p;
    for (const std::string& line : kept) {
        if (!Meaningful(line) && kind != TextKind::Description)
            continue;  // rules and frames of a README say nothing
        const std::size_t room = kAbstractChars - p.abstract.size();
        const std::size_t needed = line.size() + (p.abstract.empty() ? 0 : 1);
        if (needed > room) {
            // Cut the last line at a word end, so the abstract does not end in half a word.
            std::string part = (p.abstract.empty() ? "" : " ") + line;
            part.resize(room);
            if (const auto space = part.find_last_of(' '); space != std::string::npos && space > 0)
                part.resize(space);
            p.abstract += part;
            break;
        }
        if (!p.abstract.empty())
            p.abstract += ' ';
        p.abstract += line;
    }
    p.title = first->substr(0, kLineChars);
    while (!p.title.empty() && p.title.back() == ' ')
        p.title.pop_back();
    // A word the cut broke in two is no keyword.
    std::string whole = p.title;
    if (first->size() > kLineChars && IsAlnum((*first)[kLineChars]))
        while (!whole.empty() && IsAlnum(whole.back()))
            whole.pop_back();
    p.keywords = KeywordsOf(whole);
    proposal = std::move(p);
    return true;
}

int ProposeForFile(const ByteSource& file, bool namedZip, const Sources& sources, Proposal& proposal)
{
    const ZipDirectory dir = ReadZipDirectory(file);
    if (dir.status == ZipStatus::NotZip && !namedZip && !StartsLikeZip(file)) {
        if (!sources.plainText || !LooksLikeText(file))
            return kNothing;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kReadBytes));
        std::string text(n, '\0');
        if (!file.ReadAt(0, text.data(), n))
            return kCannotOpen;
        return ProposeFromText(text, TextKind::FirstLines, proposal) ? kProposed : kNothing;
    }
    if (dir.status == ZipStatus::Unsupported)
        return kUnsupportedArchive;
    if (dir.status != ZipStatus::Ok)
        return kDamagedArchive;

    struct Choice {
        bool wanted;
        const ZipEntry* entry;
        TextKind kind;
    };
    const Choice choices[] = {
        {sources.fileIdDiz, Find(dir.entries, [](const std::string& b) { return b == "FILE_ID.DIZ"; }),
         TextKind::Description},
        {sources.descriptIon, Find(dir.entries, [](const std::string& b) { return b == "DESCRIPT.ION"; }),
         TextKind::DescriptIon},
        {sources.readme, Find(dir.entries, IsReadme), TextKind::FirstLines},
    };
    for (const Choice& c : choices) {
        if (!c.wanted || !c.entry)
            continue;
        std::string text;
        const ZipStatus status = ReadZipEntry(file, *c.entry, kReadBytes, text);
        if (status == ZipStatus::Damaged)
            return kDamagedArchive;
        if (status == ZipStatus::Unsupported)
            continue;  // an encrypted or oddly packed description: try the next source
        if (ProposeFromText(text, c.kind, proposal))
            return kProposed;
    }
    return kNothing;
}

}  // namespace arcdesc

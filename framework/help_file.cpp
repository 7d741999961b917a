// Parser and renderer of the help file's text topic format (described in help_file.h).
#include "framework/help_file.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>

namespace ks {
namespace {

constexpr std::size_t kMaxTitle = 80;
constexpr std::string_view kSignature = "@kshelp";
constexpr std::string_view kFormatVersion = "1";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Takes the next blank-separated word off the front of s.
std::string_view TakeWord(std::string_view& s)
{
    s = TrimBlanks(s);
    std::size_t end = 0;
    while (end < s.size() && !IsBlank(s[end]))
        ++end;
    std::string_view word = s.substr(0, end);
    s.remove_prefix(end);
    s = TrimBlanks(s);
    return word;
}

// A context number: decimal digits only, 1 to 4294967295.
std::optional<std::uint32_t> ParseContext(std::string_view digits)
{
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// Splits at CR LF, LF and lone CR. A final line end does not start another line.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// Calls onReference(number) for each "{n}" and onText(piece) for the text between them ("{{" gives "{").
// Returns a description of the first malformed reference, or an empty text.
template <typename OnText, typename OnReference>
std::string ScanReferences(std::string_view text, OnText onText, OnReference onReference)
{
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t brace = text.find('{', i);
        if (brace == std::string_view::npos) {
            onText(text.substr(i));
            break;
        }
        onText(text.substr(i, brace - i));
        if (brace + 1 < text.size() && text[brace + 1] == '{') {
            onText("{");
            i = brace + 2;
            continue;
        }
        std::size_t close = text.find('}', brace);
        std::optional<std::uint32_t> number;
        if (close != std::string_view::npos)
            number = ParseContext(text.substr(brace + 1, close - brace - 1));
        if (!number)
            return "\"{\" must start a reference such as {204} (write \"{{\" for a brace)";
        onReference(*number);
        i = close + 1;
    }
    return {};
}

// Text for an RTF stream: the three syntax characters escaped, bytes above 127 as hexadecimal escapes (which
// "\\ansi" documents read as Windows Latin-1).
std::string RtfText(std::string_view text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (byte >= 0x80) {
            out += "\\'";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

// Reads the lines of one file into a HelpFile, collecting every problem.
struct HelpParser {
    enum class Open { None, Paragraph, Item };

    HelpFile file;
    std::vector<HelpProblem> problems;
    HelpTopic* current = nullptr;
    Open open = Open::None;
    bool haveContents = false;
    std::map<std::uint32_t, int> numberLines; // context number -> line of its topic

    void Problem(int line, std::string message) { problems.push_back({line, std::move(message)}); }

    // True when the first line is a signature of a format version we read.
    bool Header(std::string_view line)
    {
        std::string_view rest = line;
        std::string_view signature = TakeWord(rest);
        if (signature != kSignature) {
            Problem(1, "not a Kestrum32 help file: the first line must be \"@kshelp 1 <title>\"");
            return false;
        }
        std::string_view version = TakeWord(rest);
        if (version != kFormatVersion) {
            Problem(1, "help format version \"" + std::string(version) + "\" is not supported (expected 1)");
            return false;
        }
        file.m_title = CheckedTitle(1, rest);
        return true;
    }

    std::string CheckedTitle(int line, std::string_view title)
    {
        if (title.empty())
            Problem(line, "the title is missing");
        else if (title.size() > kMaxTitle)
            Problem(line, "the title is longer than 80 characters");
        return std::string(title);
    }

    void Directive(int line, std::string_view text)
    {
        std::string_view rest = text;
        std::string_view word = TakeWord(rest);
        open = Open::None;
        if (word == "@contents") {
            if (haveContents)
                Problem(line,
                    "a second @contents topic (the first is at line " + std::to_string(file.m_contents.line) + ")");
            haveContents = true;
            current = &file.m_contents;
            current->blocks.clear();
            current->line = line;
            current->title = CheckedTitle(line, rest);
        } else if (word == "@topic") {
            HelpTopic topic;
            topic.line = line;
            std::string_view numberText = TakeWord(rest);
            if (std::optional<std::uint32_t> number = ParseContext(numberText)) {
                topic.context = *number;
                auto [it, added] = numberLines.emplace(*number, line);
                if (!added)
                    Problem(line,
                        "topic " + std::to_string(*number) + " is defined twice (first at line " +
                            std::to_string(it->second) + ")");
            } else {
                Problem(line, "\"" + std::string(numberText) + "\" is not a context number from 1 to 4294967295");
            }
            topic.title = CheckedTitle(line, rest);
            file.m_topics.push_back(std::move(topic));
            current = &file.m_topics.back();
        } else if (word == kSignature) {
            Problem(line, "\"@kshelp\" belongs on the first line only");
        } else {
            Problem(line, "unknown directive \"" + std::string(word) + "\"");
        }
    }

    void AddBlock(int line, HelpBlock::Kind kind, std::string_view text)
    {
        current->blocks.push_back({kind, std::string(text), line});
    }

    void TextLine(int line, std::string_view text)
    {
        if (TrimBlanks(text).empty()) {
            open = Open::None;
            return;
        }
        if (!current) {
            Problem(line, "text before the first @contents or @topic line");
            return;
        }
        if (text.starts_with("@@"))
            text.remove_prefix(1);
        if (text.starts_with("## ")) {
            std::string_view heading = TrimBlanks(text.substr(3));
            if (heading.empty())
                Problem(line, "empty heading");
            AddBlock(line, HelpBlock::Kind::Heading, heading);
            open = Open::None;
        } else if (text.starts_with("- ")) {
            std::string_view item = TrimBlanks(text.substr(2));
            if (item.empty())
                Problem(line, "empty list item");
            AddBlock(line, HelpBlock::Kind::Item, item);
            open = Open::Item;
        } else if (open == Open::Paragraph || (open == Open::Item && IsBlank(text.front()))) {
            std::string& joined = current->blocks.back().text;
            joined += ' ';
            joined += TrimBlanks(text);
        } else {
            AddBlock(line, HelpBlock::Kind::Paragraph, TrimBlanks(text));
            open = Open::Paragraph;
        }
    }

    // Tabs become blanks; other control characters are refused (a binary file stops at its first line).
    std::optional<std::string> CleanLine(int line, std::string_view raw)
    {
        std::string clean(raw);
        for (char& c : clean) {
            auto code = static_cast<unsigned char>(c);
            if (c == '\t') {
                c = ' ';
            } else if (code < 0x20 || code == 0x7F) {
                Problem(line, "control character (code " + std::to_string(code) + ") in the text");
                return std::nullopt;
            }
        }
        return clean;
    }

    void CheckReferences(const HelpTopic& topic)
    {
        for (const HelpBlock& block : topic.blocks) {
            std::string malformed = ScanReferences(
                block.text, [](std::string_view) {},
                [&](std::uint32_t number) {
                    if (!numberLines.contains(number))
                        Problem(block.line, "reference {" + std::to_string(number) + "} names no topic of this file");
                });
            if (!malformed.empty())
                Problem(block.line, malformed);
        }
    }

    void Run(std::string_view text)
    {
        std::vector<std::string_view> lines = SplitLines(text);
        if (lines.empty()) {
            Problem(0, "the help file is empty");
            return;
        }
        std::optional<std::string> first = CleanLine(1, lines[0]);
        if (!first || !Header(*first))
            return;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const int line = static_cast<int>(i) + 1;
            std::optional<std::string> clean = CleanLine(line, lines[i]);
            if (!clean) {
                open = Open::None;
                continue;
            }
            std::string_view view = *clean;
            if (view.starts_with(';'))
                continue;
            if (view.starts_with('@') && !view.starts_with("@@"))
                Directive(line, view);
            else
                TextLine(line, view);
        }
        if (!haveContents)
            Problem(0, "the help file has no @contents topic");
        for (const HelpTopic& topic : file.m_topics) {
            if (topic.blocks.empty())
                Problem(topic.line, "topic " + std::to_string(topic.context) + " has no text");
            CheckReferences(topic);
        }
        CheckReferences(file.m_contents);
    }
};

const HelpTopic* HelpFile::Find(std::uint64_t context) const
{
    for (const HelpTopic& topic : m_topics)
        if (topic.context == context)
            return &topic;
    return nullptr;
}

std::vector<HelpBlock> HelpFile::ShownBlocks(const HelpTopic& topic) const
{
    std::vector<HelpBlock> shown;
    for (const HelpBlock& block : topic.blocks) {
        HelpBlock& out = shown.emplace_back(HelpBlock{block.kind, {}, block.line});
        ScanReferences(
            block.text, [&](std::string_view piece) { out.text += piece; },
            [&](std::uint32_t number) {
                const HelpTopic* target = Find(number);
                out.text += target ? target->title : "{" + std::to_string(number) + "}";
            });
    }
    if (&topic == &m_contents) {
        for (const HelpTopic& listed : m_topics)
            shown.push_back({HelpBlock::Kind::Item, listed.title, 0});
    }
    return shown;
}

std::string HelpFile::Render(const HelpTopic& topic) const
{
    std::string out = topic.title;
    bool inList = false;
    for (const HelpBlock& block : ShownBlocks(topic)) {
        const bool item = block.kind == HelpBlock::Kind::Item;
        out += inList && item ? "\r\n" : "\r\n\r\n";
        if (item)
            out += "-  ";
        out += block.text;
        inList = item;
    }
    out += "\r\n";
    return out;
}

std::string HelpFile::RenderRtf(const HelpTopic& topic, std::string_view note, int halfPoints) const
{
    // Sizes in half points; spacing and indents in twips (1/20 point). Every paragraph keeps a margin of its own
    // from the control's border (the rich edit controls do not all honour margins set on the control).
    const std::string body = std::to_string(halfPoints);
    const std::string title = std::to_string(halfPoints + 6);
    const std::string pard = "\\pard\\li120\\ri120";
    std::string out = "{\\rtf1\\ansi\\fs" + body + "\n";
    if (!note.empty())
        out += pard + "\\sb60\\sa160\\i " + RtfText(note) + "\\i0\\par\n";
    out += pard + "\\sb60\\sa160\\b\\fs" + title + " " + RtfText(topic.title) + "\\b0\\fs" + body + "\\par\n";
    const std::vector<HelpBlock> blocks = ShownBlocks(topic);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::string text = RtfText(blocks[i].text);
        switch (blocks[i].kind) {
        case HelpBlock::Kind::Paragraph:
            out += pard + "\\sa120 " + text + "\\par\n";
            break;
        case HelpBlock::Kind::Item: {
            // Items of one list sit close together; the list as a whole is spaced like a paragraph.
            const bool lastOfList = i + 1 == blocks.size() || blocks[i + 1].kind != HelpBlock::Kind::Item;
            out += "\\pard\\li360\\ri120\\fi-240\\tx360\\sa" + std::string(lastOfList ? "120" : "30") +
                " \\bullet\\tab " + text + "\\par\n";
            break;
        }
        case HelpBlock::Kind::Heading:
            out += pard + "\\sb120\\sa60\\keepn\\b " + text + "\\b0\\par\n";
            break;
        }
    }
    out += "}";
    return out;
}

HelpParseResult ParseHelpFile(std::string_view text)
{
    HelpParser parser;
    parser.Run(text);
    HelpParseResult result;
    result.problems = std::move(parser.problems);
    // In reading order; whole-file problems (line 0) first.
    std::stable_sort(result.problems.begin(), result.problems.end(),
        [](const HelpProblem& a, const HelpProblem& b) { return a.line < b.line; });
    if (result.problems.empty())
        result.file = std::move(parser.file);
    return result;
}

HelpParseResult LoadHelpFile(const std::string& path)
{
    HelpParseResult failed;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        failed.problems.push_back({0, "cannot open " + path});
        return failed;
    }
    std::string text;
    text.resize(kMaxHelpFileBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        failed.problems.push_back({0, "cannot read " + path});
        return failed;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxHelpFileBytes) {
        failed.problems.push_back({0, path + " is larger than a help file can be"});
        return failed;
    }
    return ParseHelpFile(text);
}

std::string DescribeHelpProblem(const HelpProblem& problem)
{
    if (problem.line == 0)
        return problem.message;
    return "line " + std::to_string(problem.line) + ": " + problem.message;
}

} // namespace ks

// The help file KSHELP32.HLP: its text topic format, the parser, lookup by context number and the contents topic.
#pragma once

// The help file is plain text in the Windows ANSI code page; lines end in CR LF, LF or a lone CR.
// Every topic a Help button asks for carries its context number. Example:
//
//     @kshelp 1 Kestrum32 Help
//     ; a comment: any line that begins with ';'
//     @contents Contents
//     Kestrum32 keeps a catalogue of the files you download.
//
//     @topic 204 Path Preferences
//     In this window you name your download areas.
//     The alias is the name shown on the area's button;
//     see {200}.
//     - OK saves all four areas.
//       An indented line continues the item above.
//     ## Messages
//
// Rules:
// - The first line is the signature "@kshelp", the format version 1 and the help title (the viewer's caption).
// - "@contents <title>" opens the contents topic (exactly one). Its own text introduces the help; the list of
//   every numbered topic, in file order, is added after it when it is shown.
// - "@topic <number> <title>" opens a numbered topic: a context number from 1 to 4294967295, written in
//   decimal, and a title of at most 80 characters. Each number appears once. A topic must have some text.
// - Inside a topic, consecutive text lines form one paragraph (the viewer wraps it to its width); a blank line
//   ends the paragraph. A line that begins with "- " is a list item; lines indented with blanks that follow it
//   continue the item. A line that begins with "## " is a heading. "@@" at the start of a line stands for "@".
// - "{n}" in text is a reference to topic n and is shown as that topic's title; every reference must name a
//   topic of the file. "{{" stands for a literal "{".
// - Tabs count as blanks; any other control character, text before the first topic and an unknown "@" line
//   make the file invalid. A file is read only as a whole: one problem rejects it, and the problems are
//   reported with their line numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// One block of a topic's text.
struct HelpBlock {
    enum class Kind { Paragraph, Item, Heading };
    Kind kind;
    std::string text; // one line; references still written as "{n}"
    int line = 0;     // line of the file where the block starts
};

struct HelpTopic {
    std::uint32_t context = 0; // 0 for the contents topic
    std::string title;
    std::vector<HelpBlock> blocks;
    int line = 0; // line of its "@" header in the file
};

struct HelpProblem {
    int line; // 0 when the problem concerns the whole file
    std::string message;
};

// A parsed help file: the contents topic and the numbered topics in file order.
class HelpFile {
public:
    const std::string& Title() const { return m_title; }
    const HelpTopic& Contents() const { return m_contents; }
    const std::vector<HelpTopic>& Topics() const { return m_topics; }
    // The numbered topic with that context number, or nullptr.
    const HelpTopic* Find(std::uint64_t context) const;
    // The topic's blocks as they are shown: references replaced by titles, "{{" by "{"; the contents topic ends
    // with one item per numbered topic.
    std::vector<HelpBlock> ShownBlocks(const HelpTopic& topic) const;
    // Plain text: the title, a blank line, the blocks (items of one list on consecutive lines, "-  " before each),
    // every line ended by CR LF.
    std::string Render(const HelpTopic& topic) const;
    // Rich text for the viewer: the title bold and larger, headings bold, list items bulleted with a hanging
    // indent, in the viewer's font size (half points, as rich text gives sizes). A non-empty note goes in
    // italics above the title.
    std::string RenderRtf(const HelpTopic& topic, std::string_view note, int halfPoints) const;

private:
    friend struct HelpParser;
    std::string m_title;
    HelpTopic m_contents;
    std::vector<HelpTopic> m_topics;
};

struct HelpParseResult {
    std::optional<HelpFile> file; // set exactly when problems is empty
    std::vector<HelpProblem> problems;
};

// Largest help file accepted; anything bigger is not one of ours.
inline constexpr std::size_t kMaxHelpFileBytes = 1 << 20;

HelpParseResult ParseHelpFile(std::string_view text);
// Reads and parses the file at path; a missing, unreadable or oversized file gives a problem at line 0.
HelpParseResult LoadHelpFile(const std::string& path);
// One problem as "line N: message" (or just the message for line 0).
std::string DescribeHelpProblem(const HelpProblem& problem);

} // namespace ks

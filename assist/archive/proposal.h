// What the "Archive Description" assistant proposes, and how a text or the fields a file names become it: the
// title, keywords and abstract in the record's code page, fitted to the record's field widths. Portable.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "assist/archive/text_codec.h"

namespace arcdesc {

struct Proposal {
    std::string abstract;  // at most kAbstractChars bytes
    std::string title;     // at most kLineChars bytes
    std::string keywords;  // at most kLineChars bytes
};

constexpr std::size_t kAbstractChars = 799;
constexpr std::size_t kLineChars = 79;

// Results, as the assistant returns them: positive = take the proposal over, 0 = nothing found.
constexpr int kProposed = 1;
constexpr int kNothing = 0;
constexpr int kCannotOpen = -1;
constexpr int kDamagedArchive = -2;
constexpr int kUnsupportedArchive = -3;
constexpr int kOutOfMemory = -4;

// The kinds of text a description comes from; they differ in which lines count.
enum class TextKind { Description, DescriptIon, FirstLines };

// Builds the proposal from a text: its first meaningful line the title, the title's words the keywords, its
// lines the abstract. False when the text has no meaningful line.
bool ProposeFromText(std::u32string_view text, TextKind kind, const CodePage& record, Proposal& proposal);
// The same from a text's bytes, decoded as a text file is (descriptions usually in the DOS page), for the
// record's default page.
bool ProposeFromText(std::string_view bytes, TextKind kind, Proposal& proposal);

// What a file says about itself, in Unicode; any part may be missing.
struct Fields {
    std::u32string title;
    std::vector<std::u32string> keywords;   // each one keyword, in order of importance
    std::vector<std::u32string> sentences;  // the abstract, sentence by sentence
};

// Builds the proposal from the fields: blanks and control characters tidied, the title cut to its width, the
// keywords that fit (each once), the sentences joined and cut at a word's end. False when nothing is left.
bool ProposeFromFields(const Fields& fields, const CodePage& record, Proposal& proposal);

// A text with its control characters as spaces, runs of blanks collapsed and the ends trimmed.
std::u32string Tidy(std::u32string_view text);

// Text for building sentences: ASCII as it stands.
std::u32string U32(std::string_view ascii);

// A list written as one text ("gears; cogs", "widgets, design"): its items, tidied.
std::vector<std::u32string> SplitList(std::u32string_view list);

}  // namespace arcdesc

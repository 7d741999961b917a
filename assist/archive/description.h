// What the "Archive Description" assistant proposes for a file: the description an archive carries (FILE_ID.DIZ,
// else DESCRIPT.ION, else the first lines of a README), or the first lines of a plain text file, turned into an
// abstract, a title and keywords. Portable; the library's entry points wrap it.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "assist/archive/zip_reader.h"

namespace arcdesc {

// Which sources the assistant reads; the user chooses them in its configuration window.
struct Sources {
    bool fileIdDiz = true;
    bool descriptIon = true;
    bool readme = true;
    bool plainText = true;
};

struct Proposal {
    std::string abstract;  // the description's lines joined, at most kAbstractChars
    std::string title;     // its first meaningful line, at most kLineChars
    std::string keywords;  // distinct meaningful words of the title, at most kLineChars
};

constexpr std::size_t kAbstractChars = 799;
constexpr std::size_t kLineChars = 79;

// Results, as the assistant returns them: positive = take the proposal over, 0 = nothing found.
constexpr int kProposed = 1;
constexpr int kNothing = 0;
constexpr int kCannotOpen = -1;
constexpr int kDamagedArchive = -2;
constexpr int kUnsupportedArchive = -3;

// The kinds of text a description comes from; they differ in which lines count.
enum class TextKind { Description, DescriptIon, FirstLines };

// Builds the proposal from a text; false when the text has no meaningful line.
bool ProposeFromText(std::string_view text, TextKind kind, Proposal& proposal);

// The whole decision for one file. namedZip: the file's name ends in ".ZIP", so a file that cannot be read as
// an archive is a damaged one rather than some other kind of file.
int ProposeForFile(const ByteSource& file, bool namedZip, const Sources& sources, Proposal& proposal);

}  // namespace arcdesc

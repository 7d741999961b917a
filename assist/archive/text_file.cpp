// Plain text files: their first lines, in whatever they are written in (UTF-8, UTF-16, the DOS or ANSI page).
#include <algorithm>

#include "assist/archive/reader.h"

namespace arcdesc {

namespace {

// Enough of a text file for its first lines.
constexpr std::size_t kReadBytes = 64 * 1024;

// A file counts as plain text when its first characters hold no NUL and few other control characters.
bool LooksLikeText(std::u32string_view start)
{
    if (start.empty())
        return false;
    std::size_t odd = 0;
    for (char32_t c : start) {
        if (c == 0)
            return false;
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != 0x1A && c != 0x04)
            ++odd;
    }
    return odd * 20 <= start.size();  // at most one in twenty
}

class Text : public FormatReader {
public:
    FileKind Kind() const override { return FileKind::Text; }
    bool Recognises(const ByteSource& file, std::string_view head) const override
    {
        return LooksLikeText(DecodeText(head, CodePages{}, Legacy::Ansi, file.Size() > head.size()));
    }
    int Propose(const ByteSource& file, const ReadContext& context, Proposal& proposal) const override
    {
        const std::string bytes = ReadUpTo(file, 0, kReadBytes);
        if (bytes.size() != std::min<std::uint64_t>(file.Size(), kReadBytes))
            return kCannotOpen;
        const std::u32string text = DecodeText(bytes, context.pages, Legacy::Ansi, file.Size() > bytes.size());
        return ProposeFromText(text, TextKind::FirstLines, *context.pages.record, proposal) ? kProposed : kNothing;
    }
};

}  // namespace

const FormatReader& TextFormat()
{
    static const Text reader;
    return reader;
}

}  // namespace arcdesc

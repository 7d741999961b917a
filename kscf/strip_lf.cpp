// Joining the lines of a text into one line, in place. Portable: no Windows headers.
#include "kscf/strip_lf.h"

#include <cstring>

namespace kscf {
namespace {

bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

}  // namespace

void JoinLines(char* text) noexcept
{
    if (text == nullptr || *text == '\0')
        return;
    const std::size_t length = std::strlen(text);

    // The result is built over the input itself: the write position never passes the read position,
    // and the look-ahead after a piece reads a character that has not been overwritten yet.
    std::size_t out = 0;
    std::size_t pos = 0;
    while (pos < length && IsBreak(text[pos]))
        ++pos;
    bool first_piece = true;
    while (pos < length) {
        std::size_t start = pos;
        while (pos < length && !IsBreak(text[pos]))
            ++pos;
        const std::size_t end = pos;

        // The joined text starts with the first piece, so its leading space is that piece's.
        if (first_piece && text[start] == ' ')
            ++start;
        first_piece = false;
        std::memmove(text + out, text + start, end - start);
        out += end - start;

        while (pos < length && IsBreak(text[pos]))
            ++pos;
        if (pos == length)
            break;  // the last piece: nothing is appended after it

        // The look-ahead is two places past the piece: the next piece's first character when the
        // break is one CR LF pair. A piece with another after it leaves end + 2 <= length.
        const char ahead = text[end + 2];
        if (ahead != ' ' && ahead != '\0')
            text[out++] = ' ';
    }
    text[out] = '\0';
}

}  // namespace kscf

// Joining the lines of a text into one line, in place (the work behind the StripLF export).
#pragma once

namespace kscf {

// Splits `text` at runs of CR/LF characters and joins the pieces into one line, in place.
// After each piece but the last, a space is added unless the input character two places after
// the piece's end is a space or the end of the text; a leading space of the result is dropped.
// The result is never longer than the input. A null or empty text is left alone.
void JoinLines(char* text) noexcept;

}  // namespace kscf

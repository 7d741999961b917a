// Turning the texts that files carry (UTF-8, UTF-16, DOS and Windows code pages) into Unicode, and Unicode into
// the record's ANSI code page: a character the page cannot hold becomes its closest form or "?", never a cut
// byte. Portable: code pages are tables; the assistant library fills the record's from the system.
#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arcdesc {

// A single-byte code page: bytes below 0x80 are ASCII, and a table says which character each byte above stands
// for (0: the byte means nothing on this page).
class CodePage {
public:
    using High = std::array<char32_t, 128>;
    CodePage(unsigned number, const High& high);
    // A page that holds ASCII only: how the assistant treats a multi-byte system code page, whose lead bytes a
    // single-byte table cannot describe, so that nothing it writes can split a character.
    static CodePage AsciiOnly(unsigned number);

    unsigned Number() const { return m_number; }
    // The character of a byte; U+FFFD for a byte that means nothing here.
    char32_t Decode(unsigned char byte) const;
    // The byte that stands for c on this page; false when the page does not hold it.
    bool Encode(char32_t c, char& byte) const;

private:
    unsigned m_number;
    High m_high;
    std::vector<std::pair<char32_t, unsigned char>> m_reverse;  // sorted by character
};

const CodePage& Windows1252();
const CodePage& Dos437();
const CodePage& Dos850();
const CodePage& Latin1();  // ISO 8859-1, which ID3 and PNG text use
// The one every built-in page with that number; null for others.
const CodePage* BuiltInCodePage(unsigned number);

// The code pages a reading works with: the record's, into which every text is turned; the DOS page that old
// descriptions are written in; and any other page a file names for its own texts.
struct CodePages {
    const CodePage* record = &Windows1252();
    const CodePage* dos = &Dos437();
    std::function<const CodePage*(unsigned)> other;  // may be empty

    // The page with that number, or null when neither these pages nor the built-in ones have it.
    const CodePage* Find(unsigned number) const;
};

// Invalid sequences become U+FFFD.
std::u32string DecodeUtf8(std::string_view bytes);
// Well-formed UTF-8; cut: the bytes are the start of a longer text, so a sequence cut at the end is allowed.
bool IsUtf8(std::string_view bytes, bool cut = false);
// Pairs are joined; a lone surrogate or a trailing odd byte becomes U+FFFD.
std::u32string DecodeUtf16(std::string_view bytes, bool bigEndian);
std::u32string DecodeCodePage(std::string_view bytes, const CodePage& page);

// The legacy page a text without any mark of its own is most likely in, when its bytes do not tell.
enum class Legacy { Dos, Ansi };

// A text file's bytes in whatever it is written in: a byte-order mark, else UTF-16 by its zero bytes, else
// UTF-8 when it is well formed, else the DOS or the ANSI page, as its accented letters and line-drawing
// characters suggest (usual when they do not tell). cut: the bytes are the start of a longer file.
std::u32string DecodeText(std::string_view bytes, const CodePages& pages, Legacy usual, bool cut = false);

// The text on the page, each character as itself, its closest form or "?".
std::string Encode(std::u32string_view text, const CodePage& page);
// The same, only as many whole characters as fit into maxBytes; taken says how many characters that was.
std::string EncodeFit(std::u32string_view text, const CodePage& page, std::size_t maxBytes,
                      std::size_t* taken = nullptr);

// Letters and digits of any script: what words are made of.
bool IsWordChar(char32_t c);
// Capitals for comparing words (ASCII and Latin-1 letters).
char32_t UpperChar(char32_t c);
std::u32string UpperText(std::u32string_view text);

// For tests and messages: the characters as UTF-8.
std::string ToUtf8(std::u32string_view text);

}  // namespace arcdesc

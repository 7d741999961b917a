// Texts in whatever a file is written in (UTF-8 with or without a byte-order mark, UTF-16, the DOS or the ANSI
// code page) decoded and converted into the record's code page: closest forms or "?", whole characters only,
// and whole accented words in titles and keywords.
#include <gtest/gtest.h>

#include <string>

#include "assist/archive/description.h"
#include "assist/archive/text_codec.h"
#include "tests/assist/zip_builder.h"

namespace {

using namespace arcdesc;

// What a record's text (Windows-1252 bytes) shows, as UTF-8 for comparing.
std::string Shown(const std::string& ansi) { return ToUtf8(DecodeCodePage(ansi, Windows1252())); }

// UTF-16 bytes of a text, in either byte order, with or without a byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian, bool mark)
{
    std::string out;
    for (char16_t u : (mark ? u"\uFEFF" : u"") + std::u16string(text))
        out += bigEndian ? std::string{char(u >> 8), char(u & 0xFF)} : std::string{char(u & 0xFF), char(u >> 8)};
    return out;
}

TEST(TextCodec, DecodesTextsWhateverTheyAreWrittenIn)
{
    const CodePages pages;
    const struct {
        const char* what;
        std::string bytes;
        Legacy usual;
        bool cut;
        const char* expected;  // UTF-8
    } cases[] = {
        {"UTF-8", "un caf\xC3\xA9 \xE2\x82\xAC", Legacy::Dos, false, "un café €"},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBFun caf\xC3\xA9", Legacy::Dos, false, "un café"},
        {"UTF-16 little-endian with a mark", Utf16(u"un café Ω", false, true), Legacy::Dos, false, "un café Ω"},
        {"UTF-16 big-endian with a mark", Utf16(u"un café", true, true), Legacy::Dos, false, "un café"},
        {"UTF-16 without a mark", Utf16(u"Readme for the widget tools", false, false), Legacy::Dos, false,
         "Readme for the widget tools"},
        {"UTF-16 beyond the basic plane", Utf16(u"note \U0001D11E", false, true), Legacy::Ansi, false, "note 𝄞"},
        {"ANSI accented letters", "un caf\xE9 cr\xE8me", Legacy::Dos, false, "un café crème"},
        {"DOS accented letters", "cr\x8Ame br\x96l\x82""e", Legacy::Ansi, false, "crème brûlée"},
        {"DOS line drawing", "\xC9\xCD\xCD\xBB Widget \xC4\xC4", Legacy::Ansi, false, "╔══╗ Widget ──"},
        {"ANSI dashes and quotes", "widget \x96 gear \x93", Legacy::Dos, false, "widget – gear “"},
        {"undecided: the usual page", "caf\x82", Legacy::Dos, false, "café"},
        {"undecided: the usual page (ANSI)", "caf\x82", Legacy::Ansi, false, "caf‚"},
        {"UTF-8 cut in a character where the file was cut", "caf\xC3", Legacy::Ansi, true, "caf"},
        {"the same bytes as a whole file are no UTF-8", "caf\xC3", Legacy::Ansi, false, "cafÃ"},
        {"broken UTF-8 is a legacy text", "caf\xC3\xA9 \xE9t\xE9", Legacy::Ansi, false, "cafÃ© été"},
        {"plain ASCII", "README", Legacy::Dos, false, "README"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToUtf8(DecodeText(c.bytes, pages, c.usual, c.cut)), c.expected) << c.what;
}

TEST(TextCodec, WritesTheRecordsCodePageWithClosestFormsAndWholeCharacters)
{
    const CodePage ascii = CodePage::AsciiOnly(932);
    const struct {
        const char* what;
        std::u32string text;
        const CodePage& page;
        std::string expected;
    } cases[] = {
        {"Windows letters and signs", U"café œuvre € …", Windows1252(), "caf\xE9 \x9Cuvre \x80 \x85"},
        {"letters the page lacks lose their accents", U"Łódź Dvořák őz", Windows1252(), "L\xF3""dz Dvor\xE1k oz"},
        {"ligatures and typography spelt out", U"ﬁle ‐ “x” ™", Dos437(), "file - \"x\" TM"},
        {"other scripts become ?", U"Ωmega 日本", Windows1252(), "?mega ??"},
        {"decomposed accents drop to the letter", U"cafe\u0301", Windows1252(), "cafe"},
        {"DOS letters", U"café", Dos437(), "caf\x82"},
        {"line drawing in a page without it", U"╔══╗ ─│", Windows1252(), "+--+ -|"},
        {"a multi-byte system page takes ASCII only", U"café 日本", ascii, "cafe ??"},
        {"invisible marks vanish where the page lacks them", U"\uFEFFsoft\u00ADhyphen\u200B", Dos437(), "softhyphen"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Encode(c.text, c.page), c.expected) << c.what;

    // Fitting stops before a character whose form does not fit whole.
    std::size_t taken = 0;
    EXPECT_EQ(EncodeFit(U"ab…", Dos437(), 4, &taken), "ab");
    EXPECT_EQ(taken, 2u);
    EXPECT_EQ(EncodeFit(U"ab…", Windows1252(), 3, &taken), "ab\x85");
    EXPECT_EQ(taken, 3u);
}

TEST(TextDescriptions, AccentedTextsGiveWholeWordsInTheRecordsPage)
{
    // The text file "café.txt" that gave the title "un cafÃ©" and the keyword "caf".
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-8", "un caf\xC3\xA9\r\nau lait\r\n"},
        {"UTF-8 with a mark", "\xEF\xBB\xBFun caf\xC3\xA9\r\nau lait\r\n"},
        {"UTF-16", Utf16(u"un café\r\nau lait\r\n", false, true)},
        {"UTF-16 big-endian", Utf16(u"un café\r\nau lait\r\n", true, true)},
        {"ANSI", "un caf\xE9\r\nau lait\r\n"},
    };
    for (const auto& c : cases) {
        MemorySource file(c.bytes);
        Proposal p;
        ASSERT_EQ(ProposeForFile(file, false, Sources{}, p), kProposed) << c.what;
        EXPECT_EQ(Shown(p.title), "un café") << c.what;
        EXPECT_EQ(Shown(p.keywords), "café") << c.what;
        EXPECT_EQ(Shown(p.abstract), "un café au lait") << c.what;
    }

    // Descriptions inside archives: a DOS FILE_ID.DIZ, a UTF-8 README.
    const std::string zip = ks_test::BuildZip({{"FILE_ID.DIZ", "Cr\x8Ame br\x96l\x82""e maker\r\n", true}});
    MemorySource dos(zip);
    Proposal p;
    ASSERT_EQ(ProposeForFile(dos, true, Sources{}, p), kProposed);
    EXPECT_EQ(Shown(p.title), "Crème brûlée maker");
    EXPECT_EQ(Shown(p.keywords), "Crème, brûlée, maker");

    // A title cut at its width keeps whole characters, even where a closest form is longer than one byte.
    const CodePage ascii = CodePage::AsciiOnly(932);
    ASSERT_TRUE(ProposeFromText(std::u32string(78, U'x') + U"Æther", TextKind::Description, ascii, p));
    EXPECT_EQ(p.title, std::string(78, 'x'));
}

}  // namespace

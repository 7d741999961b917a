// Joining the lines of a text into one line (StripLF): the rules callers see, and the in-place work
// checked against a plain split-and-join over every short text.
#include "kscf/strip_lf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Joined(std::string text)
{
    kscf::JoinLines(text.data());
    return text.c_str();  // up to the new terminator
}

struct Case {
    const char* input;
    const char* joined;
};

TEST(StripLf, JoinsLinesAsDocumented)
{
    const Case cases[] = {
        {"", ""},
        {"no break at all", "no break at all"},
        {"first line\r\nsecond line\r\n", "first line second line"},
        {"first line\r\n second line\r\n", "first line second line"},  // no space added before a space
        {"a\r\nb\r\nc", "a b c"},
        {"one\r\n\r\n\r\ntwo", "one two"},  // empty lines vanish; a long break is one space
        {"one\ntwo", "one two"},
        {"one\nt", "onet"},    // one CR or LF before a one-character last line joins without a space
        {"one\rt", "onet"},
        {"one\n two", "one  two"},  // the look-ahead is two places past the piece, here past the space
        {" leading\r\nspace", "leading space"},
        {"  two leading", " two leading"},  // only one leading space is dropped
        {"\r\n\r\n", ""},
        {"\r\nafter a blank line", "after a blank line"},
        {"tail break\r\n\r\n", "tail break"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(c.input), c.joined) << "input: " << ::testing::PrintToString(std::string(c.input));
}

TEST(StripLf, LeavesANullTextAlone)
{
    kscf::JoinLines(nullptr);
}

// The same rules written the plain way: split into pieces, then join into a new text.
std::string Reference(const std::string& text)
{
    struct Piece {
        std::size_t start, end;
    };
    std::vector<Piece> pieces;
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] == '\r' || text[pos] == '\n') {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n')
            ++pos;
        pieces.push_back({start, pos});
    }
    const std::string padded = text + std::string(3, '\0');
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        joined += text.substr(pieces[i].start, pieces[i].end - pieces[i].start);
        const char ahead = padded[pieces[i].end + 2];
        if (i + 1 < pieces.size() && ahead != ' ' && ahead != '\0')
            joined += ' ';
    }
    if (!joined.empty() && joined[0] == ' ')
        joined.erase(0, 1);
    return joined;
}

TEST(StripLf, MatchesPlainSplitAndJoinForEveryShortText)
{
    // Every text of up to 8 characters over "a", space, CR and LF: 87,381 texts. The in-place work runs
    // in an exactly sized buffer, so the sanitizers catch any read or write past it.
    const char alphabet[] = {'a', ' ', '\r', '\n'};
    int checked = 0;
    for (int length = 0; length <= 8; ++length) {
        for (int code = 0; code < 1 << (2 * length); ++code) {
            std::string text;
            for (int i = 0; i < length; ++i)
                text += alphabet[(code >> (2 * i)) & 3];
            std::vector<char> buffer(text.begin(), text.end());
            buffer.push_back('\0');
            kscf::JoinLines(buffer.data());
            ASSERT_EQ(std::string(buffer.data()), Reference(text)) << ::testing::PrintToString(text);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 87381);
}

}  // namespace

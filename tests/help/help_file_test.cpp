// Tests of the help file reader: the shipped KSHELP32.HLP source, the topic format, refused files and robustness.
#include "framework/help_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "resources/resource_ids.h"

namespace ks {
namespace {

std::string ProblemsText(const HelpParseResult& result)
{
    std::string text;
    for (const HelpProblem& problem : result.problems)
        text += DescribeHelpProblem(problem) + "\n";
    return text;
}

HelpFile MustParse(std::string_view text)
{
    HelpParseResult result = ParseHelpFile(text);
    EXPECT_TRUE(result.file) << ProblemsText(result);
    return result.file ? std::move(*result.file) : HelpFile{};
}

// True when every RTF group that opens also closes: escaped braces and backslashes are text.
bool RtfGroupsBalanced(std::string_view rtf)
{
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\')
            ++i;
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

// --- The shipped help file ---

class ShippedHelp : public ::testing::Test {
protected:
    void SetUp() override
    {
        HelpParseResult result = LoadHelpFile(KS_HELP_SOURCE);
        ASSERT_TRUE(result.file) << ProblemsText(result);
        file = std::move(*result.file);
    }
    HelpFile file;
};

TEST_F(ShippedHelp, EveryHelpButtonFindsItsTopic)
{
    struct Expected {
        std::uint32_t context;
        const char* title;
    };
    const Expected table[] = {
        {HELP_CTX_DOWNLOAD, "Download Interface"},
        {HELP_CTX_STORAGE, "Storage Interface"},
        {HELP_CTX_SEARCH, "Search Interface"},
        {HELP_CTX_RECORD, "Record Interface"},
        {HELP_CTX_PATH_PREFS, "Path Preferences"},
        {HELP_CTX_ASSIST_CONFIG, "Assistant Configuration"},
        {HELP_CTX_ASSIST_CHOOSE, "Choose Assistant"},
        {HELP_CTX_QUERY_HELPER, "Query Helper"},
        {HELP_CTX_DELETE_OPTIONS, "Delete Options"},
        {HELP_CTX_EXAMINE_FILE, "Examine File"},
        {HELP_CTX_SETTING_UP, "Setting Up"},
        {HELP_CTX_INSTALL_FILES, "Install File(s)"},
        {HELP_CTX_DISCLAIMER, "Disclaimer and Agreement"},
        {HELP_CTX_CATALOGUE_CHECK, "Catalogue Check"},
        {HELP_CTX_STORE_ALL, "Store All Waiting Files"},
        {HELP_CTX_EXPORT, "Export Catalogue"},
    };
    EXPECT_EQ(file.Title(), "Kestrum32 Help");
    EXPECT_EQ(file.Contents().title, "Contents");
    for (const Expected& e : table) {
        const HelpTopic* topic = file.Find(e.context);
        ASSERT_NE(topic, nullptr) << "no topic " << e.context;
        EXPECT_EQ(topic->title, e.title) << e.context;
        // A real topic, not a placeholder.
        EXPECT_GT(file.Render(*topic).size(), 600u) << e.title;
    }
    EXPECT_EQ(file.Topics().size(), std::size(table));
}

TEST_F(ShippedHelp, ContentsListsEveryTopicAndTopicsRenderForTheEditControl)
{
    const std::string contents = file.Render(file.Contents());
    for (const HelpTopic& topic : file.Topics()) {
        EXPECT_NE(contents.find("-  " + topic.title + "\r\n"), std::string::npos) << topic.title;
        const std::string text = file.Render(topic);
        EXPECT_EQ(text.rfind(topic.title + "\r\n\r\n", 0), 0u) << "text starts with its title";
        // The edit control breaks lines only at CR LF, and every reference must have become a title.
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << topic.title << " at " << i;
            }
        EXPECT_EQ(text.find('{'), std::string::npos) << topic.title;
        EXPECT_TRUE(RtfGroupsBalanced(file.RenderRtf(topic, "", 16))) << topic.title;
    }
}

// --- The format ---

constexpr std::string_view kSmall = "@kshelp 1 Test Help\n"
                                    "; comment\n"
                                    "@contents Contents\n"
                                    "Intro line one\n"
                                    "and line two.\n"
                                    "\n"
                                    "@topic 204 Path Preferences\n"
                                    "First paragraph\n"
                                    "  continues here.\n"
                                    "- item one\n"
                                    "  continued\n"
                                    "- item two\n"
                                    "Back to text, see {7}.\n"
                                    "## Messages\n"
                                    "@@kshelp is text; {{braces} too.\n"
                                    "@topic 7 Seven\n"
                                    "\tTabbed\ttext.\n";

TEST(HelpFormat, BlocksJoinLinesAndRenderWithReferencesResolved)
{
    HelpFile file = MustParse(kSmall);
    const HelpTopic* topic = file.Find(204);
    ASSERT_NE(topic, nullptr);
    EXPECT_EQ(topic->line, 7);
    EXPECT_EQ(file.Render(*topic),
        "Path Preferences\r\n\r\n"
        "First paragraph continues here.\r\n\r\n"
        "-  item one continued\r\n"
        "-  item two\r\n\r\n"
        "Back to text, see Seven.\r\n\r\n"
        "Messages\r\n\r\n"
        "@kshelp is text; {braces} too.\r\n");
    EXPECT_EQ(file.Render(*file.Find(7)), "Seven\r\n\r\nTabbed text.\r\n");
    EXPECT_EQ(file.Render(file.Contents()),
        "Contents\r\n\r\nIntro line one and line two.\r\n\r\n-  Path Preferences\r\n-  Seven\r\n");
}

TEST(HelpFormat, LineEndsDoNotMatter)
{
    std::string crlf, cr;
    for (char c : kSmall) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    HelpFile lf = MustParse(kSmall);
    for (const std::string& text : {crlf, cr, crlf.substr(0, crlf.size() - 2)}) {
        HelpFile other = MustParse(text);
        ASSERT_EQ(other.Topics().size(), lf.Topics().size());
        for (const HelpTopic& topic : lf.Topics()) {
            ASSERT_NE(other.Find(topic.context), nullptr);
            EXPECT_EQ(other.Render(*other.Find(topic.context)), lf.Render(topic));
        }
    }
}

TEST(HelpFormat, LookupTakesOnlyExactContextNumbers)
{
    HelpFile file = MustParse(kSmall);
    EXPECT_EQ(file.Find(204)->title, "Path Preferences");
    EXPECT_EQ(file.Find(0), nullptr) << "0 is no context number (the contents has none)";
    EXPECT_EQ(file.Find(205), nullptr);
    EXPECT_EQ(file.Find((std::uint64_t{1} << 32) + 204), nullptr) << "no truncation to 32 bits";
    MustParse("@kshelp 1 T\n@contents C\n@topic 4294967295 Last\nx\n");
}

TEST(HelpFormat, RichTextEscapesTheTextAndFormatsEachBlock)
{
    HelpFile file = MustParse("@kshelp 1 T\n@contents C\n@topic 9 A {b} \\ c\xe9\n"
                              "Para {{x} \xe9.\n- one\n- two\n## Head\nEnd.\n");
    const std::string rtf = file.RenderRtf(*file.Find(9), "Note {x}", 16);
    EXPECT_EQ(rtf,
        "{\\rtf1\\ansi\\fs16\n"
        "\\pard\\li120\\ri120\\sb60\\sa160\\i Note \\{x\\}\\i0\\par\n"
        "\\pard\\li120\\ri120\\sb60\\sa160\\b\\fs22 A \\{b\\} \\\\ c\\'e9\\b0\\fs16\\par\n"
        "\\pard\\li120\\ri120\\sa120 Para \\{x\\} \\'e9.\\par\n"
        "\\pard\\li360\\ri120\\fi-240\\tx360\\sa30 \\bullet\\tab one\\par\n"
        "\\pard\\li360\\ri120\\fi-240\\tx360\\sa120 \\bullet\\tab two\\par\n"
        "\\pard\\li120\\ri120\\sb120\\sa60\\keepn\\b Head\\b0\\par\n"
        "\\pard\\li120\\ri120\\sa120 End.\\par\n"
        "}");
    EXPECT_TRUE(RtfGroupsBalanced(rtf));
    // Without a note the topic starts with its title.
    EXPECT_TRUE(file.RenderRtf(file.Contents(), "", 20)
                    .starts_with("{\\rtf1\\ansi\\fs20\n\\pard\\li120\\ri120\\sb60\\sa160\\b\\fs26 C"));
}

// --- Refused files ---

struct BadCase {
    const char* name;
    std::string text;
    int line;
    const char* says;
};

TEST(HelpFormat, MalformedFilesAreRefusedWithTheirLine)
{
    const std::string head = "@kshelp 1 T\n@contents C\n";
    const BadCase cases[] = {
        {"empty", "", 0, "empty"},
        {"no signature", "@contents C\n@topic 1 A\nx\n", 1, "not a Kestrum32 help file"},
        {"binary data", std::string("?_\x03\x00\x00", 5), 1, "control character"},
        {"other version", "@kshelp 2 T\n@contents C\n", 1, "version \"2\""},
        {"no help title", "@kshelp 1\n@contents C\n", 1, "title is missing"},
        {"no contents", "@kshelp 1 T\n@topic 1 A\nx\n", 0, "no @contents"},
        {"two contents", head + "@contents D\n", 3, "second @contents"},
        {"text before a topic", "@kshelp 1 T\nstray\n@contents C\n", 2, "before the first"},
        {"duplicate number", head + "@topic 204 A\nx\n@topic 204 B\ny\n", 5, "defined twice (first at line 3)"},
        {"number zero", head + "@topic 0 A\nx\n", 3, "not a context number"},
        {"negative number", head + "@topic -5 A\nx\n", 3, "not a context number"},
        {"number too large", head + "@topic 4294967296 A\nx\n", 3, "not a context number"},
        {"no number", head + "@topic Path Preferences\nx\n", 3, "not a context number"},
        {"no topic title", head + "@topic 5\nx\n", 3, "title is missing"},
        {"long title", head + "@topic 5 " + std::string(81, 'a') + "\nx\n", 3, "longer than 80"},
        {"empty topic", head + "@topic 5 A\n\n; only a comment\n", 3, "has no text"},
        {"unknown directive", head + "@topix 5 A\nx\n", 3, "unknown directive"},
        {"signature again", head + "@kshelp 1 T\n", 3, "first line only"},
        {"reference to nothing", head + "@topic 5 A\nsee {6}\n", 4, "{6} names no topic"},
        {"malformed reference", head + "@topic 5 A\nsee {five}\n", 4, "must start a reference"},
        {"open brace", head + "@topic 5 A\nsee {5\n", 4, "must start a reference"},
        {"empty item", head + "@topic 5 A\n- \n", 4, "empty list item"},
        {"empty heading", head + "@topic 5 A\n## \nx\n", 4, "empty heading"},
        {"control character", head + "@topic 5 A\nbell\a\n", 4, "code 7"},
    };
    for (const BadCase& c : cases) {
        HelpParseResult result = ParseHelpFile(c.text);
        EXPECT_FALSE(result.file) << c.name;
        bool reported = false;
        for (const HelpProblem& problem : result.problems)
            reported |= problem.line == c.line && problem.message.find(c.says) != std::string::npos;
        EXPECT_TRUE(reported) << c.name << ":\n" << ProblemsText(result);
    }
}

TEST(HelpFormat, EveryProblemIsReported)
{
    HelpParseResult result =
        ParseHelpFile("@kshelp 1 T\n@contents C\n@topic 1 A\n{9}\n@topic 1 B\nx\n@what\n@topic 2 Empty\n");
    EXPECT_EQ(ProblemsText(result),
        "line 4: reference {9} names no topic of this file\n"
        "line 5: topic 1 is defined twice (first at line 3)\n"
        "line 7: unknown directive \"@what\"\n"
        "line 8: topic 2 has no text\n");
}

// --- Reading from disk ---

class HelpOnDisk : public ::testing::Test {
protected:
    void TearDown() override { std::remove(path.c_str()); }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string path = ::testing::TempDir() + "kshelp_test.hlp";
};

TEST_F(HelpOnDisk, MissingAndOversizedFilesAreRefused)
{
    HelpParseResult missing = LoadHelpFile(path + ".absent");
    EXPECT_FALSE(missing.file);
    ASSERT_EQ(missing.problems.size(), 1u);
    EXPECT_EQ(missing.problems[0].line, 0);
    EXPECT_NE(missing.problems[0].message.find("cannot open"), std::string::npos);

    std::string big = "@kshelp 1 T\n@contents C\n";
    big.resize(kMaxHelpFileBytes + 1, 'x');
    Write(big);
    HelpParseResult oversized = LoadHelpFile(path);
    EXPECT_FALSE(oversized.file);
    EXPECT_NE(ProblemsText(oversized).find("larger than"), std::string::npos);

    Write(std::string(kSmall));
    EXPECT_TRUE(LoadHelpFile(path).file);
}

// --- Robustness: damaged copies of the shipped file never crash the reader or give an inconsistent file ---

TEST(HelpRobustness, MutatedFilesParseConsistently)
{
    std::ifstream in(KS_HELP_SOURCE, std::ios::binary);
    const std::string original{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(original.empty());
    std::mt19937 random(20240501);
    const char interesting[] = {'{', '}', '@', '#', '-', ' ', '\n', '\r', ';', '0', '9', '\0', '\t', '\x95'};
    int accepted = 0;
    for (int round = 0; round < 400; ++round) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            std::size_t at = random() % text.size();
            switch (random() % 4) {
            case 0:
                text[at] = interesting[random() % sizeof interesting];
                break;
            case 1:
                text.erase(at, 1 + random() % 40);
                break;
            case 2:
                text.insert(at, 1, interesting[random() % sizeof interesting]);
                break;
            case 3:
                text.insert(at, text.substr(random() % text.size(), 1 + random() % 200));
                break;
            }
        }
        HelpParseResult result = ParseHelpFile(text);
        ASSERT_EQ(result.file.has_value(), result.problems.empty()) << "round " << round;
        if (!result.file)
            continue;
        ++accepted;
        const HelpFile& file = *result.file;
        for (const HelpTopic& topic : file.Topics()) {
            EXPECT_EQ(file.Find(topic.context), &topic) << "numbers are unique, round " << round;
            EXPECT_FALSE(file.Render(topic).empty());
            EXPECT_TRUE(RtfGroupsBalanced(file.RenderRtf(topic, "", 16))) << "round " << round;
        }
        EXPECT_FALSE(file.Render(file.Contents()).empty());
    }
    // Many edits land in plain text and leave a valid file: both paths of the reader were exercised.
    EXPECT_GT(accepted, 20);
    EXPECT_LT(accepted, 400);
}

} // namespace
} // namespace ks

// Query evaluation against records: case, whole words, connectors, the date range, descriptions and lines.
#include <gtest/gtest.h>

#include <string>

#include "controls/date_text.h"
#include "records/query.h"

namespace {

QueryCondition Condition(std::int32_t field, const char* text, bool contains = true, bool caseSensitive = false,
                         bool wholeWords = false, std::int32_t connector = kConnectorEnd)
{
    QueryCondition c;
    c.SearchField = field;
    c.Contains = contains ? 1 : 0;
    SetFieldText(c.SearchText, text);
    c.CaseSensitive = caseSensitive ? 1 : 0;
    c.WholeWords = wholeWords ? 1 : 0;
    c.Connector = connector;
    return c;
}

FileRecord Record(const char* title, const char* keywords = "", const char* fileName = "F.ZIP",
                  const char* abstract = "")
{
    FileRecord r{};
    SetFieldText(r.Title, title);
    SetFieldText(r.Keywords, keywords);
    SetFieldText(r.FileName, fileName);
    SetFieldText(r.Abstract, abstract);
    return r;
}

bool Found(const char* text, const char* pattern, bool caseSensitive, bool wholeWords)
{
    return ContainsText(text, pattern, caseSensitive, wholeWords);
}

TEST(QueryText, CaseFoldsOnlyPlainLetters)
{
    EXPECT_TRUE(Found("a zip file", "ZIP", false, false));
    EXPECT_FALSE(Found("a zip file", "ZIP", true, false));
    EXPECT_TRUE(Found("a ZIP file", "ZIP", true, false));
    EXPECT_FALSE(Found("caf\xE9", "CAF\xC9", false, false));  // é is not É
    EXPECT_TRUE(Found("caf\xC9", "caf\xC9", false, false));
}

TEST(QueryText, WholeWordsTakeLaterOccurrencesAndDigitBoundaries)
{
    EXPECT_TRUE(Found("other the", "the", false, true));
    EXPECT_TRUE(Found("zip2", "zip", false, true));
    EXPECT_TRUE(Found("my_zip", "zip", false, true));
    EXPECT_TRUE(Found("(zip).", "zip", false, true));
    EXPECT_FALSE(Found("zipped", "zip", false, true));
    EXPECT_FALSE(Found("aaa", "aa", false, true));
    EXPECT_FALSE(Found("unzip", "zip", false, true));
    EXPECT_TRUE(Found("unzip zip", "zip", false, true));
    EXPECT_FALSE(Found("zip\xE9", "zip", false, true));  // an accented letter is no boundary
    EXPECT_TRUE(Found("zipped", "zip", false, false));
    EXPECT_FALSE(Found("", "zip", false, true));
}

TEST(QueryText, EmptyPatternEnds)
{
    EXPECT_TRUE(Found("abc", "", false, false));
    EXPECT_FALSE(Found("abc", "", false, true));  // every position lies between letters
    EXPECT_TRUE(Found("a  b", "", false, true));  // between the two blanks
}

TEST(QueryText, TheLetterTestCanBeTheSystems)
{
    LetterTest onlyZ = [](unsigned char c) { return c == 'z'; };
    EXPECT_TRUE(ContainsText("xzipx", "zip", true, true, onlyZ));
    EXPECT_FALSE(ContainsText("zzip", "zip", true, true, onlyZ));
}

TEST(QueryConditions, FieldsAndDoesNotContain)
{
    const FileRecord r = Record("Zipped Utilities", "compress, archive", "PKZ.EXE", "Packs files.");
    EXPECT_TRUE(MatchesCondition(Condition(kFieldTitle, "utilities"), r));
    EXPECT_TRUE(MatchesCondition(Condition(kFieldKeywords, "ARCHIVE"), r));
    EXPECT_TRUE(MatchesCondition(Condition(kFieldFileName, "pkz"), r));
    EXPECT_TRUE(MatchesCondition(Condition(kFieldAbstract, "packs"), r));
    EXPECT_FALSE(MatchesCondition(Condition(kFieldAbstract, "utilities"), r));
    // Does NOT Contain with whole words: "zip" lies only inside a longer word, so the record qualifies.
    EXPECT_TRUE(MatchesCondition(Condition(kFieldTitle, "zip", false, false, true), r));
    EXPECT_FALSE(MatchesCondition(Condition(kFieldTitle, "zip", false, false, false), r));
    // A field number that names no field is tested against the marker text.
    EXPECT_FALSE(MatchesCondition(Condition(7, "zip"), r));
    EXPECT_TRUE(MatchesCondition(Condition(-1, "error"), r));
}

TEST(QueryConditions, FullFieldsAreReadWithinTheirWidth)
{
    FileRecord r = Record("");
    std::memset(r.Title, 'x', sizeof r.Title);  // no terminator: read as 80 characters
    std::memset(r.Keywords, 'k', sizeof r.Keywords);
    EXPECT_FALSE(MatchesCondition(Condition(kFieldTitle, "xk"), r));
    EXPECT_TRUE(MatchesCondition(Condition(kFieldTitle, std::string(80, 'x').c_str()), r));
}

TEST(QueryConnectors, AndOrNot)
{
    const FileRecord both = Record("zip tools", "beta");
    const FileRecord first = Record("zip tools", "final");
    const FileRecord second = Record("tar tools", "beta");
    const FileRecord none = Record("tar tools", "final");
    auto query = [](std::int32_t connector, const FileRecord& r) {
        const QueryCondition q[2] = {Condition(kFieldTitle, "zip", true, false, false, connector),
                                     Condition(kFieldKeywords, "beta")};
        return MatchesQuery(q, 2, r);
    };
    EXPECT_TRUE(query(kConnectorAnd, both));
    EXPECT_FALSE(query(kConnectorAnd, first));
    EXPECT_FALSE(query(kConnectorAnd, second));
    EXPECT_TRUE(query(kConnectorOr, first));
    EXPECT_TRUE(query(kConnectorOr, second));
    EXPECT_FALSE(query(kConnectorOr, none));
    EXPECT_TRUE(query(kConnectorNot, first));
    EXPECT_FALSE(query(kConnectorNot, both));
    EXPECT_FALSE(query(kConnectorNot, second));
}

TEST(QueryConnectors, EmptyAndSingleQueries)
{
    const FileRecord r = Record("zip tools");
    EXPECT_TRUE(MatchesQuery(nullptr, 0, r));  // the empty query lists everything
    // A stale connector on the only block in use reads no second block.
    const QueryCondition one[1] = {Condition(kFieldTitle, "zip", true, false, false, kConnectorAnd)};
    EXPECT_TRUE(MatchesQuery(one, 1, r));
    const QueryCondition other[1] = {Condition(kFieldTitle, "tar")};
    EXPECT_FALSE(MatchesQuery(other, 1, r));
}

class DateRange : public ::testing::Test {
protected:
    void SetUp() override { SetShortDateFormatSource(nullptr); }
    void TearDown() override { SetShortDateFormatSource(nullptr); }
    const CalendarDate today = MakeDate(8, 12, 2026);
};

TEST_F(DateRange, EmptyEndsReachFrom1500ToToday)
{
    EXPECT_EQ(RangeFrom(""), MakeDate(1, 1, 1500));
    EXPECT_EQ(RangeFrom("not a date"), MakeDate(1, 1, 1500));
    EXPECT_EQ(RangeTo("", today), today);
    EXPECT_EQ(RangeFrom("01/05/96"), MakeDate(5, 1, 1996));
    const CalendarDate from = RangeFrom("");
    const CalendarDate to = RangeTo("", today);
    EXPECT_TRUE(InDateRange("01/05/96", from, to, today));
    EXPECT_TRUE(InDateRange("", from, to, today));  // unreadable dates count as today
    EXPECT_TRUE(InDateRange("??", from, to, today));
    EXPECT_FALSE(InDateRange("12/09/26", from, to, today));  // tomorrow
}

TEST_F(DateRange, BothEndsIncludedAndReversedRangeEmpty)
{
    const CalendarDate from = RangeFrom("01/05/96");
    const CalendarDate to = RangeTo("01/07/96", today);
    EXPECT_TRUE(InDateRange("01/05/96", from, to, today));
    EXPECT_TRUE(InDateRange("01/07/96", from, to, today));
    EXPECT_FALSE(InDateRange("01/04/96", from, to, today));
    EXPECT_FALSE(InDateRange("01/08/96", from, to, today));
    EXPECT_FALSE(InDateRange("", from, to, today));  // today lies outside
    EXPECT_FALSE(InDateRange("01/06/96", to, from, today));
}

TEST_F(DateRange, TenCharacterDatesReadWhole)
{
    SetShortDateFormatSource([] { return std::string("MM/dd/yyyy"); });
    EXPECT_EQ(RangeTo("12/25/1996", today), MakeDate(25, 12, 1996));
    EXPECT_TRUE(InDateRange("12/25/1996", RangeFrom("12/25/1996"), RangeTo("12/25/1996", today), today));
}

TEST(QueryDescriptionText, PiecesPerCondition)
{
    const QueryCondition q[2] = {Condition(kFieldTitle, "zip", true, true, false, kConnectorAnd),
                                 Condition(kFieldKeywords, "beta", false)};
    const auto pieces = QueryDescription(q, 2);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "Title Contains 'zip' (CS) AND \r\n");
    EXPECT_EQ(pieces[1], "Keywords Does NOT Contain 'beta' \r\n** END **\r\n");
    const QueryCondition odd[1] = {Condition(9, "x", true, false, true, 7)};
    EXPECT_EQ(QueryDescription(odd, 1)[0], "**Error** Contains 'x' (MWW) **Error** \r\n");
    EXPECT_TRUE(QueryDescription(q, 0).empty());
}

TEST(ResultLines, FieldsAndNumberAfterTheLastTab)
{
    FileRecord r = Record(std::string(60, 'T').c_str(), "", "TOOLS.ZIP");
    SetFieldText(r.DownloadDate, "01/05/96");
    SetFieldText(r.Location, "C:\\KS\\KS_STORE");
    r.RecordNumber = 1234;
    const std::string line = ResultLine(r);
    EXPECT_EQ(line, std::string(50, 'T') + "\t01/05/96\tTOOLS.ZIP\tC:\\KS\\KS_STORE\t1234");
    EXPECT_EQ(LineRecordNumber(line), 1234);
    EXPECT_EQ(LineRecordNumber("a\tb\t17x"), 17);
    EXPECT_EQ(LineRecordNumber("a\t"), 0);
    EXPECT_EQ(LineRecordNumber("no tab"), std::nullopt);
    EXPECT_EQ(LineRecordNumber("a\t99999999999"), std::nullopt);
}

}  // namespace

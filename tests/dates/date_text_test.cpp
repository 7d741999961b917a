// Tests of the short date text: formatting, parsing, the replaceable short date format and round trips.
#include "controls/date_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const CalendarDate kJan5th1996 = MakeDate(5, 1, 1996);
const CalendarDate kChristmas1996 = MakeDate(25, 12, 1996);

class ShortDateText : public ::testing::Test {
protected:
    void TearDown() override { SetShortDateFormatSource(nullptr); }
};

TEST(FormatDate, Formats)
{
    EXPECT_EQ(FormatDate(kJan5th1996, "MM/dd/yy"), "01/05/96");
    EXPECT_EQ(FormatDate(kJan5th1996, "dd.MM.yyyy"), "05.01.1996");
    EXPECT_EQ(FormatDate(kJan5th1996, "M/d/yyyy"), "1/5/1996");
    EXPECT_EQ(FormatDate(kJan5th1996, "DD-mm-YY"), "05-01-96");
    EXPECT_EQ(FormatDate(kJan5th1996, "MMM d, y"), "001 5, 1996"); // a long month run is still a number
    EXPECT_EQ(FormatDate(MakeDate(9, 3, 2005), "d/M/yy"), "9/3/05");
    EXPECT_EQ(FormatDate(MakeDate(9, 3, 150), "yyyy"), "150"); // the whole year, unpadded
    EXPECT_EQ(FormatDate(0, "MM/dd/yy"), "");
}

TEST(FormatDate, TextIsAtMost80Characters)
{
    EXPECT_EQ(FormatDate(kJan5th1996, std::string(200, 'd')), std::string(79, '0') + "5");
    EXPECT_EQ(FormatDate(kJan5th1996, std::string(90, '/') + "dd").size(), 80u);
}

TEST(ParseDate, SeparatorsAreNotCompared)
{
    for (const char* text : {"12/25/96", "12-25-96", "12.25.96", "12 25 96"})
        EXPECT_EQ(ParseDate(text, "MM/dd/yy"), kChristmas1996) << text;
    EXPECT_EQ(ParseDate("1/5/96", "MM/dd/yy"), kJan5th1996);
    EXPECT_EQ(ParseDate("05.01.1996", "dd.MM.yyyy"), kJan5th1996);
}

TEST(ParseDate, MissingYearIs1900AndMissingDayOrMonthIsNoDate)
{
    EXPECT_EQ(ParseDate("12/25", "MM/dd/yy"), MakeDate(25, 12, 1900));
    EXPECT_EQ(ParseDate("12/25/", "MM/dd/yy"), MakeDate(25, 12, 1900));
    EXPECT_EQ(ParseDate("12", "MM/dd/yy"), 0u);
    EXPECT_EQ(ParseDate("", "MM/dd/yy"), 0u);
    EXPECT_EQ(ParseDate("12/25/96", ""), 0u);
}

TEST(ParseDate, ImpossibleDatesAreZero)
{
    EXPECT_EQ(ParseDate("13/01/96", "MM/dd/yy"), 0u);
    EXPECT_EQ(ParseDate("02/30/96", "MM/dd/yy"), 0u);
    EXPECT_EQ(ParseDate("02/29/97", "MM/dd/yy"), 0u);
    EXPECT_EQ(ParseDate("02/29/96", "MM/dd/yy"), MakeDate(29, 2, 1996));
    EXPECT_EQ(ParseDate("ab/cd/ef", "MM/dd/yy"), 0u);
    EXPECT_EQ(ParseDate("\xE9\xFB/05/96", "MM/dd/yy"), 0u); // ANSI letters are not digits
}

TEST(ParseDate, YearDigits)
{
    EXPECT_EQ(ParseDate("12/25/1996", "MM/dd/yy"), kChristmas1996); // a whole year under a two-letter run
    EXPECT_EQ(ParseDate("12/25/5", "MM/dd/yy"), MakeDate(25, 12, 2005));
    EXPECT_EQ(ParseDate("12/25/1996", "M/d/y"), kChristmas1996);
    // A year that is short, or longer than two digits under one letter, leaves the next separator in place.
    EXPECT_EQ(ParseDate("1996/1/5", "y/M/d"), kJan5th1996);
    EXPECT_EQ(ParseDate("5-1-2", "y-M-d"), MakeDate(2, 1, 2005));
    EXPECT_EQ(ParseDate("1/5/99999999999999", "M/d/yyyyyyyyyy"), 0u); // no overflow, simply no date
}

TEST_F(ShortDateText, DefaultsToMonthDayYear)
{
    EXPECT_EQ(ShortDateFormat(), "MM/dd/yy");
    EXPECT_EQ(FormatDate(kJan5th1996), "01/05/96");
    EXPECT_EQ(ParseDate("12-25-96"), kChristmas1996);
}

TEST_F(ShortDateText, SourceIsAskedOnEveryUse)
{
    std::string profile = "dd.MM.yyyy";
    int reads = 0;
    SetShortDateFormatSource([&] {
        ++reads;
        return profile;
    });
    EXPECT_EQ(FormatDate(kJan5th1996), "05.01.1996");
    EXPECT_EQ(ParseDate("25.12.1996"), kChristmas1996);
    profile = "M/d/yyyy";
    EXPECT_EQ(FormatDate(kJan5th1996), "1/5/1996");
    EXPECT_EQ(reads, 3);
}

TEST_F(ShortDateText, SourceIsCutTo10CharactersAndEmptyMeansDefault)
{
    SetShortDateFormatSource([] { return std::string("dd/MM/yyyy (local)"); });
    EXPECT_EQ(ShortDateFormat(), "dd/MM/yyyy");
    SetShortDateFormatSource([] { return std::string("d.M.yy\0junk", 11); });
    EXPECT_EQ(ShortDateFormat(), "d.M.yy");
    SetShortDateFormatSource([] { return std::string(); });
    EXPECT_EQ(ShortDateFormat(), "MM/dd/yy");
}

// What the date edit does when it loses the focus: any accepted text comes back in the canonical form.
TEST(ParseDate, TypedTextIsRewrittenCanonically)
{
    EXPECT_EQ(FormatDate(ParseDate("1/5/96", "MM/dd/yy"), "MM/dd/yy"), "01/05/96");
    EXPECT_EQ(FormatDate(ParseDate("12/25/1996", "MM/dd/yy"), "MM/dd/yy"), "12/25/96");
}

void ExpectRoundTrips(const char* format, int firstYear, int lastYear)
{
    int failures = 0;
    for (CalendarDate date = MakeDate(1, 1, firstYear); date < MakeDate(1, 1, lastYear + 1); ++date) {
        const std::string text = FormatDate(date, format);
        if (ParseDate(text, format) != date && ++failures <= 3)
            ADD_FAILURE() << format << ": " << text;
    }
    EXPECT_EQ(failures, 0) << format;
}

TEST(DateTextRoundTrip, EveryDayFrom1500To2200)
{
    for (const char* format :
        {"dd.MM.yyyy", "M/d/yyyy", "dd/MM/yyyy", "yyyy-MM-dd", "y/M/d", "MMddyyyy", "yyyyMMdd", "yMMdd", "Y.m.D"})
        ExpectRoundTrips(format, 1500, 2200);
}

TEST(DateTextRoundTrip, TwoDigitYearsFrom1930To2029)
{
    for (const char* format : {"MM/dd/yy", "d.M.yy", "yy-MM-dd", "yyMMdd", "MMddyy"})
        ExpectRoundTrips(format, 1930, 2029);
}

TEST(ParseDate, TwoDigitYearsBelow30AreThisCentury)
{
    // A file stored today under "MM/dd/yy" reads back as this year, and old records keep their century.
    EXPECT_EQ(ParseDate("12/08/26", "MM/dd/yy"), MakeDate(8, 12, 2026));
    EXPECT_EQ(ParseDate("01/01/00", "MM/dd/yy"), MakeDate(1, 1, 2000));
    EXPECT_EQ(ParseDate("12/31/29", "MM/dd/yy"), MakeDate(31, 12, 2029));
    EXPECT_EQ(ParseDate("01/01/30", "MM/dd/yy"), MakeDate(1, 1, 1930));
    EXPECT_EQ(ParseDate("01/05/96", "MM/dd/yy"), MakeDate(5, 1, 1996));
    EXPECT_EQ(ParseDate(FormatDate(MakeDate(8, 12, 2026), "MM/dd/yy"), "MM/dd/yy"), MakeDate(8, 12, 2026));
}

} // namespace

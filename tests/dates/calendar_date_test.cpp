// Tests of the date value: day numbers, validity, weekdays, month lengths, today and the names per language.
#include "controls/calendar_date.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ctime>

namespace {

// Day numbers checked against an independent proleptic Gregorian calendar.
TEST(CalendarDate, KnownDayNumbers)
{
    EXPECT_EQ(MakeDate(1, 1, 2000), 2451545u);
    EXPECT_EQ(MakeDate(1, 1, 1970), 2440588u);
    EXPECT_EQ(MakeDate(15, 10, 1582), 2299161u);
    EXPECT_EQ(MakeDate(1, 1, 1500), 2268924u);
    EXPECT_EQ(MakeDate(1, 1, 100), 1757585u);
    EXPECT_EQ(MakeDate(1, 1, 96), MakeDate(1, 1, 1996)); // two-digit years are 19xx
    EXPECT_EQ(MakeDate(1, 1, 0), MakeDate(1, 1, 1900));
}

TEST(CalendarDate, ImpossibleDatesAreZero)
{
    EXPECT_EQ(MakeDate(1, 13, 1996), 0u);
    EXPECT_EQ(MakeDate(1, 0, 1996), 0u);
    EXPECT_EQ(MakeDate(0, 1, 1996), 0u);
    EXPECT_EQ(MakeDate(32, 1, 1996), 0u);
    EXPECT_EQ(MakeDate(31, 4, 1996), 0u);
    EXPECT_EQ(MakeDate(30, 2, 1996), 0u);
    EXPECT_EQ(MakeDate(29, 2, 1997), 0u);
    EXPECT_EQ(MakeDate(29, 2, 1900), 0u);
    EXPECT_NE(MakeDate(29, 2, 1996), 0u);
    EXPECT_NE(MakeDate(29, 2, 2000), 0u);
    EXPECT_EQ(MakeDate(1, 1, -1), 0u);
    EXPECT_EQ(MakeDate(1, 1, INT_MAX), 0u); // beyond the 32-bit day number, without overflow
}

TEST(CalendarDate, EveryDayFrom1500To2200FollowsTheLastAndSplitsBack)
{
    CalendarDate expected = MakeDate(1, 1, 1500);
    for (int year = 1500; year <= 2200; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int length = DaysInMonth(MakeDate(1, month, year));
            for (int day = 1; day <= length; ++day, ++expected) {
                ASSERT_EQ(MakeDate(day, month, year), expected) << day << '/' << month << '/' << year;
                ASSERT_EQ(SplitDate(expected), (DateParts {day, month, year})) << expected;
            }
        }
    }
    EXPECT_EQ(expected, 2524959u); // 1 January 2201
}

TEST(CalendarDate, SplitHoldsOverTheWholeNumberRange)
{
    EXPECT_EQ(SplitDate(0), DateParts {});
    EXPECT_EQ(SplitDate(1), (DateParts {25, 11, -4713}));
    EXPECT_EQ(WeekDay(1, 18), 2); // a Tuesday, like day 1, though it lies before day 0
    const DateParts last = SplitDate(UINT32_MAX);
    EXPECT_EQ(MakeDate(last.day, last.month, last.year), UINT32_MAX);
    EXPECT_EQ(MakeDate(1, 1, last.year + 1), 0u);
}

TEST(CalendarDate, WeekDays)
{
    EXPECT_EQ(WeekDay(MakeDate(1, 1, 1996)), 1); // Monday
    EXPECT_EQ(WeekDay(MakeDate(1, 1, 2000)), 6); // Saturday
    EXPECT_EQ(WeekDay(MakeDate(25, 12, 1996)), 3); // Wednesday
    EXPECT_EQ(WeekDay(MakeDate(15, 9, 1996), 1), 7); // 1 September 1996, a Sunday
    EXPECT_EQ(WeekDay(MakeDate(1, 2, 1997), 29), 0);
    EXPECT_EQ(WeekDay(0), 0);
}

TEST(CalendarDate, MonthLengths)
{
    EXPECT_EQ(DaysInMonth(MakeDate(10, 2, 1996)), 29);
    EXPECT_EQ(DaysInMonth(MakeDate(10, 2, 1997)), 28);
    EXPECT_EQ(DaysInMonth(MakeDate(10, 2, 1900)), 28);
    EXPECT_EQ(DaysInMonth(MakeDate(10, 2, 2000)), 29);
    EXPECT_EQ(DaysInMonth(MakeDate(10, 1, 1996), 4), 30);
    EXPECT_EQ(DaysInMonth(MakeDate(10, 1, 1996), 2), 29);
    EXPECT_EQ(DaysInMonth(MakeDate(10, 1, 1996), 13), 0);
    EXPECT_EQ(DaysInMonth(0), 0);
}

// The local date lies within a day of the UTC date, whatever the zone.
TEST(CalendarDate, TodayComesFromTheClock)
{
    const auto utcDay = static_cast<CalendarDate>(std::time(nullptr) / 86400 + 2440588);
    const CalendarDate today = TodayDate();
    EXPECT_LE(std::max(today, utcDay) - std::min(today, utcDay), 1u);
}

class DateNames : public ::testing::Test {
protected:
    void TearDown() override { SetDateLanguage(0); }
};

TEST_F(DateNames, EnglishAtStart)
{
    EXPECT_EQ(DateLanguage(), 0);
    EXPECT_STREQ(MonthName(1), "January");
    EXPECT_STREQ(MonthName(12), "December");
    EXPECT_STREQ(DayAbbrev(1), "Mo");
    EXPECT_STREQ(DayAbbrev(7), "Su");
    EXPECT_STREQ(MonthName(0), "");
    EXPECT_STREQ(MonthName(13), "");
    EXPECT_STREQ(DayAbbrev(0), "");
    EXPECT_STREQ(DayAbbrev(8), "");
}

TEST_F(DateNames, EachLanguageAndTheAnsiFrenchNames)
{
    EXPECT_EQ(SetDateLanguage(1), 0);
    EXPECT_STREQ(MonthName(2), "f\xE9vrier");
    EXPECT_STREQ(MonthName(8), "ao\xFBt");
    EXPECT_STREQ(MonthName(12),
        "d\xE9"
        "cembre");
    EXPECT_STREQ(DayAbbrev(7), "Di");
    EXPECT_EQ(SetDateLanguage(2), 1);
    EXPECT_STREQ(MonthName(3), "Marz");
    EXPECT_STREQ(DayAbbrev(2), "Di");
    EXPECT_EQ(SetDateLanguage(3), 2);
    EXPECT_STREQ(MonthName(12), "Diciembre");
    EXPECT_STREQ(DayAbbrev(7), "Do");
}

TEST_F(DateNames, UnknownLanguageIsKeptButNamesStayEnglish)
{
    SetDateLanguage(7);
    EXPECT_STREQ(MonthName(5), "May");
    EXPECT_STREQ(DayAbbrev(3), "We");
    EXPECT_EQ(SetDateLanguage(-1), 7);
    EXPECT_STREQ(MonthName(5), "May");
}

} // namespace

// The date value CalendarDate (a Julian Day Number) with its calendar arithmetic and the month and weekday names.
#pragma once

#include <cstdint>

// A date as its Julian Day Number (1 January 2000 is 2451545); 0 means no date. Consecutive days differ by 1,
// so moving by days, comparing and range tests are plain integer arithmetic.
using CalendarDate = std::uint32_t;

// The parts of a date; all 0 for no date.
struct DateParts {
    int day = 0;
    int month = 0; // 1 = January
    int year = 0;
    friend bool operator==(const DateParts&, const DateParts&) = default;
};

// Gregorian throughout: divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(int year);

// The day number of a date, or 0 when month or day does not exist. A year from 0 to 99 means 1900 + year
// (96 is 1996); a negative year, or one so large that the number does not fit, gives 0.
CalendarDate MakeDate(int day, int month, int year);

// The inverse of MakeDate; {0, 0, 0} for no date. Dates before the year 100 give the proleptic Gregorian
// year as it stands (never re-read as 1900 + year).
DateParts SplitDate(CalendarDate date);

// Today from the local clock.
CalendarDate TodayDate();

// Length of the month (0 = the date's own month) in the date's year; 0 for no date or a month outside 1 to 12.
int DaysInMonth(CalendarDate date, int month = 0);

// 1 (Monday) to 7 (Sunday). With a day given, the weekday of that day in the date's month and year.
// 0 for no date, or for a day that the month does not have.
int WeekDay(CalendarDate date, int day = 0);

// The language of the names: 0 English (at start), 1 French, 2 German, 3 Spanish. One value for the process.
// Any other value is kept as given but names come out in English.
int DateLanguage();
// Sets the language and returns the previous value.
int SetDateLanguage(int language);

// Month name for 1 to 12, weekday abbreviation for 1 (Monday) to 7 (Sunday), in DateLanguage(); French names
// are in the Windows ANSI code page. Any other index gives "".
const char* MonthName(int month);
const char* DayAbbrev(int weekday);

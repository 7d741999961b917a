// CalendarDate arithmetic (the Julian-day conversion of ACM Algorithm 199 and its inverse) and the date names.
#include "controls/calendar_date.h"

#include <ctime>
#include <limits>

namespace {

constexpr std::int64_t kMarchBase = 1721119; // day number of 1 March of the year 0, less one

int MonthLength(int month, int year)
{
    static constexpr int kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kLength[month - 1];
}

// Rounds toward minus infinity, so that the inverse also holds for days before the year 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

int g_dateLanguage = 0;

// The names are indexed by language; a language outside the table reads the English row.
constexpr int kLanguages = 4;
const char* const kMonthNames[kLanguages][12] = {
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
        "December"},
    // Windows ANSI code page: \xE9 is e acute, \xFB is u circumflex.
    {"janvier", "f\xE9vrier", "mars", "avril", "mai", "juin", "juillet", "ao\xFBt", "septembre", "octobre", "novembre",
        "d\xE9"
        "cembre"},
    {"Januar", "Februar", "Marz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober", "November",
        "Dezember"},
    {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre", "Octubre", "Noviembre",
        "Diciembre"},
};
const char* const kDayAbbrevs[kLanguages][7] = {
    {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"},
    {"Lu", "Ma", "Me", "Je", "Ve", "Sa", "Di"},
    {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "Su"},
    {"Lu", "Ma", "Mi", "Ju", "Vi", "Sa", "Do"},
};

int NameRow() { return g_dateLanguage >= 0 && g_dateLanguage < kLanguages ? g_dateLanguage : 0; }

} // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

CalendarDate MakeDate(int day, int month, int year)
{
    if (year < 0)
        return 0;
    if (year < 100)
        year += 1900;
    if (month < 1 || month > 12 || day < 1 || day > MonthLength(month, year))
        return 0;
    // Months count from March, so that the leap day ends the counted year.
    std::int64_t y = year;
    std::int64_t m = month - 3;
    if (month <= 2) {
        m = month + 9;
        --y;
    }
    const std::int64_t century = y / 100;
    const std::int64_t rest = y % 100;
    const std::int64_t number = 146097 * century / 4 + 1461 * rest / 4 + (153 * m + 2) / 5 + day + kMarchBase;
    return number > std::numeric_limits<CalendarDate>::max() ? 0 : static_cast<CalendarDate>(number);
}

DateParts SplitDate(CalendarDate date)
{
    if (date == 0)
        return {};
    std::int64_t j = date - kMarchBase;
    std::int64_t y = FloorDiv(4 * j - 1, 146097);
    j = 4 * j - 1 - 146097 * y;
    std::int64_t d = j / 4;
    j = (4 * d + 3) / 1461;
    d = (4 * d + 3 - 1461 * j + 4) / 4;
    std::int64_t m = (5 * d - 3) / 153;
    d = (5 * d - 3 - 153 * m + 5) / 5;
    y = 100 * y + j;
    if (m < 10) {
        m += 3;
    } else {
        m -= 9;
        ++y;
    }
    return {static_cast<int>(d), static_cast<int>(m), static_cast<int>(y)};
}

CalendarDate TodayDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return MakeDate(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

int DaysInMonth(CalendarDate date, int month)
{
    if (date == 0)
        return 0;
    const DateParts parts = SplitDate(date);
    if (month == 0)
        month = parts.month;
    return month >= 1 && month <= 12 ? MonthLength(month, parts.year) : 0;
}

int WeekDay(CalendarDate date, int day)
{
    if (date == 0)
        return 0;
    std::int64_t number = date;
    if (day != 0) {
        // Moved within the month by days, so that no year is re-read as 1900 + year. The first and the last month
        // of the number range run past its ends, hence signed 64 bits and a remainder that is never negative.
        const DateParts parts = SplitDate(date);
        if (day < 1 || day > MonthLength(parts.month, parts.year))
            return 0;
        number = number - parts.day + day;
    }
    return static_cast<int>(((number + 1) % 7 + 7 + 6) % 7 + 1);
}

int DateLanguage() { return g_dateLanguage; }

int SetDateLanguage(int language)
{
    const int previous = g_dateLanguage;
    g_dateLanguage = language;
    return previous;
}

const char* MonthName(int month) { return month >= 1 && month <= 12 ? kMonthNames[NameRow()][month - 1] : ""; }

const char* DayAbbrev(int weekday) { return weekday >= 1 && weekday <= 7 ? kDayAbbrevs[NameRow()][weekday - 1] : ""; }

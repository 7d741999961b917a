// libFuzzer target: ParseDate and FormatDate on arbitrary texts, formats and day numbers, checking what callers rely
// on.
#include "controls/date_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

// Wide enough for every year a 32-bit day number can have, so any date comes back from its text.
constexpr const char* kWideFormat = "d.M.yyyyyyyy";

void CheckParsed(CalendarDate date)
{
    if (date == 0)
        return;
    const DateParts parts = SplitDate(date);
    Check(MakeDate(parts.day, parts.month, parts.year) == date);
    Check(ParseDate(FormatDate(date, kWideFormat), kWideFormat) == date);
}

void CheckNumber(CalendarDate number, const std::string& format, int index)
{
    Check(FormatDate(number, format).size() <= kDateTextWidth);
    Check(FormatDate(number).size() <= kDateTextWidth);
    if (number == 0)
        return;
    const DateParts parts = SplitDate(number);
    // Years below 100 would be re-read as 19xx by MakeDate; above that the conversion is exact both ways.
    if (parts.year >= 100)
        Check(MakeDate(parts.day, parts.month, parts.year) == number);
    Check(WeekDay(number) >= 1 && WeekDay(number) <= 7);
    Check(DaysInMonth(number) >= 28 && DaysInMonth(number) <= 31);
    // Another day of the same month lies as many weekdays on, also where the month passes the largest number.
    const int day = (index % 32 + 32) % 32;
    const int expected = day == 0   ? WeekDay(number)
        : day > DaysInMonth(number) ? 0
                                    : ((WeekDay(number) - 1 + day - parts.day) % 7 + 7) % 7 + 1;
    Check(WeekDay(number, day) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    SetDateLanguage(input.ConsumeIntegral<int>());
    const auto number = input.ConsumeIntegral<CalendarDate>();
    const int index = input.ConsumeIntegral<int>();
    const std::string format = input.ConsumeRandomLengthString(64);
    const std::string profile = input.ConsumeRandomLengthString(32);
    const std::string text = input.ConsumeRemainingBytesAsString();

    SetShortDateFormatSource([profile] { return profile; });
    Check(ShortDateFormat().size() <= kShortDateFormatWidth);
    CheckParsed(ParseDate(text, format));
    CheckParsed(ParseDate(text));
    CheckNumber(number, format, index);
    Check(std::strlen(MonthName(index)) < 16 && std::strlen(DayAbbrev(index)) < 3);
    return 0;
}

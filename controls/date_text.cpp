// FormatDate and ParseDate over a short date format, and the replaceable source of that format.
#include "controls/date_text.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

ShortDateFormatSource g_formatSource;

enum class Field { Day, Month, Year, Separator };

Field FieldAt(std::string_view format, std::size_t pos)
{
    switch (format[pos]) {
    case 'd':
    case 'D':
        return Field::Day;
    case 'M':
    case 'm':
        return Field::Month;
    case 'y':
    case 'Y':
        return Field::Year;
    default:
        return Field::Separator;
    }
}

// Letters of the same field from pos on ("dD" is one run of two).
std::size_t RunLength(std::string_view format, std::size_t pos)
{
    const Field field = FieldAt(format, pos);
    std::size_t end = pos + 1;
    while (end < format.size() && FieldAt(format, end) == field)
        ++end;
    return end - pos;
}

void AppendNumber(std::string& text, std::int64_t value, std::size_t width)
{
    const std::string digits = std::to_string(value);
    // Padding beyond the text's width would be cut anyway; bounding it keeps a huge run cheap.
    width = std::min(width, kDateTextWidth);
    if (digits.size() < width)
        text.append(width - digits.size(), '0');
    text += digits;
}

// Reads up to maxDigits decimal digits at pos and moves pos past the digits read; 0 when there are none.
// The value stops growing at a cap far beyond any year a date can have, so a long run of digits cannot overflow.
int ReadNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits)
{
    constexpr int kCap = 100'000'000;
    int value = 0;
    for (std::size_t read = 0; read < maxDigits && pos < text.size() && text[pos] >= '0' && text[pos] <= '9';
         ++read, ++pos) {
        if (value < kCap)
            value = value * 10 + (text[pos] - '0');
    }
    return value;
}

} // namespace

void SetShortDateFormatSource(ShortDateFormatSource source) { g_formatSource = std::move(source); }

std::string ShortDateFormat()
{
    std::string format = g_formatSource ? g_formatSource() : std::string();
    format.resize(std::min({format.find('\0'), format.size(), kShortDateFormatWidth}));
    if (format.empty())
        format = kDefaultShortDateFormat;
    return format;
}

std::string FormatDate(CalendarDate date) { return FormatDate(date, ShortDateFormat()); }

std::string FormatDate(CalendarDate date, std::string_view format)
{
    if (date == 0)
        return {};
    const DateParts parts = SplitDate(date);
    std::string text;
    for (std::size_t pos = 0; pos < format.size() && text.size() < kDateTextWidth;) {
        const Field field = FieldAt(format, pos);
        if (field == Field::Separator) {
            text += format[pos++];
            continue;
        }
        const std::size_t run = RunLength(format, pos);
        pos += run;
        switch (field) {
        case Field::Day:
            AppendNumber(text, parts.day, run);
            break;
        case Field::Month:
            AppendNumber(text, parts.month, run);
            break;
        default:
            // Years before the year 0 exist only by day arithmetic; modulo 100 is taken toward minus infinity.
            if (run == 2)
                AppendNumber(text, (parts.year % 100 + 100) % 100, 2);
            else
                AppendNumber(text, parts.year, 0);
            break;
        }
    }
    if (text.size() > kDateTextWidth)
        text.resize(kDateTextWidth);
    return text;
}

CalendarDate ParseDate(std::string_view text) { return ParseDate(text, ShortDateFormat()); }

CalendarDate ParseDate(std::string_view text, std::string_view format)
{
    // A day or a month has at most two digits, whatever the length of its run.
    constexpr std::size_t kDayMonthDigits = 2;
    // Four digits at least, so that 12/25/1996 reads as 1996 under "MM/dd/yy" too.
    constexpr std::size_t kYearDigits = 4;
    constexpr int kTwoDigitYearPivot = 30;
    int day = 0, month = 0, year = 0;
    std::size_t f = 0, t = 0;
    while (f < format.size() && t < text.size()) {
        const Field field = FieldAt(format, f);
        if (field == Field::Separator) {
            ++f;
            ++t;
            continue;
        }
        const std::size_t run = RunLength(format, f);
        f += run;
        // The text moves on by the digits actually read: a short year must not swallow the separator after it.
        switch (field) {
        case Field::Day:
            day = ReadNumber(text, t, kDayMonthDigits);
            break;
        case Field::Month:
            month = ReadNumber(text, t, kDayMonthDigits);
            break;
        default: {
            // Directly followed by another field ("yyyyMMdd"), a year reads only the digits FormatDate writes for
            // it, so that it does not take the next field's digits.
            const bool packed = f < format.size() && FieldAt(format, f) != Field::Separator;
            const std::size_t packedDigits = run == 2 ? 2 : kYearDigits;
            const std::size_t start = t;
            year = ReadNumber(text, t, packed ? packedDigits : std::max(run + 1, kYearDigits));
            // One or two digits name a year of 1930 to 2029, as Windows reads two-digit years: a date stored
            // today as "12/08/26" must not come back as 1926. No digits at all leave the year out (1900).
            if (const std::size_t digits = t - start; digits > 0 && digits <= 2)
                year += year < kTwoDigitYearPivot ? 2000 : 1900;
            break;
        }
        }
    }
    return MakeDate(day, month, year);
}

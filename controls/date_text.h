// The short date text: where the short date format comes from, and FormatDate/ParseDate.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "controls/calendar_date.h"

// The short date format when the source gives none.
inline constexpr std::string_view kDefaultShortDateFormat = "MM/dd/yy";
// Longest short date format taken from the source; a longer one is cut, as the profile's 11-byte buffer cuts it.
inline constexpr std::size_t kShortDateFormatWidth = 10;
// Longest text FormatDate writes.
inline constexpr std::size_t kDateTextWidth = 80;

// Where the short date format comes from. It is asked each time a date is formatted or parsed without a format
// of the caller's, so a change in the regional settings applies at once. The Windows side sets a source that
// reads intl/sShortDate from the profile; an empty source brings back the built-in "MM/dd/yy".
using ShortDateFormatSource = std::function<std::string()>;
void SetShortDateFormatSource(ShortDateFormatSource source);

// The short date format now: the source's text up to its first NUL, at most 10 characters; "MM/dd/yy" when that
// is empty (an empty format would show every date as empty text and read no text as a date).
std::string ShortDateFormat();

// In a format a run of d/D is the day, a run of M/m the month, a run of y/Y the year; every other character is a
// separator.

// The date as text (at most 80 characters): day and month with at least as many digits as their run has letters,
// zero-padded; a run of exactly two year letters writes the year modulo 100 as two digits, any other run the
// whole year; separators as they stand. No date gives "".
std::string FormatDate(CalendarDate date); // in ShortDateFormat()
std::string FormatDate(CalendarDate date, std::string_view format);

// The date a text gives, or 0. Format and text are walked together until either ends: a separator in the format
// passes over any one character of the text (so 12/25/96, 12-25-96 and 12.25.96 read alike); day and month read
// up to two digits, the year up to four digits or the run's length plus one, whichever is more (when another
// field follows without a separator, as in "yyyyMMdd", two digits under a two-letter run and four otherwise).
// A part not read stays 0: no day or month means no date, no year means 1900.
CalendarDate ParseDate(std::string_view text); // in ShortDateFormat()
CalendarDate ParseDate(std::string_view text, std::string_view format);

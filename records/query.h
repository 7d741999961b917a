// The search query: its condition blocks, their evaluation against a file record, the date-range rule,
// the query's description and the result-list line of a record. Portable (no Windows headers).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/calendar_date.h"
#include "engine/file_record.h"

// One text condition of a query. Kept in memory only.
struct QueryCondition {
    std::int32_t SearchField = -1;  // 1 Abstract, 2 Keywords, 3 Title, 4 FileName; -1 unset
    std::int32_t Contains = 1;      // 1 the field must contain SearchText, 0 it must not
    char SearchText[150]{};
    std::int32_t CaseSensitive = 0;
    std::int32_t WholeWords = 0;
    std::int32_t Connector = 0;  // joins this condition to the next: 0 end, 1 AND, 2 OR, 3 NOT
};

inline constexpr std::int32_t kFieldAbstract = 1;
inline constexpr std::int32_t kFieldKeywords = 2;
inline constexpr std::int32_t kFieldTitle = 3;
inline constexpr std::int32_t kFieldFileName = 4;

inline constexpr std::int32_t kConnectorEnd = 0;
inline constexpr std::int32_t kConnectorAnd = 1;
inline constexpr std::int32_t kConnectorOr = 2;
inline constexpr std::int32_t kConnectorNot = 3;

inline constexpr int kMaxConditions = 2;
// The Query Helper stores at most this many characters of the typed string.
inline constexpr std::size_t kSearchTextMax = 148;

// Decides whether a byte of the ANSI code page is a letter (word boundaries are the bytes that are not).
using LetterTest = bool (*)(unsigned char);
// Letters of the Windows Western code page (1252): A-Z, a-z, the accented letters and the few others there.
bool IsAnsiLetter(unsigned char c);

// Does text hold pattern? Without case, only a-z and A-Z are folded. With whole words, an occurrence counts
// when the bytes on both sides of it are not letters (or are the ends of the text).
bool ContainsText(std::string_view text, std::string_view pattern, bool caseSensitive, bool wholeWords,
                  LetterTest isLetter = IsAnsiLetter);

// One condition against a record: 1 when found and Contains, or not found and not Contains.
bool MatchesCondition(const QueryCondition& condition, const FileRecord& record, LetterTest isLetter = IsAnsiLetter);
// The whole query of count blocks (0..2): block 0's connector joins it to block 1.
bool MatchesQuery(const QueryCondition* conditions, int count, const FileRecord& record,
                  LetterTest isLetter = IsAnsiLetter);

// The date range of "Show Between": an unreadable From is 1 January 1500, an unreadable To is today.
CalendarDate RangeFrom(std::string_view fromText);
CalendarDate RangeTo(std::string_view toText, CalendarDate today);
// A record's download date within [from, to], both ends included; an unreadable date counts as today.
bool InDateRange(std::string_view downloadDate, CalendarDate from, CalendarDate to, CalendarDate today);

// The description of the query, one piece per condition (each at most 499 characters), as the query text
// box shows it.
std::vector<std::string> QueryDescription(const QueryCondition* conditions, int count);

// A result-list line: title (first 50 characters), download date, file name, location and record number,
// separated by tabs.
std::string ResultLine(const FileRecord& record);
// The record number of a line, read after its last tab (leading decimal digits; none gives 0). None
// without a tab.
std::optional<std::int32_t> LineRecordNumber(std::string_view line);

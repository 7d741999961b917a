// Version-1 catalogue import: the old Paradox table "filstore.db" with its memo file, mapped to record texts.
//
// Field mapping. A table field is matched by its name with letter case, blanks and underscores ignored:
//   FileName     <- "FileName" (or "Name")
//   DownloadDate <- "DownloadDate" (or "Date")
//   Title        <- "Title"
//   Keywords     <- "Keywords"
//   Location     <- "Location"
//   Abstract     <- "Abstract"
// The first field that matches a record field wins ("FileName" before "Name" whatever their order); other
// fields are ignored, and a record field with no table field stays empty. The table must have a FileName field.
// Values: alphanumeric fields as they stand (an alphanumeric date is kept as its text); a date field in the
// program's short date format; memo and blob fields from the memo file; numbers in decimal, logical fields as
// "True"/"False". Alphanumeric, memo and blob texts of a table that names its code page (version 4.0 on) are
// recoded from it by the caller's recoder, when one is given. Every text is cut at its record field's width,
// and at a zero byte. A Location keeps no trailing backslash (beyond a drive's root), as every writer of the
// catalogue stores it.
#pragma once

#include "engine/file_record.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kspdx {

inline constexpr char kVersion1Table[] = "filstore.db";
inline constexpr char kVersion1Memo[] = "filstore.mb";

// The six texts of one imported record in record order, each within its field's width.
using ImportTexts = std::array<std::string, kTextFieldCount>;
// Writes a date (a Julian Day Number, never 0) as the program's short date text.
using DateWriter = std::function<std::string(std::uint32_t julianDay)>;
// Turns a text of the table's code page into the catalogue's (the engine gives the system's ANSI code page).
using TextRecoder = std::function<std::string(std::string_view text, std::uint16_t codePage)>;

// Maps every record of the table to texts, in table order. Returns 0, or the result code of a table that
// cannot be imported, with records left empty: 6 not a Paradox table or damaged (its memo file too),
// 92 an unknown table version, 21 a password-protected table, 74 no FileName field.
std::int32_t MapVersion1Table(std::span<const std::uint8_t> db, std::span<const std::uint8_t> mb,
                              const DateWriter& writeDate, std::vector<ImportTexts>& records,
                              const TextRecoder& recode = {});

// Reads dir + "filstore.db" and dir + "filstore.mb" (dir ends with a separator or is empty) and maps them as
// above: 120 when the table file is not there or cannot be read; a missing memo file counts as empty.
std::int32_t ReadVersion1Table(const std::string& dir, const DateWriter& writeDate, std::vector<ImportTexts>& records,
                               const TextRecoder& recode = {});

}  // namespace kspdx

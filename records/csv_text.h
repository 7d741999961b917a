// CSV text as spreadsheets read it: every field quoted, quotes inside doubled, each line ended with CR LF.
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

// Appends one line of fields to out. Line ends inside a field stay as they are: a quoted field may hold them.
void AppendCsvLine(std::string& out, std::initializer_list<std::string_view> fields);

// The byte-order mark that tells a spreadsheet the file is UTF-8.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

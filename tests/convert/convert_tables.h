// The version-1 catalogue tables the conversion tests use: their columns and rows, and files in a scratch folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/convert/paradox_writer.h"

namespace ks_test {

// A version-1 catalogue: the names its fields had, a keyword field wider than the record's, a memo abstract
// with 40 bytes kept in the record.
inline std::vector<PxColumn> Version1Columns()
{
    return {{"File Name", 0x01, 64},  {"Download_Date", 0x02, 4}, {"TITLE", 0x01, 80},
            {"Keywords", 0x01, 100},  {"Location", 0x01, 128},    {"Abstract", 0x0C, 50}};
}

// Row i of a catalogue of count rows: distinct names and texts, every fifth abstract past the 40 bytes in the
// record, every seventh past the 799 the record keeps, locations in either letter case.
inline PxRow Version1Row(int i, const std::string& store = "C:\\KSV1\\KS_STORE")
{
    char name[32];
    std::snprintf(name, sizeof name, "file%04d.zip", i);
    std::string abstract = "Abstract " + std::to_string(i);
    if (i % 5 == 0)
        abstract += std::string(60, static_cast<char>('a' + i % 26));
    if (i % 7 == 0)
        abstract += std::string(900, static_cast<char>('A' + i % 26)) + "END";
    std::string location = store;
    if (i % 2)
        for (char& c : location)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", 1994 + i % 4, 1 + i % 12, 1 + i % 28);
    return {name, date, "Title " + std::to_string(i), "keywords " + std::to_string(i), location, abstract};
}

inline std::vector<PxRow> Version1Rows(int count, const std::string& store = "C:\\KSV1\\KS_STORE")
{
    std::vector<PxRow> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back(Version1Row(i, store));
    return rows;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace ks_test

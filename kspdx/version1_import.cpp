// Version-1 import: finding the mapped fields by name and turning each record's values into record texts.
#include "kspdx/version1_import.h"

#include "kspdx/engine_results.h"
#include "kspdx/paradox_table.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

namespace kspdx {
namespace {

constexpr std::int32_t kResultPassword = 21;       // "Insufficient password rights"
constexpr std::int32_t kResultFieldName = 74;      // "Invalid field name"

// Record field index (FileName .. Abstract) for each accepted name, preferred names first.
struct NameRule {
    const char* name;
    std::size_t field;
};
constexpr NameRule kNameRules[] = {
    {"filename", 0}, {"name", 0}, {"downloaddate", 1}, {"date", 1}, {"title", 2},
    {"keywords", 3}, {"location", 4}, {"abstract", 5},
};
constexpr std::size_t kLocationIndex = 4;

std::string Normalised(const std::string& name)
{
    std::string out;
    for (char c : name) {
        if (c == ' ' || c == '_')
            continue;
        out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

std::int32_t ResultFor(ParadoxStatus status)
{
    switch (status) {
    case ParadoxStatus::kOk:
        return 0;
    case ParadoxStatus::kVersion:
        return kResultUnknownVersion;
    case ParadoxStatus::kEncrypted:
        return kResultPassword;
    case ParadoxStatus::kNotParadox:
    case ParadoxStatus::kDamaged:
        break;
    }
    return kResultTableCorrupted;
}

// The value of one field as text of at most width characters; false when its memo reference is damaged.
bool FieldValue(const ParadoxTable& table, std::span<const std::uint8_t> record, const ParadoxField& field,
                std::size_t width, const DateWriter& writeDate, const TextRecoder& recode, std::string& out)
{
    out.clear();
    std::int64_t whole = 0;
    double real = 0;
    char number[64];
    switch (field.type) {
    case kPxAlpha:
        out = ParadoxTable::Alpha(record, field);
        break;
    case kPxDate:
        if (ParadoxTable::Integer(record, field, whole) && whole > 0)
            out = writeDate(static_cast<std::uint32_t>(whole + kParadoxDayToJulian));
        break;
    case kPxMemo:
    case kPxFmtMemo:
    case kPxBlob:
        if (!table.Memo(record, field, width, out))
            return false;
        break;
    case kPxShort:
    case kPxLong:
    case kPxAutoInc:
        if (ParadoxTable::Integer(record, field, whole)) {
            std::snprintf(number, sizeof number, "%lld", static_cast<long long>(whole));
            out = number;
        }
        break;
    case kPxLogical:
        if (ParadoxTable::Integer(record, field, whole))
            out = whole ? "True" : "False";
        break;
    case kPxNumber:
    case kPxCurrency:
        if (ParadoxTable::Real(record, field, real)) {
            std::snprintf(number, sizeof number, "%.15g", real);
            out = number;
        }
        break;
    default:
        // Times, pictures, OLE objects and raw bytes have no text a record could hold.
        break;
    }
    const bool text = field.type == kPxAlpha || field.type == kPxMemo || field.type == kPxFmtMemo ||
                      field.type == kPxBlob;
    if (text && recode && table.CodePage() != 0 && !out.empty())
        out = recode(out, table.CodePage());
    if (const std::size_t zero = out.find('\0'); zero != std::string::npos)
        out.resize(zero);
    if (out.size() > width)
        out.resize(width);
    return true;
}

std::optional<std::vector<char>> ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::span<const std::uint8_t> Bytes(const std::vector<char>& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace

std::int32_t MapVersion1Table(std::span<const std::uint8_t> db, std::span<const std::uint8_t> mb,
                              const DateWriter& writeDate, std::vector<ImportTexts>& records,
                              const TextRecoder& recode)
{
    records.clear();
    ParadoxTable table;
    if (const ParadoxStatus status = table.Open(db, mb); status != ParadoxStatus::kOk)
        return ResultFor(status);

    // For each record field, the table field it takes its value from.
    std::array<const ParadoxField*, kTextFieldCount> source{};
    for (const NameRule& rule : kNameRules) {
        if (source[rule.field])
            continue;
        for (const ParadoxField& field : table.Fields())
            if (Normalised(field.name) == rule.name) {
                source[rule.field] = &field;
                break;
            }
    }
    if (!source[0])
        return kResultFieldName;

    bool damaged = false;
    const ParadoxStatus walked = table.ForEachRecord([&](std::span<const std::uint8_t> record) {
        ImportTexts& texts = records.emplace_back();
        for (std::size_t i = 0; i < kTextFieldCount; ++i) {
            if (source[i] && !FieldValue(table, record, *source[i], kTextFields[i].size - 1, writeDate, recode,
                                            texts[i])) {
                damaged = true;
                return false;
            }
        }
        std::string& location = texts[kLocationIndex];
        while (location.size() > 1 && location.back() == '\\' && !(location.size() == 3 && location[1] == ':'))
            location.pop_back();
        return true;
    });
    if (walked != ParadoxStatus::kOk || damaged) {
        records.clear();
        return damaged ? kResultTableCorrupted : ResultFor(walked);
    }
    return 0;
}

std::int32_t ReadVersion1Table(const std::string& dir, const DateWriter& writeDate, std::vector<ImportTexts>& records,
                               const TextRecoder& recode)
{
    records.clear();
    const auto db = ReadWhole(dir + kVersion1Table);
    if (!db)
        return kResultTableNotFound;
    const auto mb = ReadWhole(dir + kVersion1Memo);
    const std::vector<char> none;
    return MapVersion1Table(Bytes(*db), Bytes(mb ? *mb : none), writeDate, records, recode);
}

}  // namespace kspdx

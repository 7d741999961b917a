// Query evaluation, the date-range rule, the query description and the result-list line.
#include "records/query.h"

#include "controls/date_text.h"

namespace {

// Tested instead of a field whose number names no field.
constexpr std::string_view kMarkerText = "\xAC\xAC" "Error";

// A text with a to z in capitals, folded on the stack when it fits (every field of a record does): a walk tests
// every record, and a copy on the heap, or a buffer kept per thread, costs more than the search itself.
class UpperAtoZ {
public:
    explicit UpperAtoZ(std::string_view text)
    {
        char* out = m_room;
        if (text.size() > sizeof m_room) {
            m_spill.resize(text.size());
            out = m_spill.data();
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            out[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        m_text = std::string_view(out, text.size());
    }
    UpperAtoZ(const UpperAtoZ&) = delete;
    UpperAtoZ& operator=(const UpperAtoZ&) = delete;
    std::string_view Text() const { return m_text; }

private:
    char m_room[1024];
    std::string m_spill;
    std::string_view m_text;
};

std::string_view SearchedField(const FileRecord& record, std::int32_t field)
{
    switch (field) {
    case kFieldAbstract: return FieldText(record.Abstract);
    case kFieldKeywords: return FieldText(record.Keywords);
    case kFieldTitle: return FieldText(record.Title);
    case kFieldFileName: return FieldText(record.FileName);
    default: return kMarkerText;
    }
}

bool Combine(bool left, bool right, std::int32_t connector, bool current)
{
    switch (connector) {
    case kConnectorAnd: return left && right;
    case kConnectorOr: return left || right;
    case kConnectorNot: return left && !right;
    default: return current;
    }
}

}  // namespace

bool IsAnsiLetter(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
        return true;
    default:
        return c >= 0xC0 && c != 0xD7 && c != 0xF7;
    }
}

bool ContainsText(std::string_view text, std::string_view pattern, bool caseSensitive, bool wholeWords,
                  LetterTest isLetter)
{
    if (!caseSensitive) {
        const UpperAtoZ foldedText(text);
        const UpperAtoZ foldedPattern(pattern);
        return ContainsText(foldedText.Text(), foldedPattern.Text(), true, wholeWords, isLetter);
    }
    std::size_t at = text.find(pattern);
    if (!wholeWords)
        return at != std::string_view::npos;
    while (at != std::string_view::npos) {
        const std::size_t end = at + pattern.size();
        const bool startCounts = at == 0 || !isLetter(static_cast<unsigned char>(text[at - 1]));
        if (end == text.size())
            return startCounts;
        if (startCounts && !isLetter(static_cast<unsigned char>(text[end])))
            return true;
        // Occurrences overlapping this one are passed over; an empty pattern still moves on.
        at = text.find(pattern, end > at ? end : at + 1);
    }
    return false;
}

bool MatchesCondition(const QueryCondition& condition, const FileRecord& record, LetterTest isLetter)
{
    const bool found = ContainsText(SearchedField(record, condition.SearchField), FieldText(condition.SearchText),
                                    condition.CaseSensitive != 0, condition.WholeWords != 0, isLetter);
    return condition.Contains == 1 ? found : (condition.Contains == 0 && !found);
}

bool MatchesQuery(const QueryCondition* conditions, int count, const FileRecord& record, LetterTest isLetter)
{
    if (count <= 0)
        return true;
    if (count > kMaxConditions)
        count = kMaxConditions;
    bool results[kMaxConditions]{};
    for (int i = 0; i < count; ++i)
        results[i] = MatchesCondition(conditions[i], record, isLetter);
    bool result = results[count - 1];
    // A connector on the last block in use has no next condition to join: it is ignored.
    for (int i = 0; i + 1 < count; ++i)
        result = Combine(results[i], results[i + 1], conditions[i].Connector, result);
    return result;
}

CalendarDate RangeFrom(std::string_view fromText)
{
    const CalendarDate from = ParseDate(fromText);
    return from ? from : MakeDate(1, 1, 1500);
}

CalendarDate RangeTo(std::string_view toText, CalendarDate today)
{
    const CalendarDate to = ParseDate(toText);
    return to ? to : today;
}

bool InDateRange(std::string_view downloadDate, CalendarDate from, CalendarDate to, CalendarDate today)
{
    CalendarDate date = ParseDate(downloadDate);
    if (date == 0)
        date = today;
    return from <= date && date <= to;
}

std::vector<std::string> QueryDescription(const QueryCondition* conditions, int count)
{
    static constexpr const char* kFieldNames[] = {"File Abstract ", "Keywords ", "Title ", "File Name "};
    static constexpr const char* kConnectorWords[] = {"\r\n** END **", "AND ", "OR ", "NOT "};
    std::vector<std::string> pieces;
    for (int i = 0; i < count && i < kMaxConditions; ++i) {
        const QueryCondition& c = conditions[i];
        std::string piece = c.SearchField >= 1 && c.SearchField <= 4 ? kFieldNames[c.SearchField - 1] : "**Error** ";
        piece += c.Contains ? "Contains " : "Does NOT Contain ";
        piece += "'";
        piece += FieldText(c.SearchText);
        piece += "' ";
        if (c.CaseSensitive)
            piece += "(CS) ";
        if (c.WholeWords)
            piece += "(MWW) ";
        piece += c.Connector >= 0 && c.Connector <= 3 ? kConnectorWords[c.Connector] : "**Error** ";
        piece += "\r\n";
        if (piece.size() > 499)
            piece.resize(499);
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

std::string ResultLine(const FileRecord& record)
{
    const std::string_view title = FieldText(record.Title).substr(0, 50);
    std::string line(title);
    for (std::string_view part : {FieldText(record.DownloadDate), FieldText(record.FileName),
                                  FieldText(record.Location)}) {
        line += '\t';
        line += part;
    }
    line += '\t';
    line += std::to_string(record.RecordNumber);
    return line;
}

std::optional<std::int32_t> LineRecordNumber(std::string_view line)
{
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos)
        return std::nullopt;
    std::int64_t number = 0;
    for (std::size_t i = tab + 1; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        number = number * 10 + (line[i] - '0');
        if (number > INT32_MAX)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(number);
}

// The records of one ENG_NEXT_BATCH reply as they travel in the link's batch area: writing them (the engine)
// and reading them back into FileRecords (the program). Portable.
//
// One entry per record, in table order, packed, integers little-endian:
//   u32 record number, six u16 text lengths, then the six texts in record order (FileName, DownloadDate,
//   Title, Keywords, Location, Abstract) back to back, without terminators or the undefined bytes after them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "engine/file_record.h"

inline constexpr std::size_t kBatchEntryHeaderSize = 4 + 2 * kTextFieldCount;
// Six texts at their longest: each field's width less its terminator.
inline constexpr std::size_t kMaxBatchEntrySize = kBatchEntryHeaderSize + kFileNameSize + kDownloadDateSize +
                                                  kTitleSize + kKeywordsSize + kLocationSize + kAbstractSize -
                                                  kTextFieldCount;

// Appends one record's entry at used; each text must be shorter than its field. False, and nothing written,
// when the area has no room left for it.
inline bool AppendBatchEntry(std::span<std::uint8_t> area, std::size_t& used, std::int32_t number,
                             std::span<const std::string_view, kTextFieldCount> texts)
{
    std::size_t size = kBatchEntryHeaderSize;
    for (std::string_view text : texts)
        size += text.size();
    if (used > area.size() || area.size() - used < size)
        return false;
    std::uint8_t* at = area.data() + used;
    const auto n = static_cast<std::uint32_t>(number);
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(n >> (8 * i));
    std::uint8_t* out = at + kBatchEntryHeaderSize;
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        at[4 + 2 * i] = static_cast<std::uint8_t>(texts[i].size());
        at[5 + 2 * i] = static_cast<std::uint8_t>(texts[i].size() >> 8);
        if (!texts[i].empty())
            std::memcpy(out, texts[i].data(), texts[i].size());
        out += texts[i].size();
    }
    used += size;
    return true;
}

// Reads a batch area's entries one at a time. The bytes come from another process: an entry whose texts do
// not fit their fields, or run past the end of the bytes, ends the reading as damaged.
class BatchReader {
public:
    explicit BatchReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    // The next record's number and texts into record, each text with its terminator and zeros after it;
    // RecordCount is left as it was. False at the end of the bytes, or at a damaged entry (Damaged() is then
    // true and record may be half written).
    bool Next(FileRecord& record) { return Read(&record, true); }
    // The same, leaving the bytes after each terminator as they were (undefined, as the record allows): a walk
    // that only reads the texts saves clearing 1,400 bytes a record.
    bool NextTexts(FileRecord& record) { return Read(&record, false); }
    // Steps over the next entry, checking it as Next does.
    bool Skip() { return Read(nullptr, false); }
    // The number of the entry read last (0 before the first).
    std::int32_t LastNumber() const { return m_last; }
    bool Damaged() const { return m_damaged; }

private:
    bool Damage()
    {
        m_damaged = true;
        return false;
    }

    bool Read(FileRecord* record, bool zeroTails)
    {
        if (m_damaged || m_pos == m_bytes.size())
            return false;
        if (m_bytes.size() - m_pos < kBatchEntryHeaderSize)
            return Damage();
        const std::uint8_t* at = m_bytes.data() + m_pos;
        const std::uint32_t number = static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
                                     static_cast<std::uint32_t>(at[2]) << 16 |
                                     static_cast<std::uint32_t>(at[3]) << 24;
        // Record numbers start at 1.
        if (number == 0 || number > 0x7FFFFFFFu)
            return Damage();
        std::size_t lengths[kTextFieldCount];
        std::size_t size = kBatchEntryHeaderSize;
        for (std::size_t i = 0; i < kTextFieldCount; ++i) {
            lengths[i] = static_cast<std::size_t>(at[4 + 2 * i] | at[5 + 2 * i] << 8);
            if (lengths[i] >= kTextFields[i].size)
                return Damage();
            size += lengths[i];
        }
        if (m_bytes.size() - m_pos < size)
            return Damage();
        if (record) {
            const std::uint8_t* text = at + kBatchEntryHeaderSize;
            auto* out = reinterpret_cast<std::uint8_t*>(record);
            for (std::size_t i = 0; i < kTextFieldCount; ++i) {
                const TextField& field = kTextFields[i];
                std::memcpy(out + field.offset, text, lengths[i]);
                if (zeroTails)
                    std::memset(out + field.offset + lengths[i], 0, field.size - lengths[i]);
                else
                    out[field.offset + lengths[i]] = 0;
                text += lengths[i];
            }
            record->RecordNumber = static_cast<std::int32_t>(number);
        }
        m_last = static_cast<std::int32_t>(number);
        m_pos += size;
        return true;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    std::int32_t m_last = 0;
    bool m_damaged = false;
};

// Whether bytes are what an ENG_NEXT_BATCH reply of result 0 promises for a request of after and most: count
// (the reply's RecordCount, at least 1, and not above most when most is above 0) sound entries numbered above
// after in rising order, the last of them numbered last (the reply's RecordNumber).
inline bool BatchAnswers(std::span<const std::uint8_t> bytes, std::int32_t after, std::int32_t most,
                         std::int32_t count, std::int32_t last)
{
    if (count < 1 || (most > 0 && count > most))
        return false;
    BatchReader reader(bytes);
    std::int32_t seen = 0;
    std::int32_t previous = after;
    while (reader.Skip()) {
        if (reader.LastNumber() <= previous)
            return false;
        previous = reader.LastNumber();
        ++seen;
    }
    return !reader.Damaged() && seen == count && previous == last;
}

// The table file's entry codec and the start-up replay with torn-tail recovery (layout in table_log.h).
#include "kspdx/table_log.h"

#include "kspdx/engine_results.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kspdx {
namespace {

constexpr std::uint8_t kMagic[8] = {'K', 'S', 'T', 'A', 'B', 'L', 'E', 0x1A};
constexpr std::uint8_t kPutTag = 1;
constexpr std::uint8_t kDeleteTag = 2;
constexpr std::uint8_t kImportStartTag = 3;
constexpr std::uint8_t kImportEndTag = 4;
constexpr std::size_t kDeletePayloadSize = 1 + 4;
// Replay reads the file in pieces of this size; it holds at least two whole entries.
constexpr std::size_t kReadChunk = 256 * 1024;
static_assert(kReadChunk >= 2 * kMaxEntrySize);

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr auto kCrcTable = MakeCrcTable();

void Put32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// The bytes of a payload, read front to back; any read past its end marks it malformed.
class PayloadReader {
public:
    explicit PayloadReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool Take(std::size_t count, const std::uint8_t*& at)
    {
        if (m_bytes.size() - m_pos < count)
            return false;
        at = m_bytes.data() + m_pos;
        m_pos += count;
        return true;
    }
    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

bool DecodePayload(std::span<const std::uint8_t> payload, Change& change)
{
    PayloadReader in(payload);
    const std::uint8_t* at = nullptr;
    if (!in.Take(5, at))
        return false;
    const std::uint8_t tag = at[0];
    change.number = static_cast<std::int32_t>(Get32(at + 1));
    if (change.number <= 0)
        return false;
    if (tag == kDeleteTag || tag == kImportStartTag || tag == kImportEndTag) {
        change.kind = tag == kDeleteTag        ? Change::Kind::kDelete
                      : tag == kImportStartTag ? Change::Kind::kImportStart
                                               : Change::Kind::kImportEnd;
        return in.AtEnd();
    }
    if (tag != kPutTag)
        return false;
    change.kind = Change::Kind::kPut;
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        if (!in.Take(2, at))
            return false;
        const std::size_t length = static_cast<std::size_t>(at[0] | at[1] << 8);
        if (length >= kTextFields[i].size || !in.Take(length, at))
            return false;
        const std::string_view text(reinterpret_cast<const char*>(at), length);
        if (text.find('\0') != std::string_view::npos)
            return false;
        change.texts[i] = text;
    }
    return in.AtEnd();
}

// Applies one sound entry; false when it does not fit the records replayed so far.
bool Apply(const Change& change, RecordStore& store)
{
    if (change.kind == Change::Kind::kImportStart || change.kind == Change::Kind::kImportEnd)
        return false;
    if (change.kind == Change::Kind::kDelete) {
        const std::size_t slot = store.Find(change.number);
        if (slot == RecordStore::kNoSlot)
            return false;
        store.Delete(slot);
        if (store.ShouldCompact())
            store.Compact({});
        return true;
    }
    const bool adds = change.number > store.HighestNumber();
    const std::size_t slot = adds ? RecordStore::kNoSlot : store.Find(change.number);
    if (!adds && slot == RecordStore::kNoSlot)
        return false;
    RecordStore::Pending pending = store.Prepare(change.texts);
    if (adds)
        store.CommitAdd(change.number, pending);
    else
        store.CommitUpdate(slot, pending);
    return true;
}

// Cuts the file to size and makes the cut durable.
std::int32_t CutTo(TableFile& file, std::uint64_t size)
{
    IoStatus status = file.Truncate(size);
    if (status == IoStatus::kOk)
        status = file.Flush();
    return ResultFor(status);
}

// A file shorter than the header: new, or torn while it was being created. Either way it holds no change.
LoadResult StartNewTable(TableFile& file)
{
    const std::uint64_t size = file.Size();
    std::uint8_t start[kHeaderSize];
    if (size > 0 && file.Read(0, start, size) != IoStatus::kOk)
        return {kResultSystemError, 0};
    const auto header = EncodeHeader();
    if (!std::equal(start, start + size, header.begin()))
        return {kResultTableCorrupted, 0};
    if (std::int32_t code = CutTo(file, 0); code != 0)
        return {code, 0};
    IoStatus status = file.Append(header.data(), header.size());
    if (status == IoStatus::kOk)
        status = file.Flush();
    return {ResultFor(status), size};
}

// Whether the rest of the file, from an entry that is incomplete or fails its checksum, can be the one entry
// that was being written when the engine stopped: no longer than an entry, and holding no sound entry at any
// offset (a prefix of one entry cannot hold a whole other one, unless its texts were crafted to).
bool TornTail(std::span<const std::uint8_t> rest, std::uint64_t restSize)
{
    if (restSize > kMaxEntrySize)
        return false;
    for (std::size_t at = 1; at < rest.size(); ++at)
        if (DecodeEntry(rest.subspan(at)).state == EntryState::kSound)
            return false;
    return true;
}

// Bytes of the file from a position on, read in large pieces.
class ChunkReader {
public:
    explicit ChunkReader(TableFile& file) : m_file(file), m_buffer(kReadChunk) {}

    // At least min(want, bytes left in the file) bytes starting at offset, or an empty span on a read failure.
    std::span<const std::uint8_t> At(std::uint64_t offset, std::size_t want, bool& failed)
    {
        const std::uint64_t left = m_file.Size() - offset;
        const std::size_t need = static_cast<std::size_t>(std::min<std::uint64_t>(want, left));
        if (offset < m_start || offset + need > m_start + m_length) {
            m_start = offset;
            m_length = static_cast<std::size_t>(std::min<std::uint64_t>(m_buffer.size(), left));
            if (m_file.Read(offset, m_buffer.data(), m_length) != IoStatus::kOk) {
                m_length = 0;
                failed = true;
                return {};
            }
        }
        return std::span<const std::uint8_t>(m_buffer).subspan(static_cast<std::size_t>(offset - m_start),
                                                               m_start + m_length - offset);
    }

private:
    TableFile& m_file;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_start = 0;
    std::size_t m_length = 0;
};

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc)
{
    crc = ~crc;
    for (std::uint8_t byte : bytes)
        crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader()
{
    std::array<std::uint8_t, kHeaderSize> header{};
    std::memcpy(header.data(), kMagic, sizeof kMagic);
    Put32(header.data() + 8, kTableVersion);
    Put32(header.data() + 12, Crc32(std::span(header).first(12)));
    return header;
}

std::span<const std::uint8_t> EntryBuilder::Put(std::int32_t number, const RecordTexts& texts)
{
    std::uint8_t* out = m_bytes.data() + kFrameSize;
    *out++ = kPutTag;
    Put32(out, static_cast<std::uint32_t>(number));
    out += 4;
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const std::size_t length = std::min(texts[i].size(), kTextFields[i].size - 1);
        *out++ = static_cast<std::uint8_t>(length);
        *out++ = static_cast<std::uint8_t>(length >> 8);
        if (length > 0)
            std::memcpy(out, texts[i].data(), length);
        out += length;
    }
    return Seal(static_cast<std::size_t>(out - m_bytes.data()) - kFrameSize);
}

std::span<const std::uint8_t> EntryBuilder::Delete(std::int32_t number)
{
    m_bytes[kFrameSize] = kDeleteTag;
    Put32(m_bytes.data() + kFrameSize + 1, static_cast<std::uint32_t>(number));
    return Seal(kDeletePayloadSize);
}

std::span<const std::uint8_t> EntryBuilder::ImportStart(std::int32_t count)
{
    m_bytes[kFrameSize] = kImportStartTag;
    Put32(m_bytes.data() + kFrameSize + 1, static_cast<std::uint32_t>(count));
    return Seal(kDeletePayloadSize);
}

std::span<const std::uint8_t> EntryBuilder::ImportEnd(std::int32_t count)
{
    m_bytes[kFrameSize] = kImportEndTag;
    Put32(m_bytes.data() + kFrameSize + 1, static_cast<std::uint32_t>(count));
    return Seal(kDeletePayloadSize);
}

std::span<const std::uint8_t> EntryBuilder::Seal(std::size_t payloadSize)
{
    Put32(m_bytes.data(), static_cast<std::uint32_t>(payloadSize));
    const std::uint32_t crc = Crc32(std::span(m_bytes).first(4));
    Put32(m_bytes.data() + 4, Crc32(std::span(m_bytes).subspan(kFrameSize, payloadSize), crc));
    return std::span(m_bytes).first(kFrameSize + payloadSize);
}

DecodedEntry DecodeEntry(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kFrameSize)
        return {EntryState::kIncomplete, 0, {}};
    const std::uint32_t length = Get32(bytes.data());
    if (length == 0 || length > kMaxPayloadSize)
        return {EntryState::kDamaged, 0, {}};
    const std::size_t size = kFrameSize + length;
    if (bytes.size() < size)
        return {EntryState::kIncomplete, size, {}};
    const std::uint32_t crc = Crc32(bytes.subspan(kFrameSize, length), Crc32(bytes.first(4)));
    if (crc != Get32(bytes.data() + 4))
        return {EntryState::kDamaged, size, {}};
    DecodedEntry entry{EntryState::kSound, size, {}};
    if (!DecodePayload(bytes.subspan(kFrameSize, length), entry.change))
        entry.state = EntryState::kMalformed;
    return entry;
}

LoadResult LoadTable(TableFile& file, RecordStore& store)
{
    const std::uint64_t size = file.Size();
    if (size < kHeaderSize)
        return StartNewTable(file);

    std::uint8_t header[kHeaderSize];
    if (file.Read(0, header, kHeaderSize) != IoStatus::kOk)
        return {kResultSystemError, 0};
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0 ||
        Get32(header + 12) != Crc32(std::span<const std::uint8_t>(header, 12)))
        return {kResultTableCorrupted, 0};
    if (Get32(header + 8) != kTableVersion)
        return {kResultUnknownVersion, 0};

    ChunkReader reader(file);
    bool readFailed = false;
    std::uint64_t pos = kHeaderSize;
    // An import being replayed: where it starts, its record count and its records, held until its end entry.
    struct OpenImport {
        std::uint64_t start = 0;
        std::int32_t count = 0;
        std::int32_t lastNumber = 0;
        std::vector<std::pair<std::int32_t, std::array<std::string, kTextFieldCount>>> puts;
    };
    std::optional<OpenImport> import;
    while (pos < size) {
        const auto bytes = reader.At(pos, kMaxEntrySize + 1, readFailed);
        if (readFailed)
            return {kResultSystemError, 0};
        const DecodedEntry entry = DecodeEntry(bytes);
        if (entry.state == EntryState::kSound) {
            const Change& change = entry.change;
            if (change.kind == Change::Kind::kImportStart) {
                if (import)
                    return {kResultTableCorrupted, 0};
                import.emplace();
                import->start = pos;
                import->count = change.number;
                import->lastNumber = store.HighestNumber();
            } else if (import && change.kind == Change::Kind::kPut) {
                // An import only adds, each record numbered above the one before.
                if (change.number <= import->lastNumber ||
                    import->puts.size() >= static_cast<std::size_t>(import->count))
                    return {kResultTableCorrupted, 0};
                import->lastNumber = change.number;
                auto& put = import->puts.emplace_back();
                put.first = change.number;
                for (std::size_t i = 0; i < kTextFieldCount; ++i)
                    put.second[i].assign(change.texts[i]);
            } else if (import && change.kind == Change::Kind::kImportEnd) {
                if (change.number != import->count || import->puts.size() != static_cast<std::size_t>(import->count))
                    return {kResultTableCorrupted, 0};
                for (const auto& [number, texts] : import->puts) {
                    Change put{Change::Kind::kPut, number, {}};
                    for (std::size_t i = 0; i < kTextFieldCount; ++i)
                        put.texts[i] = texts[i];
                    Apply(put, store);
                }
                import.reset();
            } else if (import || !Apply(change, store)) {
                return {kResultTableCorrupted, 0};
            }
            pos += entry.size;
            continue;
        }
        if (entry.state == EntryState::kMalformed || !TornTail(bytes, size - pos))
            return {kResultTableCorrupted, 0};
        const std::uint64_t cut = import ? import->start : pos;
        if (std::int32_t code = CutTo(file, cut); code != 0)
            return {code, 0};
        return {0, size - cut};
    }
    if (import) {
        // The engine stopped before the import was complete: it never happened.
        if (std::int32_t code = CutTo(file, import->start); code != 0)
            return {code, 0};
        return {0, size - import->start};
    }
    return {0, 0};
}

namespace {

using Texts = std::array<std::string, kTextFieldCount>;

// The records a damaged table still gives, gathered in number order.
struct Salvage {
    std::map<std::int32_t, Texts> records;
    std::int32_t highest = 0;
    std::uint64_t lost = 0;
    // An import whose puts are held until its end entry.
    bool importing = false;
    std::vector<std::pair<std::int32_t, Texts>> importPuts;

    void Keep(std::int32_t number, Texts texts)
    {
        highest = std::max(highest, number);
        records[number] = std::move(texts);
    }
    // An import cut short by damage had been acknowledged when anything follows it: its intact puts count.
    void CloseImport()
    {
        for (auto& [number, texts] : importPuts)
            Keep(number, std::move(texts));
        importPuts.clear();
        importing = false;
    }
    void Take(const Change& change)
    {
        switch (change.kind) {
        case Change::Kind::kPut: {
            Texts texts;
            for (std::size_t i = 0; i < kTextFieldCount; ++i)
                texts[i].assign(change.texts[i]);
            if (importing)
                importPuts.emplace_back(change.number, std::move(texts));
            else
                Keep(change.number, std::move(texts));
            break;
        }
        case Change::Kind::kDelete:
            highest = std::max(highest, change.number);
            records.erase(change.number);
            break;
        case Change::Kind::kImportStart:
            CloseImport();
            importing = true;
            break;
        case Change::Kind::kImportEnd:
            CloseImport();
            break;
        }
    }
};

// Appends entries to a file in large pieces.
class BatchWriter {
public:
    explicit BatchWriter(TableFile& file) : m_file(file) { m_buffer.reserve(kReadChunk); }
    void Add(std::span<const std::uint8_t> bytes)
    {
        if (m_buffer.size() + bytes.size() > kReadChunk)
            Drain();
        m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    }
    IoStatus Finish()
    {
        Drain();
        return m_status == IoStatus::kOk ? m_file.Flush() : m_status;
    }

private:
    void Drain()
    {
        if (m_status == IoStatus::kOk && !m_buffer.empty())
            m_status = m_file.Append(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }
    TableFile& m_file;
    std::vector<std::uint8_t> m_buffer;
    IoStatus m_status = IoStatus::kOk;
};

}  // namespace

std::uint64_t CompactTableSize(const RecordStore& store)
{
    // A put's frame, tag, number and six text lengths, then the texts.
    constexpr std::uint64_t kPutOverhead = kFrameSize + 1 + 4 + 2 * kTextFieldCount;
    return kHeaderSize + store.LiveCount() * kPutOverhead + store.LiveTextLength();
}

IoStatus WriteCompactTable(const RecordStore& store, TableFile& fresh)
{
    BatchWriter out(fresh);
    out.Add(EncodeHeader());
    EntryBuilder builder;
    std::int32_t last = 0;
    for (std::size_t slot = store.NextLive(0); slot != RecordStore::kNoSlot; slot = store.NextLive(slot + 1)) {
        last = store.NumberAt(slot);
        out.Add(builder.Put(last, store.TextsAt(slot)));
    }
    if (store.HighestNumber() > last) {
        // The highest number went to a record since deleted: record that it was given.
        out.Add(builder.Put(store.HighestNumber(), RecordTexts{}));
        out.Add(builder.Delete(store.HighestNumber()));
    }
    return out.Finish();
}

RepairReport RepairTable(TableFile& damaged, TableFile& fresh)
{
    const std::uint64_t size = damaged.Size();
    if (size >= kHeaderSize) {
        // A table of a newer format is not damaged; it is not ours to rewrite.
        std::uint8_t header[kHeaderSize];
        if (damaged.Read(0, header, kHeaderSize) != IoStatus::kOk)
            return {kResultSystemError, 0, 0};
        if (std::memcmp(header, kMagic, sizeof kMagic) == 0 &&
            Get32(header + 12) == Crc32(std::span<const std::uint8_t>(header, 12)) &&
            Get32(header + 8) != kTableVersion)
            return {kResultUnknownVersion, 0, 0};
    }
    Salvage salvage;
    ChunkReader reader(damaged);
    bool readFailed = false;
    std::uint64_t pos = kHeaderSize;
    while (pos < size) {
        const auto bytes = reader.At(pos, kMaxEntrySize + 1, readFailed);
        if (readFailed)
            return {kResultSystemError, 0, 0};
        const DecodedEntry entry = DecodeEntry(bytes);
        if (entry.state == EntryState::kSound) {
            salvage.Take(entry.change);
            pos += entry.size;
            continue;
        }
        if (entry.state == EntryState::kMalformed) {
            ++salvage.lost;
            pos += entry.size;
            continue;
        }
        // A damaged stretch: it ends where the next intact entry starts, or at the end of the file.
        std::uint64_t next = pos + 1;
        for (; next < size; ++next) {
            const auto from = reader.At(next, kMaxEntrySize, readFailed);
            if (readFailed)
                return {kResultSystemError, 0, 0};
            if (DecodeEntry(from).state == EntryState::kSound)
                break;
        }
        // The entry being written when the engine stopped was never acknowledged: it is not counted as lost.
        if (next == size && entry.state == EntryState::kIncomplete)
            break;
        // Count the entries the stretch held, as far as their length fields still step through it.
        std::uint64_t at = pos;
        do {
            ++salvage.lost;
            const auto here = reader.At(at, kMaxEntrySize, readFailed);
            if (readFailed)
                return {kResultSystemError, 0, 0};
            const std::size_t length = DecodeEntry(here).size;
            if (length == 0 || at + length >= next)
                break;
            at += length;
        } while (at < next);
        if (salvage.importing)
            salvage.CloseImport();
        pos = next;
    }
    // An import the file ends in, unfinished, never happened.
    salvage.importPuts.clear();

    BatchWriter out(fresh);
    out.Add(EncodeHeader());
    EntryBuilder builder;
    for (const auto& [number, texts] : salvage.records) {
        RecordTexts views;
        for (std::size_t i = 0; i < kTextFieldCount; ++i)
            views[i] = texts[i];
        out.Add(builder.Put(number, views));
    }
    if (salvage.highest > 0 && (salvage.records.empty() || salvage.records.rbegin()->first < salvage.highest)) {
        // The highest number went to a record since deleted: record that it was given.
        out.Add(builder.Put(salvage.highest, RecordTexts{}));
        out.Add(builder.Delete(salvage.highest));
    }
    if (const IoStatus status = out.Finish(); status != IoStatus::kOk)
        return {ResultFor(status), 0, 0};
    return {0, salvage.records.size(), salvage.lost};
}

}  // namespace kspdx

// RecordStore: slots in record-number order, tombstones, texts in blocks, shared locations, the file-name index.
#include "kspdx/record_store.h"

#include "engine/record_batch.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace kspdx {

CaseFold CaseFold::Western()
{
    std::array<unsigned char, 256> upper{};
    for (int c = 0; c < 256; ++c)
        upper[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        upper[c] = static_cast<unsigned char>(c - 0x20);
    // Western ANSI: a-grave .. thorn fold 0x20 down, except the division sign; four letters sit elsewhere.
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)
            upper[c] = static_cast<unsigned char>(c - 0x20);
    upper[0x9A] = 0x8A;  // s caron
    upper[0x9C] = 0x8C;  // oe
    upper[0x9E] = 0x8E;  // z caron
    upper[0xFF] = 0x9F;  // y diaeresis
    return CaseFold(upper);
}

void CaseFold::Fold(std::string_view text, std::string& out) const
{
    out.resize(text.size());
    std::transform(text.begin(), text.end(), out.begin(),
                   [this](char c) { return static_cast<char>(m_upper[static_cast<unsigned char>(c)]); });
}

namespace {

// A record's texts in its block: the lengths of FileName, DownloadDate, Title and Keywords (a byte each), of
// the Abstract (two bytes), the location's id (four), then those five texts back to back. The location's
// text lies in the location table.
constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kLocationIndex = 4;  // RecordTexts position of Location
// The texts in the block, in the order they lie there: every field but Location.
constexpr std::size_t kBlockOrder[] = {0, 1, 2, 3, 5};

}  // namespace

std::uint32_t RecordStore::Blocks::Allocate(std::size_t size)
{
    if (m_used + size > kBlockSize) {
        // References carry the block number in their upper twelve bits.
        if (m_blocks.size() >= (std::size_t{1} << (32 - kBlockBits)) - 1)
            throw std::bad_alloc();
        m_blocks.emplace_back(new unsigned char[kBlockSize]);
        m_used = 0;
    }
    const auto ref = static_cast<std::uint32_t>(((m_blocks.size() - 1) << kBlockBits) | m_used);
    m_used += size;
    return ref;
}

RecordStore::RecordStore(CaseFold fold) : m_fold(fold)
{
    m_scratch.reserve(kFileNameSize);
}

RecordStore::Stored RecordStore::Decode(std::uint32_t ref) const
{
    const unsigned char* at = m_blocks.At(ref);
    Stored stored{};
    const std::size_t lengths[] = {at[0], at[1], at[2], at[3], static_cast<std::size_t>(at[4] | at[5] << 8)};
    stored.location = static_cast<std::uint32_t>(at[6]) | static_cast<std::uint32_t>(at[7]) << 8 |
                      static_cast<std::uint32_t>(at[8]) << 16 | static_cast<std::uint32_t>(at[9]) << 24;
    const char* text = reinterpret_cast<const char*>(at + kHeaderSize);
    for (std::size_t i = 0; i < std::size(kBlockOrder); ++i) {
        stored.text[kBlockOrder[i]] = std::string_view(text, lengths[i]);
        text += lengths[i];
    }
    stored.text[kLocationIndex] = *m_locationTexts[stored.location];
    stored.size = static_cast<std::uint32_t>(text - reinterpret_cast<const char*>(at));
    return stored;
}

std::size_t RecordStore::Find(std::int32_t number) const
{
    const auto at = std::lower_bound(m_slots.begin(), m_slots.end(), number,
                                     [](const Slot& slot, std::int32_t n) { return slot.number < n; });
    if (at == m_slots.end() || at->number != number || at->ref == kNoRef)
        return kNoSlot;
    return static_cast<std::size_t>(at - m_slots.begin());
}

std::size_t RecordStore::NextLive(std::size_t slot) const
{
    for (; slot < m_slots.size(); ++slot)
        if (m_slots[slot].ref != kNoRef)
            return slot;
    return kNoSlot;
}

std::size_t RecordStore::After(std::int32_t number) const
{
    const auto at = std::upper_bound(m_slots.begin(), m_slots.end(), number,
                                     [](std::int32_t n, const Slot& slot) { return n < slot.number; });
    return static_cast<std::size_t>(at - m_slots.begin());
}

std::string_view RecordStore::NameAt(std::size_t slot) const
{
    const unsigned char* at = m_blocks.At(m_slots[slot].ref);
    return {reinterpret_cast<const char*>(at + kHeaderSize), at[0]};
}

std::uint32_t RecordStore::Hash(std::string_view name) const
{
    // FNV-1a over the folded letters.
    std::uint32_t hash = 2166136261u;
    for (char c : name)
        hash = (hash ^ m_fold.Upper(c)) * 16777619u;
    return hash;
}

std::size_t RecordStore::Home(std::string_view name) const
{
    return static_cast<std::size_t>((static_cast<std::uint64_t>(Hash(name)) * m_cells.size()) >> 32);
}

bool RecordStore::SameName(std::string_view folded, std::string_view name) const
{
    if (folded.size() != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (static_cast<unsigned char>(folded[i]) != m_fold.Upper(name[i]))
            return false;
    return true;
}

bool RecordStore::NameExists(std::string_view name) const
{
    if (m_indexed == 0)
        return false;
    m_fold.Fold(name, m_scratch);
    for (std::size_t cell = Home(name);; cell = cell + 1 == m_cells.size() ? 0 : cell + 1) {
        if (m_cells[cell] == kNoCell)
            return false;
        if (SameName(m_scratch, NameAt(m_cells[cell])))
            return true;
    }
}

void RecordStore::GrowIndex(std::size_t count)
{
    // At most three quarters full, so that a probe meets an empty cell soon.
    const std::size_t wanted = m_indexed + count;
    if (wanted * 4 <= m_cells.size() * 3)
        return;
    std::vector<std::uint32_t> cells(std::max<std::size_t>(64, wanted * 2), kNoCell);
    m_cells.swap(cells);
    RebuildIndex();
}

void RecordStore::IndexInsert(std::size_t slot) noexcept
{
    std::size_t cell = Home(NameAt(slot));
    while (m_cells[cell] != kNoCell)
        cell = cell + 1 == m_cells.size() ? 0 : cell + 1;
    m_cells[cell] = static_cast<std::uint32_t>(slot);
    ++m_indexed;
}

void RecordStore::IndexRemove(std::size_t slot) noexcept
{
    std::size_t cell = Home(NameAt(slot));
    while (m_cells[cell] != slot)
        cell = cell + 1 == m_cells.size() ? 0 : cell + 1;
    // Backward shift: every later entry of the run that may sit at the freed cell moves into it, so a probe
    // never stops at a gap before its entry.
    std::size_t hole = cell;
    for (std::size_t next = hole + 1 == m_cells.size() ? 0 : hole + 1; m_cells[next] != kNoCell;
         next = next + 1 == m_cells.size() ? 0 : next + 1) {
        const std::size_t home = Home(NameAt(m_cells[next]));
        // The entry may move back to the hole when its home does not lie cyclically in (hole, next].
        const bool between = hole < next ? (home > hole && home <= next) : (home > hole || home <= next);
        if (!between) {
            m_cells[hole] = m_cells[next];
            hole = next;
        }
    }
    m_cells[hole] = kNoCell;
    --m_indexed;
}

void RecordStore::RebuildIndex() noexcept
{
    std::fill(m_cells.begin(), m_cells.end(), kNoCell);
    m_indexed = 0;
    for (std::size_t slot = 0; slot < m_slots.size(); ++slot)
        if (m_slots[slot].ref != kNoRef)
            IndexInsert(slot);
}

void RecordStore::CopyOut(std::size_t slot, FileRecord& record) const
{
    record.RecordNumber = m_slots[slot].number;
    const Stored stored = Decode(m_slots[slot].ref);
    auto* bytes = reinterpret_cast<char*>(&record);
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        const TextField& field = kTextFields[i];
        const std::string_view text = stored.text[i];
        std::memcpy(bytes + field.offset, text.data(), text.size());
        std::memset(bytes + field.offset + text.size(), 0, field.size - text.size());
    }
}

RecordTexts RecordStore::TextsAt(std::size_t slot) const
{
    const Stored stored = Decode(m_slots[slot].ref);
    RecordTexts texts;
    for (std::size_t i = 0; i < kTextFieldCount; ++i)
        texts[i] = stored.text[i];
    return texts;
}

bool RecordStore::AppendBatchEntry(std::size_t slot, std::span<std::uint8_t> area, std::size_t& used) const
{
    const Stored stored = Decode(m_slots[slot].ref);
    return ::AppendBatchEntry(area, used, m_slots[slot].number, stored.text);
}

RecordStore::Pending RecordStore::Prepare(const RecordTexts& texts)
{
    Pending pending;
    std::size_t size = kHeaderSize;
    for (std::size_t i : kBlockOrder)
        size += texts[i].size();
    // Everything that may allocate comes first: the slot's room, the index's, the block's, the location's.
    if (m_slots.size() == m_slots.capacity())
        m_slots.reserve(std::max<std::size_t>(64, m_slots.capacity() * 2));
    GrowIndex(1);
    const std::uint32_t ref = m_blocks.Allocate(size);

    const std::string_view location = texts[kLocationIndex];
    auto found = m_locations.find(location);
    if (found == m_locations.end()) {
        const bool reused = !m_freeLocations.empty();
        const auto id = reused ? m_freeLocations.back() : static_cast<std::uint32_t>(m_locationTexts.size());
        if (!reused) {
            m_locationTexts.push_back(nullptr);
            // An id given back later goes onto the free list without allocating.
            m_freeLocations.reserve(m_locationTexts.size());
        }
        found = m_locations.emplace(std::string(location), Location{id, 0}).first;
        if (reused)
            m_freeLocations.pop_back();
        m_locationTexts[id] = &found->first;
    }
    pending.location = found->second.id;

    unsigned char* at = m_blocks.At(ref);
    at[0] = static_cast<unsigned char>(texts[0].size());
    at[1] = static_cast<unsigned char>(texts[1].size());
    at[2] = static_cast<unsigned char>(texts[2].size());
    at[3] = static_cast<unsigned char>(texts[3].size());
    at[4] = static_cast<unsigned char>(texts[5].size());
    at[5] = static_cast<unsigned char>(texts[5].size() >> 8);
    for (int i = 0; i < 4; ++i)
        at[6 + i] = static_cast<unsigned char>(pending.location >> (8 * i));
    unsigned char* out = at + kHeaderSize;
    for (std::size_t i : kBlockOrder) {
        if (!texts[i].empty())
            std::memcpy(out, texts[i].data(), texts[i].size());
        out += texts[i].size();
    }
    pending.ref = ref;
    pending.size = static_cast<std::uint32_t>(size);
    pending.textLength = static_cast<std::uint32_t>(size - kHeaderSize + location.size());
    return pending;
}

void RecordStore::ReleaseLocation(std::uint32_t id) noexcept
{
    const std::string* text = m_locationTexts[id];
    const auto entry = m_locations.find(std::string_view(*text));
    if (entry == m_locations.end() || entry->second.uses > 0)
        return;
    m_locations.erase(entry);
    m_locationTexts[id] = nullptr;
    m_freeLocations.push_back(id);  // room reserved when the id was made
}

void RecordStore::Abandon(Pending& pending) noexcept
{
    m_leftBehind += pending.size;
    ReleaseLocation(pending.location);
}

void RecordStore::Reserve(std::size_t count)
{
    m_slots.reserve(m_slots.size() + count);
    GrowIndex(count);
}

void RecordStore::Abandon(std::span<Pending> pendings) noexcept
{
    // Count every use first: a location then goes only with the last of the changes that share it.
    for (Pending& pending : pendings)
        ++m_locations.find(*m_locationTexts[pending.location])->second.uses;
    for (Pending& pending : pendings) {
        --m_locations.find(*m_locationTexts[pending.location])->second.uses;
        Abandon(pending);
    }
}

void RecordStore::CommitAdd(std::int32_t number, Pending& pending) noexcept
{
    ++m_locations.find(*m_locationTexts[pending.location])->second.uses;
    m_slots.push_back(Slot{number, pending.ref});
    IndexInsert(m_slots.size() - 1);
    ++m_live;
    m_liveBytes += pending.size;
    m_liveTextLength += pending.textLength;
    m_highest = number;
}

void RecordStore::CommitUpdate(std::size_t slot, Pending& pending) noexcept
{
    // The new location is counted first: when it equals the old one, it must not vanish in between.
    ++m_locations.find(*m_locationTexts[pending.location])->second.uses;
    const Stored old = Decode(m_slots[slot].ref);
    const std::uint32_t oldLength = old.textLength();
    IndexRemove(slot);
    m_slots[slot].ref = pending.ref;
    IndexInsert(slot);
    --m_locations.find(*m_locationTexts[old.location])->second.uses;
    ReleaseLocation(old.location);
    m_liveBytes += pending.size;
    m_liveBytes -= old.size;
    m_liveTextLength += pending.textLength;
    m_liveTextLength -= oldLength;
    m_leftBehind += old.size;
}

void RecordStore::Delete(std::size_t slot) noexcept
{
    const Stored old = Decode(m_slots[slot].ref);
    const std::uint32_t oldLength = old.textLength();
    IndexRemove(slot);
    m_slots[slot].ref = kNoRef;
    --m_locations.find(*m_locationTexts[old.location])->second.uses;
    ReleaseLocation(old.location);
    m_liveBytes -= old.size;
    m_liveTextLength -= oldLength;
    m_leftBehind += old.size;
    --m_live;
}

bool RecordStore::ShouldCompact() const
{
    const std::size_t dead = m_slots.size() - m_live;
    return dead > 1024 && dead > m_live;
}

void RecordStore::Compact(std::span<std::size_t* const> positions) noexcept
{
    std::size_t kept = 0;
    for (std::size_t slot = 0; slot <= m_slots.size(); ++slot) {
        for (std::size_t* position : positions)
            if (*position == slot)
                *position = kept;
        if (slot < m_slots.size() && m_slots[slot].ref != kNoRef)
            m_slots[kept++] = m_slots[slot];
    }
    m_slots.resize(kept);
    // The index holds slot numbers, which have moved.
    RebuildIndex();
}

bool RecordStore::ShouldCompactTexts() const
{
    return m_leftBehind > kBlockSize && m_leftBehind > m_liveBytes;
}

void RecordStore::CompactTexts()
{
    Blocks fresh;
    std::vector<std::uint32_t> refs;
    refs.reserve(m_slots.size());
    for (const Slot& slot : m_slots) {
        if (slot.ref == kNoRef) {
            refs.push_back(kNoRef);
            continue;
        }
        const std::uint32_t size = Decode(slot.ref).size;
        const std::uint32_t ref = fresh.Allocate(size);
        std::memcpy(fresh.At(ref), m_blocks.At(slot.ref), size);
        refs.push_back(ref);
    }
    // Nothing below allocates.
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        m_slots[i].ref = refs[i];
    m_blocks.Swap(fresh);
    m_leftBehind = 0;
}

}  // namespace kspdx

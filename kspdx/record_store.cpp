// RecordStore: slots in record-number order, tombstones, the file-name index, and copying records out.
#include "kspdx/record_store.h"

#include <algorithm>
#include <cstring>
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

// The file name is the first of the packed texts.
std::string_view PackedName(const std::string& texts)
{
    return {texts.c_str()};
}

}  // namespace

RecordStore::RecordStore(CaseFold fold) : m_fold(fold)
{
    m_scratch.reserve(kFileNameSize);
}

std::size_t RecordStore::Find(std::int32_t number) const
{
    const auto at = std::lower_bound(m_slots.begin(), m_slots.end(), number,
                                     [](const Slot& slot, std::int32_t n) { return slot.number < n; });
    if (at == m_slots.end() || at->number != number || !at->live)
        return kNoSlot;
    return static_cast<std::size_t>(at - m_slots.begin());
}

std::size_t RecordStore::NextLive(std::size_t slot) const
{
    for (; slot < m_slots.size(); ++slot)
        if (m_slots[slot].live)
            return slot;
    return kNoSlot;
}

bool RecordStore::NameExists(std::string_view name) const
{
    m_fold.Fold(name, m_scratch);
    return m_names.find(m_scratch) != m_names.end();
}

void RecordStore::CopyOut(std::size_t slot, FileRecord& record) const
{
    const Slot& from = m_slots[slot];
    record.RecordNumber = from.number;
    const char* text = from.texts.data();
    auto* bytes = reinterpret_cast<char*>(&record);
    for (const TextField& field : kTextFields) {
        const std::size_t length = std::strlen(text);
        std::memcpy(bytes + field.offset, text, length);
        std::memset(bytes + field.offset + length, 0, field.size - length);
        text += length + 1;
    }
}

RecordStore::Pending RecordStore::Prepare(const RecordTexts& texts)
{
    Pending pending;
    std::size_t total = 0;
    for (std::string_view text : texts)
        total += text.size() + 1;
    pending.texts.reserve(total);
    for (std::string_view text : texts) {
        pending.texts.append(text);
        pending.texts.push_back('\0');
    }
    // Grow geometrically here, so CommitAdd's push_back never has to allocate.
    if (m_slots.size() == m_slots.capacity())
        m_slots.reserve(std::max<std::size_t>(64, m_slots.capacity() * 2));
    m_fold.Fold(texts[0], m_scratch);
    pending.name = m_names.try_emplace(m_scratch, 0).first;
    return pending;
}

void RecordStore::Abandon(Pending& pending) noexcept
{
    if (pending.name->second == 0)
        m_names.erase(pending.name);
}

void RecordStore::Reserve(std::size_t count)
{
    m_slots.reserve(m_slots.size() + count);
    m_names.reserve(m_names.size() + count);
}

void RecordStore::Abandon(std::span<Pending> pendings) noexcept
{
    // Count every use first: a name's entry then goes only with the last of the changes that share it.
    for (Pending& pending : pendings)
        ++pending.name->second;
    for (Pending& pending : pendings)
        if (--pending.name->second == 0)
            m_names.erase(pending.name);
}

void RecordStore::CommitAdd(std::int32_t number, Pending& pending) noexcept
{
    ++pending.name->second;
    m_slots.push_back(Slot{number, true, std::move(pending.texts)});
    ++m_live;
    m_highest = number;
}

void RecordStore::CommitUpdate(std::size_t slot, Pending& pending) noexcept
{
    // Count the new name first: when it equals the old one, the entry must not vanish in between.
    ++pending.name->second;
    ReleaseName(PackedName(m_slots[slot].texts));
    m_slots[slot].texts = std::move(pending.texts);
}

void RecordStore::Delete(std::size_t slot) noexcept
{
    Slot& gone = m_slots[slot];
    ReleaseName(PackedName(gone.texts));
    gone.live = false;
    std::string().swap(gone.texts);
    --m_live;
}

void RecordStore::ReleaseName(std::string_view name) noexcept
{
    m_fold.Fold(name, m_scratch);
    const auto entry = m_names.find(m_scratch);
    if (--entry->second == 0)
        m_names.erase(entry);
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
        if (slot < m_slots.size() && m_slots[slot].live) {
            if (kept != slot)
                m_slots[kept] = std::move(m_slots[slot]);
            ++kept;
        }
    }
    m_slots.erase(m_slots.begin() + static_cast<std::ptrdiff_t>(kept), m_slots.end());
}

}  // namespace kspdx

// RecordStore: the table's records in memory, in record-number order, with a letter-case-blind file-name index.
#pragma once

#include "engine/file_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kspdx {

// Letter-case folding for file-name lookups, so names compare as the store directory's file system compares
// them. The default folds ASCII and the accented letters of the Western ANSI code page; the engine program may
// build its table from the running system's code page instead.
class CaseFold {
public:
    // upper[c] is the letter c compares as.
    explicit CaseFold(const std::array<unsigned char, 256>& upper) : m_upper(upper) {}
    static CaseFold Western();

    void Fold(std::string_view text, std::string& out) const;

private:
    std::array<unsigned char, 256> m_upper;
};

// The six texts of a record in record order, each without terminator.
using RecordTexts = std::array<std::string_view, kTextFieldCount>;

// Holds the records as slots sorted by record number; a deleted record leaves a tombstone until Compact, so
// a slot index stays a valid walk position across deletes. Texts are kept without their undefined tails.
class RecordStore {
public:
    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

    // A change made ready: everything it needs is allocated, so committing it cannot fail.
    class Pending {
        friend class RecordStore;
        std::string texts;
        std::unordered_map<std::string, std::uint32_t>::iterator name;
    };

    explicit RecordStore(CaseFold fold);

    std::size_t LiveCount() const { return m_live; }
    std::size_t SlotCount() const { return m_slots.size(); }
    std::int32_t NumberAt(std::size_t slot) const { return m_slots[slot].number; }
    // The highest number any record was ever added with, deleted ones included; 0 for none.
    std::int32_t HighestNumber() const { return m_highest; }

    // The live slot holding number, or kNoSlot.
    std::size_t Find(std::int32_t number) const;
    // The first live slot at or after slot, or kNoSlot.
    std::size_t NextLive(std::size_t slot) const;
    // Some live record has this file name, ignoring letter case.
    bool NameExists(std::string_view name) const;
    // Writes the slot's number and texts into record, each text with its terminator and zeros after it.
    // RecordCount is left as it was.
    void CopyOut(std::size_t slot, FileRecord& record) const;

    // Changes are made in two steps, so that a change the disk refused can be dropped without trace:
    // Prepare (may throw std::bad_alloc), then exactly one of Abandon or a Commit. Each text must be shorter
    // than its field and hold no zero byte.
    Pending Prepare(const RecordTexts& texts);
    void Abandon(Pending& pending) noexcept;
    // Several changes prepared in a row: call Reserve(count) first, so that no Prepare moves what an earlier
    // Pending refers to and the CommitAdds do not allocate; drop them all at once with this Abandon, since
    // several may share one file name.
    void Reserve(std::size_t count);
    void Abandon(std::span<Pending> pendings) noexcept;
    // number must be above HighestNumber().
    void CommitAdd(std::int32_t number, Pending& pending) noexcept;
    void CommitUpdate(std::size_t slot, Pending& pending) noexcept;
    void Delete(std::size_t slot) noexcept;

    // Tombstones outnumber live records enough that dropping them pays.
    bool ShouldCompact() const;
    // Drops the tombstones. Each position is moved to the same record, or (for a tombstone or the end) to the
    // first live record after it; kNoSlot stays kNoSlot.
    void Compact(std::span<std::size_t* const> positions) noexcept;

private:
    struct Slot {
        std::int32_t number;
        bool live;
        std::string texts;  // the six texts, each followed by a zero
    };

    void ReleaseName(std::string_view texts) noexcept;

    CaseFold m_fold;
    std::vector<Slot> m_slots;
    std::size_t m_live = 0;
    std::int32_t m_highest = 0;
    // Folded file name -> number of live records with it.
    std::unordered_map<std::string, std::uint32_t> m_names;
    // Reused for folding, so lookups do not allocate.
    mutable std::string m_scratch;
};

}  // namespace kspdx

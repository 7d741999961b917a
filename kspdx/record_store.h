// RecordStore: the table's records in memory, in record-number order, with a letter-case-blind file-name index.
#pragma once

#include "engine/file_record.h"

#include <array>
#include <functional>
#include <cstddef>
#include <cstdint>
#include <memory>
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
    unsigned char Upper(char c) const { return m_upper[static_cast<unsigned char>(c)]; }

private:
    std::array<unsigned char, 256> m_upper;
};

// The six texts of a record in record order, each without terminator.
using RecordTexts = std::array<std::string_view, kTextFieldCount>;

// Holds the records as slots sorted by record number; a deleted record leaves a tombstone until Compact, so
// a slot index stays a valid walk position across deletes.
//
// Memory is what a large catalogue is bounded by, so a record costs little beyond its texts: a slot is its
// number and where its texts lie; the texts sit back to back in large blocks, without their undefined tails,
// behind one length byte each (two for the abstract); the location, which nearly every record shares with
// many others (KS_STORE), is kept once and named by a number; the file-name index holds slot numbers only.
// A changed or deleted record leaves its old texts behind until CompactTexts.
class RecordStore {
public:
    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

    // A change made ready: everything it needs is allocated, so committing it cannot fail.
    class Pending {
        friend class RecordStore;
        std::uint32_t ref = kNoRef;
        std::uint32_t location = kNoRef;
        std::uint32_t size = 0;
        std::uint32_t textLength = 0;
    };

    explicit RecordStore(CaseFold fold);
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    std::size_t LiveCount() const { return m_live; }
    std::size_t SlotCount() const { return m_slots.size(); }
    std::int32_t NumberAt(std::size_t slot) const { return m_slots[slot].number; }
    // The highest number any record was ever added with, deleted ones included; 0 for none.
    std::int32_t HighestNumber() const { return m_highest; }

    // The live slot holding number, or kNoSlot.
    std::size_t Find(std::int32_t number) const;
    // The first live slot at or after slot, or kNoSlot.
    std::size_t NextLive(std::size_t slot) const;
    // The first slot holding a number above number (live or not), or SlotCount().
    std::size_t After(std::int32_t number) const;
    // Some live record has this file name, ignoring letter case.
    bool NameExists(std::string_view name) const;
    // Writes the slot's number and texts into record, each text with its terminator and zeros after it.
    // RecordCount is left as it was.
    void CopyOut(std::size_t slot, FileRecord& record) const;
    // The live slot's texts; the views hold until the next change.
    RecordTexts TextsAt(std::size_t slot) const;
    // Appends the live slot's entry of a batch reply (engine/record_batch.h) at used; false when area has no
    // room left for it.
    bool AppendBatchEntry(std::size_t slot, std::span<std::uint8_t> area, std::size_t& used) const;

    // Changes are made in two steps, so that a change the disk refused can be dropped without trace:
    // Prepare (may throw std::bad_alloc), then exactly one of Abandon or a Commit. Each text must be shorter
    // than its field and hold no zero byte.
    Pending Prepare(const RecordTexts& texts);
    void Abandon(Pending& pending) noexcept;
    // Several changes prepared in a row: call Reserve(count) first, so that the CommitAdds do not allocate;
    // drop them all at once with this Abandon, since several may share one location.
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

    // The old texts of changed and deleted records take more room than the live ones.
    bool ShouldCompactTexts() const;
    // Moves the live texts together into new blocks and frees the old ones; may throw std::bad_alloc, and then
    // leaves everything as it was.
    void CompactTexts();
    // Bytes the texts of the live records take, and the bytes left behind by changes.
    std::uint64_t LiveTextBytes() const { return m_liveBytes; }
    std::uint64_t LeftBehindBytes() const { return m_leftBehind; }
    // The six texts' lengths summed over the live records.
    std::uint64_t LiveTextLength() const { return m_liveTextLength; }

private:
    static constexpr std::uint32_t kNoRef = 0xFFFFFFFFu;
    static constexpr std::uint32_t kNoCell = 0xFFFFFFFFu;
    static constexpr std::size_t kBlockBits = 20;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;

    struct Slot {
        std::int32_t number;
        std::uint32_t ref;  // where the texts lie; kNoRef for a tombstone
    };
    // The texts of one record, decoded from their block.
    struct Stored {
        std::string_view text[kTextFieldCount];
        std::uint32_t location;
        std::uint32_t size;  // bytes in the block
        std::uint32_t textLength() const
        {
            std::size_t sum = 0;
            for (std::string_view t : text)
                sum += t.size();
            return static_cast<std::uint32_t>(sum);
        }
    };
    struct Location {
        std::uint32_t id;
        std::uint32_t uses;  // committed records naming it
    };

    // Blocks of text bytes, filled one after another; a reference is block number and offset.
    class Blocks {
    public:
        // Room for size bytes (may throw); returns its reference.
        std::uint32_t Allocate(std::size_t size);
        unsigned char* At(std::uint32_t ref) { return m_blocks[ref >> kBlockBits].get() + (ref & (kBlockSize - 1)); }
        const unsigned char* At(std::uint32_t ref) const
        {
            return m_blocks[ref >> kBlockBits].get() + (ref & (kBlockSize - 1));
        }
        void Swap(Blocks& other) noexcept
        {
            m_blocks.swap(other.m_blocks);
            std::swap(m_used, other.m_used);
        }

    private:
        std::vector<std::unique_ptr<unsigned char[]>> m_blocks;
        std::size_t m_used = kBlockSize;  // bytes used in the last block
    };

    Stored Decode(std::uint32_t ref) const;
    std::uint32_t Hash(std::string_view name) const;
    bool SameName(std::string_view folded, std::string_view name) const;
    std::size_t Home(std::string_view name) const;
    std::string_view NameAt(std::size_t slot) const;
    // The name index: open addressing with linear probing over slot numbers; Grow keeps room for count more.
    void GrowIndex(std::size_t count);
    void IndexInsert(std::size_t slot) noexcept;
    void IndexRemove(std::size_t slot) noexcept;
    void RebuildIndex() noexcept;
    void ReleaseLocation(std::uint32_t id) noexcept;

    CaseFold m_fold;
    std::vector<Slot> m_slots;
    std::size_t m_live = 0;
    std::int32_t m_highest = 0;
    Blocks m_blocks;
    std::uint64_t m_liveBytes = 0;
    std::uint64_t m_leftBehind = 0;
    std::uint64_t m_liveTextLength = 0;
    std::vector<std::uint32_t> m_cells;  // slot numbers, kNoCell where empty
    std::size_t m_indexed = 0;
    // Locations by text, and by id (null for an id free again).
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, Location, TextHash, std::equal_to<>> m_locations;
    std::vector<const std::string*> m_locationTexts;
    std::vector<std::uint32_t> m_freeLocations;
    // Reused for folding, so lookups do not allocate.
    mutable std::string m_scratch;
};

}  // namespace kspdx

// The record table's file format: a checksummed log of changes, its entry codec, and loading it at start-up.
//
// Layout (every integer little-endian):
//
//   header, 16 bytes
//      0  8  magic: "KSTABLE" and 0x1A
//      8  4  format version: 1
//     12  4  CRC-32 of bytes 0..11
//   then one entry per acknowledged change, in order; each is flushed to the disk before the engine replies
//      0  4  payload length n, 1 .. kMaxPayloadSize
//      4  4  CRC-32 of the length field and the payload
//      8  n  payload, one of
//            put:    u8 1, i32 record number, then the six texts in record order (FileName, DownloadDate,
//                    Title, Keywords, Location, Abstract), each a u16 length and its bytes: no terminator,
//                    none of the undefined bytes after it
//            delete: u8 2, i32 record number
//            import: u8 3, i32 count n > 0: the next n entries are puts of new records that count only once
//                    the closing entry below follows them; a log that ends before it has never held them
//            import end: u8 4, i32 the same n
//
// Replay: a put whose number is above every earlier put's adds a record; any other put rewrites a live
// record. A delete removes a live record. Numbers are never reused: the next record is numbered one above the
// highest number any put carried, so deleting the last record and restarting does not free its number.
//
// An import is written with one append and one flush, so a crash half way leaves a prefix of it at the end
// of the file; replay cuts such an unfinished import away, durably, before anything new is appended.
//
// Recovery: only the last entry can be incomplete, since each is flushed before the next is written. An entry
// that runs past the end of the file or fails its checksum is a torn tail and is cut away, durably, before
// anything new is appended (appending after it would hide every later entry). If more than one entry's worth
// of bytes follows its start, or a sound entry starts anywhere after it, the damage lies inside the log: the
// table is refused as corrupted and left untouched, rather than cut back past acknowledged changes; the program
// then offers the repair below. A sound
// entry that does not make sense (a put or delete of a record that is not there) is refused the same way.
//
// Repair: a table refused as damaged can be rebuilt from what is still readable. Entries are checksummed, so
// after a damaged stretch the reader finds the next intact entry by trying each following offset. Every intact
// put keeps its record (an update's put holds the whole record, so even a record whose adding entry was lost
// survives), intact deletes remove theirs, and the new table holds one put per record in number order; when
// the highest number ever given belongs to a deleted record, a put and a delete of it keep it from reuse.
//
// Compaction: the log grows by one entry per change, so a catalogue edited for years would hold many times its
// live records. When the file has grown well past the size a table of just the live records takes, the engine
// writes that table (the same form as a repair writes: one put per record in number order, and a put and a
// delete of the highest number when its record is gone) into a new file beside the old one, flushes it, and
// puts it in the old one's place in one step (TableSite::Replace). A crash before that step leaves the old
// table whole (the half-written file beside it is replaced at the next attempt), one after it the new one.
#pragma once

#include "kspdx/record_store.h"
#include "kspdx/table_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kspdx {

// The table's file name, in the engine program's directory.
inline constexpr char kTableFileName[] = "kspdx.tbl";

inline constexpr std::uint32_t kTableVersion = 1;
inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kFrameSize = 8;
inline constexpr std::size_t kMaxPayloadSize = 1 + 4 + kTextFieldCount * 2 + (kFileNameSize - 1) +
                                               (kDownloadDateSize - 1) + (kTitleSize - 1) + (kKeywordsSize - 1) +
                                               (kLocationSize - 1) + (kAbstractSize - 1);
inline constexpr std::size_t kMaxEntrySize = kFrameSize + kMaxPayloadSize;

// CRC-32 (the common reflected 0xEDB88320 polynomial); pass a previous result as crc to continue it.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

std::array<std::uint8_t, kHeaderSize> EncodeHeader();

// Builds one entry at a time in a fixed buffer, so writing a change does not allocate.
class EntryBuilder {
public:
    std::span<const std::uint8_t> Put(std::int32_t number, const RecordTexts& texts);
    std::span<const std::uint8_t> Delete(std::int32_t number);
    std::span<const std::uint8_t> ImportStart(std::int32_t count);
    std::span<const std::uint8_t> ImportEnd(std::int32_t count);

private:
    std::span<const std::uint8_t> Seal(std::size_t payloadSize);

    std::array<std::uint8_t, kMaxEntrySize> m_bytes{};
};

enum class EntryState {
    kSound,       // complete, checksum right, payload well formed
    kIncomplete,  // runs past the end of the bytes given
    kDamaged,     // impossible length or wrong checksum
    kMalformed,   // checksum right but the payload makes no sense
};

struct Change {
    enum class Kind { kPut, kDelete, kImportStart, kImportEnd };
    Kind kind = Kind::kPut;
    std::int32_t number = 0;  // the record's number; an import's record count
    RecordTexts texts{};  // views into the decoded bytes; puts only
};

struct DecodedEntry {
    EntryState state;
    std::size_t size;  // the whole entry's size as its length field gives it; 0 when that length is impossible
    Change change;     // kSound only
};

// Decodes the entry at the start of bytes; bytes may run on past it.
DecodedEntry DecodeEntry(std::span<const std::uint8_t> bytes);

struct LoadResult {
    std::int32_t code;            // 0, or an engine result code
    std::uint64_t droppedBytes;   // the torn tail cut away
};

struct RepairReport {
    std::int32_t code;   // 0, or an engine result code (the damaged file could not be read, the new one written)
    std::uint64_t kept;  // records in the new table
    std::uint64_t lost;  // entries that could not be read, or no longer made sense
};

// Writes into fresh (empty) a new table holding every record the damaged file still gives; damaged is only read.
RepairReport RepairTable(TableFile& damaged, TableFile& fresh);

// The bytes a table of just the store's live records takes (as WriteCompactTable writes it, give or take the
// two entries that keep a deleted highest number).
std::uint64_t CompactTableSize(const RecordStore& store);
// Writes into fresh (empty) a table of the store's live records and flushes it.
IoStatus WriteCompactTable(const RecordStore& store, TableFile& fresh);

// Fills an empty store from the file, first writing the header into a new (empty) file, and cuts a torn tail
// away durably. The file is left as it was when the result is not 0, apart from I/O failures while cutting.
LoadResult LoadTable(TableFile& file, RecordStore& store);

}  // namespace kspdx

// EngineCore: answers the program's record commands against the durable table; the window transport feeds it.
#pragma once

#include "engine/file_record.h"
#include "kspdx/record_store.h"
#include "kspdx/table_file.h"
#include "kspdx/table_log.h"
#include "kspdx/version1_import.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kspdx {

// Keeps the table and the two positions callers rely on: the walk's current record (ENG_FIRST/ENG_NEXT,
// used by ENG_UPDATE_CURRENT) and the one open record (ENG_OPEN .. ENG_CLOSE). Every change is on the disk
// before Execute returns 0; a change the disk refused leaves memory and disk as they were.
//
// Replies, beyond what each command is for:
//   - A reply that carries a record (ENG_FIRST, ENG_NEXT, ENG_READ, ENG_OPEN, ENG_ADD, ENG_UPDATE,
//     ENG_UPDATE_CURRENT) holds it as stored: its number, each text with its terminator and zeros after it.
//     RecordCount is left as sent. ENG_ADD's reply carries the new record's number.
//   - Every other reply, and every non-zero result, leaves all 1493 bytes as sent (ENG_COUNT sets only
//     RecordCount).
//   - Texts longer than their field (no terminator inside it) are stored cut to the field's width less one.
//
// Results beyond 0, 89 and 101 (see engine_results.h):
//   ENG_NEXT before any ENG_FIRST starts at the first record. ENG_NEXT after the current record was deleted
//   continues with the record after it. 101 leaves the current record where it was.
//   ENG_UPDATE_CURRENT: 104 with no current record, 89 when it was deleted.
//   ENG_UPDATE, ENG_DELETE: 104 with no open record, 89 when it was deleted. ENG_CLOSE always gives 0.
//   ENG_OPEN with an unknown number: 89, and no record is open afterwards.
//   ENG_FIND_NAME_OPEN answers as ENG_FIND_NAME does, whether or not a record is open.
//   ENG_NEXT_BATCH writes the records numbered above RecordNumber into the batch area, in table order, as many
//   as it holds and no more than RecordCount when that is above 0 (record_batch.h). The reply's RecordCount is
//   how many, its RecordNumber the last one's number, its other bytes as sent; the last record becomes the
//   current record, as if ENG_NEXT had been sent that many times. 101 when no record is numbered above
//   (the current record stays), 117 when the area cannot hold the first record.
//   ENG_IMPORT_V1: adds the records of the version-1 table in the import directory as new records, in table
//   order, all of them or none (see version1_import.h for the mapping and its results). The reply record is
//   left as sent. Unknown commands: 33.
//   A write the disk refused: 41 when it is full, 126 otherwise; if the refused change cannot be taken back
//   off the disk either, every later change gives 79 (reads go on) until the engine is restarted.
//   128 when record numbers have run out. 40 when memory ran out (nothing changed).
//   Before a successful Open, and after ENG_SHUTDOWN: 78.
class EngineCore {
public:
    explicit EngineCore(CaseFold fold = CaseFold::Western());

    // Loads the table from file (cutting a torn tail away first) and takes the file over; call once. Returns 0, or
    // the result code that tells why the table cannot be used (6, 92, 119, 126, ...). With a site, the table is
    // compacted when it has grown well past its live records (table_log.h), at once if it has so already.
    std::int32_t Open(std::unique_ptr<TableFile> file, std::unique_ptr<TableSite> site = nullptr);
    // Opens (or creates) the table file at path and loads it: 0, 119 when another engine holds it, or as Open.
    std::int32_t OpenPath(const std::string& path);
    // Bytes of a torn tail cut away by Open.
    std::uint64_t DroppedBytes() const { return m_dropped; }

    // Runs one command; the reply is written into record in place.
    std::int32_t Execute(std::int32_t command, FileRecord& record);
    // The same, for a command that may reply with many records (ENG_NEXT_BATCH): they are written into
    // batchArea, and batchUsed is set to the bytes written there (0 for every other command).
    std::int32_t Execute(std::int32_t command, FileRecord& record, std::span<std::uint8_t> batchArea,
                         std::size_t& batchUsed);

    // Where ENG_IMPORT_V1 finds the version-1 table (ends with a separator), how it writes dates and recodes
    // texts of the table's code page.
    void SetImportSource(std::string directory, DateWriter writeDate, TextRecoder recode = {});

    // ENG_SHUTDOWN was answered: the table is closed and the program may end.
    bool ShutDown() const { return m_shutDown; }

    // The table is compacted once its file is this many times the size of a table of the live records, and at
    // least kCompactSlack bytes larger. After ten edits of every record it is compacted some twenty times over.
    static constexpr double kCompactFactor = 1.5;
    static constexpr std::uint64_t kCompactSlack = std::uint64_t{1} << 20;
    // Other limits, for tables too small to reach the usual ones.
    void SetCompactionLimits(double factor, std::uint64_t slack)
    {
        m_compactFactor = factor;
        m_compactSlack = slack;
    }
    // The bytes a table of just the live records takes.
    std::uint64_t CompactSize() const;
    // Compactions done so far (a failed one is not counted).
    int Compactions() const { return m_compactions; }

private:
    std::int32_t Count(FileRecord& record) const;
    std::int32_t First(FileRecord& record);
    std::int32_t Next(FileRecord& record);
    std::int32_t NextBatch(FileRecord& record, std::span<std::uint8_t> area, std::size_t& used);
    std::int32_t Read(FileRecord& record) const;
    std::int32_t FindName(const FileRecord& record) const;
    std::int32_t Add(FileRecord& record);
    std::int32_t UpdateCurrent(FileRecord& record);
    std::int32_t OpenRecord(FileRecord& record);
    std::int32_t Update(FileRecord& record);
    std::int32_t Delete();
    std::int32_t Shutdown();
    std::int32_t ImportVersion1();

    // The open record's slot, or the result to give when there is none.
    std::int32_t OpenSlot(std::size_t& slot) const;
    // Writes a put of record's texts for number, then commits it to the store as an add or an update of slot.
    std::int32_t WriteRecord(std::int32_t number, std::size_t slot, FileRecord& record);
    // Appends one entry and makes it durable; on failure takes it back off the disk.
    std::int32_t Persist(std::span<const std::uint8_t> entry);
    // After an acknowledged change: compacts the table file and the texts in memory when they have grown well
    // past the live records. Nothing acknowledged depends on it: a compaction that fails leaves the table as it
    // was (and is tried again only once the file has grown further).
    void CompactWhenLarge();
    bool CompactTable();

    RecordStore m_store;
    std::unique_ptr<TableFile> m_file;
    std::unique_ptr<TableSite> m_site;
    bool m_loaded = false;
    int m_compactions = 0;
    double m_compactFactor = kCompactFactor;
    std::uint64_t m_compactSlack = kCompactSlack;
    std::uint64_t m_compactRetryAt = 0;  // after a failed compaction: the file size to try again at
    EntryBuilder m_entry;
    std::uint64_t m_dropped = 0;
    bool m_shutDown = false;
    bool m_writesFailed = false;
    std::string m_importDirectory;
    DateWriter m_writeDate;
    TextRecoder m_recode;

    // Walk: the slot of the current record, and the slot ENG_NEXT looks at first.
    std::size_t m_current = RecordStore::kNoSlot;
    bool m_currentDeleted = false;
    std::size_t m_next = 0;
    // Open record, by number (0: none).
    std::int32_t m_open = 0;
    bool m_openDeleted = false;
};

}  // namespace kspdx

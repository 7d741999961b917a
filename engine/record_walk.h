// RecordWalk: the catalogue's records in table order for a walk, fetched from the engine a batch at a time.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/file_record.h"
#include "engine/record_batch.h"

class KsClient;

// Gives one record at a time as ENG_FIRST and ENG_NEXT would, from ENG_NEXT_BATCH replies: one round trip per
// batch instead of one per record. RecordBuffer is not used.
class RecordWalk {
public:
    explicit RecordWalk(KsClient& client) : m_client(client) {}
    RecordWalk(const RecordWalk&) = delete;
    RecordWalk& operator=(const RecordWalk&) = delete;

    // The next record into record: its number and texts, each with its terminator (the bytes after it are
    // undefined, and RecordCount is left as it was). False at the end of the table, and after an engine error,
    // which the link has shown (Failed() then tells).
    bool Next(FileRecord& record);
    // The records not given yet are fetched anew when other commands went to the engine since they were: after
    // the message queue had a turn, other windows may have changed or deleted some of them, and the walk must
    // see them as they are now.
    void Refresh();
    // The walk ended on an engine error rather than at the end of the table.
    bool Failed() const { return m_result != 0 && m_result != ENG_END_OF_TABLE; }

    // Makes record (given by Next, its texts changed) the engine's current record and writes it over it with
    // ENG_UPDATE_CURRENT through RecordBuffer, which is put back afterwards. Returns the engine's result, or 89
    // (silently) when the record was deleted since it was given. The walk then goes on after it.
    std::int32_t UpdateCurrent(const FileRecord& record);

private:
    // A batch after a refresh asks for twice as many records as were used between the last two refreshes, at
    // least kFewest, and from kLargest on for as many as a reply holds: a walk that is refreshed after every
    // record (the conversion rewriting one) fetches little more than it uses, and one that uses thousands of
    // records between two turns at the message queue (a search) fetches whole replies.
    static constexpr std::int32_t kFewest = 16;
    static constexpr std::int32_t kLargest = 4096;

    KsClient& m_client;
    std::vector<std::uint8_t> m_bytes;
    BatchReader m_reader{{}};
    std::int32_t m_after = 0;  // the number of the record given last
    std::int32_t m_result = 0;
    std::int32_t m_want = 0;   // how many the next batch asks for; 0: as many as a reply holds
    std::int32_t m_used = 0;   // records given since the last refresh
    std::uint64_t m_fetchedAt = 0;  // the client's command count after the batch in hand was fetched
};

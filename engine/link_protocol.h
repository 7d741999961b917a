// The request/reply channel between the program and the engine: a shared block both processes map, plus two
// events for the side that has gone to sleep.
//
// Why not the copy-data message: on NT-family systems it carries data to the receiver only, so the engine's
// reply could never come back in it; and a window-message round trip costs about 280 us here, too slow for a
// catalogue walk of one round trip per record. Over the shared block a round trip costs a few microseconds.
//
// One request at a time, each numbered:
//   program: takes the next number, sets requestSeq to 0 while it writes command and request record, then
//            sets requestSeq to the number; if engineSleeping is set, clears it and signals the request event.
//            Then it waits until replySeq equals that number (spinning briefly, then sleeping on the reply event
//            with programSleeping set, checking the engine is alive meanwhile) and copies the reply out.
//   engine:  sees requestSeq move to a number it has not answered, copies command and record out and checks
//            that requestSeq did not change meanwhile (else it takes the newer request), raises heartbeat, works,
//            writes result and reply record into the reply area, then sets replySeq to the request's number
//            and wakes the program if it sleeps. Between requests it spins briefly (walks send the next request
//            at once), then sleeps on the request event, so an idle engine uses no processor time.
// Requests and replies have areas of their own and carry their numbers: a program that gave up waiting on a
// request (an engine that stopped answering for a while) and sends another never has the late reply taken
// for the new one, and the late reply never overwrites the new request's record.
// A flag is set before its owner re-checks the sequence and sleeps; the other side reads it after moving the
// sequence. Sequentially consistent atomics make that pair safe: one side always sees the other.
//
// Walks: ENG_NEXT_BATCH (116, expected 101) carries many records in one reply, in a batch area of its own
// beside the reply record, so a walk pays one round trip per batch rather than one per record.
//   request: RecordNumber: the walk goes on with the first record numbered above it (0: from the start);
//            RecordCount: at most this many records (0: as many as the area holds).
//   reply:   0 and the records in table order in the batch area (engine/record_batch.h), batchBytes long;
//            RecordCount how many, RecordNumber the last one's number (the next request's start); the last
//            one becomes the current record, as after that many ENG_NEXT, so ENG_NEXT and
//            ENG_UPDATE_CURRENT go on from there. 101 when no record is numbered above RecordNumber.
// The position travels with each request, so a record deleted between two requests is simply not there
// and one changed is given as it is now; ENG_FIRST and ENG_NEXT keep their meaning for any caller.
// A batch of typical records (about 320 bytes of text each) holds some 3,000 of them, one of records whose
// every field is full about 700.
// Asked for ahead: having copied a batch out, the program may at once send the request for the next one and go
// through the records it has while the engine prepares it. It is still one request at a time: before any
// other command the program waits for that reply, and takes it as its own only when it asks for exactly that
// batch next (nothing else can have reached the engine in between); otherwise it drops it. A walk given up
// with a batch asked for ahead leaves the current record one batch further on (walks start with ENG_FIRST).
//
// An engine answering ENG_SHUTDOWN sets closed before its reply; its window lingers a moment after that, and a
// program starting then must not take it for a working engine: it waits for that window to go and starts anew.
//
// An engine that cannot open its table ends before it shows its window, with exit code kTableRefusedExit plus
// the result code that says why (6 damaged, 12 no access to the folder, 119 held by another program, ...).
// "kspdx.exe /repair" rebuilds a damaged table from its intact entries, writes a report (RepairReport) on its
// standard output and ends with 0, or with kTableRefusedExit plus the result code when it could not.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/file_record.h"

namespace kslink {

// The batch area of ENG_NEXT_BATCH's replies.
inline constexpr std::size_t kBatchAreaSize = std::size_t{1} << 20;

struct LinkBlock {
    std::uint32_t magic;
    std::uint32_t version;
    std::atomic<std::uint32_t> requestSeq;  // the request in the request area; 0 while the program writes one
    std::atomic<std::uint32_t> replySeq;    // the request the reply area answers
    std::atomic<std::uint32_t> lastIssued;  // the last number a program gave a request
    std::atomic<std::uint32_t> engineSleeping;
    std::atomic<std::uint32_t> programSleeping;
    std::atomic<std::uint32_t> heartbeat;
    std::atomic<std::uint32_t> closed;
    std::int32_t command;
    unsigned char request[kFileRecordSize];
    std::int32_t result;
    unsigned char reply[kFileRecordSize];
    std::uint32_t batchBytes;  // the part of batch the reply filled; 0 for every command but ENG_NEXT_BATCH
    unsigned char batch[kBatchAreaSize];
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

inline constexpr std::uint32_t kMagic = 0x4B534C4Bu;  // "KLSK"
inline constexpr std::uint32_t kVersion = 4;

// Names of the shared objects, made unique per engine process.
inline std::string ObjectName(const char* kind, std::uint32_t enginePid)
{
    char name[96];
    std::snprintf(name, sizeof name, "Kestrum32Engine%s.%u", kind, static_cast<unsigned>(enginePid));
    return name;
}
inline std::string BlockName(std::uint32_t pid) { return ObjectName("Block", pid); }
inline std::string RequestEventName(std::uint32_t pid) { return ObjectName("Request", pid); }
inline std::string ReplyEventName(std::uint32_t pid) { return ObjectName("Reply", pid); }

// Exit codes of an engine that could not open (or repair) its table: this plus the engine's result code.
inline constexpr std::uint32_t kTableRefusedExit = 0x4B500000u;
inline constexpr std::uint32_t TableRefusedExit(std::int32_t code)
{
    return kTableRefusedExit + static_cast<std::uint32_t>(code);
}
// The result code carried by an engine's exit code, or 0 when the exit code carries none.
inline std::int32_t RefusalOf(std::uint32_t exitCode)
{
    return exitCode > kTableRefusedExit && exitCode <= kTableRefusedExit + 0xFFFF
               ? static_cast<std::int32_t>(exitCode - kTableRefusedExit)
               : 0;
}

// The lines "kspdx.exe /repair" writes: each key followed by its value and a line end.
inline constexpr char kRepairKeptKey[] = "Records kept: ";
inline constexpr char kRepairLostKey[] = "Entries lost: ";
inline constexpr char kRepairCopyKey[] = "Damaged file kept as: ";

// The table's file name, beside the engine program.
inline constexpr char kTableFileName[] = "kspdx.tbl";
// "General System error": what the program reports when a repair could not even be started.
inline constexpr std::int32_t kSystemErrorCode = 126;

// The caption by which the program finds the engine's window.
inline constexpr char kEngineCaption[] = "Kestrum32-16ParadoxInterface";

}  // namespace kslink

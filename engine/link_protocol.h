// The request/reply channel between the program and the engine: a shared block both processes map, plus two
// events for the side that has gone to sleep.
//
// Why not the copy-data message: on NT-family systems it carries data to the receiver only, so the engine's
// reply could never come back in it; and a window-message round trip costs about 280 us here, too slow for a
// catalogue walk of one round trip per record. Over the shared block a round trip costs a few microseconds.
//
// One request at a time:
//   program: writes command and record, then raises requestSeq; if engineSleeping is set, clears it and
//            signals the request event. Then it waits until replySeq equals requestSeq (spinning briefly, then
//            sleeping on the reply event with programSleeping set, checking the engine is alive meanwhile).
//   engine:  sees requestSeq move, answers in place (result and record), raises heartbeat while working on
//            long commands, then sets replySeq = requestSeq and wakes the program if it sleeps. Between
//            requests it spins briefly (walks send the next request at once), then sleeps on the request event,
//            so an idle engine uses no processor time.
// A flag is set before its owner re-checks the sequence and sleeps; the other side reads it after moving the
// sequence. Sequentially consistent atomics make that pair safe: one side always sees the other.
// An engine answering ENG_SHUTDOWN sets closed before its reply; its window lingers a moment after that, and a
// program starting then must not take it for a working engine: it waits for that window to go and starts anew.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/file_record.h"

namespace kslink {

struct LinkBlock {
    std::uint32_t magic;
    std::uint32_t version;
    std::atomic<std::uint32_t> requestSeq;
    std::atomic<std::uint32_t> replySeq;
    std::atomic<std::uint32_t> engineSleeping;
    std::atomic<std::uint32_t> programSleeping;
    std::atomic<std::uint32_t> heartbeat;
    std::atomic<std::uint32_t> closed;
    std::int32_t command;
    std::int32_t result;
    unsigned char record[kFileRecordSize];
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

inline constexpr std::uint32_t kMagic = 0x4B534C4Bu;  // "KLSK"
inline constexpr std::uint32_t kVersion = 2;

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

// The caption by which the program finds the engine's window.
inline constexpr char kEngineCaption[] = "Kestrum32-16ParadoxInterface";

}  // namespace kslink

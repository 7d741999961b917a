// EngineLink: the program's end of the channel to the record engine kspdx.exe. It finds or starts the engine
// and carries one command and its 1493-byte record there and back; it shows nothing (KsClient does).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_record.h"
#include "engine/link_protocol.h"
#include "framework/handles.h"

class EngineLink {
public:
    enum class Start { Ready, SpawnFailed, NoWindow, TableRefused };

    // What "kspdx.exe /repair" did: code 0 and the counts, or the result code that tells why it could not.
    struct RepairResult {
        std::int32_t code = 0;
        long long kept = 0;     // records in the rebuilt table
        long long lost = 0;     // entries that could not be read
        std::string damagedCopy;  // where the damaged file now lies
    };

    EngineLink() = default;
    ~EngineLink();
    EngineLink(const EngineLink&) = delete;
    EngineLink& operator=(const EngineLink&) = delete;

    // Finds the engine's window by its caption, or starts "kspdx.exe" and waits for the window (at most
    // windowWaitMs), then maps the shared block. The window of an engine that has shut down is waited out
    // (within the same bound) and a new engine started.
    // TableRefused: the engine ended because it could not open its table; Refusal() gives the engine's result
    // code that says why and TablePath() the table it tried.
    Start Establish(DWORD windowWaitMs = kWindowWaitMs);
    std::int32_t Refusal() const { return m_refusal; }
    const std::string& TablePath() const { return m_tablePath; }
    // Runs "kspdx.exe /repair" (found as the engine is) and waits for it to end.
    RepairResult RepairTable(DWORD waitMs = kRepairWaitMs);
    bool Ready() const { return m_block != nullptr; }
    HWND EngineWindow() const { return m_engineWindow; }

    // Sends command with record (replaced by the engine's reply). Returns the engine's result, or 203 when the
    // command could not be delivered (engine window gone, process ended or not answering): record is then
    // unchanged and the link stays down.
    std::int32_t Transact(std::int32_t command, FileRecord& record);
    // The same, with the batch area of the reply copied into batch (empty for commands that fill none);
    // batch is left alone when the command could not be delivered.
    std::int32_t Transact(std::int32_t command, FileRecord& record, std::vector<std::uint8_t>& batch);
    // Sends command with record ahead of time and returns at once: the engine works on it while the program
    // does something else. The next Transact waits for its answer first; when that Transact is the very same
    // command and record, the answer is its own (nothing reached the engine in between), otherwise it is
    // dropped. False (nothing sent) when a command is already ahead or the link is down.
    bool Prefetch(std::int32_t command, const FileRecord& record);

    static constexpr DWORD kWindowWaitMs = 15000;
    static constexpr DWORD kRepairWaitMs = 300000;
    // A command is waited for as long as the engine's process lives and its window answers; a window that
    // does not answer within this is taken as a hung engine.
    static constexpr DWORD kHungMs = 10000;
    // How often the window is asked while a command shows no sign of work.
    static constexpr DWORD kProbeMs = 1000;
    void SetHungLimit(DWORD ms) { m_hungMs = ms; }

private:
    std::int32_t Exchange(std::int32_t command, FileRecord& record, std::vector<std::uint8_t>* batch);
    // Writes a request into the block and wakes the engine; returns its number.
    std::uint32_t Issue(std::int32_t command, const FileRecord& record);
    bool Connect(HWND window);
    // Starts the engine program with arguments; the table path is taken from where the system found it.
    bool Spawn(const char* arguments, PROCESS_INFORMATION& pi, HANDLE output = nullptr);
    bool WaitForReply(std::uint32_t seq);
    bool EngineAlive() const;
    bool WindowAnswers() const;
    // EngineAlive, asked again only when the last answer is older than the recheck time.
    bool AliveRecently();
    void Disconnect();

    HWND m_engineWindow = nullptr;
    std::int32_t m_refusal = 0;
    std::string m_tablePath;
    ks::KernelHandle m_process;
    ks::KernelHandle m_mapping;
    ks::KernelHandle m_requestEvent;
    ks::KernelHandle m_replyEvent;
    kslink::LinkBlock* m_block = nullptr;
    DWORD m_hungMs = kHungMs;
    LONGLONG m_aliveAt = 0;  // performance-counter ticks when the engine was last found alive
    // The request sent ahead by Prefetch and not yet answered to a Transact (0: none).
    std::uint32_t m_prefetched = 0;
    std::int32_t m_prefetchCommand = 0;
    FileRecord m_prefetchRecord{};
};

// EngineLink: the program's end of the channel to the record engine kspdx.exe. It finds or starts the engine
// and carries one command and its 1493-byte record there and back; it shows nothing (KsClient does).
#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/file_record.h"
#include "engine/link_protocol.h"
#include "framework/handles.h"

class EngineLink {
public:
    enum class Start { Ready, SpawnFailed, NoWindow };

    EngineLink() = default;
    ~EngineLink();
    EngineLink(const EngineLink&) = delete;
    EngineLink& operator=(const EngineLink&) = delete;

    // Finds the engine's window by its caption, or starts "kspdx.exe" and waits for the window (at most
    // windowWaitMs), then maps the shared block. The window of an engine that has shut down is waited out
    // (within the same bound) and a new engine started.
    Start Establish(DWORD windowWaitMs = kWindowWaitMs);
    bool Ready() const { return m_block != nullptr; }
    HWND EngineWindow() const { return m_engineWindow; }

    // Sends command with record (replaced by the engine's reply). Returns the engine's result, or 203 when the
    // command could not be delivered (engine window gone, process ended or not answering): record is then
    // unchanged and the link stays down.
    std::int32_t Transact(std::int32_t command, FileRecord& record);

    static constexpr DWORD kWindowWaitMs = 15000;
    // An engine that shows no sign of work for this long is taken as hung.
    static constexpr DWORD kHungMs = 10000;

private:
    bool Connect(HWND window);
    bool WaitForReply(std::uint32_t seq);
    bool EngineAlive() const;
    // EngineAlive, asked again only when the last answer is older than the recheck time.
    bool AliveRecently();
    void Disconnect();

    HWND m_engineWindow = nullptr;
    ks::KernelHandle m_process;
    ks::KernelHandle m_mapping;
    ks::KernelHandle m_requestEvent;
    ks::KernelHandle m_replyEvent;
    kslink::LinkBlock* m_block = nullptr;
    LONGLONG m_aliveAt = 0;  // performance-counter ticks when the engine was last found alive
};

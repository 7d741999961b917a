// EngineLink: finding or starting the engine, and the request/reply exchange over the shared block.
#include "engine/engine_link.h"

#include <cstring>

namespace {

// How long each side spins before it sleeps: a walk's next request follows within microseconds.
constexpr int kSpinRounds = 20000;

}  // namespace

EngineLink::~EngineLink() { Disconnect(); }

void EngineLink::Disconnect()
{
    if (m_block)
        UnmapViewOfFile(m_block);
    m_block = nullptr;
    m_mapping.Reset();
    m_requestEvent.Reset();
    m_replyEvent.Reset();
    m_process.Reset();
}

EngineLink::Start EngineLink::Establish(DWORD windowWaitMs)
{
    HWND window = FindWindowA(nullptr, kslink::kEngineCaption);
    if (!window) {
        // The program searches for the engine as the system searches for programs: its own directory first.
        char commandLine[] = "kspdx.exe";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_FORCEOFFFEEDBACK;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SEPARATE_WOW_VDM, nullptr, nullptr,
                            &si, &pi))
            return Start::SpawnFailed;
        CloseHandle(pi.hThread);
        ks::KernelHandle process(pi.hProcess);
        const DWORD end = GetTickCount() + windowWaitMs;
        while (!(window = FindWindowA(nullptr, kslink::kEngineCaption))) {
            // An engine that ended (a second engine refused, a table it cannot open) will never show its window.
            if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0 || static_cast<LONG>(GetTickCount() - end) > 0)
                return Start::NoWindow;
            Sleep(20);
        }
    }
    return Connect(window) ? Start::Ready : Start::NoWindow;
}

bool EngineLink::Connect(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    m_process.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    m_mapping.Reset(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kslink::BlockName(pid).c_str()));
    m_requestEvent.Reset(OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, kslink::RequestEventName(pid).c_str()));
    m_replyEvent.Reset(OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, kslink::ReplyEventName(pid).c_str()));
    if (!m_process || !m_mapping || !m_requestEvent || !m_replyEvent) {
        Disconnect();
        return false;
    }
    m_block = static_cast<kslink::LinkBlock*>(MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!m_block || m_block->magic != kslink::kMagic || m_block->version != kslink::kVersion) {
        Disconnect();
        return false;
    }
    m_engineWindow = window;
    return true;
}

bool EngineLink::EngineAlive() const
{
    return IsWindow(m_engineWindow) && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::int32_t EngineLink::Transact(std::int32_t command, FileRecord& record)
{
    if (!m_block || !EngineAlive()) {
        Disconnect();
        return ENG_NOT_DELIVERED;
    }
    m_block->command = command;
    std::memcpy(m_block->record, &record, kFileRecordSize);
    const std::uint32_t seq = m_block->requestSeq.load() + 1;
    m_block->requestSeq.store(seq);
    if (m_block->engineSleeping.exchange(0))
        SetEvent(m_requestEvent.Get());
    if (!WaitForReply(seq)) {
        Disconnect();
        return ENG_NOT_DELIVERED;
    }
    std::memcpy(&record, m_block->record, kFileRecordSize);
    return m_block->result;
}

bool EngineLink::WaitForReply(std::uint32_t seq)
{
    for (int i = 0; i < kSpinRounds; ++i) {
        if (m_block->replySeq.load() == seq)
            return true;
        YieldProcessor();
    }
    std::uint32_t heartbeat = m_block->heartbeat.load();
    DWORD lastSign = GetTickCount();
    const HANDLE handles[] = {m_replyEvent.Get(), m_process.Get()};
    for (;;) {
        m_block->programSleeping.store(1);
        if (m_block->replySeq.load() == seq) {
            m_block->programSleeping.store(0);
            return true;
        }
        // Short slices: the engine's window may go while its process lives on.
        const DWORD waited = WaitForMultipleObjects(2, handles, FALSE, 100);
        if (m_block->replySeq.load() == seq) {
            m_block->programSleeping.store(0);
            return true;
        }
        if (waited == WAIT_OBJECT_0 + 1 || waited == WAIT_FAILED || !IsWindow(m_engineWindow))
            return false;
        if (const std::uint32_t now = m_block->heartbeat.load(); now != heartbeat) {
            heartbeat = now;
            lastSign = GetTickCount();
        } else if (GetTickCount() - lastSign > kHungMs) {
            return false;
        }
    }
}

// EngineLink: finding or starting the engine, and the request/reply exchange over the shared block.
#include "engine/engine_link.h"

#include <cstring>

namespace {

// How long each side spins before it sleeps: a walk's next request follows within microseconds.
constexpr int kSpinRounds = 20000;
// While spinning, give up the processor now and then (every 64 rounds, under 2 us). On a busy two-processor
// machine the engine may be waiting for the very processor this spin holds; without it a walk fell from over
// a million round trips per second to as little as 27,000 while other programs ran. With nothing else to run
// the yield returns at once.
constexpr int kYieldEvery = 64;

// Asking whether the engine's window and process still exist takes two calls into the Wine server, 20-40 us
// together, while a whole round trip over the block takes under 1 us: checking before every command held a
// walk to about 50,000 round trips per second. So a command checks again only when the engine was last found
// alive more than this long ago. A check was always a snapshot (the window may go just after it); this widens
// that moment to 100 us, less than one window message between two processes takes, so a command sent after
// the engine's window was closed still finds it gone. An engine that goes without answering is caught while
// waiting for the reply.
constexpr LONGLONG kRecheckMicroseconds = 100;

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

LONGLONG RecheckTicks()
{
    static const LONGLONG ticks = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart * kRecheckMicroseconds / 1000000;
    }();
    return ticks;
}

}  // namespace

EngineLink::~EngineLink() { Disconnect(); }

void EngineLink::Disconnect()
{
    m_aliveAt = 0;
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
    const DWORD end = GetTickCount() + windowWaitMs;
    auto timedOut = [end] { return static_cast<LONG>(GetTickCount() - end) > 0; };
    HWND window = FindWindowA(nullptr, kslink::kEngineCaption);
    if (window && !Connect(window)) {
        // An engine that has shut down (or died) keeps its window a moment longer: once it has gone, start anew.
        while (IsWindow(window)) {
            if (timedOut())
                return Start::NoWindow;
            Sleep(20);
        }
        window = FindWindowA(nullptr, kslink::kEngineCaption);
        if (window)
            return Connect(window) ? Start::Ready : Start::NoWindow;
    }
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
        while (!(window = FindWindowA(nullptr, kslink::kEngineCaption))) {
            // An engine that ended (a second engine refused, a table it cannot open) will never show its window.
            if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0 || timedOut())
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
    if (!m_block || m_block->magic != kslink::kMagic || m_block->version != kslink::kVersion ||
        m_block->closed.load()) {
        Disconnect();
        return false;
    }
    m_engineWindow = window;
    return true;
}

bool EngineLink::AliveRecently()
{
    const LONGLONG now = Now();
    if (m_aliveAt != 0 && now - m_aliveAt <= RecheckTicks())
        return true;
    if (!EngineAlive())
        return false;
    m_aliveAt = now;
    return true;
}

bool EngineLink::EngineAlive() const
{
    return IsWindow(m_engineWindow) && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::int32_t EngineLink::Transact(std::int32_t command, FileRecord& record)
{
    if (!m_block || !AliveRecently()) {
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
        if (i % kYieldEvery == kYieldEvery - 1)
            SwitchToThread();
        else
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

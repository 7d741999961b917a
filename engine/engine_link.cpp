// EngineLink: finding or starting the engine, and the request/reply exchange over the shared block.
#include "engine/engine_link.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

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
    m_prefetched = 0;
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
        PROCESS_INFORMATION pi{};
        if (!Spawn("", pi))
            return Start::SpawnFailed;
        CloseHandle(pi.hThread);
        ks::KernelHandle process(pi.hProcess);
        while (!(window = FindWindowA(nullptr, kslink::kEngineCaption))) {
            // An engine that ended (a second engine refused, a table it cannot open) will never show its window;
            // its exit code tells why.
            if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) {
                DWORD exitCode = 0;
                GetExitCodeProcess(process.Get(), &exitCode);
                m_refusal = kslink::RefusalOf(exitCode);
                return m_refusal != 0 ? Start::TableRefused : Start::NoWindow;
            }
            if (timedOut())
                return Start::NoWindow;
            Sleep(20);
        }
    }
    return Connect(window) ? Start::Ready : Start::NoWindow;
}

bool EngineLink::Spawn(const char* arguments, PROCESS_INFORMATION& pi, HANDLE output)
{
    // The program searches for the engine as the system searches for programs: its own directory first.
    std::string commandLine = std::string("kspdx.exe") + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_FORCEOFFFEEDBACK;
    if (output) {
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdOutput = output;
        si.hStdError = output;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, output ? TRUE : FALSE,
                        CREATE_SEPARATE_WOW_VDM, nullptr, nullptr, &si, &pi))
        return false;
    // The engine keeps its table beside itself.
    char image[MAX_PATH];
    DWORD length = MAX_PATH;
    if (!QueryFullProcessImageNameA(pi.hProcess, 0, image, &length)) {
        length = SearchPathA(nullptr, "kspdx.exe", nullptr, MAX_PATH, image, nullptr);
        if (length >= MAX_PATH)
            length = 0;
    }
    const std::string path(image, length);
    m_tablePath = path.substr(0, path.rfind('\\') + 1) + kslink::kTableFileName;
    return true;
}

EngineLink::RepairResult EngineLink::RepairTable(DWORD waitMs)
{
    RepairResult outcome;
    // The report comes back through a pipe on the repair's standard output.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        outcome.code = kslink::kSystemErrorCode;
        return outcome;
    }
    ks::KernelHandle reader(readEnd);
    ks::KernelHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION pi{};
    if (!Spawn(" /repair", pi, writer.Get())) {
        outcome.code = kslink::kSystemErrorCode;
        return outcome;
    }
    CloseHandle(pi.hThread);
    ks::KernelHandle process(pi.hProcess);
    writer.Reset();
    std::string report;
    char chunk[512];
    DWORD got = 0;
    while (ReadFile(reader.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0 && report.size() < 65536)
        report.append(chunk, got);
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.Get(), waitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.Get(), &exitCode);
    if (exitCode != 0) {
        const std::int32_t code = kslink::RefusalOf(exitCode);
        outcome.code = code != 0 ? code : kslink::kSystemErrorCode;
        return outcome;
    }
    auto value = [&report](const char* key) {
        const std::size_t at = report.find(key);
        if (at == std::string::npos)
            return std::string();
        const std::size_t start = at + std::strlen(key);
        return report.substr(start, report.find_first_of("\r\n", start) - start);
    };
    outcome.kept = std::atoll(value(kslink::kRepairKeptKey).c_str());
    outcome.lost = std::atoll(value(kslink::kRepairLostKey).c_str());
    outcome.damagedCopy = value(kslink::kRepairCopyKey);
    return outcome;
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
    return Exchange(command, record, nullptr);
}

std::int32_t EngineLink::Transact(std::int32_t command, FileRecord& record, std::vector<std::uint8_t>& batch)
{
    return Exchange(command, record, &batch);
}

std::uint32_t EngineLink::Issue(std::int32_t command, const FileRecord& record)
{
    // A number no request on this block had: an earlier program may have given up on its last one.
    std::uint32_t seq = m_block->lastIssued.load() + 1;
    if (seq == 0)
        seq = 1;
    m_block->lastIssued.store(seq);
    m_block->requestSeq.store(0);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    m_block->command = command;
    std::memcpy(m_block->request, &record, kFileRecordSize);
    m_block->requestSeq.store(seq);
    if (m_block->engineSleeping.exchange(0))
        SetEvent(m_requestEvent.Get());
    return seq;
}

bool EngineLink::Prefetch(std::int32_t command, const FileRecord& record)
{
    if (m_prefetched != 0 || !m_block || !AliveRecently())
        return false;
    m_prefetchCommand = command;
    m_prefetchRecord = record;
    m_prefetched = Issue(command, record);
    return true;
}

std::int32_t EngineLink::Exchange(std::int32_t command, FileRecord& record, std::vector<std::uint8_t>* batch)
{
    if (!m_block || !AliveRecently()) {
        Disconnect();
        return ENG_NOT_DELIVERED;
    }
    std::uint32_t seq = 0;
    if (m_prefetched != 0) {
        // The request sent ahead is answered first. When it is this very request, its answer is this one's:
        // nothing else reached the engine in between.
        seq = m_prefetched;
        m_prefetched = 0;
        if (command != m_prefetchCommand || std::memcmp(&record, &m_prefetchRecord, kFileRecordSize) != 0) {
            if (!WaitForReply(seq)) {
                Disconnect();
                return ENG_NOT_DELIVERED;
            }
            seq = 0;
        }
    }
    if (seq == 0)
        seq = Issue(command, record);
    if (!WaitForReply(seq)) {
        Disconnect();
        return ENG_NOT_DELIVERED;
    }
    std::memcpy(&record, m_block->reply, kFileRecordSize);
    if (batch) {
        // Copied out at once: the next command, from whichever window, fills the area anew.
        const std::size_t size = std::min<std::size_t>(m_block->batchBytes, kslink::kBatchAreaSize);
        batch->assign(m_block->batch, m_block->batch + size);
    }
    return m_block->result;
}

bool EngineLink::WindowAnswers() const
{
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(m_engineWindow, WM_NULL, 0, 0, SMTO_NORMAL, m_hungMs, &answer) != 0;
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
        } else if (GetTickCount() - lastSign > kProbeMs) {
            // No sign of work for a while: a command on a slow disk, or an engine that hangs. The engine's
            // window belongs to a thread other than the one working on the command: as long as it answers,
            // the engine lives and the command is waited for.
            if (!WindowAnswers())
                return false;
            lastSign = GetTickCount();
        }
    }
}

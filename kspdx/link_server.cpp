// LinkServer: answers the program's requests from the shared block.
#include "kspdx/link_server.h"

#include <cstring>
#include <new>
#include <span>

namespace kspdx {

namespace {

// Spin this long after a reply before sleeping: a walk's next request comes within microseconds, and an
// idle engine must not keep a processor busy.
constexpr int kSpinRounds = 40000;
// While spinning, give up the processor now and then (every 64 rounds, under 2 us): on a busy two-processor
// machine the program may be waiting for the very processor this spin holds. With nothing else to run the
// yield returns at once.
constexpr int kYieldEvery = 64;

}  // namespace

LinkServer::~LinkServer()
{
    Stop();
    if (m_block)
        UnmapViewOfFile(m_block);
}

bool LinkServer::Create()
{
    const DWORD pid = GetCurrentProcessId();
    m_mapping.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(kslink::LinkBlock),
                                       kslink::BlockName(pid).c_str()));
    m_requestEvent.Reset(CreateEventA(nullptr, FALSE, FALSE, kslink::RequestEventName(pid).c_str()));
    m_replyEvent.Reset(CreateEventA(nullptr, FALSE, FALSE, kslink::ReplyEventName(pid).c_str()));
    if (!m_mapping || !m_requestEvent || !m_replyEvent)
        return false;
    void* view = MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(kslink::LinkBlock));
    if (!view)
        return false;
    // The mapping arrives zero-filled; the block's atomics start at zero.
    m_block = new (view) kslink::LinkBlock{};
    m_block->magic = kslink::kMagic;
    m_block->version = kslink::kVersion;
    return true;
}

void LinkServer::Start(std::function<void()> afterShutdown)
{
    m_afterShutdown = std::move(afterShutdown);
    m_worker = std::thread([this] { Serve(); });
}

void LinkServer::Stop()
{
    m_stop.store(true);
    if (m_requestEvent)
        SetEvent(m_requestEvent.Get());
    if (m_worker.joinable() && m_worker.get_id() != std::this_thread::get_id())
        m_worker.join();
}

bool LinkServer::WaitForRequest(std::uint32_t last)
{
    // 0: a program is writing a request; it raises the number when it is done.
    auto arrived = [this, last] {
        const std::uint32_t seq = m_block->requestSeq.load();
        return seq != last && seq != 0;
    };
    for (int i = 0; i < kSpinRounds; ++i) {
        if (arrived())
            return true;
        if (i % kYieldEvery == kYieldEvery - 1)
            SwitchToThread();
        else
            YieldProcessor();
    }
    for (;;) {
        m_block->engineSleeping.store(1);
        if (arrived()) {
            m_block->engineSleeping.store(0);
            return true;
        }
        WaitForSingleObject(m_requestEvent.Get(), INFINITE);
        if (m_stop.load())
            return false;
    }
}

void LinkServer::Serve()
{
    // Start from the last answered request, not the last one sent: the program may have sent its first
    // request as soon as the window appeared, before this thread ran.
    std::uint32_t last = m_block->replySeq.load();
    while (!m_stop.load() && WaitForRequest(last)) {
        const std::uint32_t seq = m_block->requestSeq.load();
        const std::int32_t command = m_block->command;
        FileRecord record;
        std::memcpy(&record, m_block->request, kFileRecordSize);
        // A program that gave up on its last request may be writing a new one over it: take that one instead.
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (seq == 0 || m_block->requestSeq.load() != seq)
            continue;
        last = seq;
        m_block->heartbeat.fetch_add(1);
        std::size_t batchBytes = 0;
        const std::int32_t result = m_core.Execute(command, record, std::span(m_block->batch), batchBytes);
        std::memcpy(m_block->reply, &record, kFileRecordSize);
        m_block->result = result;
        m_block->batchBytes = static_cast<std::uint32_t>(batchBytes);
        if (m_core.ShutDown())
            m_block->closed.store(1);
        m_block->replySeq.store(seq);
        if (m_block->programSleeping.exchange(0))
            SetEvent(m_replyEvent.Get());
        if (m_core.ShutDown()) {
            if (m_afterShutdown)
                m_afterShutdown();
            return;
        }
    }
}

}  // namespace kspdx

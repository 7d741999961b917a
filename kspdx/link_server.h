// LinkServer: the engine's end of the channel to the program. A worker thread answers each request from the
// shared block through the EngineCore, spinning briefly between requests and sleeping when idle.
#pragma once
#include <windows.h>

#include <functional>
#include <thread>

#include "engine/link_protocol.h"
#include "framework/handles.h"
#include "kspdx/engine_core.h"

namespace kspdx {

class LinkServer {
public:
    explicit LinkServer(EngineCore& core) : m_core(core) {}
    ~LinkServer();
    LinkServer(const LinkServer&) = delete;
    LinkServer& operator=(const LinkServer&) = delete;

    // Creates the shared block and events under this process's id; must happen before the window appears.
    bool Create();
    // Starts answering; afterShutdown runs on the worker once ENG_SHUTDOWN has been answered.
    void Start(std::function<void()> afterShutdown);
    // Stops the worker (after it has answered the request it is on).
    void Stop();

private:
    void Serve();
    bool WaitForRequest(std::uint32_t last);

    EngineCore& m_core;
    ks::KernelHandle m_mapping;
    ks::KernelHandle m_requestEvent;
    ks::KernelHandle m_replyEvent;
    kslink::LinkBlock* m_block = nullptr;
    std::function<void()> m_afterShutdown;
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

}  // namespace kspdx

// fake_kspdx.exe: stand-ins for a misbehaving engine, chosen by the first argument or, when started by the
// program's own search as "kspdx.exe" with no arguments, by the variable KS_FAKE_ENGINE:
//   exit          ends at once (as a second engine does that finds the table taken)
//   sleep:MS      never shows a window; ends after MS or when the test sets the event KsFakeEngineQuit
//   silent:MS     shows the engine window with the link's shared block but never answers; takes the
//                 window away after MS (0: keeps it: a hung engine) and lives on until the event or 30 s
//   bare          shows a window with the engine's caption but no shared block (not an engine of this
//                 program's kind), until the event or 30 s
//   slow:MS       an engine on a slow disk: answers every request MS after it came, while its window answers
//   late:MS       an engine that stops answering for a while: on each request its window freezes for MS, then
//                 it answers that request and the window answers again
//   frozen        shows the engine window and block, then its window never answers again
// slow and late answer with the command as result and the record sent, its Title prefixed "answer to ".
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "engine/link_protocol.h"
#include "framework/handles.h"
#include "kspdx/engine_core.h"
#include "kspdx/link_server.h"

namespace {

constexpr DWORD kLifetimeMs = 30000;

LRESULT CALLBACK FakeWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// Pumps the window's messages until the quit event is set or ms have passed.
void PumpFor(HANDLE quit, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const LONG left = static_cast<LONG>(end - GetTickCount());
        if (left <= 0 || MsgWaitForMultipleObjects(1, &quit, FALSE, static_cast<DWORD>(left), QS_ALLINPUT) ==
                             WAIT_OBJECT_0)
            return;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

// The engine's side of the shared block, answered by hand.
class HandAnswers {
public:
    bool Open()
    {
        const DWORD pid = GetCurrentProcessId();
        m_mapping.Reset(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kslink::BlockName(pid).c_str()));
        m_replyEvent.Reset(OpenEventA(EVENT_MODIFY_STATE, FALSE, kslink::ReplyEventName(pid).c_str()));
        if (!m_mapping || !m_replyEvent)
            return false;
        m_block = static_cast<kslink::LinkBlock*>(MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
        return m_block != nullptr;
    }
    // A request not answered yet, copied out.
    bool Arrived()
    {
        const std::uint32_t seq = m_block->requestSeq.load();
        if (seq == 0 || seq == m_last)
            return false;
        m_command = m_block->command;
        std::memcpy(&m_record, m_block->request, kFileRecordSize);
        if (m_block->requestSeq.load() != seq)
            return false;
        m_last = seq;
        return true;
    }
    void Answer()
    {
        SetFieldText(m_record.Title, "answer to " + std::string(FieldText(m_record.Title)));
        std::memcpy(m_block->reply, &m_record, kFileRecordSize);
        m_block->result = m_command;
        m_block->replySeq.store(m_last);
        if (m_block->programSleeping.exchange(0))
            SetEvent(m_replyEvent.Get());
    }

private:
    ks::KernelHandle m_mapping;
    ks::KernelHandle m_replyEvent;
    kslink::LinkBlock* m_block = nullptr;
    std::uint32_t m_last = 0;
    std::int32_t m_command = 0;
    FileRecord m_record{};
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    std::string mode = commandLine;
    if (mode.empty()) {
        const char* fromEnvironment = std::getenv("KS_FAKE_ENGINE");
        mode = fromEnvironment ? fromEnvironment : "exit";
    }
    const std::size_t colon = mode.find(':');
    const DWORD ms =
        colon == std::string::npos ? 0 : static_cast<DWORD>(std::strtoul(mode.c_str() + colon + 1, nullptr, 10));
    mode = mode.substr(0, colon);
    const ks::KernelHandle quitEvent(CreateEventA(nullptr, TRUE, FALSE, "KsFakeEngineQuit"));
    HANDLE quit = quitEvent.Get();

    if (mode == "sleep") {
        WaitForSingleObject(quit, ms);
        return 0;
    }
    if (mode != "silent" && mode != "bare" && mode != "slow" && mode != "late" && mode != "frozen")
        return 2;

    // The engine's shared block and events, made as the engine makes them; no one ever answers on them.
    kspdx::EngineCore core;
    kspdx::LinkServer server(core);
    if (mode != "bare" && !server.Create())
        return 3;
    HandAnswers answers;
    if ((mode == "slow" || mode == "late") && !answers.Open())
        return 3;
    WNDCLASSA wc{};
    wc.lpfnWndProc = FakeWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestrumFakeEngine";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowA(wc.lpszClassName, kslink::kEngineCaption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                             instance, nullptr);
    if (mode == "frozen") {
        WaitForSingleObject(quit, kLifetimeMs);
        return 0;
    }
    if (mode == "slow") {
        std::thread([&answers, quit, ms] {
            while (WaitForSingleObject(quit, 1) == WAIT_TIMEOUT) {
                if (answers.Arrived()) {
                    Sleep(ms);
                    answers.Answer();
                }
            }
        }).detach();
        PumpFor(quit, kLifetimeMs);
        return 0;
    }
    if (mode == "late") {
        const DWORD end = GetTickCount() + kLifetimeMs;
        while (static_cast<LONG>(end - GetTickCount()) > 0 && WaitForSingleObject(quit, 0) == WAIT_TIMEOUT) {
            PumpFor(quit, 5);
            if (answers.Arrived()) {
                Sleep(ms);  // the window answers nothing meanwhile
                answers.Answer();
            }
        }
        return 0;
    }
    if (ms > 0) {
        PumpFor(quit, ms);
        DestroyWindow(wnd);
    }
    PumpFor(quit, kLifetimeMs);
    return 0;
}

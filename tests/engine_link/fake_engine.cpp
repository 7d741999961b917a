// fake_kspdx.exe: stand-ins for a misbehaving engine, chosen by the first argument or, when started by the
// program's own search as "kspdx.exe" with no arguments, by the variable KS_FAKE_ENGINE:
//   exit          ends at once (as a second engine does that finds the table taken)
//   sleep:MS      never shows a window; ends after MS or when the test sets the event KsFakeEngineQuit
//   silent:MS     shows the engine window with the link's shared block but never answers; takes the
//                 window away after MS (0: keeps it: a hung engine) and lives on until the event or 30 s
//   bare          shows a window with the engine's caption but no shared block (not an engine of this
//                 program's kind), until the event or 30 s
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

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
    if (mode != "silent" && mode != "bare")
        return 2;

    // The engine's shared block and events, made as the engine makes them; no one ever answers on them.
    kspdx::EngineCore core;
    kspdx::LinkServer server(core);
    if (mode == "silent" && !server.Create())
        return 3;
    WNDCLASSA wc{};
    wc.lpfnWndProc = FakeWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestrumFakeEngine";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowA(wc.lpszClassName, kslink::kEngineCaption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                             instance, nullptr);
    if (ms > 0) {
        PumpFor(quit, ms);
        DestroyWindow(wnd);
    }
    PumpFor(quit, kLifetimeMs);
    return 0;
}

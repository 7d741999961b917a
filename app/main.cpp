// Program entry of kestrm32.exe: one copy per desktop, then the application object.
#include <windows.h>

#include "app/ks_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow)
{
    // The main window's caption is the program's name: finding it means a copy is already running.
    if (HWND running = FindWindowA(nullptr, KsApp::kName)) {
        if (IsIconic(running))
            ShowWindow(running, SW_RESTORE);
        BringWindowToTop(running);
        SetForegroundWindow(running);
        return 0;
    }
    int exitCode = 0;
    {
        KsApp app(instance, cmdShow);
        if (!app.Started())
            return -1;
        exitCode = app.Run();
    }
    // The engine link ends with the application object, after the message loop: an engine that could not be
    // reached then has asked for -1 with a quit message of its own.
    MSG msg;
    if (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        exitCode = static_cast<int>(msg.wParam);
    return exitCode;
}

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
    KsApp app(instance, cmdShow);
    if (!app.Started())
        return -1;
    return app.Run();
}

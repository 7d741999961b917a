// desktop_keeper: holds the run's virtual desktop open between test programs.
// Wine closes a desktop one second after its last user process ends; a program that starts in that moment can
// find no desktop, or have its own start refused, so a run with gaps between tests failed at random. This program
// is one more user of the desktop for the whole run: a hidden window and a message loop, ended with the prefix's
// server.
//   desktop_keeper.exe [READY_FILE]   (READY_FILE is made once the window exists)
#include <windows.h>

namespace {

LRESULT CALLBACK KeeperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || message == WM_QUERYENDSESSION)
        return message == WM_QUERYENDSESSION ? TRUE : 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = KeeperProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "KsTestDesktopKeeper";
    if (!RegisterClassA(&windowClass))
        return 1;
    // Started while the desktop is still coming up, the first try can fail: try again for a while.
    HWND window = nullptr;
    for (int tries = 0; !window && tries < 100; ++tries) {
        window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, instance, nullptr);
        if (!window)
            Sleep(100);
    }
    if (!window)
        return 2;
    if (commandLine && *commandLine) {
        HANDLE ready = CreateFileA(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (ready != INVALID_HANDLE_VALUE)
            CloseHandle(ready);
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

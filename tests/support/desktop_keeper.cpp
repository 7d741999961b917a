// desktop_keeper: one more user of the run's virtual desktop, so that Wine never closes it between programs.
// (Wine closes a desktop a second after its last program ends; a program starting then has had its start
// refused.) A hidden window and a message loop, ended with the prefix's server by tools/wine-env.sh.
//   desktop_keeper.exe READY_FILE   (made once the window exists)
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR readyFile, int)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "KsTestDesktopKeeper";
    RegisterClassA(&windowClass);
    // Started while the desktop is still coming up, the first tries can fail.
    auto create = [&] {
        return CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                               nullptr, instance, nullptr);
    };
    int tries = 0;
    while (!create() && ++tries < 100)
        Sleep(100);
    if (tries == 100)
        return 1;
    CloseHandle(CreateFileA(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;)
        DispatchMessageA(&message);
    return 0;
}

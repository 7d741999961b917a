// kshelpvw.exe: the program's help viewer on its own, which the Start Menu's help shortcut starts. It shows the
// contents of KSHELP32.HLP from its own folder and ends when the viewer's window closes.
#include <windows.h>

#include <string>

#include "framework/help_viewer.h"
#include "framework/ui.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char module[MAX_PATH + 1]{};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module, length < MAX_PATH ? length : 0);
    folder.erase(folder.find_last_of('\\') == std::string::npos ? 0 : folder.find_last_of('\\'));
    const std::string helpFile = folder + "\\KSHELP32.HLP";
    if (!ks::ShowHelp(nullptr, helpFile.c_str(), HELP_INDEX, 0)) {
        const std::string text = "Sorry, Could not read the help file " + helpFile + ".";
        ks::ShowMessage(nullptr, text.c_str(), "Help Error", MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    MSG msg;
    while (ks::HelpViewerOpen() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

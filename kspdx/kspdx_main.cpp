// kspdx.exe: the record engine. Its hidden top-level window is how the program finds it.
#include <windows.h>

namespace {

constexpr char kEngineCaption[] = "Kestrum32-16ParadoxInterface";
constexpr char kEngineClass[] = "KestrumEngine";

LRESULT CALLBACK EngineWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = EngineWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kEngineClass;
    if (!RegisterClassA(&wc))
        return 1;
    // Never shown: the window only receives the program's commands.
    HWND wnd = CreateWindowA(kEngineClass, kEngineCaption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!wnd)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

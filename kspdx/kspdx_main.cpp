// kspdx.exe: the record engine. It opens its table beside itself, answers the program through the shared
// link, and shows itself only as a hidden top-level window, which is how the program finds it.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "controls/date_text.h"
#include "engine/link_protocol.h"
#include "kspdx/engine_core.h"
#include "kspdx/link_server.h"
#include "kspdx/table_log.h"

namespace {

constexpr char kEngineClass[] = "KestrumEngine";

LRESULT CALLBACK EngineWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The engine's directory with a trailing backslash: its table lies there, and the program copies a version-1
// table there before it asks for the import (it is the program's own directory too).
std::string EngineDir()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.rfind('\\') + 1);
}

// Imported dates are written as the program writes them: in the short date format of the profile.
std::string ProfileDate(std::uint32_t julianDay)
{
    char format[11]{};
    GetProfileStringA("intl", "sShortDate", "MM/dd/yy", format, sizeof format);
    return FormatDate(julianDay, format[0] ? std::string_view(format) : kDefaultShortDateFormat);
}

// Names in the store differ in letter case only as the system's code page folds them.
kspdx::CaseFold SystemCaseFold()
{
    std::array<unsigned char, 256> upper;
    for (int i = 0; i < 256; ++i)
        upper[i] = static_cast<unsigned char>(i);
    CharUpperBuffA(reinterpret_cast<char*>(upper.data()) + 1, 255);
    return kspdx::CaseFold(upper);
}

// Texts of an old table come in the code page its header names (a DOS code page for many); the catalogue keeps
// the system's ANSI code page. A code page the system does not know leaves the bytes as they stand.
std::string ToAnsi(std::string_view text, std::uint16_t codePage)
{
    if (codePage == GetACP() || text.size() > 0x7FFFFFFF)
        return std::string(text);
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (wide <= 0)
        return std::string(text);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, utf16.data(), wide);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string(text);
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // A second engine finds the table held by the first and ends before it shows a window.
    kspdx::EngineCore core(SystemCaseFold());
    if (core.OpenPath(EngineDir() + kspdx::kTableFileName) != 0)
        return 2;
    core.SetImportSource(EngineDir(), ProfileDate, ToAnsi);
    kspdx::LinkServer server(core);
    if (!server.Create())
        return 3;

    WNDCLASSA wc{};
    wc.lpfnWndProc = EngineWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kEngineClass;
    if (!RegisterClassA(&wc))
        return 1;
    // Never shown: the window only tells the program that the engine is there.
    HWND wnd = CreateWindowA(kEngineClass, kslink::kEngineCaption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                             instance, nullptr);
    if (!wnd)
        return 1;
    server.Start([wnd] { PostMessageA(wnd, WM_CLOSE, 0, 0); });
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    server.Stop();
    return static_cast<int>(msg.wParam);
}

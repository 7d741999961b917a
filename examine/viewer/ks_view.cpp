// ksview.exe: the read-only viewer that examining starts where the system has no QuickView. It shows one file
// given on its command line: text as text, anything else as a hex dump, in a read-only edit filling the window.
#include <windows.h>

#include <string>

#include "examine/launch_text.h"

namespace {

// More than this is not read: the viewer shows the beginning and says how large the file is.
constexpr DWORD kMostShown = 4 * 1024 * 1024;
constexpr char kClassName[] = "KestrumFileViewer";
constexpr int kEditId = 100;

HFONT g_font = nullptr;

// The file named on the command line: the whole tail, without the quotes a path with blanks comes in.
std::string FileArgument()
{
    const char* line = GetCommandLineA();
    // Skip the program's own name (quoted or not).
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line)
            ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    std::string path = line;
    while (!path.empty() && (path.back() == ' ' || path.back() == '\t'))
        path.pop_back();
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return path;
}

// The text to show, or a line saying why there is none.
std::string Contents(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "The file " + path + " could not be opened.";
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    const DWORD wanted = size.QuadPart > kMostShown ? kMostShown : static_cast<DWORD>(size.QuadPart);
    std::string bytes(wanted, '\0');
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), wanted, &read, nullptr);
    CloseHandle(file);
    if (!ok)
        return "The file " + path + " could not be read.";
    bytes.resize(read);
    return examine::ViewText(bytes, static_cast<std::uint64_t>(size.QuadPart));
}

LRESULT CALLBACK ViewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        MoveWindow(GetDlgItem(hwnd, kEditId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_CTLCOLORSTATIC:
        // A read-only edit asks as a static does; the text reads best on the window colour, as in any viewer.
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_SETFOCUS:
        SetFocus(GetDlgItem(hwnd, kEditId));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    const std::string path = FileArgument();
    const std::string name = path.substr(path.find_last_of("\\/") == std::string::npos ? 0
                                                                                        : path.find_last_of("\\/") + 1);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ViewerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    const std::string title = name.empty() ? "Viewer" : name + " - Viewer";
    HWND window = CreateWindowExA(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                  480, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance,
                                nullptr);
    g_font = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    const std::string text = path.empty() ? std::string("No file was given to show.") : Contents(path);
    SetWindowTextA(edit, text.c_str());
    RECT client;
    GetClientRect(window, &client);
    MoveWindow(edit, 0, 0, client.right, client.bottom, FALSE);
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

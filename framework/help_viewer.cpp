// The help viewer window: the topic list on the left, the chosen topic's text on the right; one per process.
#include "framework/help_viewer.h"

#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "framework/handles.h"
#include "framework/help_file.h"
#include "resources/resource_ids.h"

namespace ks {
namespace {

constexpr char kClassName[] = "KsHelpViewer";
constexpr int kTopicListId = 101;
constexpr int kTopicTextId = 102;
// Sizes at 96 dots per inch; scaled to the screen.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kMinWidth = 360;
constexpr int kMinHeight = 240;
constexpr int kMargin = 6;
constexpr int kListMinWidth = 150;
constexpr int kListMaxWidth = 210;

std::string FullPath(const char* path)
{
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return path;
    return std::string(full, length);
}

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi;
}

// Screen pixels for a length given at 96 dots per inch.
int Scaled(int length)
{
    return MulDiv(length, ScreenDpi(), 96);
}

// The rich edit control's library. Loaded once and never freed: its window class must outlive every viewer
// window, also one still open while the process ends (static owners would free the library first).
bool LoadRichEdit()
{
    static const bool loaded = LoadLibraryA("riched20.dll") != nullptr;
    return loaded;
}

// Hands an RTF text to EM_STREAMIN piece by piece.
struct RtfSource {
    const std::string& text;
    std::size_t offset = 0;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read)
{
    auto* source = reinterpret_cast<RtfSource*>(cookie);
    const std::size_t count = std::min(static_cast<std::size_t>(size), source->text.size() - source->offset);
    std::memcpy(buffer, source->text.data() + source->offset, count);
    source->offset += count;
    *read = static_cast<LONG>(count);
    return 0;
}

// The viewer window and the help file it shows; linked to its HWND through GWLP_USERDATA.
class HelpViewer {
public:
    HelpViewer(HelpFile file, std::string path)
        : m_file(std::move(file))
        , m_path(std::move(path))
    {
    }
    // Normally the window is gone first; one left open at process end is only unlinked from this object.
    ~HelpViewer()
    {
        if (m_window)
            SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
    }
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    bool Create(HWND owner);
    HWND Window() const { return m_window; }
    const std::string& Path() const { return m_path; }
    const HelpFile& File() const { return m_file; }
    void SetFile(HelpFile file, std::string path);
    // Shows the topic; a non-empty note is put above its text.
    void ShowTopic(const HelpTopic& topic, const std::string& note);
    void BringToFront();

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateControls();
    void FillTopicList();
    void Layout(int width, int height);
    const HelpTopic& TopicAt(LRESULT index) const;

    HelpFile m_file;
    std::string m_path;
    HWND m_window = nullptr;
    HWND m_list = nullptr;
    HWND m_text = nullptr;
    GdiObject m_font;    // the desktop's message font, when it could be made
    int m_halfPoints = 16; // its size in half points, for the topic's rich text
};

// The one viewer of the process; it lives exactly as long as its window.
std::unique_ptr<HelpViewer> g_viewer;
// The class procedures of the two subclassed controls (the same for every list box and every rich edit).
WNDPROC g_listBoxProc = nullptr;
WNDPROC g_textProc = nullptr;

bool RegisterViewerClass(HINSTANCE instance)
{
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = HelpViewer::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN_FRAME));
    if (!wc.hIcon)
        wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_QUESTION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    registered = RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

// The default size, centred over the owner and kept inside the owner's screen; the system's choice without one.
RECT InitialPlacement(HWND owner)
{
    const int width = Scaled(kDefaultWidth);
    const int height = Scaled(kDefaultHeight);
    RECT ownerRect;
    if (!owner || !IsWindow(owner) || !GetWindowRect(owner, &ownerRect))
        return {CW_USEDEFAULT, CW_USEDEFAULT, width, height};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    int left = ownerRect.left + (ownerRect.right - ownerRect.left) / 2 - width / 2;
    int top = ownerRect.top + (ownerRect.bottom - ownerRect.top) / 2 - height / 2;
    // Right and bottom edges first, so that a window larger than the screen keeps its title bar visible.
    left = std::max<int>(work.left, std::min<int>(left, work.right - width));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
    return {left, top, width, height};
}

bool HelpViewer::Create(HWND owner)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterViewerClass(instance))
        return false;
    RECT place = InitialPlacement(owner);
    // Unowned on purpose: it stays usable while a modal dialog that asked for help disables the program's
    // windows, and it does not close or hide with the window that asked.
    return CreateWindowExA(0, kClassName, m_file.Title().c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place.left,
               place.top, place.right, place.bottom, nullptr, nullptr, instance, this) != nullptr;
}

bool HelpViewer::CreateControls()
{
    if (!LoadRichEdit())
        return false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // The desktop's message font, as dialogs show it; the stock dialog font when that cannot be had.
    LOGFONTA face{};
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        face = metrics.lfMessageFont;
    else
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    m_font.Reset(CreateFontIndirectA(&face));
    HGDIOBJ font = m_font ? m_font.Get() : GetStockObject(DEFAULT_GUI_FONT);
    // The topic's size in half points, rounded up so that the rich edit, which turns sizes into whole pixels by
    // cutting off the fraction, draws as many pixels as the font has. Rounded down (8 points for the 11 pixels
    // of an 8.25-point message font) it drew 10, a size at which a hinted face spaces some letters wider than
    // they are drawn: gaps appeared inside words ("Kes trum32").
    const int pixels = std::abs(face.lfHeight) > 0 ? std::abs(face.lfHeight) : 11;
    m_halfPoints = std::max(12, (pixels * 144 + ScreenDpi() - 1) / ScreenDpi());

    m_list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0, m_window,
        reinterpret_cast<HMENU>(kTopicListId), instance, nullptr);
    m_text = CreateWindowExA(WS_EX_CLIENTEDGE, RICHEDIT_CLASSA, "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0,
        m_window, reinterpret_cast<HMENU>(kTopicTextId), instance, nullptr);
    if (!m_list || !m_text)
        return false;
    for (HWND control : {m_list, m_text})
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Escape closes the viewer and Tab moves between list and text, as in a dialog.
    g_listBoxProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HelpViewer::ControlProc)));
    g_textProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HelpViewer::ControlProc)));
    FillTopicList();
    return true;
}

void HelpViewer::FillTopicList()
{
    SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(m_list, LB_RESETCONTENT, 0, 0);
    SendMessageA(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_file.Contents().title.c_str()));
    for (const HelpTopic& topic : m_file.Topics())
        SendMessageA(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(topic.title.c_str()));
    SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_list, nullptr, TRUE);
}

// List line 0 is the contents; line i is numbered topic i - 1, in file order.
const HelpTopic& HelpViewer::TopicAt(LRESULT index) const
{
    if (index <= 0 || static_cast<std::size_t>(index) > m_file.Topics().size())
        return m_file.Contents();
    return m_file.Topics()[static_cast<std::size_t>(index) - 1];
}

void HelpViewer::SetFile(HelpFile file, std::string path)
{
    m_file = std::move(file);
    m_path = std::move(path);
    FillTopicList();
}

void HelpViewer::ShowTopic(const HelpTopic& topic, const std::string& note)
{
    const std::string rtf = m_file.RenderRtf(topic, note, m_halfPoints);
    RtfSource source{rtf};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadRtf};
    SendMessageA(m_text, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    SetWindowTextA(m_window, (m_file.Title() + " - " + topic.title).c_str());
    LRESULT index = 0;
    for (std::size_t i = 0; i < m_file.Topics().size(); ++i)
        if (&m_file.Topics()[i] == &topic)
            index = static_cast<LRESULT>(i) + 1;
    SendMessageA(m_list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void HelpViewer::BringToFront()
{
    ShowWindow(m_window, IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_window);
    BringWindowToTop(m_window);
}

void HelpViewer::Layout(int width, int height)
{
    const int margin = Scaled(kMargin);
    const int listWidth = std::clamp(width * 3 / 10, Scaled(kListMinWidth), Scaled(kListMaxWidth));
    const int inner = std::max(0, height - 2 * margin);
    MoveWindow(m_list, margin, margin, listWidth, inner, TRUE);
    const int textLeft = 2 * margin + listWidth;
    MoveWindow(m_text, textLeft, margin, std::max(0, width - textLeft - margin), inner, TRUE);
}

LRESULT HelpViewer::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return CreateControls() ? 0 : -1;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {Scaled(kMinWidth), Scaled(kMinHeight)};
        return 0;
    }
    case WM_SETFOCUS:
        SetFocus(m_list);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kTopicListId && HIWORD(wParam) == LBN_SELCHANGE) {
            ShowTopic(TopicAt(SendMessageA(m_list, LB_GETCURSEL, 0, 0)), {});
            return 0;
        }
        break;
    }
    return DefWindowProcA(m_window, message, wParam, lParam);
}

LRESULT CALLBACK HelpViewer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HelpViewer* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<HelpViewer*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<HelpViewer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        // A window that failed during creation is still owned by its creator, not by g_viewer.
        if (g_viewer.get() == self)
            g_viewer.reset();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK HelpViewer::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool isList = GetDlgCtrlID(control) == kTopicListId;
    WNDPROC original = isList ? g_listBoxProc : g_textProc;
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        PostMessageA(GetParent(control), WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_TAB) {
        SetFocus(GetDlgItem(GetParent(control), isList ? kTopicTextId : kTopicListId));
        return 0;
    }
    // The characters of those keys would only make the controls beep.
    if (message == WM_CHAR && (wParam == '\t' || wParam == 0x1B))
        return 0;
    return CallWindowProcA(original, control, message, wParam, lParam);
}

} // namespace

bool ShowHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data)
{
    try {
        if (command == HELP_QUIT) {
            if (g_viewer)
                DestroyWindow(g_viewer->Window());
            return true;
        }
        if ((command != HELP_CONTEXT && command != HELP_INDEX) || !helpFile || !*helpFile)
            return false;
        const std::string path = FullPath(helpFile);
        if (!g_viewer || lstrcmpiA(g_viewer->Path().c_str(), path.c_str()) != 0) {
            HelpParseResult loaded = LoadHelpFile(path);
            if (!loaded.file) {
                for (const HelpProblem& problem : loaded.problems)
                    OutputDebugStringA(("help: " + DescribeHelpProblem(problem) + "\n").c_str());
                return false;
            }
            if (g_viewer) {
                g_viewer->SetFile(std::move(*loaded.file), path);
            } else {
                auto viewer = std::make_unique<HelpViewer>(std::move(*loaded.file), path);
                if (!viewer->Create(owner))
                    return false;
                g_viewer = std::move(viewer);
            }
        }
        const HelpFile& file = g_viewer->File();
        const HelpTopic* topic = command == HELP_CONTEXT ? file.Find(data) : &file.Contents();
        std::string note;
        if (!topic) {
            note = "Help topic " + std::to_string(static_cast<unsigned long long>(data)) +
                " was not found in this help file. The contents are shown instead.";
            topic = &file.Contents();
        }
        g_viewer->ShowTopic(*topic, note);
        g_viewer->BringToFront();
        return note.empty();
    } catch (...) {
        return false;
    }
}

bool HelpViewerOpen()
{
    return g_viewer != nullptr;
}

HWND HelpViewerWindow()
{
    return g_viewer ? g_viewer->Window() : nullptr;
}

} // namespace ks

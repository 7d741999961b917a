// BoxWatcher: finds, records and answers message boxes of one process from a thread of the test.
#include "tests/support/box_watcher.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ks_test {
namespace {

constexpr auto kScanInterval = std::chrono::milliseconds(20);
constexpr UINT kReplyTimeoutMs = 2000;
constexpr int kMessageTextId = 0xFFFF;

bool HasClass(HWND window, const char* name)
{
    char buffer[64];
    return GetClassNameA(window, buffer, sizeof buffer) > 0 && lstrcmpiA(buffer, name) == 0;
}

std::string ToAnsi(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size, nullptr, nullptr);
    return ansi;
}

// The text of a window of any process. Sent as a wide message, which crosses processes intact.
std::string WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             kReplyTimeoutMs, &copied))
        return {};
    text.resize(std::min<std::size_t>(copied, length));
    return ToAnsi(text);
}

// "&Yes" is shown as "Yes", "&&" as "&".
std::string WithoutMnemonics(const std::string& text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

LONG_PTR Style(HWND window)
{
    return GetWindowLongPtrA(window, GWL_STYLE);
}

bool IsPushButton(HWND child)
{
    const LONG_PTR type = Style(child) & BS_TYPEMASK;
    return HasClass(child, "Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

const std::array<std::pair<LPCSTR, BoxIcon>, 4> kStandardIcons = {{
    {IDI_HAND, BoxIcon::Stop},
    {IDI_EXCLAMATION, BoxIcon::Exclamation},
    {IDI_ASTERISK, BoxIcon::Information},
    {IDI_QUESTION, BoxIcon::Question},
}};

// A 32-bit picture in memory that icons are drawn into and the screen is copied into.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_dc(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pixels = static_cast<DWORD*>(bits);
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool IsValid() const { return m_pixels != nullptr; }
    DWORD Pixel(int i) const { return m_pixels[i]; }
    void CopyScreen(const RECT& rect)
    {
        HDC screen = GetDC(nullptr);
        BitBlt(m_dc, 0, 0, m_width, m_height, screen, rect.left, rect.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        GdiFlush();
    }
    void DrawOn(DWORD background, HICON icon)
    {
        std::fill(m_pixels, m_pixels + m_width * m_height, background);
        DrawIconEx(m_dc, 0, 0, icon, m_width, m_height, 0, nullptr, DI_NORMAL);
        GdiFlush();
    }
    // True when at most 2% of the pixels differ by more than a rounding error.
    bool Matches(const Canvas& other) const
    {
        int differing = 0;
        for (int i = 0; i < m_width * m_height; ++i)
            for (int shift = 0; shift < 24; shift += 8) {
                const int a = static_cast<int>(m_pixels[i] >> shift & 0xFF);
                const int b = static_cast<int>(other.m_pixels[i] >> shift & 0xFF);
                if (a - b > 8 || b - a > 8) {
                    ++differing;
                    break;
                }
            }
        return differing * 50 <= m_width * m_height;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    DWORD* m_pixels = nullptr;
};

// The standard icon whose picture the control shows on the screen: each one is drawn on the control's
// background (its corner pixel) and compared with the screen.
std::optional<BoxIcon> IconOnScreen(HWND icon_control)
{
    RECT rect;
    if (!GetWindowRect(icon_control, &rect))
        return std::nullopt;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || width > 256 || height > 256)
        return std::nullopt;
    Canvas shown(width, height);
    Canvas drawn(width, height);
    if (!shown.IsValid() || !drawn.IsValid())
        return std::nullopt;
    shown.CopyScreen(rect);
    for (const auto& [resource, icon] : kStandardIcons) {
        drawn.DrawOn(shown.Pixel(0), LoadIconA(nullptr, resource));
        if (drawn.Matches(shown))
            return icon;
    }
    return std::nullopt;
}

// The standard icon a box's icon control shows. In this process the standard icons are shared handles,
// the same as LoadIcon gives. Another process has its own handles for them (Wine keeps them per process),
// so there the picture on the screen is compared instead, retried while the new box is being painted.
std::optional<BoxIcon> ShownIcon(HWND icon_control)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(icon_control, &owner);
    if (owner == GetCurrentProcessId()) {
        DWORD_PTR shown = 0;
        if (!SendMessageTimeoutW(icon_control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &shown))
            return std::nullopt;
        for (const auto& [resource, icon] : kStandardIcons)
            if (reinterpret_cast<DWORD_PTR>(LoadIconA(nullptr, resource)) == shown)
                return icon;
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (auto icon = IconOnScreen(icon_control))
            return icon;
        Sleep(50);
    }
    return std::nullopt;
}

struct Search {
    DWORD process_id;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM param)
{
    auto& search = *reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // A box is visible only once its set-up has filled in the texts.
    if (owner == search.process_id && IsWindowVisible(window) && HasClass(window, "#32770"))
        search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

}  // namespace

BoxWatcher::BoxWatcher(BoxWatcherOptions options)
    : m_options(std::move(options)),
      m_thread([this](std::stop_token stop) {
          while (!stop.stop_requested()) {
              Scan();
              std::unique_lock lock(m_mutex);
              m_changed.wait_for(lock, stop, kScanInterval, [] { return false; });
          }
      })
{
}

BoxWatcher::~BoxWatcher() = default;

std::optional<BoxRecord> BoxWatcher::WaitForBox(std::size_t n, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (n == 0 || !m_changed.wait_for(lock, timeout, [&] { return m_boxes.size() >= n; }))
        return std::nullopt;
    return m_boxes[n - 1];
}

std::vector<BoxRecord> BoxWatcher::Boxes() const
{
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

void BoxWatcher::Scan()
{
    std::erase_if(m_answered, [](HWND box) { return !IsWindow(box); });
    Search search{m_options.process_id, {}};
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
        if (std::find(m_answered.begin(), m_answered.end(), box) != m_answered.end())
            continue;
        if (!m_options.caption.empty() && WindowText(box) != m_options.caption)
            continue;
        const auto [record, button] = Read(box);
        m_answered.push_back(box);
        {
            std::lock_guard lock(m_mutex);
            m_boxes.push_back(record);
        }
        m_changed.notify_all();
        // Recorded before it is answered, so the record exists by the time the box's caller goes on.
        // Posted, not sent: the box's own thread (possibly in another process) acts on it in its modal loop.
        if (button)
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(record.answered, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
}

std::pair<BoxRecord, HWND> BoxWatcher::Read(HWND box) const
{
    BoxRecord record;
    record.caption = WindowText(box);
    if (HWND message = GetDlgItem(box, kMessageTextId))
        record.text = WindowText(message);

    std::vector<HWND> children;
    EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::vector<HWND> buttons;
    for (HWND child : children) {
        if (!record.icon && HasClass(child, "Static") && (Style(child) & SS_TYPEMASK) == SS_ICON)
            record.icon = ShownIcon(child);
        if (IsWindowVisible(child) && IsPushButton(child)) {
            buttons.push_back(child);
            record.buttons.push_back({GetDlgCtrlID(child), WithoutMnemonics(WindowText(child))});
        }
    }
    if (buttons.empty())
        return {record, nullptr};

    // The wanted button; failing that (or with none named) the default one, else the first. A box is always
    // answered, so a test that expected another button fails on the record instead of hanging.
    auto chosen = std::size_t{0};
    auto named = std::find_if(record.buttons.begin(), record.buttons.end(), [&](const BoxButton& button) {
        return m_options.button_id ? button.id == m_options.button_id : button.text == m_options.button_text;
    });
    auto is_default = [](HWND button) { return (Style(button) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; };
    if ((m_options.button_id || !m_options.button_text.empty()) && named != record.buttons.end())
        chosen = static_cast<std::size_t>(named - record.buttons.begin());
    else if (auto def = std::find_if(buttons.begin(), buttons.end(), is_default); def != buttons.end())
        chosen = static_cast<std::size_t>(def - buttons.begin());
    record.answered = record.buttons[chosen].id;
    return {record, buttons[chosen]};
}

}  // namespace ks_test

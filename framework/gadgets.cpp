// TControlBar and TStatusBar on the common toolbar and status controls.
#include "framework/gadgets.h"

#include <commctrl.h>
#include <windowsx.h>

#include "framework/mdi.h"

namespace ks {

namespace {

constexpr int kGlyphSize = 20;
constexpr const char* kIndicatorText[] = {"CAPS", "NUM", "SCRL", "OVR"};

int IndicatorIndex(TStatusBar::ModeIndicator indicator)
{
    switch (indicator) {
    case TStatusBar::CapsLock:
        return 0;
    case TStatusBar::NumLock:
        return 1;
    case TStatusBar::ScrollLock:
        return 2;
    default:
        return 3;
    }
}

}  // namespace

TGadgetWindowFont::TGadgetWindowFont(int pointSize, bool bold, bool italic)
{
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    m_font.Reset(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                             "MS Sans Serif"));
}

int TGadgetWindow::Height() const
{
    RECT rect{};
    GetWindowRect(m_hwnd, &rect);
    return rect.bottom - rect.top;
}

TControlBar::TControlBar(std::unique_ptr<TGadgetWindowFont> font) : TGadgetWindow(std::move(font)) {}

void TControlBar::Insert(const TButtonGadget& button) { m_gadgets.push_back({false, button.glyphId, button.command}); }

void TControlBar::Insert(const TSeparatorGadget& separator) { m_gadgets.push_back({true, separator.size, 0}); }

bool TControlBar::CreateIn(HWND frame)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    m_hwnd = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0,
                             frame, nullptr, instance, nullptr);
    if (!m_hwnd)
        return false;
    HWND hwnd = m_hwnd;
    Subclass(hwnd);
    Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(kGlyphSize, kGlyphSize));
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_font->Get()), FALSE);
    for (const Gadget& g : m_gadgets) {
        TBBUTTON button{};
        if (g.separator) {
            button.iBitmap = g.value;
            button.fsStyle = BTNS_SEP;
        } else {
            // The toolbar maps the glyph's light grey to the button face colour.
            TBADDBITMAP glyph{instance, static_cast<UINT_PTR>(g.value)};
            button.iBitmap = static_cast<int>(Send(TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&glyph)));
            button.idCommand = static_cast<int>(g.command);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        Send(TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    Send(TB_AUTOSIZE);
    return true;
}

LRESULT TControlBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Wine's toolbar leaves its background to the parent, whose colour is the workspace grey: paint the face.
    if (msg == WM_ERASEBKGND) {
        RECT rect;
        GetClientRect(m_hwnd, &rect);
        FillRect(reinterpret_cast<HDC>(wParam), &rect, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    // The status bar shows the hint of the button under the mouse, as it does for a highlighted menu item.
    if (msg == WM_MOUSEMOVE || msg == WM_MOUSELEAVE) {
        UINT command = 0;
        if (msg == WM_MOUSEMOVE) {
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const int index = static_cast<int>(Send(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
            command = index >= 0 && !IsSeparatorAt(index) ? CommandAt(index) : 0;
            TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, m_hwnd, 0};
            TrackMouseEvent(&leave);
        }
        if (command != m_hintCommand) {
            m_hintCommand = command;
            if (auto* frame = dynamic_cast<TDecoratedMDIFrame*>(TWindow::FromHandle(GetParent(m_hwnd))))
                frame->ShowCommandHint(command);
        }
    }
    return TGadgetWindow::WindowProc(msg, wParam, lParam);
}

void TControlBar::IdleAction(const TDecoratedMDIFrame& frame)
{
    for (const Gadget& g : m_gadgets) {
        if (g.separator)
            continue;
        const bool enabled = frame.IsCommandEnabled(g.command);
        if (IsEnabled(g.command) != enabled)
            Send(TB_ENABLEBUTTON, g.command, MAKELPARAM(enabled, 0));
    }
}

bool TControlBar::GetTip(NMHDR& header) const
{
    if (header.code != TTN_GETDISPINFOA)
        return false;
    auto& info = reinterpret_cast<NMTTDISPINFOA&>(header);
    m_tip = LoadResourceString(GetModuleHandleA(nullptr), static_cast<UINT>(header.idFrom));
    info.lpszText = m_tip.data();
    return true;
}

int TControlBar::ButtonCount() const { return static_cast<int>(Send(TB_BUTTONCOUNT)); }

UINT TControlBar::CommandAt(int index) const
{
    TBBUTTON button{};
    Send(TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
    return static_cast<UINT>(button.idCommand);
}

bool TControlBar::IsSeparatorAt(int index, int* size) const
{
    TBBUTTON button{};
    Send(TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button));
    if (size)
        *size = button.iBitmap;
    return (button.fsStyle & BTNS_SEP) != 0;
}

bool TControlBar::IsEnabled(UINT command) const { return Send(TB_ISBUTTONENABLED, command) != 0; }

TStatusBar::TStatusBar(unsigned modeIndicators, std::unique_ptr<TGadgetWindowFont> font)
    : TGadgetWindow(std::move(font)), m_indicators(modeIndicators)
{
    for (ModeIndicator indicator : {CapsLock, NumLock, ScrollLock, Overtype})
        if (m_indicators & indicator)
            m_parts.push_back(indicator);
}

bool TStatusBar::CreateIn(HWND frame)
{
    // The status control's parts are drawn recessed by default.
    m_hwnd = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, 0, 0, 0, 0,
                             frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!m_hwnd)
        return false;
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_font->Get()), FALSE);
    Resize();
    ShowText(m_text.c_str());
    if (!m_paneWidest.empty())
        Send(SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(m_paneText.c_str()));
    return true;
}

void TStatusBar::ReservePane(const char* widest) { m_paneWidest = widest; }

void TStatusBar::SetPaneText(const char* text)
{
    m_paneText = text;
    if (m_hwnd && !m_paneWidest.empty())
        Send(SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text));
}

void TStatusBar::Resize()
{
    TGadgetWindow::Resize();
    LayoutParts();
}

void TStatusBar::LayoutParts()
{
    // Parts are given by their right edges: the text part stretches, the pane and the indicators sit at the right.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    std::vector<std::string> fixed;
    if (!m_paneWidest.empty())
        fixed.push_back(m_paneWidest);
    for (ModeIndicator indicator : m_parts)
        fixed.push_back(kIndicatorText[IndicatorIndex(indicator)]);
    const int n = static_cast<int>(fixed.size());
    std::vector<int> edges(n + 1, -1);
    HDC dc = GetDC(m_hwnd);
    {
        SelectObjectScope font(dc, m_font->Get());
        int edge = client.right - GetSystemMetrics(SM_CXVSCROLL);
        for (int i = n; i >= 1; --i) {
            SIZE extent{};
            GetTextExtentPoint32A(dc, fixed[i - 1].c_str(), static_cast<int>(fixed[i - 1].size()), &extent);
            edge -= extent.cx + 12;
            edges[i - 1] = edge;
        }
    }
    ReleaseDC(m_hwnd, dc);
    Send(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    if (!m_paneWidest.empty())
        Send(SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(m_paneText.c_str()));
    m_shownStates = ~0u;
}

void TStatusBar::ShowText(const char* text) const
{
    if (m_hwnd)
        Send(SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void TStatusBar::SetText(const char* text)
{
    m_text = text;
    if (!m_showingHint)
        ShowText(text);
}

void TStatusBar::SetHintText(const char* text)
{
    m_showingHint = true;
    ShowText(text);
}

void TStatusBar::ClearHint()
{
    m_showingHint = false;
    ShowText(m_text.c_str());
}

std::string TStatusBar::GetShownText() const
{
    const LRESULT length = LOWORD(Send(SB_GETTEXTLENGTHA, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    Send(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

bool TStatusBar::IsIndicatorOn(ModeIndicator indicator) const
{
    switch (indicator) {
    case CapsLock:
        return (GetKeyState(VK_CAPITAL) & 1) != 0;
    case NumLock:
        return (GetKeyState(VK_NUMLOCK) & 1) != 0;
    case ScrollLock:
        return (GetKeyState(VK_SCROLL) & 1) != 0;
    default:
        return m_overtype;
    }
}

void TStatusBar::IdleAction(const TDecoratedMDIFrame&)
{
    unsigned states = 0;
    for (ModeIndicator indicator : m_parts)
        if (IsIndicatorOn(indicator))
            states |= indicator;
    if (states == m_shownStates)
        return;
    m_shownStates = states;
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const char* text = (states & m_parts[i]) ? kIndicatorText[IndicatorIndex(m_parts[i])] : "";
        Send(SB_SETTEXTA, i + FirstIndicatorPart(), reinterpret_cast<LPARAM>(text));
    }
}

}  // namespace ks

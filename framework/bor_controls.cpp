// The "BorBtn" and "BorShade" window classes: picture push buttons and etched frames for dialog templates.
#include "framework/bor_controls.h"

#include <memory>
#include <new>
#include <string>

#include "framework/handles.h"
#include "resources/resource_ids.h"

namespace ks {
namespace {

constexpr int kUpPictureOffset = 1000;
constexpr int kDownPictureOffset = 3000;
constexpr int kShadeKindMask = 0x000F;

// A memory device context compatible with another, deleted on every way out.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) : m_dc(CreateCompatibleDC(compatible)) {}
    ~MemoryDc()
    {
        if (m_dc)
            DeleteDC(m_dc);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// One BorBtn's state, owned by its window (class extra bytes, since GWLP_USERDATA belongs to whoever
// subclasses the control) from WM_NCCREATE to WM_NCDESTROY.
struct BorBtn {
    GdiObject up;
    GdiObject down;
    SIZE picture{};
    HFONT font = nullptr;
    bool pushed = false;     // drawn pressed
    bool tracking = false;   // the mouse was pressed on the button and is captured
    bool spaceDown = false;  // Space went down while the button had the focus
    bool focused = false;
};

BorBtn* StateOf(HWND hwnd) { return reinterpret_cast<BorBtn*>(GetWindowLongPtrA(hwnd, 0)); }

GdiObject LoadPicture(HINSTANCE instance, int id)
{
    if (id <= 0 || id > 0xFFFF)  // beyond what a resource number can name (an id of -1, say)
        return GdiObject();
    return GdiObject(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
}

void DrawPicture(HDC dc, HGDIOBJ bitmap, int x, int y, int width, int height)
{
    MemoryDc source(dc);
    SelectObjectScope select(source.Get(), bitmap);
    BitBlt(dc, x, y, width, height, source.Get(), 0, 0, SRCCOPY);
}

// Greys out a picture the classic way: every other pixel, in a checkerboard, becomes the button face.
void Stipple(HDC dc, const RECT& area)
{
    static const WORD kChecker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    GdiObject pattern(CreateBitmap(8, 8, 1, 1, kChecker));
    GdiObject brush(CreatePatternBrush(static_cast<HBITMAP>(pattern.Get())));
    if (!brush)
        return;
    SelectObjectScope select(dc, brush.Get());
    const COLORREF oldText = GetTextColor(dc);
    const COLORREF oldBack = GetBkColor(dc);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    // A monochrome pattern paints its 0 bits in the text colour and its 1 bits in the background colour:
    // first AND the 0 positions to black, then OR the face colour into exactly those.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    PatBlt(dc, area.left, area.top, width, height, 0x00A000C9);  // DPa
    SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
    SetBkColor(dc, RGB(0, 0, 0));
    PatBlt(dc, area.left, area.top, width, height, 0x00FA0089);  // DPo
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

void DrawCaption(HWND hwnd, const BorBtn& state, HDC dc, RECT area, bool enabled)
{
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
    SelectObjectScope select(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (!enabled) {
        // Embossed: a highlight one pixel down and right under the grey text.
        RECT shifted = area;
        OffsetRect(&shifted, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, text.c_str(), -1, &shifted, format);
    }
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, text.c_str(), -1, &area, format);
}

void PaintButton(HWND hwnd, const BorBtn& state, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const bool pressed = state.pushed && enabled;
    RECT focus = client;
    if (state.up) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));  // only shows if someone resized us
        const int x = (client.right - state.picture.cx) / 2;
        const int y = (client.bottom - state.picture.cy) / 2;
        RECT frame = {x, y, x + state.picture.cx, y + state.picture.cy};
        if (pressed && state.down) {
            DrawPicture(dc, state.down.Get(), x, y, state.picture.cx, state.picture.cy);
        } else if (pressed) {
            DrawPicture(dc, state.up.Get(), x + 1, y + 1, state.picture.cx - 1, state.picture.cy - 1);
            DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
        } else {
            DrawPicture(dc, state.up.Get(), x, y, state.picture.cx, state.picture.cy);
        }
        if (!enabled) {
            RECT inside = frame;
            InflateRect(&inside, -2, -2);
            Stipple(dc, inside);
        }
        focus = frame;
    } else {
        DrawFrameControl(dc, &client, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        RECT text = client;
        if (pressed)
            OffsetRect(&text, 1, 1);
        DrawCaption(hwnd, state, dc, text, enabled);
    }
    // A picture outside the tab order (a splash or About emblem) is not a keyboard target: no focus cue.
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    const bool emblem = (style & BBS_PICTURE) && !(style & WS_TABSTOP);
    const bool hideFocus = emblem || (SendMessageA(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    if (state.focused && !hideFocus) {
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

void SetPushed(HWND hwnd, BorBtn& state, bool pushed)
{
    if (state.pushed != pushed) {
        state.pushed = pushed;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

// Ends a press: draws the button up and lets go of the mouse. Whether it was a click is for the caller to say.
void EndPress(HWND hwnd, BorBtn& state)
{
    state.spaceDown = false;
    SetPushed(hwnd, state, false);
    if (state.tracking) {
        state.tracking = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
    }
}

// Tells the parent. The parent may destroy the button in reply, so callers touch nothing afterwards.
void NotifyClicked(HWND hwnd)
{
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

bool IsInside(HWND hwnd, LPARAM lParam)
{
    RECT client;
    GetClientRect(hwnd, &client);
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return PtInRect(&client, point) != FALSE;
}

void LoadPictures(HWND hwnd, BorBtn& state, const CREATESTRUCTA& create)
{
    if (!(create.style & BBS_PICTURE))
        return;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    const int id = GetDlgCtrlID(hwnd);
    state.up = LoadPicture(instance, id + kUpPictureOffset);
    state.down = LoadPicture(instance, id + kDownPictureOffset);
    BITMAP info{};
    if (!state.up || !GetObjectA(state.up.Get(), sizeof info, &info))
        return;
    state.picture = {info.bmWidth, info.bmHeight};
    SetWindowPos(hwnd, nullptr, create.x + (create.cx - info.bmWidth) / 2, create.y + (create.cy - info.bmHeight) / 2,
                 info.bmWidth, info.bmHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT ButtonMessage(HWND hwnd, BorBtn& state, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        LoadPictures(hwnd, state, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PaintButton(hwnd, state, dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintButton(hwnd, state, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SETFONT:
        state.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state.font);
    case WM_SETTEXT:
    case WM_UPDATEUISTATE: {
        const LRESULT result = DefWindowProcA(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    case WM_GETDLGCODE:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case WM_SETFOCUS:
        state.focused = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_KILLFOCUS:
        state.focused = false;
        EndPress(hwnd, state);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ENABLE:
        // Disabling sends WM_CANCELMODE and takes the focus, which end any press; only the look changes here.
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // Posted input reaches a disabled window too; a disabled button ignores it.
        if (!IsWindowEnabled(hwnd))
            return 0;
        if (GetFocus() != hwnd)
            SetFocus(hwnd);
        SetCapture(hwnd);
        state.tracking = true;
        SetPushed(hwnd, state, true);
        return 0;
    case WM_MOUSEMOVE:
        if (state.tracking)
            SetPushed(hwnd, state, IsInside(hwnd, lParam));  // pressed only while the cursor is over it
        return 0;
    case WM_LBUTTONUP: {
        if (!state.tracking)
            return 0;
        const bool inside = IsInside(hwnd, lParam);
        EndPress(hwnd, state);
        if (inside)
            NotifyClicked(hwnd);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (state.tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            state.tracking = false;
            SetPushed(hwnd, state, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam != VK_SPACE)
            break;
        if (IsWindowEnabled(hwnd) && !state.tracking && !state.spaceDown) {
            state.spaceDown = true;
            SetPushed(hwnd, state, true);
        }
        return 0;
    case WM_KEYUP:
        if (wParam != VK_SPACE)
            break;
        if (state.spaceDown) {
            EndPress(hwnd, state);
            if (IsWindowEnabled(hwnd))
                NotifyClicked(hwnd);
        }
        return 0;
    case BM_CLICK:
        if (IsWindowEnabled(hwnd))
            NotifyClicked(hwnd);
        return 0;
    case BM_GETSTATE:
        return (state.pushed ? BST_PUSHED : 0) | (state.focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        SetPushed(hwnd, state, wParam != 0);
        return 0;
    case BM_SETSTYLE:
        return 0;  // the dialog manager's default-button styles would only clobber BBS_PICTURE's neighbours
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        std::unique_ptr<BorBtn> state(new (std::nothrow) BorBtn);
        if (!state)
            return FALSE;
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(state.release()));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        std::unique_ptr<BorBtn> state(StateOf(hwnd));
        SetWindowLongPtrA(hwnd, 0, 0);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    BorBtn* state = StateOf(hwnd);
    if (!state)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return ButtonMessage(hwnd, *state, msg, wParam, lParam);
}

void PaintShade(HWND hwnd, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    const LONG_PTR kind = GetWindowLongPtrA(hwnd, GWL_STYLE) & kShadeKindMask;
    if (kind == BSS_GROUP) {
        // Only the frame: controls placed inside the box must not be painted over.
        DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
        return;
    }
    if (kind != BSS_HDIP && kind != BSS_VDIP)
        return;
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    RECT line = client;
    if (kind == BSS_HDIP) {
        line.top = (client.bottom - 2) / 2;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    } else {
        line.left = (client.right - 2) / 2;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    }
}

LRESULT CALLBACK ShadeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCREATE:
        // A decoration is never a tab stop, whatever the template says.
        SetWindowLongPtrA(hwnd, GWL_STYLE, GetWindowLongPtrA(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_TABSTOP));
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PaintShade(hwnd, dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintShade(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool Register(HINSTANCE instance, const char* name, WNDPROC proc, int extraBytes)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extraBytes;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool RegisterBorControls(HINSTANCE instance)
{
    const bool button = Register(instance, kBorBtnClass, ButtonProc, sizeof(LONG_PTR));
    const bool shade = Register(instance, kBorShadeClass, ShadeProc, 0);
    return button && shade;
}

}  // namespace ks

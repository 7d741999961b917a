// TWindow: message dispatch, subclassing, centring.
#include "framework/window.h"

#include <exception>

namespace ks {

TWindow::~TWindow()
{
    if (m_hwnd && IsWindow(m_hwnd)) {
        // The object goes first: unlink so that late messages do not reach a dead object.
        HWND hwnd = m_hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (m_previousProc)
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        m_hwnd = nullptr;
        DestroyWindow(hwnd);
    }
}

TWindow* TWindow::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    char className[16]{};
    GetClassNameA(hwnd, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0)
        return reinterpret_cast<TWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return reinterpret_cast<TWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

std::string TWindow::GetText(int maxChars) const
{
    std::string text(static_cast<size_t>(maxChars) + 1, '\0');
    const int n = GetWindowTextA(m_hwnd, text.data(), maxChars + 1);
    text.resize(n > 0 ? n : 0);
    return text;
}

void TWindow::SetText(const char* text) { SetWindowTextA(m_hwnd, text); }

bool TWindow::OnCommand(UINT, UINT, HWND) { return false; }

LRESULT TWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        break;
    case WM_DESTROY:
        CleanupWindow();
        break;
    default:
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

LRESULT TWindow::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_previousProc)
        return CallWindowProcA(m_previousProc, m_hwnd, msg, wParam, lParam);
    return DefWindowProcA(m_hwnd, msg, wParam, lParam);
}

void TWindow::Subclass(HWND hwnd)
{
    m_hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindow::StdWndProc)));
}

LRESULT TWindow::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_NCDESTROY)
        return WindowProc(msg, wParam, lParam);
    const LRESULT result = DefaultProc(msg, wParam, lParam);
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
    if (m_previousProc)
        SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    m_previousProc = nullptr;
    m_hwnd = nullptr;
    WindowGone();
    return result;
}

LRESULT CALLBACK TWindow::StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        void* param = cs->lpCreateParams;
        // MDI children carry their creation parameter inside the MDICREATESTRUCT.
        if (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD)
            param = reinterpret_cast<void*>(reinterpret_cast<MDICREATESTRUCTA*>(param)->lParam);
        self = static_cast<TWindow*>(param);
        if (self) {
            self->m_hwnd = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    try {
        return self->Dispatch(msg, wParam, lParam);
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
    } catch (...) {
        OutputDebugStringA("unknown exception in a window procedure");
    }
    return 0;
}

bool RegisterFrameworkClass(const char* className, UINT style, HBRUSH background, HICON icon)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, className, &existing))
        return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &TWindow::StdWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    return RegisterClassExA(&wc) != 0;
}

void CentreWindow(HWND window, const RECT& reference)
{
    RECT own;
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    // Integer division truncates toward zero, as the centring rule asks.
    const int left = reference.left + (reference.right - reference.left) / 2 - width / 2;
    const int top = reference.top + (reference.bottom - reference.top) / 2 - height / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void CentreOnDesktop(HWND window)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    CentreWindow(window, desktop);
}

void CentreOverWindow(HWND window, HWND reference)
{
    RECT rect;
    GetWindowRect(reference, &rect);
    // A child window is placed in its parent's client coordinates.
    if (HWND parent = (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    CentreWindow(window, rect);
}

void CentreInClient(HWND child, HWND parent)
{
    RECT client;
    GetClientRect(parent, &client);
    CentreWindow(child, client);
}

std::string LoadResourceString(HINSTANCE module, UINT id)
{
    char buffer[512];
    const int n = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

}  // namespace ks

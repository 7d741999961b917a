// TWindow: the C++ object behind one window, its message dispatch and its command table.
//
// Linking objects and windows: a window we create carries its object in the creation parameter, stored in
// GWLP_USERDATA (dialogs: DWLP_USER); a window we subclass (the MDI client, edit controls) gets the same link
// when it is attached. The link is cleared at WM_NCDESTROY. No C++ exception crosses a window procedure.
//
// Ownership: an object outlives its window. Modal dialogs are stack objects of their caller; controls are
// members of their dialog; MDI children belong to their MDI client (see mdi.h); the main frame belongs to
// the application.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

namespace ks {

// One entry of a class's command table: a command id (with a notification code for control
// notifications; 0 for menu items, accelerators and button clicks) and the member that answers it.
template <class T>
struct TResponse {
    UINT id;
    UINT notify;
    void (T::*handler)();
    void (T::*handlerWithArg)(int);
    int arg;
};

template <class T>
constexpr TResponse<T> Command(UINT id, void (T::*handler)())
{
    return {id, 0, handler, nullptr, 0};
}
// A command whose handler serves several ids, told apart by arg (area 1..4, say).
template <class T>
constexpr TResponse<T> Command(UINT id, void (T::*handler)(int), int arg)
{
    return {id, 0, nullptr, handler, arg};
}
template <class T>
constexpr TResponse<T> Notify(UINT id, UINT notify, void (T::*handler)())
{
    return {id, notify, handler, nullptr, 0};
}

// Menu items send notification 0 and accelerators 1; both count as the command itself.
inline bool SameNotification(UINT tableNotify, UINT notify)
{
    return tableNotify == notify || (tableNotify == 0 && notify == 1);
}

template <class T, std::size_t N>
bool Dispatch(T& self, const TResponse<T> (&table)[N], UINT id, UINT notify)
{
    for (const TResponse<T>& r : table) {
        if (r.id != id || !SameNotification(r.notify, notify))
            continue;
        if (r.handler)
            (self.*r.handler)();
        else
            (self.*r.handlerWithArg)(r.arg);
        return true;
    }
    return false;
}

template <class T, std::size_t N>
bool Handles(const TResponse<T> (&table)[N], UINT id)
{
    for (const TResponse<T>& r : table)
        if (r.id == id && r.notify == 0)
            return true;
    return false;
}

class TWindow {
public:
    explicit TWindow(TWindow* parent = nullptr) : m_parent(parent) {}
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND GetHandle() const { return m_hwnd; }
    TWindow* GetParentObject() const { return m_parent; }
    void SetParentObject(TWindow* parent) { m_parent = parent; }
    // The object linked to a window, or null for windows that are not ours.
    static TWindow* FromHandle(HWND hwnd);

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageA(m_hwnd, msg, wParam, lParam);
    }
    std::string GetText(int maxChars) const;
    void SetText(const char* text);

    // The window procedure of every window whose object is linked through GWLP_USERDATA.
    static LRESULT CALLBACK StdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Close query: may this window close now? Windows with children ask them.
    virtual bool CanClose() { return true; }
    // Command query: does this window (not its parents) answer command id? Drives menu and button enabling.
    virtual bool HandlesCommand(UINT) const { return false; }
    // A command from a menu, accelerator or control; true when handled.
    virtual bool OnCommand(UINT id, UINT notify, HWND control);

protected:
    // Called when the window exists, before it is first shown (WM_CREATE, or WM_INITDIALOG for dialogs).
    virtual void SetupWindow() {}
    // Called at WM_DESTROY, while the window and its children still exist.
    virtual void CleanupWindow() {}
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Links this object to a window it did not create, replacing its window procedure (subclassing).
    void Subclass(HWND hwnd);
    // Called at WM_NCDESTROY after the link is cleared; the object may be released from here on.
    virtual void WindowGone() {}

    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc = nullptr;

private:
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    TWindow* m_parent;
};

// Registers a window class of ours once per process, with StdWndProc as its procedure.
bool RegisterFrameworkClass(const char* className, UINT style, HBRUSH background, HICON icon = nullptr);

// Centring: left = reference left + half the reference width - half the window width, halves truncated
// toward zero, the top likewise. The window keeps its size and is moved without repainting.
void CentreWindow(HWND window, const RECT& reference);
void CentreOnDesktop(HWND window);
// Over another window's outer rectangle (dialogs over their parent window).
void CentreOverWindow(HWND window, HWND reference);
// Within a parent's client area (MDI children within the MDI client).
void CentreInClient(HWND child, HWND parent);

std::string LoadResourceString(HINSTANCE module, UINT id);

}  // namespace ks

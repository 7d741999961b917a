// TDecoratedMDIFrame, TMDIClient and TMDIChild.
#include "framework/mdi.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/application.h"
#include "framework/dialog.h"

namespace ks {

namespace {

constexpr char kFrameClass[] = "KsMDIFrame";
constexpr char kChildClass[] = "KsMDIChild";
// Posted to the client to release children whose windows have gone, after their last message.
constexpr UINT WM_KS_RELEASECHILDREN = WM_APP + 0x3F1;
// Posted to an MDI child whose client dialog has been destroyed: the child closes too.
constexpr UINT WM_KS_CLIENTGONE = WM_APP + 0x3F2;

HMENU FindPopupWithCommand(HMENU menu, UINT command)
{
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            if (GetMenuState(sub, command, MF_BYCOMMAND) != static_cast<UINT>(-1))
                return sub;
        }
    }
    return nullptr;
}

void LoadIcons(HINSTANCE module, int iconId, IconHandle& big, IconHandle& small)
{
    big.Reset(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(iconId), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), 0)));
    small.Reset(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
}

}  // namespace

// ---------------------------------------------------------------- TMDIClient

bool TMDIClient::Create(TDecoratedMDIFrame& frame, HMENU windowMenu)
{
    CLIENTCREATESTRUCT ccs{windowMenu, kFirstChildId};
    HWND hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0, 0,
                                frame.GetHandle(), nullptr, GetModuleHandleA(nullptr), &ccs);
    if (!hwnd)
        return false;
    SetParentObject(&frame);
    Subclass(hwnd);
    SetupWindow();
    return true;
}

TMDIChild* TMDIClient::CreateChild(std::unique_ptr<TMDIChild> child)
{
    TMDIChild* raw = child.get();
    m_children.push_back(std::move(child));
    if (!raw->Create()) {
        std::erase_if(m_children, [raw](const auto& c) { return c.get() == raw; });
        return nullptr;
    }
    return raw;
}

std::vector<TMDIChild*> TMDIClient::GetChildren() const
{
    std::vector<TMDIChild*> children;
    for (const auto& child : m_children)
        if (child->GetHandle())
            children.push_back(child.get());
    return children;
}

TMDIChild* TMDIClient::GetActiveChild() const
{
    const HWND active = m_hwnd ? reinterpret_cast<HWND>(SendMessageA(m_hwnd, WM_MDIGETACTIVE, 0, 0)) : nullptr;
    for (const auto& child : m_children)
        if (active && child->GetHandle() == active)
            return child.get();
    return nullptr;
}

bool TMDIClient::CanClose()
{
    for (TMDIChild* child : GetChildren())
        if (!child->CanClose())
            return false;
    return true;
}

void TMDIClient::CloseChildren()
{
    if (!CanClose())
        return;
    for (TMDIChild* child : GetChildren())
        SendMessageA(m_hwnd, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
}

bool TMDIClient::OnCommand(UINT id, UINT notify, HWND)
{
    if (notify > 1 && notify != BN_CLICKED)
        return false;
    switch (id) {
    case CM_CASCADE_CHILDREN:
        SendMessageA(m_hwnd, WM_MDICASCADE, 0, 0);
        return true;
    case CM_ARRANGE_ICONS:
        SendMessageA(m_hwnd, WM_MDIICONARRANGE, 0, 0);
        return true;
    case CM_CLOSE_CHILDREN:
        CloseChildren();
        return true;
    default:
        return false;
    }
}

bool TMDIClient::HandlesCommand(UINT id) const { return id == CM_CASCADE_CHILDREN || id == CM_ARRANGE_ICONS || id == CM_CLOSE_CHILDREN; }

void TMDIClient::ChildGone(TMDIChild* child)
{
    auto it = std::find_if(m_children.begin(), m_children.end(), [child](const auto& c) { return c.get() == child; });
    if (it == m_children.end())
        return;
    m_released.push_back(std::move(*it));
    m_children.erase(it);
    if (m_hwnd)
        PostMessageA(m_hwnd, WM_KS_RELEASECHILDREN, 0, 0);
}

LRESULT TMDIClient::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KS_RELEASECHILDREN) {
        m_released.clear();
        return 0;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
}

// ---------------------------------------------------------------- TMDIChild

TMDIChild::TMDIChild(TMDIClient& parent, const char* title, std::unique_ptr<TDialog> clientWindow, bool shrinkToClient)
    : TWindow(&parent), m_client(parent), m_title(title), m_shrinkToClient(shrinkToClient)
{
    SetClientWindow(std::move(clientWindow));
}

TMDIChild::~TMDIChild() = default;

void TMDIChild::SetClientWindow(std::unique_ptr<TDialog> clientWindow)
{
    m_clientWindow = std::move(clientWindow);
    if (m_clientWindow)
        m_clientWindow->SetParentObject(this);
}

void TMDIChild::SetIconResource(HINSTANCE module, int iconId) { LoadIcons(module, iconId, m_icon, m_smallIcon); }

HWND TMDIChild::Create()
{
    RegisterFrameworkClass(kChildClass, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), LoadIcon(nullptr, IDI_APPLICATION));
    MDICREATESTRUCTA mcs{};
    mcs.szClass = kChildClass;
    mcs.szTitle = m_title.c_str();
    mcs.hOwner = GetModuleHandleA(nullptr);
    mcs.x = mcs.y = mcs.cx = mcs.cy = CW_USEDEFAULT;
    mcs.style = Style;
    mcs.lParam = reinterpret_cast<LPARAM>(static_cast<TWindow*>(this));
    return reinterpret_cast<HWND>(SendMessageA(m_client.GetHandle(), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

void TMDIChild::SetupWindow()
{
    if (m_icon) {
        SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
        SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
    }
    if (!m_clientWindow || !m_clientWindow->Create())
        return;
    HWND dialog = m_clientWindow->GetHandle();
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (m_shrinkToClient) {
        RECT rect;
        GetWindowRect(dialog, &rect);
        OffsetRect(&rect, -rect.left, -rect.top);
        AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrA(m_hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrA(m_hwnd, GWL_EXSTYLE)));
        SetWindowPos(m_hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(dialog, SW_SHOW);
}

bool TMDIChild::CanClose() { return !m_clientWindow || !m_clientWindow->GetHandle() || m_clientWindow->CanClose(); }

LRESULT TMDIChild::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        SetupWindow();
        break;
    case WM_CLOSE:
        if (CanClose())
            SendMessageA(m_client.GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hwnd), 0);
        return 0;
    case WM_KS_CLIENTGONE:
        SendMessageA(m_client.GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hwnd), 0);
        return 0;
    case WM_GETMINMAXINFO: {
        const LRESULT result = DefaultProc(msg, wParam, lParam);
        EvGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return result;
    }
    case WM_SETFOCUS:
        if (m_clientWindow && m_clientWindow->GetHandle()) {
            SetFocus(m_clientWindow->GetHandle());
            return 0;
        }
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_DESTROY && m_clientWindow &&
            reinterpret_cast<HWND>(lParam) == m_clientWindow->GetHandle())
            PostMessageA(m_hwnd, WM_KS_CLIENTGONE, 0, 0);
        break;
    default:
        break;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
}

LRESULT TMDIChild::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefMDIChildProcA(m_hwnd, msg, wParam, lParam);
}

void TMDIChild::WindowGone() { m_client.ChildGone(this); }

// ---------------------------------------------------------------- TDecoratedMDIFrame

TDecoratedMDIFrame::TDecoratedMDIFrame(const char* title, int menuId, std::unique_ptr<TMDIClient> client,
                                       bool trackMenuSelection)
    : m_title(title), m_menuId(menuId), m_client(std::move(client)), m_trackMenuSelection(trackMenuSelection)
{
}

TDecoratedMDIFrame::~TDecoratedMDIFrame()
{
    // Our window goes before the objects of the client and decorations inside it; unlinked first, so that
    // destroying it does not ask the program to quit.
    if (m_hwnd && IsWindow(m_hwnd)) {
        HWND hwnd = m_hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        m_hwnd = nullptr;
        DestroyWindow(hwnd);
    }
}

void TDecoratedMDIFrame::Insert(std::unique_ptr<TControlBar> bar, Location)
{
    m_controlBar = bar.get();
    m_decorations.push_back(std::move(bar));
    if (m_hwnd)
        m_controlBar->CreateIn(m_hwnd), Layout();
}

void TDecoratedMDIFrame::Insert(std::unique_ptr<TStatusBar> bar, Location)
{
    m_statusBar = bar.get();
    m_decorations.push_back(std::move(bar));
    if (m_hwnd)
        m_statusBar->CreateIn(m_hwnd), Layout();
}

void TDecoratedMDIFrame::SetIconResource(HINSTANCE module, int iconId)
{
    LoadIcons(module, iconId, m_icon, m_smallIcon);
    if (m_hwnd) {
        SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
        SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
    }
}

bool TDecoratedMDIFrame::Create()
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    RegisterFrameworkClass(kFrameClass, CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(m_backgroundColour + 1),
                           m_icon.Get());
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_menuId));
    HWND hwnd = CreateWindowExA(0, kFrameClass, m_title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, GetModuleHandleA(nullptr),
                                static_cast<TWindow*>(this));
    if (!hwnd) {
        if (menu)
            DestroyMenu(menu);
        return false;
    }
    return true;
}

void TDecoratedMDIFrame::Layout()
{
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int top = client.top;
    int bottom = client.bottom;
    if (m_controlBar && m_controlBar->GetHandle()) {
        m_controlBar->Resize();
        top += m_controlBar->Height();
    }
    if (m_statusBar && m_statusBar->GetHandle()) {
        m_statusBar->Resize();
        bottom -= m_statusBar->Height();
    }
    if (HWND clientWindow = GetClientHandle())
        MoveWindow(clientWindow, 0, top, client.right, std::max(0, bottom - top), TRUE);
}

bool TDecoratedMDIFrame::CanClose() { return !m_client || m_client->CanClose(); }

bool TDecoratedMDIFrame::IsCommandEnabled(UINT id) const
{
    if (m_client && m_client->HandlesCommand(id))
        return true;
    if (HandlesCommand(id))
        return true;
    const TApplication* app = TApplication::Current();
    return app && app->HandlesCommand(id);
}

bool TDecoratedMDIFrame::OnCommand(UINT id, UINT, HWND)
{
    if (id != CM_EXIT)
        return false;
    PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
    return true;
}

bool TDecoratedMDIFrame::RouteCommand(UINT id, UINT notify, HWND control)
{
    if (m_client && m_client->OnCommand(id, notify, control))
        return true;
    if (OnCommand(id, notify, control))
        return true;
    TApplication* app = TApplication::Current();
    return app && app->OnCommand(id, notify);
}

void TDecoratedMDIFrame::MenuSelect(UINT id, UINT flags, HMENU menu)
{
    if (!m_statusBar)
        return;
    if (flags == 0xFFFF && !menu) {
        m_statusBar->ClearHint();
        return;
    }
    const bool command = !(flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU));
    m_statusBar->SetHintText(command ? LoadResourceString(GetModuleHandleA(nullptr), id).c_str() : "");
}

void TDecoratedMDIFrame::ShowCommandHint(UINT id)
{
    if (!m_statusBar)
        return;
    if (id == 0)
        m_statusBar->ClearHint();
    else
        m_statusBar->SetHintText(LoadResourceString(GetModuleHandleA(nullptr), id).c_str());
}

void TDecoratedMDIFrame::EnableMenuItems(HMENU popup)
{
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        // Popups (-1), separators (0) and the client's window list keep their state.
        if (id == static_cast<UINT>(-1) || id == 0 || id >= TMDIClient::kFirstChildId)
            continue;
        EnableMenuItem(popup, i, MF_BYPOSITION | (IsCommandEnabled(id) ? MF_ENABLED : MF_GRAYED));
    }
}

void TDecoratedMDIFrame::IdleAction()
{
    for (auto& decoration : m_decorations)
        decoration->IdleAction(*this);
}

void TDecoratedMDIFrame::PreProcessKey(const MSG& msg)
{
    if (m_statusBar && msg.message == WM_KEYDOWN && msg.wParam == VK_INSERT && !(msg.lParam & (1 << 30)))
        m_statusBar->ToggleOvertype();
}

LRESULT TDecoratedMDIFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        HMENU windowMenu = FindPopupWithCommand(GetMenu(m_hwnd), CM_CASCADE_CHILDREN);
        if (m_client && !m_client->Create(*this, windowMenu))
            return -1;
        for (auto& decoration : m_decorations)
            decoration->CreateIn(m_hwnd);
        if (m_icon) {
            SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
            SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
        }
        SetupWindow();
        return 0;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case WM_DROPFILES:
        // Files dropped on the frame's menu, bars or edges are the client's to take.
        if (m_client && m_client->GetHandle())
            return SendMessageA(m_client->GetHandle(), msg, wParam, lParam);
        break;
    case WM_COMMAND:
        if (RouteCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        break;
    case WM_NOTIFY:
        if (m_controlBar && m_controlBar->GetTip(*reinterpret_cast<NMHDR*>(lParam)))
            return 0;
        break;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam))
            EnableMenuItems(reinterpret_cast<HMENU>(wParam));
        break;
    case WM_MENUSELECT:
        if (m_trackMenuSelection)
            MenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        break;
    case WM_CLOSE:
    case WM_QUERYENDSESSION: {
        TApplication* app = TApplication::Current();
        const bool mayClose = app ? app->CanClose() : CanClose();
        if (msg == WM_QUERYENDSESSION)
            return mayClose;
        if (mayClose)
            DestroyWindow(m_hwnd);
        return 0;
    }
    case WM_DESTROY:
        CleanupWindow();
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

LRESULT TDecoratedMDIFrame::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefFrameProcA(m_hwnd, GetClientHandle(), msg, wParam, lParam);
}

}  // namespace ks

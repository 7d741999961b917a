// TCalendarEdit and TCalendarBtn.
#include "controls/calendar_edit.h"

#include <commctrl.h>

#include <exception>

#include "controls/date_text.h"
#include "framework/gadgets.h"
#include "resources/resource_ids.h"

namespace ks {

namespace {

// Placing the button resizes the edit, which asks for the button to be placed again: one placement at a time
// for the whole process.
bool g_placingButton = false;

HINSTANCE ProgramModule(HINSTANCE module) { return module ? module : GetModuleHandleA(nullptr); }

GdiObject LoadPicture(HINSTANCE module, int id)
{
    return GdiObject(LoadImageA(ProgramModule(module), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

SIZE PictureSize(const GdiObject& picture, SIZE fallback)
{
    BITMAP info{};
    if (!picture || !GetObjectA(picture.Get(), sizeof info, &info))
        return fallback;
    return {info.bmWidth, info.bmHeight};
}

}  // namespace

// ---------------------------------------------------------------- TCalendarBtn

TCalendarBtn::TCalendarBtn(TDialog& host, TCalendarEdit& edit, HINSTANCE module)
    : TButton(host, 0), m_edit(edit), m_faceUp(LoadPicture(module, IDB_CALENDAR_BUTTON_UP)),
      m_faceDown(LoadPicture(module, IDB_CALENDAR_BUTTON_DOWN)), m_faceSize(PictureSize(m_faceUp, m_faceSize)),
      m_calendar(edit.GetParentObject(), edit, module)
{
}

TCalendarBtn::~TCalendarBtn() { Unhook(); }

void TCalendarBtn::Unbind()
{
    Unhook();
    TButton::Unbind();
}

bool TCalendarBtn::Create()
{
    HWND edit = m_edit.GetHandle();
    HWND parent = GetParent(edit);
    m_hwnd = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, m_faceSize.cx,
                             m_faceSize.cy, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!m_hwnd)
        return false;
    m_calendar.SetParentObject(m_edit.GetParentObject());
    // A dialog hands the button its messages itself; any other parent is hooked.
    const bool dialogHosts = GetParentObject() && GetParentObject()->GetHandle() == parent;
    if (!dialogHosts && SetWindowSubclass(parent, &TCalendarBtn::ParentHook, reinterpret_cast<UINT_PTR>(this),
                                          reinterpret_cast<DWORD_PTR>(this)))
        m_hookedParent = parent;
    if (!IsWindowEnabled(edit))
        EnableWindow(m_hwnd, FALSE);
    return true;
}

void TCalendarBtn::Unhook()
{
    if (m_hookedParent && IsWindow(m_hookedParent))
        RemoveWindowSubclass(m_hookedParent, &TCalendarBtn::ParentHook, reinterpret_cast<UINT_PTR>(this));
    m_hookedParent = nullptr;
}

LRESULT CALLBACK TCalendarBtn::ParentHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data)
{
    auto* self = reinterpret_cast<TCalendarBtn*>(data);
    try {
        if (self->HandleParentMessage(msg, wParam, lParam))
            return msg == WM_DRAWITEM ? TRUE : 0;
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool TCalendarBtn::HandleParentMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (!m_hwnd || reinterpret_cast<HWND>(lParam) != m_hwnd)
            return false;
        if (HIWORD(wParam) == BN_CLICKED)
            OpenCalendar();
        return true;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!m_hwnd || item->hwndItem != m_hwnd)
            return false;
        DrawItem(*item);
        return true;
    }
    case WM_NCDESTROY:
        Unhook();
        return false;
    default:
        return false;
    }
}

void TCalendarBtn::DrawItem(const DRAWITEMSTRUCT& item) const
{
    const GdiObject& face = (item.itemState & ODS_SELECTED) ? m_faceDown : m_faceUp;
    if (!face)
        return;
    HDC memory = CreateCompatibleDC(item.hDC);
    {
        SelectObjectScope select(memory, face.Get());
        const int width = item.rcItem.right - item.rcItem.left;
        const int height = item.rcItem.bottom - item.rcItem.top;
        constexpr int kEdge = 2;
        if (height >= m_faceSize.cy || height <= 2 * kEdge) {
            BitBlt(item.hDC, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        } else {
            // The button is as tall as the edit, usually less than the face: keep the face's top and bottom
            // edges and show the middle band, where the arrow is.
            const int band = height - 2 * kEdge;
            BitBlt(item.hDC, 0, 0, width, kEdge, memory, 0, 0, SRCCOPY);
            BitBlt(item.hDC, 0, kEdge, width, band, memory, 0, (m_faceSize.cy - band) / 2, SRCCOPY);
            BitBlt(item.hDC, 0, height - kEdge, width, kEdge, memory, 0, m_faceSize.cy - kEdge, SRCCOPY);
        }
    }
    DeleteDC(memory);
}

// ---------------------------------------------------------------- TCalendarEdit

TCalendarEdit::TCalendarEdit(TDialog& parent, int id, int textLimit, HINSTANCE module)
    : StandaloneHost(nullptr), TEdit(parent, id, textLimit), m_button(parent, *this, module)
{
}

TCalendarEdit::TCalendarEdit(TWindow* parent, int id, const char* text, int x, int y, int width, int height,
                             int textLimit, HINSTANCE module)
    : StandaloneHost(std::make_unique<TDialog>(parent, 0)), TEdit(*m_standaloneHost, id, textLimit),
      m_childForm(std::make_unique<ChildForm>(ChildForm{text ? text : "", x, y, width, height, parent})),
      m_button(*m_standaloneHost, *this, module)
{
    // The edit's parent is the window it is made in, not the registry dialog.
    SetParentObject(parent);
}

TCalendarEdit::~TCalendarEdit()
{
    // The tool-bar font goes before the window does: let the edit forget it first.
    if (m_hwnd && m_toolBarFont)
        Send(WM_SETFONT, 0, FALSE);
}

bool TCalendarEdit::Create()
{
    if (!m_childForm || !m_childForm->parent || m_hwnd)
        return false;
    const ChildForm& form = *m_childForm;
    HWND hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", form.text.c_str(),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, form.x, form.y, form.width,
                                form.height, form.parent->GetHandle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetId())), GetModuleHandleA(nullptr),
                                nullptr);
    if (!hwnd)
        return false;
    Bind(hwnd);
    return true;
}

bool TCalendarEdit::InToolBar() const
{
    return dynamic_cast<TGadgetWindow*>(TWindow::FromHandle(GetParent(m_hwnd))) != nullptr;
}

void TCalendarEdit::Bind(HWND hwnd)
{
    if (!hwnd)
        return;
    TEdit::Bind(hwnd);
    Subclass(hwnd);
    if (InToolBar()) {
        m_toolBarFont = MakeCalendarFont(FW_NORMAL);
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_toolBarFont.Get()), FALSE);
        // In a tool bar the edit is as tall as the button's face.
        RECT rect;
        GetWindowRect(m_hwnd, &rect);
        SetWindowPos(m_hwnd, nullptr, 0, 0, rect.right - rect.left, m_button.FaceSize().cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_button.Create())
        PlaceButton();
}

void TCalendarEdit::Unbind()
{
    m_button.Calendar().Close();
    TEdit::Unbind();
}

void TCalendarEdit::PlaceButton()
{
    if (g_placingButton)
        return;
    g_placingButton = true;
    // The button takes the right of the edit's whole window, frame included: measured on the client area
    // alone, a 3-D edit frame would leave the button standing apart from the edit and lower than it.
    RECT window;
    GetWindowRect(m_hwnd, &window);
    MapWindowPoints(nullptr, GetParent(m_hwnd), reinterpret_cast<POINT*>(&window), 2);
    const int width = window.right - window.left - m_button.FaceSize().cx;
    const int height = window.bottom - window.top;
    SetWindowPos(m_button.GetHandle(), m_hwnd, window.left + width, window.top, m_button.FaceSize().cx, height,
                 SWP_NOACTIVATE);
    SetWindowPos(m_hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_placingButton = false;
}

void TCalendarEdit::SetDate(CalendarDate date)
{
    if (date == 0) {
        SetText("");
        return;
    }
    m_button.Calendar().SetShownDate(date);
    SetText(FormatDate(date).c_str());
}

void TCalendarEdit::SetDate(const char* text) { SetDate(ParseDate(text ? text : "")); }

void TCalendarEdit::StepDate(int days)
{
    CalendarDate date = ParseDate(GetText(static_cast<int>(kDateTextWidth)));
    if (date == 0)
        date = TodayDate();
    SetDate(date + days);
}

LRESULT TCalendarEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CHAR:
        if (wParam == '+' || wParam == '-')
            return 0;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_DOWN) {
            m_button.OpenCalendar();
            return 0;
        }
        if (wParam == VK_ADD || wParam == VK_SUBTRACT) {
            StepDate(wParam == VK_ADD ? 1 : -1);
            return 0;
        }
        break;
    case WM_KILLFOCUS: {
        HWND next = reinterpret_cast<HWND>(wParam);
        const bool toOwnParts = next && (next == m_button.GetHandle() || next == m_button.Calendar().GetHandle());
        if (!toOwnParts)
            SetDate(GetText(static_cast<int>(kDateTextWidth)).c_str());
        break;
    }
    case WM_ENABLE:
        if (m_button.GetHandle())
            EnableWindow(m_button.GetHandle(), static_cast<BOOL>(wParam));
        break;
    case WM_SIZE:
        if (m_button.GetHandle()) {
            const LRESULT result = TEdit::WindowProc(msg, wParam, lParam);
            PlaceButton();
            return result;
        }
        break;
    default:
        break;
    }
    return TEdit::WindowProc(msg, wParam, lParam);
}

}  // namespace ks

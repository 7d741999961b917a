// KsAbort: set-up over the parent, the gauge laid over its placeholder, and the Abort request.
#include "records/ks_abort.h"

#include <cstdio>

#include "resources/resource_ids.h"

void TCaptionGauge::Bind(HWND hwnd)
{
    TGauge::Bind(hwnd);
    Subclass(hwnd);
}

void TCaptionGauge::SetCaption(const char* caption)
{
    m_caption = caption;
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

std::string TCaptionGauge::PaintedText() const
{
    if (!m_caption.empty())
        return m_caption;
    char percent[16];
    std::snprintf(percent, sizeof percent, "%d%%", GetValue());
    return percent;
}

LRESULT TCaptionGauge::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return TGauge::WindowProc(msg, wParam, lParam);
    // The bar paints itself; the caption goes over it, centred.
    const LRESULT result = DefaultProc(msg, wParam, lParam);
    if (HDC dc = GetDC(m_hwnd)) {
        RECT rect;
        GetClientRect(m_hwnd, &rect);
        const std::string text = PaintedText();
        HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(GetParent(m_hwnd), WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
        ReleaseDC(m_hwnd, dc);
    }
    return result;
}

KsAbort::KsAbort(ks::TWindow* parent)
    : TDialog(parent, IDD_ABORT), m_gauge(*this, IDC_ABORT_GAUGE), m_frame(*this, IDC_ABORT_FRAME)
{
}

void KsAbort::SetupWindow()
{
    if (HWND parent = GetParentObject() ? GetParentObject()->GetHandle() : nullptr)
        ks::CentreOverWindow(m_hwnd, parent);
    RECT frame;
    GetWindowRect(m_frame.GetHandle(), &frame);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&frame), 2);
    SetWindowPos(m_gauge.GetHandle(), nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_gauge.SetRange(0, 100);
    m_gauge.SetValue(0);
}

void KsAbort::CmOk()
{
    if (GetParentObject())
        PostMessageA(GetParentObject()->GetHandle(), WM_ABORTREQUEST, 0, 0);
}

// TFixedMDIChild: set-up (measure, fix the size, centre) and the minimum/maximum-size answer.
#include "framework/fixed_mdi_child.h"

#include "framework/dialog.h"

namespace ks {

TFixedMDIChild::TFixedMDIChild(TMDIClient& parent, const char* title, std::unique_ptr<TDialog> clientWindow)
    : TMDIChild(parent, title, std::move(clientWindow), true)
{
    Style &= ~WS_MAXIMIZEBOX;
}

void TFixedMDIChild::SetupWindow()
{
    TMDIChild::SetupWindow();
    // An MDI client without MDIS_ALLCHILDSTYLES gives every child a maximize box: take it off again.
    SetWindowLongPtrA(m_hwnd, GWL_STYLE, GetWindowLongPtrA(m_hwnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT rect;
    GetWindowRect(m_hwnd, &rect);
    m_fixedWidth = rect.right - rect.left;
    m_fixedHeight = rect.bottom - rect.top;
    CentreInClient(m_hwnd, GetClient().GetHandle());
}

void TFixedMDIChild::EvGetMinMaxInfo(MINMAXINFO& info)
{
    if (m_fixedWidth <= 0)
        return;
    info.ptMaxSize = {m_fixedWidth, m_fixedHeight};
    info.ptMaxTrackSize = {m_fixedWidth, m_fixedHeight};
    info.ptMinTrackSize = {m_fixedWidth, m_fixedHeight};
}

}  // namespace ks

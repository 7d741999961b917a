// KsChild: set-up (measure, fix the size, centre) and the minimum/maximum-size answer.
#include "download/ks_child.h"

#include "download/ks_manage.h"

namespace {
std::unique_ptr<ks::TDialog> OwnOrManage(std::unique_ptr<ks::TDialog> clientWindow)
{
    return clientWindow ? std::move(clientWindow) : std::make_unique<KsManage>(nullptr);
}
}  // namespace

KsChild::KsChild(ks::TMDIClient& parent, const char* title, std::unique_ptr<ks::TDialog> clientWindow)
    : TMDIChild(parent, title, OwnOrManage(std::move(clientWindow)), true)
{
    Style &= ~WS_MAXIMIZEBOX;
}

void KsChild::SetupWindow()
{
    TMDIChild::SetupWindow();
    // An MDI client without MDIS_ALLCHILDSTYLES gives every child a maximize box: take it off again.
    SetWindowLongPtrA(m_hwnd, GWL_STYLE, GetWindowLongPtrA(m_hwnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT rect;
    GetWindowRect(m_hwnd, &rect);
    m_minWidth = m_maxWidth = rect.right - rect.left;
    m_minHeight = m_maxHeight = rect.bottom - rect.top;
    ks::CentreInClient(m_hwnd, GetClient().GetHandle());
}

void KsChild::EvGetMinMaxInfo(MINMAXINFO& info)
{
    if (m_minWidth <= 0)
        return;
    info.ptMaxSize = {m_maxWidth, m_maxHeight};
    info.ptMaxTrackSize = {m_maxWidth, m_maxHeight};
    info.ptMinTrackSize = {m_minWidth, m_minHeight};
}

// Splash: shown by the MDI client's set-up, closed by its first timer tick.
#include "app/splash.h"

#include "resources/resource_ids.h"

namespace {
constexpr UINT_PTR kCloseTimer = 1;
}

Splash::Splash(ks::TWindow* parent) : TDialog(parent, IDD_SPLASH) {}

void Splash::SetupWindow()
{
    SetTimer(m_hwnd, kCloseTimer, 1000, nullptr);
    ks::CentreOnDesktop(m_hwnd);
}

INT_PTR Splash::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kCloseTimer) {
        KillTimer(m_hwnd, kCloseTimer);
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        return TRUE;
    }
    return TDialog::DialogProc(msg, wParam, lParam);
}

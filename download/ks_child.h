// KsChild: the Download Interface window, an MDI child of fixed size around its KsManage dialog.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/dialog.h"
#include "framework/mdi.h"

// Sized around its client dialog at set-up, centred in the MDI client, and from then on not resizable:
// the minimum, maximum and maximized sizes all answer the size it had then. It has no maximize box.
class KsChild : public ks::TMDIChild {
public:
    // Without a client window the child makes its own KsManage.
    KsChild(ks::TMDIClient& parent, const char* title, std::unique_ptr<ks::TDialog> clientWindow = nullptr);

protected:
    void SetupWindow() override;
    void EvGetMinMaxInfo(MINMAXINFO& info) override;

private:
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 0;
    int m_maxHeight = 0;
};

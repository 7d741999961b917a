// KsChild: the Download Interface window, an MDI child of fixed size around its KsManage dialog.
#pragma once
#include <memory>

#include "framework/dialog.h"
#include "framework/fixed_mdi_child.h"

class KsChild : public ks::TFixedMDIChild {
public:
    // Without a client window the child makes its own KsManage.
    KsChild(ks::TMDIClient& parent, const char* title, std::unique_ptr<ks::TDialog> clientWindow = nullptr);

protected:
    void SetupWindow() override;
    // Files dropped on the window are offered for storing from this Download Interface.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

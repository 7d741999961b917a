// ConvertStatus: the small modeless window that reports each step of converting version-1 data.
#pragma once
#include <windows.h>

#include "framework/dialog.h"

// Two text lines, the step (101) and the item (102); no buttons, so the conversion cannot be cancelled. Created
// by KsClient::ConvertVersion1 for one run and destroyed by it on every way out.
class ConvertStatus : public ks::TDialog {
public:
    explicit ConvertStatus(ks::TWindow* parent);
    void Show(const char* step, const char* item) const;
    void ShowItem(const char* item) const;
    void Clear() const { Show("", ""); }

protected:
    void SetupWindow() override;
    // Escape and the close request do nothing: only the conversion ends this window.
    void CmCancel() override {}
    void CmOk() override {}
};

// PrefsAssist: "Assistant Configuration", where the user picks the default assistant and opens an assistant's
// own configuration window.
#pragma once
#include "framework/controls.h"
#include "framework/dialog.h"

class PrefsAssist : public ks::TDialog {
public:
    explicit PrefsAssist(ks::TWindow* parent);

protected:
    void SetupWindow() override;
    // OK, and a double click in the list: the default static 104 shows is saved.
    void CmOk() override;
    bool OnCommand(UINT id, UINT notify, HWND control) override;

private:
    void CmMakeDefault();
    void CmConfigure();
    void CmHelp();

    ks::TListBox m_list;
    ks::TStatic m_default;

    static const ks::TResponse<PrefsAssist> Responses[];
};

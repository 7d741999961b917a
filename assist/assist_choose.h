// AssistChoose: "Choose Assistant", the modal list of installed assistants from which the Storage Interface
// picks the one to run.
#pragma once
#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"

class AssistChoose : public ks::TDialog {
public:
    explicit AssistChoose(ks::TWindow* parent);

    // The chosen assistant's name (at most 49 characters); valid after the dialog ended with IDOK.
    std::string ChosenName;

protected:
    void SetupWindow() override;
    void CmOk() override;
    bool OnCommand(UINT id, UINT notify, HWND control) override;

private:
    void CmHelp();

    ks::TListBox m_list;

    static const ks::TResponse<AssistChoose> Responses[];
};

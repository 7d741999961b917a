// AssistChoose: listing the installed assistants, and OK or a double click taking the selected one.
#include "assist/assist_choose.h"

#include "app/ks_app.h"
#include "assist/assistants.h"
#include "framework/ui.h"
#include "resources/resource_ids.h"

const ks::TResponse<AssistChoose> AssistChoose::Responses[] = {
    ks::Notify(IDC_CHOOSE_LIST, LBN_DBLCLK, &AssistChoose::CmOk),
    ks::Command(IDC_CHOOSE_HELP, &AssistChoose::CmHelp),
};

AssistChoose::AssistChoose(ks::TWindow* parent) : TDialog(parent, IDD_ASSIST_CHOOSE), m_list(*this, IDC_CHOOSE_LIST) {}

void AssistChoose::SetupWindow()
{
    if (GetParentObject() && GetParentObject()->GetHandle())
        ks::CentreOverWindow(m_hwnd, GetParentObject()->GetHandle());
    if (!assist::ListAssistants(m_list, m_hwnd, "Registry Violation"))
        return;
    if (m_list.GetCount() == 0)
        assist::ShowNoAssistants(m_hwnd);
    else
        assist::SelectDefaultOrFirst(m_list);  // OK takes a line from the start
}

void AssistChoose::CmOk()
{
    const int selected = m_list.GetSelIndex();
    if (selected < 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Please select an assistant.", "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ChosenName = m_list.GetString(selected).substr(0, assist::kSelectionChars);
    TDialog::CmOk();
}

bool AssistChoose::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void AssistChoose::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_ASSIST_CHOOSE);
}

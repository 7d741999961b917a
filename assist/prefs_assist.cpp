// PrefsAssist: listing the installed assistants with the default, Make Default, Configure, and saving the
// default on OK or a double click.
#include "assist/prefs_assist.h"

#include <string>

#include "app/ks_app.h"
#include "assist/assistants.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "resources/resource_ids.h"

const ks::TResponse<PrefsAssist> PrefsAssist::Responses[] = {
    ks::Command(IDC_CONFIG_CONFIGURE, &PrefsAssist::CmConfigure),
    ks::Command(IDC_CONFIG_MAKE_DEFAULT, &PrefsAssist::CmMakeDefault),
    ks::Notify(IDC_CONFIG_LIST, LBN_DBLCLK, &PrefsAssist::CmOk),
    ks::Command(IDC_CONFIG_HELP, &PrefsAssist::CmHelp),
};

PrefsAssist::PrefsAssist(ks::TWindow* parent)
    : TDialog(parent, IDD_ASSIST_CONFIG), m_list(*this, IDC_CONFIG_LIST), m_default(*this, IDC_CONFIG_DEFAULT)
{
}

void PrefsAssist::SetupWindow()
{
    if (GetParentObject() && GetParentObject()->GetHandle())
        ks::CentreOverWindow(m_hwnd, GetParentObject()->GetHandle());
    if (!assist::ListAssistants(m_list, m_hwnd, "Registry Error"))
        return;
    m_default.SetText(assist::DefaultAssistantName().c_str());
    if (m_list.GetCount() == 0)
        assist::ShowNoAssistants(m_hwnd);
    else
        assist::SelectDefaultOrFirst(m_list);  // Configure and Make Default act on a line from the start
}

void PrefsAssist::CmMakeDefault()
{
    const int selected = m_list.GetSelIndex();
    if (selected < 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Please select an assistant to make as the default.", "Error",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_default.SetText(m_list.GetString(selected).substr(0, assist::kSelectionChars).c_str());
}

void PrefsAssist::CmConfigure()
{
    const int selected = m_list.GetSelIndex();
    if (selected < 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Please select an assistant to setup.", "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    assist::ConfigureAssistant(m_hwnd, m_list.GetString(selected).substr(0, assist::kSelectionChars));
}

void PrefsAssist::CmOk()
{
    WriteRegistryString("Initialisation", "Default Assistant", m_default.GetText(assist::kNameChars).c_str());
    TDialog::CmOk();
}

bool PrefsAssist::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void PrefsAssist::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_ASSIST_CONFIG);
}

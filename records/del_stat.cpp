// DelStat: set-up (centre, boxes clear, the file box only for a file that exists), OK taking the boxes, Help.
#include "records/del_stat.h"

#include "app/ks_app.h"
#include "resources/resource_ids.h"

const ks::TResponse<DelStat> DelStat::Responses[] = {
    ks::Command(IDC_DELETE_HELP, &DelStat::CmHelp),
};

DelStat::DelStat(ks::TWindow* parent, std::int32_t fileExists)
    : TDialog(parent, IDD_DELETE_OPTIONS), FileExists(fileExists), m_deleteRecord(*this, IDC_DELETE_RECORD),
      m_deleteFile(*this, IDC_DELETE_FILE)
{
}

void DelStat::SetupWindow()
{
    if (GetParentObject() && GetParentObject()->GetHandle())
        ks::CentreOverWindow(m_hwnd, GetParentObject()->GetHandle());
    if (FileExists)
        m_deleteFile.SetCheck(false);
    else
        m_deleteFile.Enable(false);
    m_deleteRecord.SetCheck(false);
}

void DelStat::CmOk()
{
    if (FileExists)
        DeleteFileChecked = m_deleteFile.IsChecked();
    DeleteRecordChecked = m_deleteRecord.IsChecked();
    TDialog::CmOk();
}

bool DelStat::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void DelStat::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_DELETE_OPTIONS);
}

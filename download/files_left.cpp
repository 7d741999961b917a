// FilesLeft: the summary line, one line per file left ("name<TAB>reason") and Help.
#include "download/files_left.h"

#include "app/ks_app.h"
#include "resources/resource_ids.h"

const ks::TResponse<FilesLeft> FilesLeft::Responses[] = {
    ks::Command(IDC_LEFT_HELP, &FilesLeft::CmHelp),
};

FilesLeft::FilesLeft(ks::TWindow* parent, std::string summary, std::vector<StoreAllOutcome::Left> left)
    : TDialog(parent, IDD_FILES_LEFT), m_summary(std::move(summary)), m_left(std::move(left)),
      m_summaryText(*this, IDC_LEFT_SUMMARY), m_list(*this, IDC_LEFT_LIST)
{
}

bool FilesLeft::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void FilesLeft::SetupWindow()
{
    if (GetParentObject())
        ks::CentreOverWindow(m_hwnd, GetParentObject()->GetHandle());
    m_summaryText.SetText(m_summary.c_str());
    m_list.SetColumns({kReasonTab}, {IDC_LEFT_HEAD_FILE, IDC_LEFT_HEAD_REASON});
    m_list.Send(WM_SETREDRAW, FALSE);
    for (const StoreAllOutcome::Left& file : m_left)
        m_list.AddString((file.name + "\t" + LeftReasonText(file.reason)).c_str());
    m_list.Send(WM_SETREDRAW, TRUE);
}

void FilesLeft::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_STORE_ALL);
}

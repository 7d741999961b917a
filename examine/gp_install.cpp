// GpInstall: set-up, the choices' buttons and OK's checks.
#include "examine/gp_install.h"

#include "app/ks_app.h"
#include "framework/ui.h"
#include "resources/resource_ids.h"

const ks::TResponse<GpInstall> GpInstall::Responses[] = {
    ks::Command(IDC_INSTALL_START_MENU, &GpInstall::CmStartMenu),
    ks::Command(IDC_INSTALL_DESKTOP, &GpInstall::CmDesktop),
    ks::Command(IDC_INSTALL_NEW_FOLDER, &GpInstall::CmNewFolder),
    ks::Command(IDC_INSTALL_IN_START_MENU, &GpInstall::CmInStartMenu),
    ks::Command(IDC_INSTALL_ON_DESKTOP, &GpInstall::CmOnDesktop),
    ks::Command(IDC_INSTALL_HELP, &GpInstall::CmHelp),
};

GpInstall::GpInstall(ks::TWindow* parent)
    : TDialog(parent, IDD_INSTALL), m_startMenu(*this, IDC_INSTALL_START_MENU), m_desktop(*this, IDC_INSTALL_DESKTOP),
      m_newFolder(*this, IDC_INSTALL_NEW_FOLDER), m_appsDocsOnly(*this, IDC_INSTALL_APPS_DOCS_ONLY),
      m_inStartMenu(*this, IDC_INSTALL_IN_START_MENU), m_onDesktop(*this, IDC_INSTALL_ON_DESKTOP),
      m_folderName(*this, IDC_INSTALL_FOLDER_NAME, 255)
{
}

bool GpInstall::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void GpInstall::SetupWindow()
{
    HWND parent = GetParentObject() ? GetParentObject()->GetHandle() : nullptr;
    ks::CentreOverWindow(m_hwnd, parent ? parent : GetDesktopWindow());
    m_inStartMenu.SetCheck(true);
    m_startMenu.SetCheck(true);
    m_appsDocsOnly.SetCheck(true);
    EnableNewFolder(false);
}

void GpInstall::EnableNewFolder(bool enable) const
{
    for (int id : {IDC_INSTALL_PLACE_LABEL, IDC_INSTALL_NAME_LABEL, IDC_INSTALL_FOLDER_NAME, IDC_INSTALL_IN_START_MENU,
                   IDC_INSTALL_ON_DESKTOP})
        EnableWindow(GetItem(id), enable);
}

void GpInstall::CmStartMenu()
{
    Choice.StartMenu = 1;
    Choice.Desktop = 0;
    Choice.NewFolder = 0;
    EnableNewFolder(false);
}

void GpInstall::CmDesktop()
{
    Choice.StartMenu = 0;
    Choice.Desktop = 1;
    Choice.NewFolder = 0;
    EnableNewFolder(false);
}

void GpInstall::CmNewFolder()
{
    Choice.NewFolder = 1;
    Choice.StartMenu = m_inStartMenu.IsChecked() ? 1 : 0;
    Choice.Desktop = Choice.StartMenu ? 0 : 1;
    EnableNewFolder(true);
}

void GpInstall::CmInStartMenu()
{
    m_onDesktop.SetCheck(false);
    Choice.StartMenu = 1;
    Choice.Desktop = 0;
}

void GpInstall::CmOnDesktop()
{
    m_inStartMenu.SetCheck(false);
    Choice.StartMenu = 0;
    Choice.Desktop = 1;
}

void GpInstall::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_INSTALL_FILES);
}

void GpInstall::CmOk()
{
    Choice.FolderName = m_folderName.GetText(255);
    if (Choice.NewFolder && Choice.FolderName.empty()) {
        ks::ShowMessage(m_hwnd, "Please enter a name for the new folder you wish to add.", "Enter folder name",
                        MB_OK | MB_ICONEXCLAMATION);
        m_folderName.Focus();
        return;
    }
    if (Choice.NewFolder && !m_inStartMenu.IsChecked() && !m_onDesktop.IsChecked()) {
        ks::ShowMessage(m_hwnd, "You have requested a new folder, but you donot have a destination for it selected.",
                        "Select Destination", MB_OK | MB_ICONEXCLAMATION);
        m_inStartMenu.Focus();
        return;
    }
    Choice.AppsDocsOnly = m_appsDocsOnly.IsChecked() ? 1 : 0;
    TDialog::CmOk();
}

// GpInstall: the "Install File(s)" options dialog: where the shortcuts of installed files go (Start Menu or
// Desktop, optionally a new folder) and whether only files with an associated program get one.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"

// The user's install choices; read after the dialog ended with OK.
struct InstallChoice {
    std::int32_t StartMenu = 1;
    std::int32_t Desktop = 0;
    std::int32_t NewFolder = 0;
    std::int32_t AppsDocsOnly = 1;
    std::string FolderName;
};

class GpInstall : public ks::TDialog {
public:
    explicit GpInstall(ks::TWindow* parent);

    InstallChoice Choice;

    bool OnCommand(UINT id, UINT notify, HWND control) override;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void CmStartMenu();
    void CmDesktop();
    void CmNewFolder();
    void CmInStartMenu();
    void CmOnDesktop();
    void CmHelp();
    void EnableNewFolder(bool enable) const;

    ks::TRadioButton m_startMenu;
    ks::TRadioButton m_desktop;
    ks::TRadioButton m_newFolder;
    ks::TCheckBox m_appsDocsOnly;
    ks::TCheckBox m_inStartMenu;
    ks::TCheckBox m_onDesktop;
    ks::TEdit m_folderName;

    static const ks::TResponse<GpInstall> Responses[];
};

// KsApp: start-up, first run, main window, help commands and the close query.
#include "app/ks_app.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/ks_about.h"
#include "app/ks_client.h"
#include "controls/profile_date_format.h"
#include "framework/bor_controls.h"
#include "framework/mdi.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kFirstRunText[] =
    "This seems to be your first time using Kestrum32.\rYou may find it useful to read the help file about setting "
    "up Kestrum32\r for the first time.\rIf you have Kestrum Version 1.x (16 Bit) on your system you should "
    "select\r Utilitys from the main menu and convert your previous database and files\r before adding any new "
    "ones with this version.";

// The show state the frame is created with: maximised and other requests show it normal-sized;
// hiding and "minimised without activating" are honoured.
int AdjustedShowState(int requested)
{
    if (requested == SW_HIDE || requested == SW_SHOWMINNOACTIVE)
        return requested;
    return SW_SHOWNORMAL;
}

}  // namespace

const ks::TResponse<KsApp> KsApp::Responses[] = {
    ks::Command(CM_HELP_CONTENTS, &KsApp::CmHelpContents),
    ks::Command(CM_HELP_SETTING_UP, &KsApp::CmHelpSettingUp),
    ks::Command(CM_HELP_DISCLAIMER, &KsApp::CmHelpDisclaimer),
    ks::Command(CM_ABOUT, &KsApp::CmAbout),
};

KsApp::KsApp(HINSTANCE instance, int cmdShow) : TApplication(kName, instance, cmdShow)
{
    m_started = StartUp();
}

KsApp* KsApp::Get() { return dynamic_cast<KsApp*>(ks::TApplication::Current()); }

bool KsApp::StartUp()
{
    // Dates are shown and read in the short date format of the Windows profile.
    UseProfileShortDateFormat();
    // The engine program is looked up by its bare name, that is, in the current directory.
    if (GetFileAttributesA("kspdx.exe") == INVALID_FILE_ATTRIBUTES) {
        ks::ShowMessage(nullptr, "Could Not locate Paradox Interface (KSPDX.EXE) in Kestrum Directory.",
                        "Missing File", MB_OK | MB_ICONSTOP);
        return false;
    }
    const DWORD length = GetModuleFileNameA(nullptr, ProgramDir, 260);
    if (length == 0 || length >= 260) {
        ks::ShowMessage(nullptr, "Could not retrieve path to this module.", "Error", MB_OK | MB_ICONSTOP);
        return false;
    }
    if (char* slash = std::strrchr(ProgramDir, '\\'))
        *slash = '\0';
    ProgramDrive = ProgramDir[0] - 'A';

    char path[261 + 16];
    std::snprintf(path, sizeof path, "%s\\KS_TEMP", ProgramDir);
    CreateDirectoryA(path, nullptr);
    std::snprintf(path, sizeof path, "%s\\KS_STORE", ProgramDir);
    CreateDirectoryA(path, nullptr);

    char setup[261]{};
    GetRegistryString("Initialisation", "Setup", setup);
    WriteRegistryString("Initialisation", "Start Directory", ProgramDir);
    if (std::strcmp(setup, "OK") != 0)
        FirstRun();
    return true;
}

void KsApp::FirstRun()
{
    WriteRegistryString("Initialisation", "Setup", "OK");
    WriteRegistryString("Initialisation", "Interceptors", "Disabled");
    WriteRegistryNumber("Intercepts", "CompuServe Information Manager", 4);
    WriteRegistryNumber("Intercepts", "CompuServe Navigator", 4);
    WriteRegistryNumber("Intercepts", "Trumpet Winsock", 2);
    WriteRegistryNumber("Intercepts", "WinCIM", 4);
    ks::ShowMessage(nullptr, kFirstRunText, "My First Time", MB_OK | MB_ICONINFORMATION);
}

void KsApp::InitMainWindow()
{
    nCmdShow = AdjustedShowState(nCmdShow);

    auto client = std::make_unique<KsClient>();
    if (!client->LinkReady())
        return;  // no main window: the program ends
    Client = client.get();
    auto frame = std::make_unique<ks::TDecoratedMDIFrame>(kName, IDM_MAIN, std::move(client), true);
    frame->SetBkgndColor(COLOR_APPWORKSPACE);
    frame->SetIconResource(GetInstance(), IDI_MAIN_FRAME);

    auto bar = std::make_unique<ks::TControlBar>(std::make_unique<ks::TGadgetWindowFont>(10, false, false));
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_EXIT, CM_EXIT});
    bar->Insert(ks::TSeparatorGadget{30});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_DOWNLOADED, CM_FILES_DOWNLOADED});
    bar->Insert(ks::TSeparatorGadget{5});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_STORED, CM_STORED_FILES});
    bar->Insert(ks::TSeparatorGadget{30});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_AREAS, CM_DOWNLOAD_AREAS});
    bar->Insert(ks::TSeparatorGadget{5});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_ASSISTANTS, CM_ASSIST_CONFIGURE});
    bar->Insert(ks::TSeparatorGadget{30});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_CASCADE, CM_CASCADE_CHILDREN});
    bar->Insert(ks::TSeparatorGadget{5});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_ARRANGE, CM_ARRANGE_ICONS});
    bar->Insert(ks::TSeparatorGadget{5});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_CLOSE_ALL, CM_CLOSE_CHILDREN});
    bar->Insert(ks::TSeparatorGadget{30});
    bar->Insert(ks::TButtonGadget{IDB_GLYPH_HELP, CM_HELP_CONTENTS});
    frame->Insert(std::move(bar), ks::TDecoratedMDIFrame::Location::Top);

    auto status = std::make_unique<ks::TStatusBar>(
        ks::TStatusBar::CapsLock | ks::TStatusBar::NumLock | ks::TStatusBar::ScrollLock | ks::TStatusBar::Overtype,
        std::make_unique<ks::TGadgetWindowFont>(10, false, false));
    // What a Windows program says while it waits for the user.
    status->SetText("Ready");
    // The files waiting in the download areas, kept current by the MDI client.
    status->ReservePane("0000000 waiting");
    frame->Insert(std::move(status), ks::TDecoratedMDIFrame::Location::Bottom);

    SetMainWindow(std::move(frame));
    // The dialogs' bitmap buttons and shaded lines must exist before the first dialog opens.
    ks::RegisterBorControls(GetInstance());
}

void KsApp::Help(HWND owner, UINT command, ULONG_PTR data) const
{
    char path[261];
    std::snprintf(path, sizeof path, "%s\\%s", ProgramDir, KS_HELP_FILE);
    ks::Ui().Help(owner, path, command, data);
}

bool KsApp::CanClose()
{
    // A walk runs on the stack of a window or of the MDI client: the program does not end under it.
    if (Walking)
        return false;
    if (!TApplication::CanClose())
        return false;
    Help(GetMainWindow() ? GetMainWindow()->GetHandle() : nullptr, HELP_QUIT, 0);
    return true;
}

bool KsApp::OnCommand(UINT id, UINT notify) { return ks::Dispatch(*this, Responses, id, notify); }

bool KsApp::HandlesCommand(UINT id) const { return ks::Handles(Responses, id); }

void KsApp::CmHelpContents() { Help(GetMainWindow()->GetHandle(), HELP_INDEX, 0); }

void KsApp::CmHelpSettingUp() { Help(GetMainWindow()->GetHandle(), HELP_CONTEXT, HELP_CTX_SETTING_UP); }

void KsApp::CmAbout()
{
    KsAbout about(GetMainWindow());
    about.Execute();
}

void KsApp::CmHelpDisclaimer() { Help(GetMainWindow()->GetHandle(), HELP_CONTEXT, HELP_CTX_DISCLAIMER); }

// The real seam: what the user sees on screen.
#include "framework/ui.h"

#include "framework/dialog.h"
#include "framework/help_viewer.h"

namespace ks {

namespace {
UiSeam g_realSeam;
UiSeam* g_seam = &g_realSeam;
}  // namespace

int UiSeam::MessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    return ::MessageBoxA(owner, text, caption, type);
}

void UiSeam::Beep(UINT type) { ::MessageBeep(type); }

INT_PTR UiSeam::RunModal(TDialog& dialog) { return dialog.DoExecute(); }

bool UiSeam::OpenFileName(OPENFILENAMEA& ofn, DWORD& error)
{
    const bool ok = ::GetOpenFileNameA(&ofn) != FALSE;
    error = ok ? 0 : ::CommDlgExtendedError();
    return ok;
}

bool UiSeam::SaveFileName(OPENFILENAMEA& ofn, DWORD& error)
{
    const bool ok = ::GetSaveFileNameA(&ofn) != FALSE;
    error = ok ? 0 : ::CommDlgExtendedError();
    return ok;
}

bool UiSeam::Help(HWND owner, const char* helpFile, UINT command, ULONG_PTR data)
{
    return ShowHelp(owner, helpFile, command, data);
}

PIDLIST_ABSOLUTE UiSeam::BrowseForFolder(BROWSEINFOA& info) { return ::SHBrowseForFolderA(&info); }

bool UiSeam::StartProgram(const char* commandLine, UINT show) { return ::WinExec(commandLine, show) > 31; }

UiSeam& Ui() { return *g_seam; }

UiSeam* SetUi(UiSeam* seam)
{
    UiSeam* previous = g_seam;
    g_seam = seam ? seam : &g_realSeam;
    return previous;
}

}  // namespace ks

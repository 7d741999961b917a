// The one seam for everything modal or audible: message boxes, beeps, modal dialog runs, file pickers and help.
//
// The program never calls MessageBox, MessageBeep, DialogBox, GetOpenFileName or WinHelp directly; it calls
// the functions below, which go to the installed UiSeam. The real seam does what a user sees on screen.
// Tests install a scripted seam that records what the user would have seen (text, caption, icon, buttons)
// and answers for the user, or lets a real dialog run and drives it once it is set up (DialogReady).
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

namespace ks {

class TDialog;

class UiSeam {
public:
    virtual ~UiSeam() = default;

    // A message box; returns the button pressed (IDOK, IDYES, ...).
    virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
    // A system sound such as MB_ICONEXCLAMATION, MB_ICONHAND or MB_OK.
    virtual void Beep(UINT type);
    // Runs a modal dialog and returns its end code. The real seam calls dialog.DoExecute().
    virtual INT_PTR RunModal(TDialog& dialog);
    // Called once when any dialog has finished its set-up and its message loop runs, if WantsDialogReady().
    virtual bool WantsDialogReady() const { return false; }
    virtual void DialogReady(TDialog&) {}
    // The common open-file dialog. Returns true on OK; on false, error holds CommDlgExtendedError() (0 = cancelled).
    virtual bool OpenFileName(OPENFILENAMEA& ofn, DWORD& error);
    // The common save-file dialog, answered the same way.
    virtual bool SaveFileName(OPENFILENAMEA& ofn, DWORD& error);
    // A help request as WinHelp takes it (HELP_CONTEXT, HELP_QUIT, HELP_INDEX).
    virtual bool Help(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
    // The shell's folder browser; the chosen folder's item list (the caller frees it), or null when cancelled.
    virtual PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOA& info);
    // Starts a program the user looks at and nobody waits for (a viewer, Explorer); true when it started.
    virtual bool StartProgram(const char* commandLine, UINT show);
};

// The seam in force.
UiSeam& Ui();
// Installs a seam (tests); nullptr puts the real one back. Returns the seam that was in force.
UiSeam* SetUi(UiSeam* seam);

// Shorthands for the calls the program makes most.
inline int ShowMessage(HWND owner, const char* text, const char* caption, UINT type)
{
    return Ui().MessageBox(owner, text, caption, type);
}
inline void Beep(UINT type = MB_ICONEXCLAMATION) { Ui().Beep(type); }

}  // namespace ks

// TFileOpenDialog: the common open-file (or save-file) dialog, optionally on a custom template with our hook procedure.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "framework/window.h"

namespace ks {

// What the caller gives the file dialog and reads back from it.
struct TOpenSaveData {
    DWORD Flags = 0;         // OFN_... flags
    std::string Filter;      // pairs in the form "Text files|*.txt|"
    std::string InitialDir;  // empty: the dialog's own choice
    std::string DefExt;      // empty: none
    std::string FileName;    // proposed name; the chosen file after OK
    DWORD Error = 0;         // the common-dialog error of a run that failed; 0 after OK or a plain cancel
    bool Save = false;       // the save-file dialog instead of the open-file one
};

// With a template id the dialog is the old-style one built from our template, and this object receives its
// messages through the hook: set-up, and commands before the dialog's own handling. Without one it is the
// system's ordinary dialog. Modal runs go through the UI seam.
class TFileOpenDialog : public TWindow {
public:
    TFileOpenDialog(TWindow* parent, TOpenSaveData& data, int templateId = 0, std::string title = {},
                    HINSTANCE module = nullptr);
    ~TFileOpenDialog() override;

    // Runs the dialog; IDOK or IDCANCEL. After IDCANCEL the data's Error tells a failure from a cancel.
    INT_PTR Execute();
    TOpenSaveData& GetData() const { return m_data; }

    // The filter text with '|' turned into the NUL separators the dialog expects, doubly terminated.
    static std::string FilterPairs(const std::string& filter);

protected:
    // OK was pressed: called before the dialog checks the name and finishes (it still does).
    virtual void CmOk() {}
    bool OnCommand(UINT id, UINT notify, HWND control) override;

private:
    static UINT_PTR CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    TOpenSaveData& m_data;
    int m_templateId;
    std::string m_title;
    HINSTANCE m_module;
};

}  // namespace ks

// KsExamine: the Examine File dialog over KS_TEMP after an examine run: the files a program left there, to be
// examined one at a time, copied to a directory of the user's choice, or installed with shortcuts.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/file_dialog.h"

// The dialog's file-dialog data lives in a base that is built before the dialog that refers to it.
struct KsExamineData {
    ks::TOpenSaveData Data;
};

// The common file dialog on template 14, left only by Close (Escape, the close box). Holds the shell's COM
// library open for its lifetime.
class KsExamine : private KsExamineData, public ks::TFileOpenDialog {
public:
    static constexpr char kFilter[] = "All Files |*.*|";

    KsExamine(ks::TWindow* parent, const char* directory, const char* title);
    ~KsExamine() override;

    char Destination[261]{};     // the destination directory last chosen
    char ShortcutFolder[261]{};  // the folder the last shortcuts went to
    bool Installing = false;     // set while "Copy && Install" runs
    bool MayClose = false;       // set by Close

    bool OnCommand(UINT id, UINT notify, HWND control) override;

    // Examine: the one selected file opened with its program (a compressed one expanded first), not waited for.
    void ExamineSelected();
    // Copy (installing false) and "Copy && Install" (true) of the selected files.
    void CopySelected(bool installing);

protected:
    void SetupWindow() override;

private:
    void CmExamine() { ExamineSelected(); }
    void CmCopy() { CopySelected(false); }
    void CmCopyInstall();
    void CmClose();
    void CmHelp();
    // The selected entries in list order.
    std::vector<std::string> SelectedNames() const;

    HRESULT m_com;

    static const ks::TResponse<KsExamine> Responses[];
};

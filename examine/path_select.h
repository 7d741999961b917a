// PathSelect: the program's one directory chooser ("Browse Directorys"), the classic file dialog on template 3
// showing only directories and drives, with "Make Directory".
#pragma once
#include <windows.h>

#include "framework/file_dialog.h"

// Shows directories and drives only; OK takes the directory shown as ChosenDirectory.
class PathSelect : public ks::TFileOpenDialog {
public:
    // The filter every caller passes: it matches no ordinary file, so only directories are listed.
    static constexpr char kFilter[] = "Directorys |*.|";

    // data holds the caller's flags, filter and initial directory; title is the caller's question.
    PathSelect(ks::TWindow* parent, ks::TOpenSaveData& data, const char* title);

    // The directory the dialog showed when OK was pressed; valid after Execute() gave IDOK.
    char ChosenDirectory[261]{};

    bool OnCommand(UINT id, UINT notify, HWND control) override;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void CmMakeDirectory();

    static const ks::TResponse<PathSelect> Responses[];
};

// What a caller shows after a run that did not end with OK: a non-zero common-dialog error as
// "Error #%ld occurred." (caption "ERROR"); a plain cancel shows nothing.
void ReportBrowseError(HWND owner, const ks::TOpenSaveData& data);

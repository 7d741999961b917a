// DataDisplay: the Record Interface's dialog. It shows one catalogue record, saves the user's edits (renaming
// the file with its name), and moves, copies, re-links or deletes the record's file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/file_record.h"
#include "framework/controls.h"
#include "framework/dialog.h"

class KsClient;

class DataDisplay : public ks::TDialog {
public:
    // parent may be null: the MDI child that shows the dialog adopts it.
    DataDisplay(ks::TWindow* parent, std::int32_t recordNumber);

    // The close check: a valid date, nothing running that forbids closing, and the user's edits saved or
    // kept after a question. A passing check tells the other windows that the record may have changed.
    bool CanClose() override;

    const std::int32_t RecordNumber;

protected:
    void SetupWindow() override;
    // Leaves the record: the flag that keeps a second Record Interface from opening goes, and the engine
    // closes the record.
    void CleanupWindow() override;
    void CmCancel() override;
    // A close message to the dialog itself (after Delete, after a failed open) ends it without the check; while
    // this window's examine run waits further down the call stack it ends once that run is over.
    void EvClose() override;
    bool OnCommand(UINT id, UINT notify, HWND control) override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadRecord();
    bool SaveRecord();
    void CmCopy();
    void CmMove();
    void CmRelink();
    void CmDelete();
    void CmExamine();
    void CmHelp();

    // The Filename field as typed.
    std::string NameField() const;
    // The field shows the record's name exactly.
    bool NameUnchanged() const;
    // The file is at the record's location under the shown name (the record's, or the one typed).
    bool FileFound() const;
    // The record's file where the record says it is.
    std::string RecordedPath() const;
    // Runs the directory browser from the record's location; the chosen directory, or empty when the
    // user did not choose one (a failure of the browser has been reported).
    std::string BrowseDirectory(const char* title);
    // Move and Copy: the file must be where recorded, a directory chosen, and its name free there. The target
    // path, or empty when refused or cancelled (the box has been shown).
    std::string ChooseTarget(const char* refusedCaption, const char* browserTitle);
    void RecordChanged() const;
    FileRecord& Record() const;

    KsClient* m_client = nullptr;
    bool m_examineUnderWay = false;
    bool m_closeAfterExamine = false;
    bool m_checkAfterExamine = false;
    ks::TEdit m_fileName;
    ks::TEdit m_title;
    ks::TEdit m_keywords;
    ks::TEdit m_date;
    ks::TEdit m_abstract;

    static const ks::TResponse<DataDisplay> Responses[];
};

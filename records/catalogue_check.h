// CatalogueCheck: the Catalogue Check window's dialog. It walks the catalogue and lists KS_STORE once, lists
// what disagrees (missing files, stored files without a record, records sharing a file), and from a selected
// line opens the record, finds and re-links a missing file, or stores a file that has no record.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/file_record.h"
#include "framework/column_list.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "records/check_findings.h"

class KsClient;

class CatalogueCheck : public ks::TDialog {
public:
    explicit CatalogueCheck(ks::TWindow* parent);

    // Ends a running check before its next record.
    std::int32_t StopFlag = 0;
    // The check: the walk on the progress dialog, then the findings in the list.
    void RunCheck();
    // The findings in list order.
    const std::vector<Finding>& Findings() const { return m_findings; }
    // The box of a check that found nothing.
    static constexpr char kNothingFound[] =
        "The catalogue and KS_STORE agree: no missing files, no stored files without a record and no records "
        "sharing a file.";

    // Not while a walk runs (in this or any other window).
    bool CanClose() override;
    // A record was changed or deleted elsewhere (WM_REFRESHRECORD): its lines are updated or dropped, and so
    // are a file's "No record" line when the record now names that file and a partner left alone by it.
    void RefreshRecord(std::int32_t number);
    bool OnCommand(UINT id, UINT notify, HWND control) override;

protected:
    void SetupWindow() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CmOpenRecord();
    void CmFind();
    void CmStore();
    void CmHelp();
    // The selected line's finding when it is of one of the kinds asked for; otherwise says why not.
    const Finding* SelectedFinding(const char* wrongKindText, FindingKind kind, FindingKind other);
    void DropSelectedLine();
    Finding* FindingAt(int line);
    // The record as the engine holds it now; nothing when it is gone.
    std::optional<FileRecord> ReadRecord(std::int32_t number);
    void ShowFindings();
    std::string StoreDirectory() const;

    static const ks::TResponse<CatalogueCheck> Responses[];
    ks::TColumnList m_list;
    KsClient* m_client = nullptr;
    std::vector<Finding> m_findings;
};

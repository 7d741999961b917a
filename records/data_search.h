// DataSearch: the Search Interface's dialog (query, date range, result list, the walk over the catalogue);
// TMenList: its result list with the pop-up menu.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "controls/calendar_edit.h"
#include "framework/column_list.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "records/query.h"
#include "records/result_lines.h"

class KsClient;

// A list box that opens menu 101's pop-up on the context-menu message; its commands go to the dialog. Its lines
// stand in columns under the dialog's headings.
class TMenList : public ks::TColumnList {
public:
    using TColumnList::TColumnList;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class DataSearch : public ks::TDialog {
public:
    explicit DataSearch(ks::TWindow* parent);

    // The query: ConditionCount blocks in use (0 lists every record). The Query Helper writes them.
    QueryCondition Conditions[kMaxConditions];
    std::int32_t ConditionCount = 0;
    // Ends a running walk before its next record.
    std::int32_t StopFlag = 0;

    // Rewrites the query description from the blocks in use.
    void ShowQueryText();
    // Posts WM_OPENRECORD with the selected line's record number to the MDI client, or says why not.
    void OpenSelectedRecord();
    // The records the result list shows, in its order.
    std::vector<std::int32_t> ListedRecords() const { return m_lines.Records(); }
    // A record was changed or deleted: its line is rebuilt from the stored record, or dropped.
    void RefreshRecordLine(std::int32_t recordNumber);

    // Not while a search walks the table (in this or any other window).
    bool CanClose() override;
    bool OnCommand(UINT id, UINT notify, HWND control) override;

protected:
    void SetupWindow() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CmSetQuery();
    void CmSearch();
    void CmShowBetween();
    void CmClear();
    void CmDetails();
    void CmHelp();
    // One pass over the table listing the records that qualify; fullText is the "Result List is Full" text.
    void Walk(const std::function<bool(const FileRecord&)>& qualifies, const char* fullText);

    static const ks::TResponse<DataSearch> Responses[];
    ks::TEdit m_queryText;
    TMenList m_results;
    ResultLines m_lines{m_results};
    KsClient* m_client = nullptr;
    ks::TCalendarEdit m_from;
    ks::TCalendarEdit m_to;
};

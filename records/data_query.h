// DataQuery: the Query Helper, which writes one condition block of a Search Interface's query and may chain
// a second helper for the next block.
#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "records/query.h"

class DataQuery : public ks::TDialog {
public:
    // Claims block *count of blocks (the count goes up by one); a run that does not end with OK gives it back.
    // previous: the helper that chained this one, or null for the first.
    DataQuery(ks::TWindow* parent, DataQuery* previous, QueryCondition* blocks, std::int32_t* count);
    ~DataQuery() override;
    DataQuery(const DataQuery&) = delete;
    DataQuery& operator=(const DataQuery&) = delete;

    bool OnCommand(UINT id, UINT notify, HWND control) override;

protected:
    void SetupWindow() override;
    void CmOk() override { Store(); }

private:
    // Checks the field and the string; a refusal says why and focuses the control.
    bool Validate();
    // Writes this block and the previous helpers' blocks, and closes them all with OK.
    bool Store();
    void Chain(int connector);
    void CmHelp();

    static const ks::TResponse<DataQuery> Responses[];
    QueryCondition& m_block;
    std::int32_t* m_count;
    QueryCondition* m_blocks;
    std::int32_t m_connector = kConnectorEnd;
    DataQuery* m_previous;
    ks::TComboBox m_field;
    ks::TRadioButton m_contains;
    ks::TRadioButton m_notContains;
    ks::TEdit m_text;
    ks::TCheckBox m_caseSensitive;
    ks::TCheckBox m_wholeWords;
};

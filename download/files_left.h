// FilesLeft: the list of files Store All left in their area, each with the reason (dialog 18).
#pragma once
#include <string>
#include <vector>

#include "download/store_all.h"
#include "framework/column_list.h"
#include "framework/controls.h"
#include "framework/dialog.h"

class FilesLeft : public ks::TDialog {
public:
    FilesLeft(ks::TWindow* parent, std::string summary, std::vector<StoreAllOutcome::Left> left);
    bool OnCommand(UINT id, UINT notify, HWND control) override;

    // The list's column of reasons, in dialog units from the list's left edge; its heading stands there too.
    static constexpr int kReasonTab = 150;

protected:
    void SetupWindow() override;

private:
    void CmHelp();

    std::string m_summary;
    std::vector<StoreAllOutcome::Left> m_left;
    ks::TStatic m_summaryText;
    ks::TColumnList m_list;

    static const ks::TResponse<FilesLeft> Responses[];
};

// DelStat: "Delete Options", the modal choice of deleting the record, its file on disk, or both.
#pragma once
#include <cstdint>

#include "framework/controls.h"
#include "framework/dialog.h"

class DelStat : public ks::TDialog {
public:
    // fileExists: whether the record's file was found; without it the file box is disabled.
    DelStat(ks::TWindow* parent, std::int32_t fileExists);

    std::int32_t FileExists;
    // Valid after the dialog ended with IDOK.
    std::int32_t DeleteFileChecked = 0;
    std::int32_t DeleteRecordChecked = 1;

protected:
    void SetupWindow() override;
    void CmOk() override;
    bool OnCommand(UINT id, UINT notify, HWND control) override;

private:
    void CmHelp();

    ks::TCheckBox m_deleteRecord;
    ks::TCheckBox m_deleteFile;

    static const ks::TResponse<DelStat> Responses[];
};

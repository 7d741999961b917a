// ksPrefs: the "Path Preferences" dialog (template 2) that edits the four download areas in the registry.
#pragma once
#include <windows.h>

#include "framework/controls.h"
#include "framework/dialog.h"

// Edits each area's path and alias and chooses the default area. Nothing is read back by the caller:
// OK writes all nine values, and closes only when the default area has both a path and an alias.
class ksPrefs : public ks::TDialog {
public:
    explicit ksPrefs(ks::TWindow* parent);

    // Why a chosen directory cannot be a download area (none chosen; KS_STORE, inside it or holding it), or null.
    static const char* AreaFault(const char* directory);

    bool CanClose() override;
    bool OnCommand(UINT id, UINT notify, HWND control) override;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void CmBrowse(int area);
    void CmHelp();
    int CheckedDefault() const;

    char m_areaPath[4][261];
    ks::TRadioButton m_default[4];
    ks::TEdit m_alias[4];
    ks::TStatic m_path[4];

    static const ks::TResponse<ksPrefs> Responses[];
};

// SrchChild: the Search Interface window, an MDI child of fixed size around its DataSearch dialog.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/dialog.h"
#include "framework/fixed_mdi_child.h"

class DataSearch;

class SrchChild : public ks::TFixedMDIChild {
public:
    // Without a client window the child makes its own DataSearch.
    SrchChild(ks::TMDIClient& client, const char* title, std::unique_ptr<ks::TDialog> clientWindow = nullptr);
    // The child's DataSearch, or null when it was given another client window.
    DataSearch* Search() const;

protected:
    // WM_REFRESHRECORD (wParam: the record number) rebuilds or drops that record's line.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// CheckChild: the Catalogue Check window, a fixed-size MDI child around its CatalogueCheck dialog.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/dialog.h"
#include "framework/fixed_mdi_child.h"

class CatalogueCheck;

class CheckChild : public ks::TFixedMDIChild {
public:
    static constexpr char kTitle[] = "Catalogue Check";
    explicit CheckChild(ks::TMDIClient& client);
    CatalogueCheck* Check() const;

protected:
    // WM_REFRESHRECORD (wParam: the record number) updates or drops that record's lines.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

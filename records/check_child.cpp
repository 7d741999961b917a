// CheckChild: its own CatalogueCheck and the relayed record refresh.
#include "records/check_child.h"

#include "records/catalogue_check.h"
#include "resources/resource_ids.h"

CheckChild::CheckChild(ks::TMDIClient& client)
    : TFixedMDIChild(client, kTitle, std::make_unique<CatalogueCheck>(nullptr))
{
}

CatalogueCheck* CheckChild::Check() const { return dynamic_cast<CatalogueCheck*>(GetClientWindow()); }

LRESULT CheckChild::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_REFRESHRECORD) {
        if (CatalogueCheck* check = Check(); check && check->GetHandle())
            check->RefreshRecord(static_cast<std::int32_t>(wParam));
        return 0;
    }
    return TFixedMDIChild::WindowProc(msg, wParam, lParam);
}

// CheckChild: its own CatalogueCheck.
#include "records/check_child.h"

#include "records/catalogue_check.h"

CheckChild::CheckChild(ks::TMDIClient& client)
    : TFixedMDIChild(client, kTitle, std::make_unique<CatalogueCheck>(nullptr))
{
}

CatalogueCheck* CheckChild::Check() const { return dynamic_cast<CatalogueCheck*>(GetClientWindow()); }

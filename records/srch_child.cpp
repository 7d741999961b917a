// SrchChild: its own DataSearch and the relayed record refresh.
#include "records/srch_child.h"

#include "records/data_search.h"
#include "resources/resource_ids.h"

namespace {
std::unique_ptr<ks::TDialog> OwnOrSearch(std::unique_ptr<ks::TDialog> clientWindow)
{
    return clientWindow ? std::move(clientWindow) : std::make_unique<DataSearch>(nullptr);
}
}  // namespace

SrchChild::SrchChild(ks::TMDIClient& client, const char* title, std::unique_ptr<ks::TDialog> clientWindow)
    : TFixedMDIChild(client, title, OwnOrSearch(std::move(clientWindow)))
{
}

DataSearch* SrchChild::Search() const { return dynamic_cast<DataSearch*>(GetClientWindow()); }

LRESULT SrchChild::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_REFRESHRECORD) {
        if (DataSearch* search = Search(); search && search->GetHandle())
            search->RefreshRecordLine(static_cast<std::int32_t>(wParam));
        return 0;
    }
    return TFixedMDIChild::WindowProc(msg, wParam, lParam);
}

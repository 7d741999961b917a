// RecChild: the Record Interface's fixed-size child around its own DataDisplay.
#include "records/rec_child.h"

#include "records/data_display.h"

namespace {
std::unique_ptr<ks::TDialog> OwnOrDisplay(std::unique_ptr<ks::TDialog> clientWindow, std::int32_t recordNumber)
{
    return clientWindow ? std::move(clientWindow) : std::make_unique<DataDisplay>(nullptr, recordNumber);
}
}  // namespace

RecChild::RecChild(ks::TMDIClient& client, std::int32_t recordNumber, const char* title,
                   std::unique_ptr<ks::TDialog> clientWindow)
    : TFixedMDIChild(client, title, OwnOrDisplay(std::move(clientWindow), recordNumber))
{
}

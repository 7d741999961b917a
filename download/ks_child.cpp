// KsChild: the Download Interface's fixed-size child around its own KsManage.
#include "download/ks_child.h"

#include "download/ks_manage.h"

namespace {
std::unique_ptr<ks::TDialog> OwnOrManage(std::unique_ptr<ks::TDialog> clientWindow)
{
    return clientWindow ? std::move(clientWindow) : std::make_unique<KsManage>(nullptr);
}
}  // namespace

KsChild::KsChild(ks::TMDIClient& parent, const char* title, std::unique_ptr<ks::TDialog> clientWindow)
    : TFixedMDIChild(parent, title, OwnOrManage(std::move(clientWindow)))
{
}

// KsChild: the Download Interface's fixed-size child around its own KsManage.
#include "download/ks_child.h"

#include <shellapi.h>

#include "app/ks_client.h"
#include "download/dropped_files.h"
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

void KsChild::SetupWindow()
{
    TFixedMDIChild::SetupWindow();
    DragAcceptFiles(m_hwnd, TRUE);
}

LRESULT KsChild::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DROPFILES) {
        if (auto* client = dynamic_cast<KsClient*>(&GetClient()))
            StoreDroppedFiles(*client, reinterpret_cast<HDROP>(wParam), GetClientWindow());
        else
            DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return TFixedMDIChild::WindowProc(msg, wParam, lParam);
}

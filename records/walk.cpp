// WalkMark and WalkScope: taking and giving back what a walk borrows.
#include "records/walk.h"

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "framework/ui.h"

WalkMark::WalkMark(KsClient& client) : m_client(client), m_app(KsApp::Get())
{
    if (m_app)
        m_app->Walking = 1;
    EnableWindow(m_client.GetHandle(), FALSE);
}

WalkMark::~WalkMark()
{
    EnableWindow(m_client.GetHandle(), TRUE);
    if (m_app)
        m_app->Walking = 0;
}

bool WalkMark::Running()
{
    const KsApp* app = KsApp::Get();
    return app && app->Walking;
}

bool WalkMark::Refused(HWND owner)
{
    if (!Running())
        return false;
    ks::Beep(MB_ICONEXCLAMATION);
    ks::ShowMessage(owner, kRefusedText, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return true;
}

WalkScope::WalkScope(KsClient& client, std::unique_ptr<KsAbort> progress)
    : m_client(client), m_mark(client), m_record(client.RecordBuffer), m_progress(std::move(progress)),
      m_app(KsApp::Get())
{
    if (m_app)
        m_app->Searching = 1;
}

WalkScope::~WalkScope()
{
    m_progress->Destroy();
    m_progress.reset();
    if (m_app)
        m_app->Searching = 0;
}

KsAbort& WalkScope::ShowProgress()
{
    if (m_progress->Create()) {
        m_progress->SetProgress(0);
        ShowWindow(m_progress->GetHandle(), SW_SHOW);
    }
    return *m_progress;
}

// The MDI client's child windows: numbered Search Interfaces, a Record Interface per request, and the relay of
// a changed record to every child window, also when one of them closes meanwhile.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "engine/file_record.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"
#include "tests/support/program_start.h"

namespace {

struct Received {
    WPARAM wParam;
    LPARAM lParam;
};

// A child window that notes the refresh requests it gets; one of them may close itself on the first.
class ListeningChild : public ks::TMDIChild {
public:
    ListeningChild(ks::TMDIClient& client, const char* title, std::vector<Received>& log, bool closeOnRefresh)
        : TMDIChild(client, title, nullptr, false), m_log(log), m_closeOnRefresh(closeOnRefresh)
    {
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_REFRESHRECORD) {
            m_log.push_back({wParam, lParam});
            if (m_closeOnRefresh)
                SendMessageA(GetClient().GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hwnd), 0);
            return 0;
        }
        return TMDIChild::WindowProc(msg, wParam, lParam);
    }

private:
    std::vector<Received>& m_log;
    bool m_closeOnRefresh;
};

class ClientWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks_test::DeleteProgramSettings();
        ks_test::SetRegString("Initialisation", "Setup", "OK");
        ks_test::SetRegString("Download Directorys", "Area One", "No Path");
        GetCurrentDirectoryA(MAX_PATH, m_previousDir);
        SetCurrentDirectoryA(ks_test::BinDir().c_str());
        // An empty table: the engine of an earlier test has ended and released it.
        ks_test::WaitForEngineToEnd();
        DeleteFileA((ks_test::BinDir() + "\\kspdx.tbl").c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(m_previousDir);
        ks_test::DeleteProgramSettings();
    }
    static void Pump(KsApp& app)
    {
        for (int i = 0; i < 5; ++i) {
            app.PumpWaitingMessages();
            Sleep(10);
        }
    }

    ks_test::ScriptedUi m_ui;
    char m_previousDir[MAX_PATH]{};
};

TEST_F(ClientWindows, EveryChildHearsOfTheChangedRecordEvenWhenOneClosesMeanwhile)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    KsClient& client = *app.Client;
    std::vector<Received> first, closing, last;
    // Windows hear in z-order from the top: the one created last first.
    client.CreateChild(std::make_unique<ListeningChild>(client, "one", first, false));
    client.CreateChild(std::make_unique<ListeningChild>(client, "two", closing, true));
    client.CreateChild(std::make_unique<ListeningChild>(client, "three", last, false));
    ASSERT_EQ(client.GetChildren().size(), 3u);

    PostMessageA(client.GetHandle(), WM_RECORDCHANGED, 42, 0);
    Pump(app);
    for (const auto* log : {&first, &closing, &last}) {
        ASSERT_EQ(log->size(), 1u);
        EXPECT_EQ((*log)[0].wParam, 42u);
        EXPECT_EQ((*log)[0].lParam, 0);
    }
    EXPECT_EQ(client.GetChildren().size(), 2u);

    // A record no window lists changes nothing visible; the remaining windows still hear of it.
    PostMessageA(client.GetHandle(), WM_RECORDCHANGED, 7, 0);
    Pump(app);
    EXPECT_EQ(first.size(), 2u);
    EXPECT_EQ(last.size(), 2u);
    EXPECT_EQ(closing.size(), 1u);

    PostMessageA(app.GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.MessageLoop(), 0);
}

// A first start with no download areas: the frame is centred on the desktop, then the "Setup" box, owned by
// the client window, is followed by the defaults and the Path Preferences dialog.
TEST_F(ClientWindows, FirstStartAsksForAreasOverTheCentredFrame)
{
    ks_test::DeleteProgramSettings();
    ks_test::SetRegString("Initialisation", "Setup", "OK");
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    Pump(app);
    HWND frame = app.GetMainWindow()->GetHandle();
    RECT desktop, placed;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(frame, &placed);
    const int width = placed.right - placed.left, height = placed.bottom - placed.top;
    EXPECT_EQ(placed.left, desktop.left + (desktop.right - desktop.left) / 2 - width / 2);
    EXPECT_EQ(placed.top, desktop.top + (desktop.bottom - desktop.top) / 2 - height / 2);

    const auto& events = m_ui.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].kind, ks_test::Shown::Kind::Box);
    EXPECT_EQ(events[0].text,
              "You donot seem to have any Directory Preferences set up in the Registry for your Download Areas. You "
              "will now get the opportunity to set up these areas.You can change these areas at any time from the "
              "Main Menu (Preferences then Download Areas).");
    EXPECT_EQ(events[0].caption, "Setup");
    EXPECT_EQ(events[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(events[0].owner, app.Client->GetHandle());
    EXPECT_EQ(events[1].kind, ks_test::Shown::Kind::Dialog);
    EXPECT_EQ(events[1].dialogId, 2);
    EXPECT_EQ(ks_test::RegString("Download Directorys", "Area Four"), "No Path");

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.MessageLoop(), 0);
}

std::string Title(const ks::TMDIChild* child)
{
    char title[64]{};
    GetWindowTextA(child->GetHandle(), title, sizeof title);
    return title;
}

TEST_F(ClientWindows, SearchInterfacesAreNumberedFromZeroAndNumbersAreNotGivenBack)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    KsClient& client = *app.Client;
    HWND frame = app.GetMainWindow()->GetHandle();
    for (int i = 0; i < 3; ++i)
        SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_STORED_FILES, 0), 0);
    auto children = client.GetChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(Title(children[0]), "Search Interface - 0");
    EXPECT_EQ(Title(children[1]), "Search Interface - 1");
    EXPECT_EQ(Title(children[2]), "Search Interface - 2");

    SendMessageA(children[1]->GetHandle(), WM_CLOSE, 0, 0);
    Pump(app);
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_STORED_FILES, 0), 0);
    Pump(app);
    children = client.GetChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(Title(children[2]), "Search Interface - 3");

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.MessageLoop(), 0);
}

TEST_F(ClientWindows, EveryOpenRecordRequestOpensARecordInterface)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    KsClient& client = *app.Client;
    // A record to open: added through the engine, with the shared record put back.
    const FileRecord saved = client.RecordBuffer;
    client.RecordBuffer = FileRecord{};
    std::strcpy(client.RecordBuffer.FileName, "OPENED.TXT");
    std::strcpy(client.RecordBuffer.DownloadDate, "01/05/96");
    ASSERT_EQ(client.SendEngineCommand(ENG_ADD, 0), 0);
    ASSERT_EQ(client.SendEngineCommand(ENG_FIRST, ENG_RECORD_NOT_FOUND), 0);
    const std::int32_t number = client.RecordBuffer.RecordNumber;
    client.RecordBuffer = saved;

    // The client does not keep to one open record itself: two requests, two windows.
    PostMessageA(client.GetHandle(), WM_OPENRECORD, number, 0);
    PostMessageA(client.GetHandle(), WM_OPENRECORD, number, 0);
    Pump(app);
    const auto children = client.GetChildren();
    ASSERT_EQ(children.size(), 2u);
    for (ks::TMDIChild* child : children)
        EXPECT_EQ(Title(child), "Record Interface");
    EXPECT_EQ(app.RecordOpen, 1);

    PostMessageA(app.GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.MessageLoop(), 0);
}

}  // namespace

// The MDI client's download commands in the real main window: numbered Download Interfaces, Path Preferences
// from the menu, and the first start without download areas.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/ks_client.h"
#include "framework/mdi.h"
#include "resources/resource_ids.h"
#include "tests/download/download_fixture.h"

namespace {

using ks_test::RegNumber;
using ks_test::RegString;
using ks_test::Shown;

// The real application and main window (which starts the engine); each test ends by closing it.
class ClientCommands : public ks_test::ScratchTest {
protected:
    static int CloseAndRun(KsApp& app)
    {
        PostMessageA(app.GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
        return app.MessageLoop();
    }
    static void Command(KsApp& app, UINT id)
    {
        SendMessageA(app.GetMainWindow()->GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    static std::vector<std::string> Titles(const ks::TMDIClient& client)
    {
        std::vector<std::string> titles;
        for (const ks::TMDIChild* child : client.GetChildren())
            titles.push_back(child->GetText(64));
        return titles;
    }
};

TEST_F(ClientCommands, DownloadInterfacesAreNumberedFromZeroAndNumbersAreNotReused)
{
    SetArea(1, MakeDir("area"), "Area");
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(app.Client, nullptr);
    EXPECT_TRUE(app.Client->HandlesCommand(CM_FILES_DOWNLOADED));
    EXPECT_TRUE(app.Client->HandlesCommand(CM_DOWNLOAD_AREAS));
    for (int i = 0; i < 3; ++i)
        Command(app, CM_FILES_DOWNLOADED);
    EXPECT_EQ(Titles(*app.Client), (std::vector<std::string>{"Download Interface - 0", "Download Interface - 1",
                                                              "Download Interface - 2"}));
    ks::TMDIChild* second = app.Client->GetChildren().at(1);
    EXPECT_NE(SendMessageA(second->GetHandle(), WM_GETICON, ICON_SMALL, 0), 0);
    SendMessageA(second->GetHandle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(ks_test::PumpUntil([&] { return app.Client->GetChildren().size() == 2; }));
    Command(app, CM_FILES_DOWNLOADED);
    EXPECT_EQ(Titles(*app.Client), (std::vector<std::string>{"Download Interface - 0", "Download Interface - 2",
                                                              "Download Interface - 3"}));
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(ClientCommands, DownloadAreasOpensPathPreferencesOverTheMainWindow)
{
    SetArea(1, "No Path", "Area");
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    HWND owner = nullptr;
    bool centred = false;
    m_ui.OnDialog(IDD_PATH_PREFS, [&](ks::TDialog& d) {
        owner = GetWindow(d.GetHandle(), GW_OWNER);
        RECT frame, own;
        GetWindowRect(app.GetMainWindow()->GetHandle(), &frame);
        GetWindowRect(d.GetHandle(), &own);
        centred = own.left == frame.left + (frame.right - frame.left) / 2 - (own.right - own.left) / 2 &&
                  own.top == frame.top + (frame.bottom - frame.top) / 2 - (own.bottom - own.top) / 2;
        ks_test::Click(d, IDCANCEL);
    });
    Command(app, CM_DOWNLOAD_AREAS);
    ASSERT_EQ(m_ui.Of(Shown::Kind::Dialog).size(), 1u);
    EXPECT_EQ(m_ui.Of(Shown::Kind::Dialog)[0].caption, "Path Preferences");
    EXPECT_EQ(owner, app.GetMainWindow()->GetHandle());
    EXPECT_TRUE(centred);
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(ClientCommands, FirstStartWritesTheDefaultsAndOpensPathPreferences)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    bool refused = false;
    m_ui.OnDialog(IDD_PATH_PREFS, [&](ks::TDialog& d) {
        // The defaults are in place before the dialog reads them.
        EXPECT_EQ(RegString("Download Directorys", "Area Four"), "No Path");
        ks_test::Click(d, IDOK);
        refused = IsWindow(d.GetHandle()) != FALSE;
        ks_test::Click(d, IDCANCEL);
    });
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(ks_test::PumpUntil([&] { return !m_ui.Of(Shown::Kind::Dialog).empty(); }));
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Setup");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[1].caption, "Warning");
    EXPECT_TRUE(refused);
    for (const char* name : {"Area One", "Area Two", "Area Three", "Area Four"})
        EXPECT_EQ(RegString("Download Directorys", name), "No Path") << name;
    for (const char* name : {"Alias One", "Alias Two", "Alias Three", "Alias Four"})
        EXPECT_EQ(RegString("Download Directorys", name), "") << name;
    EXPECT_EQ(RegNumber("Download Directorys", "Default"), 1u);
    EXPECT_EQ(CloseAndRun(app), 0);
}

}  // namespace

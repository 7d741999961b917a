// Not run by the suite: shows the download windows in the real main window for a few seconds each, so that
// screenshots can be taken (run with --gtest_also_run_disabled_tests --gtest_filter=*Screenshot*).
#include <gtest/gtest.h>
#include <windows.h>

#include "app/ks_client.h"
#include "framework/mdi.h"
#include "resources/resource_ids.h"
#include "tests/download/download_fixture.h"

namespace {

constexpr DWORD kShowFor = 4000;

// Ends a dialog with Cancel after kShowFor.
void CancelLater(HWND dialog)
{
    SetTimer(dialog, 0x5C, kShowFor, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
        KillTimer(hwnd, id);
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
}

class Screenshot : public ks_test::ScratchTest {
protected:
    void Areas()
    {
        const std::string area = MakeDir("Incoming");
        MakeDir("Incoming\\Archive");
        ks_test::SetWriteTimeUtc(ks_test::PutFile(area, "README.TXT", std::string(2345, 'r')), 1996, 11, 2, 10);
        ks_test::PutFile(area, "WINZIP95.ZIP", std::string(187654, 'z'));
        ks_test::PutFile(area, "GAMES.DOC", std::string(5120, 'g'));
        ks_test::PutFile(area, "NEWS1196.TXT", std::string(812, 'n'));
        // A name outside the ANSI code page: listed by its short name.
        const std::wstring wide = std::wstring(area.begin(), area.end()) + L"\\\x65E5\x672C\x8A9E.txt";
        CloseHandle(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        SetArea(1, area, "CompuServe");
        SetArea(2, MakeDir("Internet"), "Internet");
        SetArea(3, "No Path", "");
        SetArea(4, "No Path", "");
        ks_test::SetRegNumber("Download Directorys", "Default", 1);
    }
    static int CloseAndRun(KsApp& app)
    {
        PostMessageA(app.GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
        return app.MessageLoop();
    }
    static void Command(KsApp& app, UINT id)
    {
        SendMessageA(app.GetMainWindow()->GetHandle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
};

TEST_F(Screenshot, DISABLED_DownloadInterface)
{
    Areas();
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    Command(app, CM_FILES_DOWNLOADED);
    ks_test::PumpUntil([] { return false; }, kShowFor);
    CloseAndRun(app);
}

TEST_F(Screenshot, DISABLED_PathPreferences)
{
    Areas();
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ks_test::PumpUntil([] { return false; }, 1500);
    m_ui.OnDialog(IDD_PATH_PREFS, [](ks::TDialog& d) { CancelLater(d.GetHandle()); });
    Command(app, CM_DOWNLOAD_AREAS);
    CloseAndRun(app);
}

TEST_F(Screenshot, DISABLED_DirectoryBrowser)
{
    Areas();
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ks_test::PumpUntil([] { return false; }, 1500);
    m_ui.AnswerOpenFile(ks_test::RealFileDialog::Driven([](HWND dialog) { CancelLater(dialog); }));
    m_ui.OnDialog(IDD_PATH_PREFS, [](ks::TDialog& d) {
        ks_test::Click(d, IDC_PREFS_BROWSE1);
        ks_test::Click(d, IDCANCEL);
    });
    Command(app, CM_DOWNLOAD_AREAS);
    CloseAndRun(app);
}

}  // namespace

// The installed copy as a user meets it, run by installer_test.sh once the setup has installed it: Examine on a
// file no program is registered for opens it in the installed viewer. Skipped unless KS_INSTALLED_DIR names the
// installed folder (and KS_AREA a download area holding only notes.qqq).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/program_runner.h"

namespace {

using namespace std::chrono_literals;

// The help viewer started from the Start Menu's shortcut shows the contents of the installed help file; closing
// its window ends it (installer_test.sh checks that).
TEST(InstalledCopy, TheHelpShortcutShowsTheContentsInTheHelpViewer)
{
    if (!std::getenv("KS_INSTALLED_DIR"))
        GTEST_SKIP() << "run by installer_test.sh with KS_INSTALLED_DIR";
    HWND viewer = ks_test::WaitForWindow("Kestrum32 Help - Contents", 30s);
    ASSERT_NE(viewer, nullptr);
    HWND list = FindWindowExA(viewer, nullptr, "ListBox", nullptr);
    // The contents and every topic of the help file.
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 17);
    wchar_t first[64]{};
    SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"Contents");
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ks_test::WaitForGone("Kestrum32 Help - Contents", 10s));
}

TEST(InstalledCopy, ExamineShowsAFileNoProgramTakesInTheInstalledViewer)
{
    const char* installed = std::getenv("KS_INSTALLED_DIR");
    const char* area = std::getenv("KS_AREA");
    if (!installed || !area)
        GTEST_SKIP() << "run by installer_test.sh with KS_INSTALLED_DIR and KS_AREA";
    ks_test::SetOnlyAreaOne(area);
    ks_test::Program program(std::string(installed) + "\\kestrm32.exe", installed);
    ASSERT_TRUE(program.Started()) << program.Error();
    HWND main = ks_test::WaitForWindow("Filewarden (For Windows 95)", 30s);
    ASSERT_NE(main, nullptr);
    HWND manage = ks_test::OpenDownloadInterface(main);
    ASSERT_NE(manage, nullptr);
    HWND list = GetDlgItem(manage, IDC_DOWNLOAD_FILES);
    ASSERT_TRUE(ks_test::Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 10s));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    PostMessageA(manage, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_EXAMINE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(manage, IDC_DOWNLOAD_EXAMINE)));

    // The viewer's window, or the box that says it could not start.
    HWND viewer = nullptr;
    HWND failed = nullptr;
    ks_test::Eventually(
        [&] {
            viewer = FindWindowA(nullptr, "notes.qqq - Viewer");
            failed = FindWindowA(nullptr, "Viewer Error");
            return viewer || failed;
        },
        30s);
    EXPECT_EQ(failed, nullptr) << "the installed program could not start its viewer";
    ASSERT_NE(viewer, nullptr);
    HWND edit = GetWindow(viewer, GW_CHILD);
    char text[128]{};
    ks_test::Eventually([&] { return SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)) > 0; },
                        10s);
    EXPECT_STREQ(text, "words of a file no program is registered for");
    // The viewer shows the copy in the installed folder's KS_TEMP.
    EXPECT_TRUE(ks_test::Exists(std::string(installed) + "\\KS_TEMP\\notes.qqq"));

    PostMessageA(viewer, WM_CLOSE, 0, 0);
    if (failed)
        PostMessageA(failed, WM_COMMAND, IDOK, 0);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(20s), 0u);
    ks_test::WaitForGone("Kestrum32-16ParadoxInterface", 10s);
}

}  // namespace

// The splash closes itself; About shows the product line and copyright from the version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/ks_about.h"
#include "app/project_rc_version.h"
#include "app/splash.h"
#include "framework/bor_controls.h"
#include "resources/resource_ids.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"

namespace {

// A plain top-level window to own dialogs, placed away from the screen's centre.
class OwnerWindow : public ks::TWindow {
public:
    OwnerWindow()
    {
        ks::RegisterFrameworkClass("KsTestOwner", 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        CreateWindowExA(0, "KsTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 30, 500, 400, nullptr,
                        nullptr, GetModuleHandleA(nullptr), static_cast<ks::TWindow*>(this));
    }
};

class SplashAndAbout : public ::testing::Test {
protected:
    void SetUp() override { ks::RegisterBorControls(GetModuleHandleA(nullptr)); }
    ks_test::ScriptedUi m_ui;
};

TEST_F(SplashAndAbout, SplashIsCentredOnTheDesktopAndClosesItselfAfterAboutASecond)
{
    Splash splash(nullptr);
    ASSERT_NE(splash.Create(), nullptr);
    HWND hwnd = splash.GetHandle();
    ShowWindow(hwnd, SW_SHOW);
    RECT own, desktop;
    GetWindowRect(hwnd, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    EXPECT_EQ(own.left, (desktop.right - desktop.left) / 2 - width / 2);
    EXPECT_EQ(own.top, (desktop.bottom - desktop.top) / 2 - height / 2);

    // Still there well before the second is up, gone soon after it.
    const DWORD start = GetTickCount();
    bool seenAfterHalfASecond = false;
    while (IsWindow(hwnd) && GetTickCount() - start < 5000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start > 500 && IsWindow(hwnd))
            seenAfterHalfASecond = true;
        Sleep(10);
    }
    EXPECT_TRUE(seenAfterHalfASecond);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(splash.GetHandle(), nullptr);
}

TEST_F(SplashAndAbout, AboutShowsTheProductLineAndCopyrightCentredOverItsParent)
{
    OwnerWindow owner;
    std::string product, copyright, special;
    RECT dialogRect{}, ownerRect{};
    m_ui.OnDialog(IDD_ABOUT, [&](ks::TDialog& d) {
        product = d.GetItemText(IDC_ABOUT_PRODUCT, 200);
        copyright = d.GetItemText(IDC_ABOUT_COPYRIGHT, 200);
        special = d.GetItemText(IDC_ABOUT_SPECIAL, 200);
        GetWindowRect(d.GetHandle(), &dialogRect);
        GetWindowRect(owner.GetHandle(), &ownerRect);
        ks_test::Click(d, IDOK);
    });
    KsAbout about(&owner);
    EXPECT_EQ(about.Execute(), IDOK);
    EXPECT_EQ(product, "KestRum32 Version 2.03");
    EXPECT_EQ(copyright, "Copyright \xA9 1996 Brackenfold Software.\nAll rights reserved.");
    EXPECT_EQ(special, "");
    EXPECT_EQ(m_ui.Of(ks_test::Shown::Kind::Dialog)[0].caption, "About KestRum");
    // Centred over the owner, which is not at the screen's centre; halves truncated.
    const int w = dialogRect.right - dialogRect.left;
    const int h = dialogRect.bottom - dialogRect.top;
    EXPECT_EQ(dialogRect.left, ownerRect.left + (ownerRect.right - ownerRect.left) / 2 - w / 2);
    EXPECT_EQ(dialogRect.top, ownerRect.top + (ownerRect.bottom - ownerRect.top) / 2 - h / 2);
}

TEST_F(SplashAndAbout, VersionReaderAnswersOnlyForEntriesTheResourceHas)
{
    // kscf.dll has a version resource without product name, version or copyright.
    HMODULE library = LoadLibraryA((ks_test::BinDir() + "\\kscf.dll").c_str());
    ASSERT_NE(library, nullptr);
    {
        const ProjectRCVersion version(library);
        const char* text = nullptr;
        EXPECT_FALSE(version.GetProductName(text));
        EXPECT_FALSE(version.GetProductVersion(text));
        EXPECT_FALSE(version.GetCopyright(text));
        EXPECT_FALSE(version.GetSpecialBuild(text));
    }
    FreeLibrary(library);

    const ProjectRCVersion own(GetModuleHandleA(nullptr));
    const char* text = nullptr;
    ASSERT_TRUE(own.GetProductName(text));
    EXPECT_STREQ(text, "KestRum32");
    ASSERT_TRUE(own.GetProductVersion(text));
    EXPECT_STREQ(text, "2.03");
    EXPECT_FALSE(own.GetSpecialBuild(text));
}

TEST_F(SplashAndAbout, VersionIsReadFromAProgramFolderWithAccentedLetters)
{
    // The module path is ANSI already; converting it as if it were OEM text would name another file.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "Kestrum v\xE9rsion";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string copy = dir + "\\kestrm32.exe";
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\kestrm32.exe").c_str(), copy.c_str(), FALSE));
    HMODULE module = LoadLibraryExA(copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr);
    {
        const ProjectRCVersion version(module);
        const char* text = nullptr;
        ASSERT_TRUE(version.GetProductVersion(text));
        EXPECT_STREQ(text, "2.03");
    }
    FreeLibrary(module);
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

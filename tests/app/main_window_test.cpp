// The main window: caption, menu, control bar, status bar with hints, show state, help commands, close query.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/ks_app.h"
#include "framework/mdi.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"

namespace {

using ks_test::Shown;

struct MenuLine {
    int depth;
    std::string text;
    UINT id;  // 0 for separators, -1 for pop-ups
};

void WalkMenu(HMENU menu, int depth, std::vector<MenuLine>& lines)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128]{};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            lines.push_back({depth, "-", 0});
            continue;
        }
        lines.push_back({depth, text, info.hSubMenu ? static_cast<UINT>(-1) : info.wID});
        if (info.hSubMenu)
            WalkMenu(info.hSubMenu, depth + 1, lines);
    }
}

// A started application with its main window built; each test ends by closing it.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks_test::DeleteProgramSettings();
        ks_test::SetRegString("Initialisation", "Setup", "OK");
        // The start-up looks for the engine program in the current directory.
        GetCurrentDirectoryA(MAX_PATH, m_previousDir);
        SetCurrentDirectoryA(ks_test::BinDir().c_str());
        HANDLE engine = CreateFileA("kspdx.exe", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        CloseHandle(engine);
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(m_previousDir);
        ks_test::DeleteProgramSettings();
    }
    // Closes the frame as a user would and runs the loop to its end; returns the exit code.
    static int CloseAndRun(KsApp& app)
    {
        PostMessageA(app.GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
        return app.MessageLoop();
    }

    ks_test::ScriptedUi m_ui;
    char m_previousDir[MAX_PATH]{};
};

TEST_F(MainWindow, MenuHasEveryItemWithItsCommand)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    HWND frame = app.GetMainWindow()->GetHandle();
    char caption[64]{};
    GetWindowTextA(frame, caption, sizeof caption);
    EXPECT_STREQ(caption, "Filewarden (For Windows 95)");

    std::vector<MenuLine> lines;
    WalkMenu(GetMenu(frame), 0, lines);
    const std::vector<MenuLine> expected = {
        {0, "&File", UINT(-1)},       {1, "E&xit\tAlt+F4", 24310},
        {0, "&Downloaded", UINT(-1)}, {1, "&Files Downloaded", 1028}, {1, "Store &All Waiting Files...", 313},
        {0, "&Stored", UINT(-1)},     {1, "&Stored Files", 1025},
        {0, "&Preferences", UINT(-1)}, {1, "&Download Areas", 301}, {1, "&Assistants", UINT(-1)},
        {2, "&Configure", 306},       {2, "&Install", 305},
        {0, "&Utilitys", UINT(-1)},   {1, "&Convert", 311}, {1, "Check &Catalogue", 312},
        {1, "&Export Catalogue...", 314},
        {0, "&Window", UINT(-1)},     {1, "&Cascade", 24361}, {1, "Arrange &Icons", 24364}, {1, "C&lose All", 24365},
        {0, "&Help", UINT(-1)},       {1, "&Contents", 302}, {1, "Setting Up Kestrum32", 307}, {1, "-", 0},
        {1, "&Disclaimer and Agreement", 304}, {1, "-", 0}, {1, "&About...", 2009},
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].depth, expected[i].depth) << i;
        EXPECT_EQ(lines[i].text, expected[i].text) << i;
        EXPECT_EQ(lines[i].id, expected[i].id) << expected[i].text;
    }
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(MainWindow, ControlBarHoldsTheButtonsAndSeparatorsInOrder)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    const ks::TControlBar* bar = app.GetMainWindow()->GetControlBar();
    ASSERT_NE(bar, nullptr);
    // Commands of the buttons; a negative number is a separator of that size.
    const std::vector<int> expected = {24310, -30, 1028, -5, 1025, -30, 301, -5, 306,
                                       -30,   24361, -5, 24364, -5, 24365, -30, 302};
    ASSERT_EQ(bar->ButtonCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < bar->ButtonCount(); ++i) {
        int size = 0;
        if (bar->IsSeparatorAt(i, &size))
            EXPECT_EQ(-size, expected[i]) << "gadget " << i;
        else
            EXPECT_EQ(static_cast<int>(bar->CommandAt(i)), expected[i]) << "gadget " << i;
    }
    // Buttons of commands the program answers are enabled once the program is idle.
    app.GetMainWindow()->IdleAction();
    EXPECT_TRUE(bar->IsEnabled(24310));
    EXPECT_TRUE(bar->IsEnabled(24361));
    EXPECT_TRUE(bar->IsEnabled(302));
    EXPECT_EQ(CloseAndRun(app), 0);
}

// The pixels of a bitmap, or of an image list's image when bitmap is null, as colours, w x h.
std::vector<COLORREF> Pixels(HBITMAP bitmap, HIMAGELIST images, int index, int w, int h)
{
    HDC screen = GetDC(nullptr);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldTo = SelectObject(to, copy);
    if (bitmap) {
        HDC from = CreateCompatibleDC(screen);
        HGDIOBJ oldFrom = SelectObject(from, bitmap);
        BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        DeleteDC(from);
    } else {
        // The image list keeps its bitmap selected in a context of its own: it has to draw the image itself.
        ImageList_Draw(images, index, to, 0, 0, ILD_NORMAL);
    }
    std::vector<COLORREF> pixels;
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            pixels.push_back(GetPixel(to, column, row));
    SelectObject(to, oldTo);
    DeleteObject(copy);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return pixels;
}

long Distance(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b)
{
    long sum = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(GetRValue(a[i]) - GetRValue(b[i])) + std::abs(GetGValue(a[i]) - GetGValue(b[i])) +
               std::abs(GetBValue(a[i]) - GetBValue(b[i]));
    return sum;
}

// Each button shows its own glyph: of all the glyph bitmaps, the one its image is nearest to (the toolbar maps
// the glyphs' greys to the button colours, so images are compared by distance, not for equality).
TEST_F(MainWindow, ControlBarButtonsShowTheirGlyphs)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    HWND bar = app.GetMainWindow()->GetControlBar()->GetHandle();
    const std::vector<std::pair<UINT, int>> expected = {
        {24310, 4}, {1028, 2}, {1025, 3}, {301, 5}, {306, 11}, {24361, 7}, {24364, 8}, {24365, 9}, {302, 10}};
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(bar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    for (const auto& [command, glyph] : expected) {
        SCOPED_TRACE(command);
        TBBUTTONINFOA info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_IMAGE;
        ASSERT_GE(SendMessageA(bar, TB_GETBUTTONINFOA, command, reinterpret_cast<LPARAM>(&info)), 0);
        int w = 0, h = 0;
        ASSERT_TRUE(ImageList_GetIconSize(images, &w, &h));
        const auto shown = Pixels(nullptr, images, info.iImage, w, h);
        int nearest = 0;
        long best = -1;
        for (int candidate : {2, 3, 4, 5, 7, 8, 9, 10, 11}) {
            HBITMAP resource = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(candidate));
            ASSERT_NE(resource, nullptr);
            const long distance = Distance(shown, Pixels(resource, nullptr, 0, w, h));
            DeleteObject(resource);
            if (best < 0 || distance < best) {
                best = distance;
                nearest = candidate;
            }
        }
        EXPECT_EQ(nearest, glyph);
    }
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(MainWindow, StatusBarSaysReadyOrTheHintOfTheCommandUnderTheMouseOrHighlighted)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    HWND frame = app.GetMainWindow()->GetHandle();
    ks::TStatusBar* status = app.GetMainWindow()->GetStatusBar();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetShownText(), "Ready");

    const struct {
        UINT id;
        const char* hint;
    } hints[] = {
        {301, "Set the areas where your downloads come from."},
        {302, "Shows Contents page of the help file."},
        {304, "Jumps to Disclaimer and Agreement in Help File"},
        {305, "Installs a new Assistant into Kestrum."},
        {306, "Configures your Plug-In Assistants."},
        {307, "Useful Information about setting up Kestrum."},
        {311, "Converts and Imports Kestrum 1.x Database and Files"},
        {312, "Finds missing files, stored files without a record and records sharing a file."},
        {313, "Stores every file waiting in a download area, described by the default assistant."},
        {314, "Writes the catalogue's records to a file that spreadsheets read."},
        {1025, "Searches the files stored."},
        {1028, "Creates a new Download Interface."},
        {2009, "About the Kestrum application"},
        {24310, "Quits Filewarden"},
        {24361, "Cascades open windows."},
        {24364, "Arranges iconic windows along bottom."},
        {24365, "Closes all open windows."},
    };
    for (const auto& h : hints) {
        SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(h.id, MF_HILITE), reinterpret_cast<LPARAM>(GetMenu(frame)));
        EXPECT_EQ(status->GetShownText(), h.hint) << h.id;
    }
    // The menu closes: the status text comes back.
    SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(status->GetShownText(), "Ready");

    // The mouse over the control bar: a button's hint, nothing over the space between buttons, and the text
    // again once the mouse has left.
    HWND bar = app.GetMainWindow()->GetControlBar()->GetHandle();
    auto pointAt = [&](int index, bool besideIt) {
        RECT item{};
        SendMessageA(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        return MAKELPARAM(besideIt ? item.right + 2 : (item.left + item.right) / 2, (item.top + item.bottom) / 2);
    };
    const int downloaded = static_cast<int>(SendMessageA(bar, TB_COMMANDTOINDEX, 1028, 0));
    const int help = static_cast<int>(SendMessageA(bar, TB_COMMANDTOINDEX, 302, 0));
    const struct {
        UINT msg;
        LPARAM at;
        const char* shown;
    } moves[] = {
        {WM_MOUSEMOVE, pointAt(downloaded, false), "Creates a new Download Interface."},
        {WM_MOUSEMOVE, pointAt(downloaded, true), "Ready"},  // the separator after it
        {WM_MOUSEMOVE, pointAt(help, false), "Shows Contents page of the help file."},
        {WM_MOUSELEAVE, 0, "Ready"},
    };
    for (const auto& m : moves) {
        SendMessageA(bar, m.msg, 0, m.at);
        EXPECT_EQ(status->GetShownText(), m.shown);
    }
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(MainWindow, StartMaximisedShowsNormalSizeButMinimisedWithoutActivationIsHonoured)
{
    {
        KsApp app(GetModuleHandleA(nullptr), SW_SHOWMAXIMIZED);
        ASSERT_TRUE(app.InitInstance());
        EXPECT_FALSE(IsZoomed(app.GetMainWindow()->GetHandle()));
        EXPECT_TRUE(IsWindowVisible(app.GetMainWindow()->GetHandle()));
        EXPECT_EQ(CloseAndRun(app), 0);
    }
    {
        KsApp app(GetModuleHandleA(nullptr), SW_SHOWMINNOACTIVE);
        ASSERT_TRUE(app.InitInstance());
        EXPECT_TRUE(IsIconic(app.GetMainWindow()->GetHandle()));
        EXPECT_EQ(CloseAndRun(app), 0);
    }
}

TEST_F(MainWindow, HelpCommandsOpenTheHelpFileOfTheProgramDirectory)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    HWND frame = app.GetMainWindow()->GetHandle();
    // The current directory does not matter.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    SetCurrentDirectoryA(temp);

    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_HELP_CONTENTS, 0), 0);
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_HELP_SETTING_UP, 0), 0);
    SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_HELP_DISCLAIMER, 0), 0);
    const auto calls = m_ui.HelpCalls();
    ASSERT_EQ(calls.size(), 3u);
    const std::string file = ks_test::BinDir() + "\\KSHELP32.HLP";
    for (const Shown& call : calls)
        EXPECT_EQ(call.text, file);
    EXPECT_EQ(calls[0].helpCommand, static_cast<UINT>(HELP_INDEX));
    EXPECT_EQ(calls[0].helpData, 0u);
    EXPECT_EQ(calls[1].helpCommand, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[1].helpData, 215u);
    EXPECT_EQ(calls[2].helpCommand, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[2].helpData, 217u);
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(MainWindow, ClosingTheProgramTellsTheHelpViewerToQuit)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(CloseAndRun(app), 0);
    const auto calls = m_ui.HelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].helpCommand, static_cast<UINT>(HELP_QUIT));
    EXPECT_EQ(calls[0].text, ks_test::BinDir() + "\\KSHELP32.HLP");
}

TEST_F(MainWindow, ExitCommandClosesTheProgram)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    PostMessageA(app.GetMainWindow()->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_EXIT, 0), 0);
    EXPECT_EQ(app.MessageLoop(), 0);
    EXPECT_EQ(app.GetMainWindow()->GetHandle(), nullptr);
}

}  // namespace

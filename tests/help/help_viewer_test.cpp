// Tests of the help viewer window: topics by context number, contents, reuse, quitting and refused help files.
#include "framework/help_viewer.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <fstream>
#include <string>

namespace {

constexpr char kHelp[] = KS_HELP_BUILT;

std::string TextOf(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND TopicList(HWND viewer)
{
    return FindWindowExA(viewer, nullptr, "ListBox", nullptr);
}
HWND TopicText(HWND viewer)
{
    return FindWindowExA(viewer, nullptr, RICHEDIT_CLASSA, nullptr);
}

// The topic as the user reads it, one paragraph a line.
std::string ShownText(HWND viewer)
{
    std::string text = TextOf(TopicText(viewer));
    std::erase(text, '\r');
    return text;
}

std::string SelectedTopic(HWND viewer)
{
    HWND list = TopicList(viewer);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return "(none)";
    std::string title(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, index, 0)) + 1, '\0');
    title.resize(
        static_cast<std::size_t>(SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(title.data()))));
    return title;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.rfind(start, 0) == 0;
}

std::string TempPath(const char* name)
{
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class HelpViewerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ks::ShowHelp(nullptr, kHelp, HELP_QUIT, 0);
        EXPECT_FALSE(ks::HelpViewerOpen());
    }
};

TEST_F(HelpViewerTest, ContextOpensItsTopicCentredOverTheOwner)
{
    HWND owner = CreateWindowExA(
        0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 200, 150, 600, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ASSERT_FALSE(ks::HelpViewerOpen());
    ASSERT_TRUE(ks::ShowHelp(owner, kHelp, HELP_CONTEXT, 204));
    HWND viewer = ks::HelpViewerWindow();
    ASSERT_TRUE(ks::HelpViewerOpen());
    ASSERT_TRUE(IsWindowVisible(viewer));
    EXPECT_EQ(TextOf(viewer), "Kestrum32 Help - Path Preferences");
    EXPECT_EQ(SelectedTopic(viewer), "Path Preferences");
    const std::string text = ShownText(viewer);
    EXPECT_TRUE(StartsWith(text, "Path Preferences\nIn the Path Preferences window you set up")) << text;
    EXPECT_NE(
        text.find("You must enter a path and an alias for the default area you have selected"), std::string::npos);
    // A top-level window of its own: it neither belongs to the owner nor closes with it.
    EXPECT_EQ(GetWindow(viewer, GW_OWNER), nullptr);
    RECT rect;
    GetWindowRect(viewer, &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, 500, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, 350, 1);
    EXPECT_EQ(rect.right - rect.left, 640);
    EXPECT_EQ(rect.bottom - rect.top, 480);
    DestroyWindow(owner);
    EXPECT_TRUE(ks::HelpViewerOpen());
}

TEST_F(HelpViewerTest, TheTopicTextIsAsTallAsTheListsText)
{
    // A rich edit cuts a size's fraction of a pixel off: a size rounded down to whole points came out a pixel
    // smaller than the font, where the face spaces letters unevenly ("Kes trum32").
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 215));
    HWND viewer = ks::HelpViewerWindow();
    LOGFONTA listFont{};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(TopicList(viewer), WM_GETFONT, 0, 0)), sizeof listFont, &listFont);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HWND text = TopicText(viewer);
    const std::string shown = ShownText(viewer);
    // A word of the body, past the title.
    const LRESULT at = static_cast<LRESULT>(shown.find("together"));
    ASSERT_GT(at, 0);
    SendMessageA(text, EM_SETSEL, at, at + 8);
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    SendMessageA(text, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight * dpi / 1440, std::abs(listFont.lfHeight)) << format.yHeight << " twips";
}

TEST_F(HelpViewerTest, IndexShowsTheContentsListingEveryTopic)
{
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_INDEX, 0));
    HWND viewer = ks::HelpViewerWindow();
    EXPECT_EQ(TextOf(viewer), "Kestrum32 Help - Contents");
    EXPECT_EQ(SelectedTopic(viewer), "Contents");
    EXPECT_EQ(SendMessageA(TopicList(viewer), LB_GETCOUNT, 0, 0), 17);
    // The listing is a bulleted list, a bullet and a tab before each title, and closes the topic.
    const std::string text = ShownText(viewer);
    for (const char* title : {"\tDownload Interface\n", "\tSetting Up\n"})
        EXPECT_NE(text.find(title), std::string::npos) << title;
    EXPECT_TRUE(text.ends_with("\tDisclaimer and Agreement")) << text;
}

TEST_F(HelpViewerTest, SecondRequestReusesTheWindowAndRestoresIt)
{
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 204));
    HWND viewer = ks::HelpViewerWindow();
    ShowWindow(viewer, SW_MINIMIZE);
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 215));
    EXPECT_EQ(ks::HelpViewerWindow(), viewer);
    EXPECT_FALSE(IsIconic(viewer));
    EXPECT_EQ(TextOf(viewer), "Kestrum32 Help - Setting Up");
    EXPECT_TRUE(StartsWith(ShownText(viewer), "Setting Up\nInstalling Kestrum32\nKeep all files"));
    EXPECT_EQ(FindWindowExA(nullptr, viewer, "KsHelpViewer", nullptr), nullptr) << "one viewer only";
}

TEST_F(HelpViewerTest, ChoosingATopicInTheListShowsIt)
{
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_INDEX, 0));
    HWND viewer = ks::HelpViewerWindow();
    HWND list = TopicList(viewer);
    LRESULT index =
        SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Query Helper"));
    ASSERT_NE(index, LB_ERR);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(viewer, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(TextOf(viewer), "Kestrum32 Help - Query Helper");
    EXPECT_TRUE(StartsWith(ShownText(viewer), "Query Helper\nThe Query Helper describes what a Search"));
}

TEST_F(HelpViewerTest, UnknownContextShowsTheContentsWithANote)
{
    EXPECT_FALSE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 9999));
    HWND viewer = ks::HelpViewerWindow();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(TextOf(viewer), "Kestrum32 Help - Contents");
    EXPECT_TRUE(StartsWith(ShownText(viewer),
        "Help topic 9999 was not found in this help file. The contents are shown instead.\nContents\n"));
}

TEST_F(HelpViewerTest, QuitClosesTheViewerAndIsHarmlessWithoutOne)
{
    EXPECT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_QUIT, 0));
    EXPECT_FALSE(ks::HelpViewerOpen());
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 203));
    HWND viewer = ks::HelpViewerWindow();
    EXPECT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_QUIT, 0));
    EXPECT_FALSE(ks::HelpViewerOpen());
    EXPECT_EQ(ks::HelpViewerWindow(), nullptr);
    EXPECT_FALSE(IsWindow(viewer));
}

TEST_F(HelpViewerTest, ClosingTheWindowEndsTheViewerAndANewRequestOpensAnother)
{
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 201));
    SendMessageA(ks::HelpViewerWindow(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(ks::HelpViewerOpen());
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 202));
    EXPECT_EQ(TextOf(ks::HelpViewerWindow()), "Kestrum32 Help - Search Interface");
}

TEST_F(HelpViewerTest, MissingOrForeignFilesOpenNothing)
{
    EXPECT_FALSE(ks::ShowHelp(nullptr, TempPath("no such help.hlp").c_str(), HELP_CONTEXT, 204));
    EXPECT_FALSE(ks::HelpViewerOpen());
    const std::string foreign = TempPath("ks_foreign.hlp");
    WriteFile(foreign, std::string("?_\x03\x00\x00\x00\x01\x02", 8));
    EXPECT_FALSE(ks::ShowHelp(nullptr, foreign.c_str(), HELP_INDEX, 0));
    EXPECT_FALSE(ks::HelpViewerOpen());
    EXPECT_FALSE(ks::ShowHelp(nullptr, nullptr, HELP_INDEX, 0));
    EXPECT_FALSE(ks::ShowHelp(nullptr, kHelp, 0x0004 /* HELP_HELPONHELP: not ours */, 0));
    EXPECT_FALSE(ks::HelpViewerOpen());
    DeleteFileA(foreign.c_str());
}

TEST_F(HelpViewerTest, AnotherFileIsReadWhenThePathChangesAndAMissingOneKeepsTheViewer)
{
    const std::string first = TempPath("ks_first.hlp");
    const std::string second = TempPath("ks_second.hlp");
    WriteFile(first, "@kshelp 1 First Help\n@contents Index\n@topic 204 Areas\nOne.\n");
    WriteFile(second, "@kshelp 1 Second Help\r\n@contents Index\r\n@topic 204 Paths\r\nTwo.\r\n");
    ASSERT_TRUE(ks::ShowHelp(nullptr, first.c_str(), HELP_CONTEXT, 204));
    HWND viewer = ks::HelpViewerWindow();
    EXPECT_EQ(TextOf(viewer), "First Help - Areas");
    ASSERT_TRUE(ks::ShowHelp(nullptr, second.c_str(), HELP_CONTEXT, 204));
    EXPECT_EQ(ks::HelpViewerWindow(), viewer);
    EXPECT_EQ(TextOf(viewer), "Second Help - Paths");
    EXPECT_TRUE(StartsWith(ShownText(viewer), "Paths\nTwo.")) << ShownText(viewer);
    EXPECT_EQ(SendMessageA(TopicList(viewer), LB_GETCOUNT, 0, 0), 2);

    EXPECT_FALSE(ks::ShowHelp(nullptr, TempPath("gone.hlp").c_str(), HELP_CONTEXT, 204));
    EXPECT_EQ(ks::HelpViewerWindow(), viewer);
    EXPECT_EQ(TextOf(viewer), "Second Help - Paths");
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
}

TEST_F(HelpViewerTest, ResizingLaysOutListAndTextSideBySide)
{
    ASSERT_TRUE(ks::ShowHelp(nullptr, kHelp, HELP_CONTEXT, 212));
    HWND viewer = ks::HelpViewerWindow();
    for (SIZE size : {SIZE{900, 700}, SIZE{400, 300}}) {
        SetWindowPos(viewer, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client, list, text;
        GetClientRect(viewer, &client);
        GetWindowRect(TopicList(viewer), &list);
        GetWindowRect(TopicText(viewer), &text);
        MapWindowPoints(nullptr, viewer, reinterpret_cast<POINT*>(&list), 2);
        MapWindowPoints(nullptr, viewer, reinterpret_cast<POINT*>(&text), 2);
        EXPECT_GT(list.left, 0);
        EXPECT_LT(list.right, text.left) << size.cx;
        EXPECT_EQ(text.right, client.right - list.left) << "same margin on both sides";
        EXPECT_EQ(text.bottom, client.bottom - list.top);
        EXPECT_EQ(list.bottom, text.bottom);
        EXPECT_GT(text.right - text.left, list.right - list.left) << "the text gets the larger share";
    }
    // Not smaller than its minimum.
    SetWindowPos(viewer, nullptr, 0, 0, 100, 80, SWP_NOMOVE | SWP_NOZORDER);
    RECT window;
    GetWindowRect(viewer, &window);
    EXPECT_GE(window.right - window.left, 360);
    EXPECT_GE(window.bottom - window.top, 240);
}

} // namespace

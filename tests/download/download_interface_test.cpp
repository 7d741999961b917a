// The Download Interface: area buttons from the settings, listing an area, the file information, the warnings,
// Store's selection check, Help, and the fixed-size child window.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "download/ks_child.h"
#include "download/ks_manage.h"
#include "framework/bor_controls.h"
#include "framework/mdi.h"
#include "resources/resource_ids.h"
#include "tests/download/download_fixture.h"
#include "tests/support/list_lines.h"
#include "tests/support/test_files.h"

namespace {

using ks_test::RegString;

constexpr char kNotFound[] = "Path for download area not found, please check your settings in Preferences|Download.";

// A started application with a plain MDI frame of its own (no engine): Download Interfaces open in it.
class DownloadInterface : public ks_test::ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(m_app->Started());
        ks::RegisterBorControls(GetModuleHandleA(nullptr));
        auto client = std::make_unique<ks::TMDIClient>();
        m_client = client.get();
        m_frame = std::make_unique<ks::TDecoratedMDIFrame>("Download test", IDM_MAIN, std::move(client), false);
        ASSERT_TRUE(m_frame->Create());
        ShowWindow(m_frame->GetHandle(), SW_SHOWNORMAL);
        m_area = MakeDir("area");
    }
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        ScratchTest::TearDown();
    }
    KsManage* Open()
    {
        ks::TMDIChild* child = m_client->CreateChild(std::make_unique<KsChild>(*m_client, "Download Interface - 0"));
        return child ? dynamic_cast<KsManage*>(child->GetClientWindow()) : nullptr;
    }
    static std::vector<std::string> Files(const KsManage& m)
    {
        std::vector<std::string> names;
        HWND list = m.GetItem(IDC_DOWNLOAD_FILES);
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[MAX_PATH]{};
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            names.push_back(text);
        }
        return names;
    }
    // A file's short name, as the platform gives it.
    static std::string ShortNameOf(const std::wstring& path)
    {
        wchar_t shortPath[MAX_PATH]{};
        GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
        const std::wstring name = std::wstring(shortPath).substr(std::wstring(shortPath).rfind(L'\\') + 1);
        return std::string(name.begin(), name.end());
    }
    static int Selected(const KsManage& m)
    {
        return static_cast<int>(SendMessageA(m.GetItem(IDC_DOWNLOAD_FILES), LB_GETCURSEL, 0, 0));
    }
    // Selects a line as the user does: the list notifies the dialog.
    static void Select(KsManage& m, int index)
    {
        HWND list = m.GetItem(IDC_DOWNLOAD_FILES);
        SendMessageA(list, LB_SETCURSEL, index, 0);
        SendMessageA(m.GetHandle(), WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_FILES, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    static std::string Text(const KsManage& m, int id) { return m.GetItemText(id, 300); }
    static bool Checked(const KsManage& m, int id) { return IsDlgButtonChecked(m.GetHandle(), id) == BST_CHECKED; }
    static bool Enabled(const KsManage& m, int id) { return IsWindowEnabled(m.GetItem(id)) != FALSE; }

    std::unique_ptr<KsApp> m_app;
    std::unique_ptr<ks::TDecoratedMDIFrame> m_frame;
    ks::TMDIClient* m_client = nullptr;
    std::string m_area;
};

TEST_F(DownloadInterface, ListsTheDefaultAreasFilesWithHiddenOnesButNoSubdirectories)
{
    ks_test::PutFile(m_area, "beta.txt", "hello");
    const std::string hidden = ks_test::PutFile(m_area, "alpha.zip");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string readOnly = ks_test::PutFile(m_area, "gamma.doc", "1234567");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    MakeDir("area\\subdir");
    ks_test::SetWriteTimeUtc(hidden, 1996, 12, 25, 23);
    ks_test::SetWriteTimeUtc(m_area + "\\beta.txt", 1997, 3, 4, 1);
    SetArea(1, "No Path", "");
    SetArea(2, m_area, "Incoming");
    ks_test::SetRegNumber("Download Directorys", "Default", 2);

    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Files(*m), (std::vector<std::string>{"alpha.zip", "beta.txt", "gamma.doc"}));
    EXPECT_EQ(m->CurrentArea(), 2);
    EXPECT_STREQ(m->CurrentAreaPath(), m_area.c_str());
    EXPECT_EQ(ks_test::CurrentDirectory(), m_area);
    // Area buttons: the alias on an enabled, checked button; areas without alias keep "Not assigned", disabled.
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_AREA2), "Incoming");
    EXPECT_TRUE(Checked(*m, IDC_DOWNLOAD_AREA2));
    EXPECT_TRUE(Enabled(*m, IDC_DOWNLOAD_AREA2));
    for (int id : {IDC_DOWNLOAD_AREA1, IDC_DOWNLOAD_AREA3, IDC_DOWNLOAD_AREA4}) {
        EXPECT_EQ(Text(*m, id), "Not assigned") << id;
        EXPECT_FALSE(Enabled(*m, id)) << id;
    }
    // The first file is selected and described: an empty file has 0 bytes; the date is the UTC day.
    EXPECT_EQ(Selected(*m), 0);
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "0 Bytes.");
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_DATE), "12/25/96");
    Select(*m, 1);
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "5 Bytes.");
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_DATE), "03/04/97");
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(DownloadInterface, AnAreaPathEndingInABackslashListsCorrectly)
{
    ks_test::PutFile(m_area, "one.txt", "1");
    SetArea(1, m_area + "\\", "Trailing");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Files(*m), std::vector<std::string>{"one.txt"});
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "1 Bytes.");
}

TEST_F(DownloadInterface, ADriveRootListsItsFilesButNotItsDirectories)
{
    // C:\ of the test prefix is writable and holds directories (windows, users, ...).
    const std::string name = "ks_root_" + std::to_string(GetCurrentProcessId()) + ".txt";
    ks_test::PutFile("C:", name.c_str(), "abc");
    SetArea(1, "C:\\", "Root");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    const std::vector<std::string> files = Files(*m);
    const auto ours = std::find(files.begin(), files.end(), name);
    if (ours != files.end())
        Select(*m, static_cast<int>(ours - files.begin()));
    const std::string size = Text(*m, IDC_DOWNLOAD_SIZE);
    DeleteFileA(("C:\\" + name).c_str());
    ASSERT_NE(ours, files.end());
    EXPECT_EQ(size, "3 Bytes.");
    for (const std::string& file : files) {
        const DWORD attributes = GetFileAttributesA(("C:\\" + file).c_str());
        EXPECT_TRUE(attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) << file;
    }
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(DownloadInterface, ALargeAreaListsEveryFileInOrder)
{
    constexpr int kFiles = 2000;
    for (int i = kFiles - 1; i >= 0; --i) {
        char name[32];
        std::snprintf(name, sizeof name, "file%05d.dat", i);
        ks_test::PutFile(m_area, name);
    }
    SetArea(1, m_area, "Big");
    const DWORD start = GetTickCount();
    KsManage* m = Open();
    std::printf("[ measured ] opening on %d files took %lu ms\n", kFiles, GetTickCount() - start);
    ASSERT_NE(m, nullptr);
    const std::vector<std::string> files = Files(*m);
    ASSERT_EQ(files.size(), static_cast<size_t>(kFiles));
    EXPECT_EQ(files.front(), "file00000.dat");
    EXPECT_TRUE(std::is_sorted(files.begin(), files.end()));
}

TEST_F(DownloadInterface, ADefaultAreaWithAliasButNoPathIsCheckedDisabledAndReportsNotFound)
{
    SetArea(1, "No Path", "Nowhere");
    SetArea(3, m_area, "Elsewhere");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_AREA1), "Nowhere");
    EXPECT_TRUE(Checked(*m, IDC_DOWNLOAD_AREA1));
    EXPECT_FALSE(Enabled(*m, IDC_DOWNLOAD_AREA1));
    EXPECT_TRUE(Enabled(*m, IDC_DOWNLOAD_AREA3));
    EXPECT_TRUE(Files(*m).empty());
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "");
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_TRUE(ks_test::HasBox(m_ui, kNotFound, "Error", MB_ICONEXCLAMATION));
    EXPECT_EQ(ks_test::BeepCount(m_ui), 1);
}

TEST_F(DownloadInterface, DefaultZeroFiveOrMissingChecksAndListsArea1EvenWithoutItsAlias)
{
    ks_test::PutFile(m_area, "first.txt");
    const std::string other = MakeDir("other");
    ks_test::PutFile(other, "second.txt");
    for (int value : {0, 5, -1}) {
        SetArea(1, m_area, "");
        SetArea(2, other, "Second");
        if (value < 0)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Brackenfold\\Kestrum32\\Download Directorys", "Default");
        else
            ks_test::SetRegNumber("Download Directorys", "Default", static_cast<DWORD>(value));
        KsManage* m = Open();
        ASSERT_NE(m, nullptr);
        EXPECT_TRUE(Checked(*m, IDC_DOWNLOAD_AREA1)) << value;
        EXPECT_FALSE(Enabled(*m, IDC_DOWNLOAD_AREA1)) << value;
        EXPECT_EQ(Files(*m), std::vector<std::string>{"first.txt"}) << value;
    }
}

TEST_F(DownloadInterface, AreaButtonsSwitchAreasAndAMissingDirectoryKeepsThePreviousPath)
{
    ks_test::PutFile(m_area, "a1.txt");
    ks_test::PutFile(m_area, "a2.txt");
    const std::string other = MakeDir("other");
    ks_test::PutFile(other, "b.txt", "bb");
    SetArea(1, m_area, "One");
    SetArea(2, other, "Two");
    SetArea(3, m_scratch + "\\gone", "Gone");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    SendMessageA(m->GetItem(IDC_DOWNLOAD_AREA2), BM_CLICK, 0, 0);
    EXPECT_EQ(m->CurrentArea(), 2);
    EXPECT_EQ(Files(*m), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "2 Bytes.");
    SendMessageA(m->GetItem(IDC_DOWNLOAD_AREA3), BM_CLICK, 0, 0);
    EXPECT_TRUE(Files(*m).empty());
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "");
    EXPECT_TRUE(ks_test::HasBox(m_ui, kNotFound, "Error", MB_ICONEXCLAMATION));
    EXPECT_STREQ(m->CurrentAreaPath(), other.c_str());
    // Listing again keeps the selected line, or takes the first when the list got shorter.
    SendMessageA(m->GetItem(IDC_DOWNLOAD_AREA1), BM_CLICK, 0, 0);
    Select(*m, 1);
    m->ShowArea(1);
    EXPECT_EQ(Selected(*m), 1);
    DeleteFileA((m_area + "\\a2.txt").c_str());
    m->ShowArea(1);
    EXPECT_EQ(Files(*m), std::vector<std::string>{"a1.txt"});
    EXPECT_EQ(Selected(*m), 0);
}

TEST_F(DownloadInterface, AFileThatVanishedClearsTheInformationAndStoreNeedsASelection)
{
    ks_test::PutFile(m_area, "soon gone.txt", "x");
    SetArea(1, m_area, "One");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "1 Bytes.");
    DeleteFileA((m_area + "\\soon gone.txt").c_str());
    Select(*m, 0);
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "");
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_DATE), "");
    EXPECT_TRUE(m_ui.Boxes().empty());

    m->ShowArea(1);
    ASSERT_TRUE(Files(*m).empty());
    SendMessageA(m->GetItem(IDC_DOWNLOAD_STORE), BM_CLICK, 0, 0);
    EXPECT_TRUE(ks_test::HasBox(m_ui, "Please select a file to store.", "Error", MB_ICONEXCLAMATION));
    EXPECT_EQ(ks_test::BeepCount(m_ui), 1);
}

TEST_F(DownloadInterface, AFileNamedOutsideTheCodePageIsListedByItsShortNameAndItsRealNameWithItsOwnSize)
{
    // A name the ANSI code page cannot hold, and a file that the pattern "???.txt" would match.
    const std::wstring realName = L"\x65E5\x672C\x8A9E.txt";
    const std::wstring wide = std::wstring(m_area.begin(), m_area.end()) + L"\\" + realName;
    ASSERT_TRUE(ks_test::PutWideFile(wide, "ten bytes!"));
    ks_test::PutFile(m_area, "abc.txt", "seven b");
    ks_test::PutFile(m_area, "caf\xe9.txt", "12");
    SetArea(1, m_area, "One");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    const std::vector<std::string> files = Files(*m);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_NE(std::find(files.begin(), files.end(), "abc.txt"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "caf\xe9.txt"), files.end());
    // The line of the short-named file shows the name the program uses and the real one, whole.
    const std::wstring expected = KsManage::ShortNameLine(ShortNameOf(wide), realName);
    int shortLine = -1;
    const std::vector<std::wstring> lines = ks_test::ListTexts(m->GetItem(IDC_DOWNLOAD_FILES));
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == expected)
            shortLine = static_cast<int>(i);
    ASSERT_GE(shortLine, 0) << "no line " << std::string(expected.begin(), expected.end());
    for (std::size_t i = 0; i < files.size(); ++i)
        if (static_cast<int>(i) != shortLine)
            EXPECT_EQ(files[i].find('?'), std::string::npos) << files[i];
    Select(*m, shortLine);
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "10 Bytes.");
    for (std::size_t i = 0; i < files.size(); ++i) {
        Select(*m, static_cast<int>(i));
        EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), files[i] == "abc.txt" ? "7 Bytes." : files[i] == "caf\xe9.txt" ? "2 Bytes." : "10 Bytes.");
    }
    DeleteFileW(wide.c_str());
}

TEST_F(DownloadInterface, AFileOf2GigabytesOrMoreShowsItsTrueSize)
{
    // A sparse file: the size is set without writing the bytes.
    HANDLE file = CreateFileA((m_area + "\\big.iso").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 3221225472LL;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    SetArea(1, m_area, "One");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Text(*m, IDC_DOWNLOAD_SIZE), "3221225472 Bytes.");
}

TEST_F(DownloadInterface, WithoutAnyAliasItWarnsOpensPathPreferencesAndCloses)
{
    SetFirstRunAreas();
    int prefsRuns = 0;
    m_ui.OnDialog(IDD_PATH_PREFS, [&](ks::TDialog& d) {
        ++prefsRuns;
        ks_test::Click(d, IDCANCEL);
    });
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text,
              "Sorry, You donot have any Download Areas set up.You will need to setup the paths to the areas you "
              "expect to receive downloads from.");
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Warning");
    EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(prefsRuns, 1);
    EXPECT_TRUE(ks_test::PumpUntil([&] { return m_client->GetChildren().empty(); }));
}

TEST_F(DownloadInterface, CloseAndHelpButtons)
{
    SetArea(1, m_area, "One");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    SendMessageA(m->GetItem(IDC_DOWNLOAD_HELP), BM_CLICK, 0, 0);
    const auto calls = m_ui.HelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].helpCommand, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[0].helpData, 200u);
    EXPECT_EQ(calls[0].text, ks_test::BinDir() + "\\KSHELP32.HLP");
    SendMessageA(m->GetItem(IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(ks_test::PumpUntil([&] { return m_client->GetChildren().empty(); }));
}

TEST_F(DownloadInterface, TheWindowIsCentredFixedInSizeAndHasNoMaximizeBox)
{
    SetArea(1, m_area, "One");
    ASSERT_NE(Open(), nullptr);
    ks::TMDIChild* child = m_client->GetChildren().at(0);
    HWND hwnd = child->GetHandle();
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX, 0);
    RECT window, dialog, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    GetWindowRect(child->GetClientWindow()->GetHandle(), &dialog);
    // Sized around its dialog.
    EXPECT_EQ(client.right, dialog.right - dialog.left);
    EXPECT_EQ(client.bottom, dialog.bottom - dialog.top);
    // Every size the window may take is the size it has.
    MINMAXINFO info{};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const LONG w = window.right - window.left, h = window.bottom - window.top;
    EXPECT_EQ(info.ptMinTrackSize.x, w);
    EXPECT_EQ(info.ptMinTrackSize.y, h);
    EXPECT_EQ(info.ptMaxTrackSize.x, w);
    EXPECT_EQ(info.ptMaxTrackSize.y, h);
    EXPECT_EQ(info.ptMaxSize.x, w);
    EXPECT_EQ(info.ptMaxSize.y, h);
    // Centred in the MDI client's client area.
    RECT area;
    GetClientRect(m_client->GetHandle(), &area);
    POINT topLeft{window.left, window.top};
    ScreenToClient(m_client->GetHandle(), &topLeft);
    EXPECT_EQ(topLeft.x, area.right / 2 - w / 2);
    EXPECT_EQ(topLeft.y, area.bottom / 2 - h / 2);
}

}  // namespace

// The examine run from the Download Interface: which program opens a file and how, the wait with its close
// check and termination, the viewer for files no program takes, and emptying KS_TEMP without following links.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "download/ks_child.h"
#include "download/ks_manage.h"
#include "examine/examine.h"
#include "examine/launch_text.h"
#include "framework/bor_controls.h"
#include "framework/mdi.h"
#include "resources/resource_ids.h"
#include "tests/examine/examine_fixture.h"

namespace {

using ks_test::Shown;
using ks_test::WhenReady;

constexpr char kTooLarge[] = "This file is too large for notepad to open.\rWould you like to use WordPad to read this file ?";
constexpr char kStillRunning[] =
    "There appears to be an open file in the system that you have been examining.\rIf you exit without closing it "
    "down manually, your system may become unstable \rdepending on the type of application.Force Application to "
    "Exit Anyway ?";

std::string Upper(std::string text)
{
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A started application with a plain MDI frame of its own (no engine): Download Interfaces open in it.
class ExamineRun : public ks_test::ExamineFixture {
protected:
    void SetUp() override
    {
        ExamineFixture::SetUp();
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(m_app->Started());
        ks::RegisterBorControls(GetModuleHandleA(nullptr));
        auto client = std::make_unique<ks::TMDIClient>();
        m_client = client.get();
        m_frame = std::make_unique<ks::TDecoratedMDIFrame>("Examine test", IDM_MAIN, std::move(client), false);
        ASSERT_TRUE(m_frame->Create());
        ShowWindow(m_frame->GetHandle(), SW_SHOWNORMAL);
        m_area = MakeDir("area");
        SetArea(1, m_area, "Incoming");
        for (int area = 2; area <= 4; ++area)
            SetArea(area, "No Path", "");
        ks_test::SetRegNumber("Download Directorys", "Default", 1);
    }
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        ExamineFixture::TearDown();
    }
    KsManage* Open()
    {
        m_child = m_client->CreateChild(std::make_unique<KsChild>(*m_client, "Download Interface - 0"));
        return m_child ? dynamic_cast<KsManage*>(m_child->GetClientWindow()) : nullptr;
    }
    bool ChildOpen() const
    {
        for (ks::TMDIChild* child : m_client->GetChildren())
            if (child == m_child)
                return true;
        return false;
    }
    // Selects a line as the user does.
    static void Select(KsManage& m, int index)
    {
        HWND list = m.GetItem(IDC_DOWNLOAD_FILES);
        SendMessageA(list, LB_SETCURSEL, index, 0);
        SendMessageA(m.GetHandle(), WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_FILES, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    // A user's close of the whole Download Interface window.
    void CloseChild() { SendMessageA(m_child->GetHandle(), WM_CLOSE, 0, 0); }

    std::unique_ptr<KsApp> m_app;
    std::unique_ptr<ks::TDecoratedMDIFrame> m_frame;
    ks::TMDIClient* m_client = nullptr;
    ks::TMDIChild* m_child = nullptr;
    std::string m_area;
};

TEST_F(ExamineRun, NotepadTakes64000BytesAndLargerFilesAreOfferedToWordPad)
{
    const std::string dir = MakeDir("texts");
    const std::string notepad = Upper(Programs() + "\\NOTEPAD.EXE");
    const std::string wordpad = Programs() + "\\WORDPAD.EXE";
    struct Case {
        std::size_t size;
        int answer;           // to the WordPad question; 0: no question expected
        bool wordPadEntry;    // WordPad's App Paths entry present
        bool started;         // LaunchAssociated's result
        std::string command;  // the command line the program got; empty: nothing started
    } cases[] = {
        {64000, 0, true, true, notepad + " " + dir + "\\big.txt"},
        {64001, IDYES, true, true, wordpad + " \"" + dir + "\\big.txt\""},
        {64001, IDNO, true, false, ""},
        {64001, IDYES, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + (c.answer == IDNO ? " no" : " yes"));
        m_ui.Clear();
        DeleteFileA(m_log.c_str());
        ks_test::PutFile(dir, "big.txt", std::string(c.size, 'x'));
        SetWordPadPath(c.wordPadEntry ? wordpad : "");
        if (c.answer)
            m_ui.AnswerBox(c.answer);

        EXPECT_EQ(LaunchAssociated(nullptr, (dir + "\\").c_str(), "big.txt", true), c.started);
        if (c.answer) {
            ASSERT_EQ(m_ui.Boxes().size(), 1u);
            EXPECT_EQ(m_ui.Boxes()[0].text, kTooLarge);
            EXPECT_EQ(m_ui.Boxes()[0].caption, "Error");
            EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONQUESTION));
            EXPECT_EQ(m_ui.Boxes()[0].buttons, static_cast<UINT>(MB_YESNO));
        } else {
            EXPECT_TRUE(m_ui.Boxes().empty());
        }
        if (c.command.empty())
            EXPECT_TRUE(Started().empty());
        else
            EXPECT_EQ(Started(), std::vector<std::string>{c.command});
        EXPECT_EQ(m_app->ExamineProcess, nullptr);
    }
    // An App Paths value of the expanding kind, quoted as installers write it: expanded, quotes taken off.
    m_ui.Clear();
    DeleteFileA(m_log.c_str());
    SetEnvironmentVariableA("KS_TEST_WORDPAD_DIR", Programs().c_str());
    const std::string expanding = "\"%KS_TEST_WORDPAD_DIR%\\WORDPAD.EXE\"";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WORDPAD.EXE", nullptr,
                    REG_EXPAND_SZ, expanding.c_str(), static_cast<DWORD>(expanding.size() + 1));
    m_ui.AnswerBox(IDYES);
    EXPECT_TRUE(LaunchAssociated(nullptr, dir.c_str(), "big.txt", true));
    SetEnvironmentVariableA("KS_TEST_WORDPAD_DIR", nullptr);
    EXPECT_EQ(Started(), std::vector<std::string>{wordpad + " \"" + dir + "\\big.txt\""});
}

TEST_F(ExamineRun, EveryPathWithBlanksIsQuotedAndWinZipAndWordPadAlwaysGetTheFileInQuotes)
{
    const std::string dir = MakeDir("with space");
    ks_test::PutFile(dir, "a b.zip", "zip");
    ks_test::PutFile(dir, "a b.kstx", "not a script");
    // A program whose own path has a blank, and a stray program where an unquoted path would be cut.
    const std::string spaced = MakeDir("program files");
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\unpacker.exe").c_str(), (spaced + "\\un pack.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\unpacker.exe").c_str(), (m_scratch + "\\program.exe").c_str(), FALSE));
    Associate(".ksqq", spaced + "\\un pack.exe");
    ks_test::PutFile(dir, "c.ksqq", "not a script");
    EXPECT_TRUE(LaunchAssociated(nullptr, dir.c_str(), "a b.zip", true));
    EXPECT_TRUE(LaunchAssociated(nullptr, dir.c_str(), "a b.kstx", true));
    const std::string who = m_scratch + "\\who.log";
    SetEnvironmentVariableA("KS_UNPACKER_WHO", who.c_str());
    EXPECT_TRUE(LaunchAssociated(nullptr, dir.c_str(), "c.ksqq", true));
    SetEnvironmentVariableA("KS_UNPACKER_WHO", nullptr);
    // The program named ran, not the stray one its unquoted path would have started.
    std::string ran = ks_test::ReadFileText(who);
    std::erase(ran, '\r');
    EXPECT_EQ(Upper(ran), Upper(spaced + "\\un pack.exe\n"));
    EXPECT_EQ(Started(), (std::vector<std::string>{Upper(Programs() + "\\WINZIP32.EXE") + " \"" + dir + "\\a b.zip\"",
                                                   Upper(ks_test::BinDir() + "\\unpacker.exe") + " \"" + dir +
                                                       "\\a b.kstx\"",
                                                   "\"" + Upper(spaced + "\\un pack.exe") + "\" \"" + dir + "\\c.ksqq\""}));
    // No association: nothing starts and nothing is said.
    ks_test::PutFile(dir, "plain.qqq", "x");
    EXPECT_FALSE(LaunchAssociated(nullptr, dir.c_str(), "plain.qqq", true));
    EXPECT_FALSE(LaunchAssociated(nullptr, dir.c_str(), "", true));
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(ExamineRun, ExamineChecksForARunAndASelectionFirst)
{
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    m_app->Examining = 1;
    ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
    m_app->Examining = 0;
    ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);  // the area is empty: nothing selected
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"You are already examining something. Please close it down "
                                                    "before attempting to examine another",
                                                    "Please select a file to examine."}));
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Warning");
    EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(m_ui.Boxes()[1].caption, "Error");
    EXPECT_EQ(m_ui.Boxes()[1].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(ks_test::BeepCount(m_ui), 2);
    EXPECT_TRUE(OpenFiles().empty());
}

TEST_F(ExamineRun, ClosingWhileTheProgramRunsOffersToEndItAndTheRunThenCarriesOn)
{
    const std::string script = ks_test::UnpackScript({"OUT1.TXT", "OUT2.TXT"}, true);
    ks_test::PutFile(m_area, "waits.kstx", script);
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    Select(*m, 0);

    bool stayedAfterNo = false;
    bool stayedAfterYes = false;
    // While the stand-in waits: Escape answered No, then the window's close answered Yes.
    WhenReady closer([] { return FindWindowA(nullptr, "Test Unpacker") != nullptr; },
                     [&] {
                         m_ui.AnswerBox(IDNO);
                         ks_test::Click(*m, IDCANCEL);
                         stayedAfterNo = ChildOpen() && m_app->Examining == 1;
                         m_ui.AnswerBox(IDYES);
                         CloseChild();
                         stayedAfterYes = ChildOpen();
                     });
    ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
    ASSERT_TRUE(closer.Done());
    EXPECT_TRUE(stayedAfterNo);
    EXPECT_TRUE(stayedAfterYes);
    EXPECT_EQ(m_app->Examining, 0);
    EXPECT_EQ(m_app->ExamineProcess, nullptr);
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    for (const Shown& box : m_ui.Boxes()) {
        EXPECT_EQ(box.text, kStillRunning);
        EXPECT_EQ(box.caption, "Record Interface Exit Warning");
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONQUESTION));
        EXPECT_EQ(box.buttons, static_cast<UINT>(MB_YESNO));
    }
    // The run carried on: the copy is gone, what the program wrote is offered in the Examine File dialog.
    ASSERT_EQ(OpenFiles().size(), 1u);
    EXPECT_EQ(OpenFiles()[0].caption, "Examining File - waits.kstx");
    EXPECT_EQ(ks_test::FilesIn(Scratch()), (std::vector<std::string>{"OUT1.TXT", "OUT2.TXT"}));
    EXPECT_EQ(Started(), std::vector<std::string>{Upper(ks_test::BinDir() + "\\unpacker.exe") + " " + Scratch() +
                                                  "\\waits.kstx"});
    // The waiting file is untouched.
    EXPECT_EQ(ks_test::ReadFileText(m_area + "\\waits.kstx"), script);

    // A second close succeeds without a question.
    m_ui.Clear();
    CloseChild();
    EXPECT_FALSE(ChildOpen());
    EXPECT_TRUE(m_ui.Boxes().empty());
}

// CPU time of this process so far, in milliseconds.
double CpuMilliseconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

TEST_F(ExamineRun, TheWaitForTheProgramLeavesTheProcessorFree)
{
    ks_test::PutFile(m_area, "waits.kstx", ks_test::UnpackScript({}, true));
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    Select(*m, 0);
    DWORD seenAt = 0;
    double cpuAt = 0;
    double share = 1;
    // Measured over one second of waiting, then the program is told to end.
    WhenReady measure(
        [&] {
            if (!FindWindowA(nullptr, "Test Unpacker"))
                return false;
            if (!seenAt) {
                seenAt = GetTickCount();
                cpuAt = CpuMilliseconds();
            }
            return GetTickCount() - seenAt >= 1000;
        },
        [&] {
            share = (CpuMilliseconds() - cpuAt) / static_cast<double>(GetTickCount() - seenAt);
            PostMessageA(FindWindowA(nullptr, "Test Unpacker"), WM_CLOSE, 0, 0);
        });
    ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
    ASSERT_TRUE(measure.Done());
    // Spinning on the exit code shows about 0.27 here (and keeps the Wine server busy besides); waiting shows 0.
    EXPECT_LT(share, 0.05) << "share of one processor used while waiting";
    std::printf("processor share while waiting: %.3f\n", share);
    EXPECT_EQ(m_app->Examining, 0);
    EXPECT_EQ(OpenFiles().size(), 1u);
}

TEST_F(ExamineRun, ExamineTakesTheFileALineStandsForEvenWhenItIsListedByItsShortName)
{
    const std::wstring wide = std::wstring(m_area.begin(), m_area.end()) + L"\\\x65E5\x672C\x8A9E.qqq";
    ASSERT_TRUE(ks_test::PutWideFile(wide, "ten bytes!"));
    ks_test::PutFile(m_area, "a plain one.qqq", "plain");
    wchar_t shortPath[MAX_PATH]{};
    ASSERT_GT(GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH), 0u);
    const std::wstring shortWide = std::wstring(shortPath).substr(std::wstring(shortPath).rfind(L'\\') + 1);
    const std::string shortName(shortWide.begin(), shortWide.end());
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    // Each line by the name it begins with, which is also the name of the examined copy in KS_TEMP.
    for (auto [name, contents] : {std::pair{shortName, "ten bytes!"}, {std::string("a plain one.qqq"), "plain"}}) {
        SCOPED_TRACE(name);
        m_ui.Clear();
        const LRESULT index = SendMessageA(m->GetItem(IDC_DOWNLOAD_FILES), LB_FINDSTRING, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(name.c_str()));
        ASSERT_NE(index, LB_ERR);
        Select(*m, static_cast<int>(index));
        ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
        // No program takes the type: the copy in KS_TEMP goes to the viewer.
        EXPECT_TRUE(m_ui.Boxes().empty());
        ASSERT_EQ(Starts().size(), 1u);
        EXPECT_EQ(Starts()[0].text, ks_test::BinDir() + "\\ksview.exe " + examine::QuotedIfSpaced(Scratch() + "\\" + name));
        EXPECT_EQ(ks_test::ReadFileText(Scratch() + "\\" + name), contents);
    }
    DeleteFileW(wide.c_str());
}

TEST_F(ExamineRun, AFileNoProgramTakesGoesToTheViewerAndLeavesNoRunBehind)
{
    ks_test::PutFile(m_area, "plain.qqq", "plain words");
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    Select(*m, 0);
    ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
    EXPECT_EQ(m_app->Examining, 0);
    ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);  // a second examine at once

    const std::string viewerLine = ks_test::BinDir() + "\\ksview.exe " + Scratch() + "\\plain.qqq";
    ASSERT_EQ(Starts().size(), 2u);
    for (const Shown& start : Starts()) {
        EXPECT_EQ(start.text, viewerLine);
        EXPECT_EQ(start.icon, static_cast<UINT>(SW_SHOWNORMAL));
    }
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_TRUE(OpenFiles().empty());
    // The viewer is given the copy, which stays for it.
    EXPECT_EQ(ks_test::FilesIn(Scratch()), std::vector<std::string>{"plain.qqq"});
}

TEST_F(ExamineRun, AViewerThatCannotStartIsSaidSoAndLeavesNoRunBehind)
{
    ks_test::PutFile(m_area, "plain.qqq", "plain words");
    // A program folder without the viewer, as a copy that lacks it would be.
    const std::string bare = MakeDir("no viewer here");
    const std::string programDir = m_app->ProgramDir;
    m_ui.StartProgramsForReal(true);
    KsManage* m = Open();
    ASSERT_NE(m, nullptr);
    Select(*m, 0);
    lstrcpyA(m_app->ProgramDir, bare.c_str());
    // Examine needs KS_TEMP in the program folder.
    CreateDirectoryA((bare + "\\KS_TEMP").c_str(), nullptr);
    ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
    lstrcpyA(m_app->ProgramDir, programDir.c_str());

    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Sorry, Could not start the viewer " + bare + "\\ksview.exe to show plain.qqq.");
    EXPECT_EQ(boxes[0].caption, "Viewer Error");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes[0].owner, m->GetHandle());
    EXPECT_EQ(m_app->Examining, 0);
}

TEST_F(ExamineRun, TheViewerShowsTextAndHexFromAFolderWithSpaces)
{
    const std::string dir = MakeDir("my files");
    ks_test::PutFile(dir, "notes.txt", "first line\nsecond line");
    ks_test::PutFile(dir, "data.bin", std::string("\x01\x02\0ABC", 6));
    m_ui.StartProgramsForReal(true);
    struct Case {
        const char* name;
        const char* shown;
    } cases[] = {
        {"notes.txt", "first line\r\nsecond line"},
        {"data.bin", "00000000  01 02 00 41 42 43"},
    };
    for (const Case& c : cases) {
        RunQuickView(dir.c_str(), c.name);
        const std::string title = std::string(c.name) + " - Viewer";
        HWND viewer = nullptr;
        HWND edit = nullptr;
        // The viewer's window is up once it shows something.
        ASSERT_TRUE(ks_test::PumpUntil(
            [&] {
                viewer = FindWindowA(nullptr, title.c_str());
                edit = viewer ? GetWindow(viewer, GW_CHILD) : nullptr;
                // Another process's edit answers only a sent WM_GETTEXT, not GetWindowText.
                return edit && SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0) > 0 && IsWindowVisible(viewer);
            },
            15000))
            << title;
        char text[256]{};
        SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::string(text).substr(0, std::strlen(c.shown)), c.shown);
        EXPECT_NE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY, 0);
        PostMessageA(viewer, WM_CLOSE, 0, 0);
        ks_test::PumpUntil([&] { return !IsWindow(viewer); }, 5000);
    }
    // A path with a blank is quoted; the viewer's own path has none here and stays as it is.
    ASSERT_EQ(Starts().size(), 2u);
    EXPECT_EQ(Starts()[0].text, ks_test::BinDir() + "\\ksview.exe \"" + dir + "\\notes.txt\"");
}

TEST_F(ExamineRun, EmptyingScratchRemovesProtectedFilesKeepsDotNamesAndNeverFollowsALink)
{
    const std::string s = Scratch();
    for (const auto& [name, attributes] : std::vector<std::pair<const char*, DWORD>>{
             {"ro.txt", FILE_ATTRIBUTE_READONLY},
             {"hidden.txt", FILE_ATTRIBUTE_HIDDEN},
             {"system.txt", FILE_ATTRIBUTE_SYSTEM},
             {".keep", FILE_ATTRIBUTE_NORMAL}})
        SetFileAttributesA(ks_test::PutFile(s, name, "x").c_str(), attributes);
    CreateDirectoryA((s + "\\sub").c_str(), nullptr);
    CreateDirectoryA((s + "\\sub\\deep").c_str(), nullptr);
    SetFileAttributesA(ks_test::PutFile(s + "\\sub\\deep", "inner.txt", "x").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((s + "\\.dotdir").c_str(), nullptr);
    // Links inside KS_TEMP to a directory and a file outside it.
    const std::string outside = MakeDir("outside");
    const std::string target = ks_test::PutFile(outside, "precious.txt", "keep me");
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string made = ks_test::RunUnix("ln -sfn '" + ks_test::UnixPath(outside) + "' '" +
                                              ks_test::UnixPath(s) + "/dirlink' && ln -sfn '" +
                                              ks_test::UnixPath(target) + "' '" + ks_test::UnixPath(s) +
                                              "/filelink.txt'");
    ASSERT_TRUE(made.empty()) << made;
    ASSERT_EQ(ks_test::ReadFileText(s + "\\dirlink\\precious.txt"), "keep me");
    const std::string before = ks_test::CurrentDirectory();

    EXPECT_TRUE(EmptyScratch(nullptr));
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(ks_test::CurrentDirectory(), before);
    // Wine will not delete a link to a read-only file (it looks at the target); Windows removes the link.
    std::vector<std::string> left = ks_test::FilesIn(s);
    std::erase(left, "filelink.txt");
    EXPECT_EQ(left, std::vector<std::string>{".keep"});
    EXPECT_NE(GetFileAttributesA((s + "\\.dotdir").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((s + "\\sub").c_str()), INVALID_FILE_ATTRIBUTES);
    // What the links lead to is untouched, attributes included.
    EXPECT_EQ(ks_test::FilesIn(outside), std::vector<std::string>{"precious.txt"});
    EXPECT_EQ(ks_test::ReadFileText(target), "keep me");
    EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    // Wine cannot remove a link to a directory without looking inside: there it stays; Windows removes it.
    ks_test::RunUnix("rm -f '" + ks_test::UnixPath(s) + "/dirlink' '" + ks_test::UnixPath(s) + "/filelink.txt'");

    // Without KS_TEMP (removed since the start) it is made again, and the next run can use it.
    ks_test::RemoveTree(s);
    EXPECT_TRUE(EmptyScratch(nullptr));
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_NE(GetFileAttributesA(s.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ks_test::CurrentDirectory(), before);
}

TEST_F(ExamineRun, AMissingKsTempIsMadeAgainForTheRunAndOneThatIsALinkIsNeverEmptied)
{
    ks_test::PutFile(m_area, "unpacks.kstx", ks_test::UnpackScript({"OUT.TXT"}, false));
    const std::string outside = MakeDir("elsewhere");
    ks_test::PutFile(outside, "precious.txt", "keep me");
    for (const bool link : {false, true}) {
        SCOPED_TRACE(link ? "KS_TEMP a link to another folder" : "KS_TEMP removed");
        m_ui.Clear();
        DeleteFileA(m_log.c_str());
        // A run leaves the process in KS_TEMP, which could not be removed then.
        SetCurrentDirectoryA(ks_test::BinDir().c_str());
        ks_test::RemoveTree(Scratch());
        ASSERT_EQ(GetFileAttributesA(Scratch().c_str()), INVALID_FILE_ATTRIBUTES);
        if (link) {
            const std::string made = ks_test::RunUnix("ln -sfn '" + ks_test::UnixPath(outside) + "' '" +
                                                      ks_test::UnixPath(ks_test::BinDir()) + "/KS_TEMP'");
            ASSERT_TRUE(made.empty()) << made;
        }
        KsManage* m = Open();
        ASSERT_NE(m, nullptr);
        Select(*m, 0);
        ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
        if (link) {
            EXPECT_EQ(BoxTexts(),
                      std::vector<std::string>{"Sorry, the current working directory does not match the KS_TEMP directory."});
            EXPECT_TRUE(Started().empty());
            EXPECT_EQ(ks_test::FilesIn(outside), std::vector<std::string>{"precious.txt"});
            ks_test::RunUnix("rm -f '" + ks_test::UnixPath(ks_test::BinDir()) + "/KS_TEMP'");
        } else {
            EXPECT_TRUE(m_ui.Boxes().empty());
            EXPECT_EQ(Started().size(), 1u);
            EXPECT_EQ(ks_test::FilesIn(Scratch()), std::vector<std::string>{"OUT.TXT"});
        }
        CloseChild();
    }
    CreateDirectoryA(Scratch().c_str(), nullptr);
}

TEST_F(ExamineRun, ACloseWhileTheRunIsEndingClosesTheWindowOnlyOnceTheRunIsOver)
{
    ks_test::PutFile(m_area, "unpacks.kstx", ks_test::UnpackScript({"OUT.TXT"}, false));
    struct Case {
        const char* what;
        std::function<void(KsManage&)> close;
    } cases[] = {
        {"the window's close", [this](KsManage&) { CloseChild(); }},
        {"Escape", [](KsManage& m) { ks_test::Click(m, IDCANCEL); }},
        {"the Close button", [](KsManage& m) { ks_test::Click(m, IDOK); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_ui.Clear();
        KsManage* m = Open();
        ASSERT_NE(m, nullptr);
        Select(*m, 0);
        // The program has ended and the run offers what it left: the user closes the Download Interface now.
        bool stayed = false;
        m_ui.AnswerOpenFile([&](OPENFILENAMEA&, DWORD& error) {
            c.close(*m);
            stayed = ChildOpen();
            error = 0;
            return false;
        });
        ks_test::Click(*m, IDC_DOWNLOAD_EXAMINE);
        EXPECT_TRUE(stayed);
        EXPECT_TRUE(ks_test::PumpUntil([&] { return !ChildOpen(); }, 2000));
        EXPECT_TRUE(m_ui.Boxes().empty());
    }
}

}  // namespace

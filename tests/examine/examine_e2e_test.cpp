// End to end: a download area holds a program that unpacks two files; Examine on it in the real program runs
// it in KS_TEMP and then offers exactly what it unpacked, while the file in the area stays as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/e2e/program_runner.h"
#include "tests/examine/examine_fixture.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::Program;

HWND FindChildByTitle(HWND parent, const char* title)
{
    struct Search {
        const char* title;
        HWND found;
    } search{title, nullptr};
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            char text[128]{};
            GetWindowTextA(hwnd, text, sizeof text);
            if (std::strcmp(text, s->title) == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND DialogWithControl(HWND parent, int id)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, id))
            return child;
    return nullptr;
}

std::vector<std::wstring> ListTexts(HWND list)
{
    // Across processes the list answers in UTF-16.
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[300]{};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

TEST(ExamineEndToEnd, AnUnpackingProgramsFilesAreOfferedAndTheDownloadStaysAsItWas)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("examine");
    const std::string area = folder.Work() + "\\area";
    CreateDirectoryA(area.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\unpacker.exe").c_str(), (area + "\\SETUP.EXE").c_str(), FALSE));
    const std::string original = ks_test::ReadFileText(area + "\\SETUP.EXE");

    ks_test::DeleteProgramSettings();
    ks_test::SetRegString("Initialisation", "Setup", "OK");
    for (const char* name : {"Area Two", "Area Three", "Area Four"})
        ks_test::SetRegString("Download Directorys", name, "No Path");
    ks_test::SetRegString("Download Directorys", "Area One", area.c_str());
    ks_test::SetRegString("Download Directorys", "Alias One", "Mail");

    Program program(folder.Exe(), folder.ProgramDir());
    ASSERT_TRUE(program.Started());
    HWND main = ks_test::WaitForWindow("Filewarden (For Windows 95)", 20s);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_FILES_DOWNLOADED, 0), 0);
    HWND child = nullptr;
    ASSERT_TRUE(Eventually([&] { return (child = FindChildByTitle(main, "Download Interface - 0")) != nullptr; }, 20s));
    HWND manage = nullptr;
    ASSERT_TRUE(Eventually([&] { return (manage = DialogWithControl(child, IDC_DOWNLOAD_FILES)) != nullptr; }, 10s));
    HWND list = GetDlgItem(manage, IDC_DOWNLOAD_FILES);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 10s));

    PostMessageA(manage, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_EXAMINE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(manage, IDC_DOWNLOAD_EXAMINE)));
    HWND examine = ks_test::WaitForWindow("Examining File - SETUP.EXE", 30s);
    ASSERT_NE(examine, nullptr);
    HWND files = GetDlgItem(examine, IDC_EXAMINE_FILE_LIST);
    EXPECT_TRUE(Eventually([&] { return SendMessageW(files, LB_GETCOUNT, 0, 0) == 2; }, 10s));
    EXPECT_EQ(ListTexts(files), (std::vector<std::wstring>{L"PROGRAM.DAT", L"README.TXT"}));
    const std::string scratch = folder.ProgramDir() + "\\KS_TEMP";
    EXPECT_EQ(ks_test::FilesIn(scratch), (std::vector<std::string>{"PROGRAM.DAT", "README.TXT"}));
    EXPECT_EQ(ks_test::ReadFileText(area + "\\SETUP.EXE"), original);

    PostMessageA(examine, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(examine); }, 10s));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(20s), 0u);
    ks_test::WaitForGone("Kestrum32-16ParadoxInterface", 10s);
}

}  // namespace

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

using ks_test::ListTexts;

TEST(ExamineEndToEnd, AnUnpackingProgramsFilesAreOfferedAndTheDownloadStaysAsItWas)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("examine");
    const std::string area = folder.Work() + "\\area";
    CreateDirectoryA(area.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\unpacker.exe").c_str(), (area + "\\SETUP.EXE").c_str(), FALSE));
    const std::string original = ks_test::ReadFileText(area + "\\SETUP.EXE");

    ks_test::SetOnlyAreaOne(area);
    ks_test::ProgramWithDownloads run(folder);
    ASSERT_NE(run.list, nullptr);
    const Program& program = run.program;
    HWND main = run.main;
    HWND manage = run.manage;
    HWND list = run.list;
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

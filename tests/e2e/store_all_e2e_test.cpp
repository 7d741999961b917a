// End to end: 200 files waiting in a download area, 60 of them ZIPs with a FILE_ID.DIZ, stored in one go by
// Store All with the shipped assistant as the default, then all found again by a Search.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/assist/zip_builder.h"
#include "tests/e2e/catalogue_reader.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::Program;

TEST(StoreAllEndToEnd, TwoHundredFilesAreStoredInOneGoAndFoundBySearch)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("storeall");
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\assistants\\ARCDESC.DLL").c_str(),
                          (folder.ProgramDir() + "\\ARCDESC.DLL").c_str(), FALSE));
    const std::string area = folder.Work() + "\\incoming files";
    CreateDirectoryA(area.c_str(), nullptr);
    for (int i = 0; i < 200; ++i) {
        const std::string number = std::to_string(100 + i);
        const std::string path = area + (i < 60 ? "\\TOOL" + number + ".ZIP" : "\\NOTE" + number + ".BIN");
        std::ofstream out(path, std::ios::binary);
        if (i < 60)
            out << ks_test::BuildZip({{"TOOL.EXE", std::string(3000 + i, 't'), true},
                                      {"FILE_ID.DIZ", "Tool " + number + "\r\nDoes job " + number + ".\r\n", true}});
        else
            out << std::string(1000 + i, '\0');  // no text an assistant could describe
        out.close();
        ks_test::SetWrittenHoursAgo(path, 24);  // a file that has stopped changing
    }
    ks_test::SetOnlyAreaOne(area);
    ks_test::SetRegString("Assistants\\Archive Description", "Filename", "ARCDESC.DLL");
    ks_test::SetRegString("Initialisation", "Default Assistant", "Archive Description");

    Program program(folder.Exe(), folder.ProgramDir());
    ASSERT_TRUE(program.Started());
    HWND main = ks_test::WaitForWindow("Filewarden (For Windows 95)", 20s);
    ASSERT_NE(main, nullptr);
    {
        ks_test::BoxWatcher boxes({program.Id(), "Store All Waiting Files", 0, "Yes"});
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_STORE_ALL, 0), 0);
        const auto question = boxes.WaitForBox(1, 20s);
        ASSERT_TRUE(question.has_value());
        EXPECT_EQ(question->text,
                  "Store the 200 files waiting in Mail (" + area + ")? They will be moved into KS_STORE.");
        const auto done = boxes.WaitForBox(2, 120s);
        ASSERT_TRUE(done.has_value());
        EXPECT_EQ(done->text, "200 files stored, 0 left in the area.");
    }

    // A Search with no query lists every stored file, titled by its description where it had one.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_STORED_FILES, 0), 0);
    HWND child = nullptr;
    ASSERT_TRUE(Eventually([&] { return (child = ks_test::FindChildByTitle(main, "Search Interface - 0")) != nullptr; }, 20s));
    HWND search = nullptr;
    ASSERT_TRUE(Eventually([&] { return (search = ks_test::DialogWithControl(child, IDC_SEARCH_RESULTS)) != nullptr; }, 10s));
    ks_test::BoxWatcher nothing({program.Id(), "Warning", 0, ""});
    PostMessageA(search, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_GO, BN_CLICKED), 0);
    HWND list = GetDlgItem(search, IDC_SEARCH_RESULTS);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 200; }, 60s));
    ASSERT_TRUE(Eventually([&] { return FindWindowA(nullptr, "Abort") == nullptr; }, 60s));
    const std::vector<std::wstring> lines = ks_test::ListTexts(list);
    EXPECT_EQ(lines.front().substr(0, lines.front().find(L'\t')), L"") << "files without a description sort first";
    EXPECT_EQ(lines.back().substr(0, lines.back().find(L'\t')), L"Tool 159");

    ks_test::CloseProgram(program, main);
    const std::vector<FileRecord> records = ks_test::StoredRecords(folder);
    ASSERT_EQ(records.size(), 200u);
    int described = 0;
    for (const FileRecord& r : records) {
        EXPECT_TRUE(ks_test::Exists(std::string(r.Location) + "\\" + r.FileName)) << r.FileName;
        const std::string name = r.FileName;
        if (name.rfind("TOOL", 0) == 0) {
            EXPECT_EQ(std::string(r.Title), "Tool " + name.substr(4, 3));
            ++described;
        }
    }
    EXPECT_EQ(described, 60);
    // Nothing is left waiting.
    int waiting = 0;
    WIN32_FIND_DATAA data;
    if (HANDLE find = FindFirstFileA((area + "\\*").c_str(), &data); find != INVALID_HANDLE_VALUE) {
        do
            waiting += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    EXPECT_EQ(waiting, 0);
    ks_test::DeleteProgramSettings();
}

}  // namespace

// End to end: the real program converts a version-1 installation of 1,000 records and 1,000 stored files
// (a pxlib-made table), and a Search afterwards lists every record with its file in the new store.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "engine/engine_link.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/convert/convert_driver.h"
#include "tests/download/download_fixture.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Program;

TEST(ConvertEndToEnd, AThousandRecordsAndFilesArriveAndASearchFindsThem)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("convert");
    const std::string oldDir = "C:\\KSV1BULK";
    ks_test::RemoveTree(oldDir);
    ASSERT_TRUE(ks_test::MakeVersion1Install(oldDir, ks_test::BinDir() + "\\v1tables\\bulk", 1000));

    ks_test::DeleteProgramSettings();
    ks_test::SetRegString("Initialisation", "Setup", "OK");
    for (const char* name : {"Area One", "Area Two", "Area Three", "Area Four"})
        ks_test::SetRegString("Download Directorys", name, "No Path");

    Program program(folder.Exe(), folder.ProgramDir());
    ASSERT_TRUE(program.Started());
    HWND main = ks_test::WaitForWindow("Filewarden (For Windows 95)", 20s);
    ASSERT_NE(main, nullptr);
    ks_test::BoxWatcherOptions options;
    options.process_id = program.Id();
    options.caption = "Finished Converting";
    ks_test::BoxWatcher boxes(options);
    ASSERT_TRUE(ks_test::StartConversion(main, oldDir + "\\Kestrum.exe", 20s));
    const auto done = boxes.WaitForBox(1, 180s);
    ASSERT_TRUE(done.has_value());
    EXPECT_EQ(done->text, "Conversion Successful");
    EXPECT_EQ(done->icon, ks_test::BoxIcon::Information);

    // A Search Interface with an empty query lists every record.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_STORED_FILES, 0), 0);
    HWND search = nullptr;
    ASSERT_TRUE(ks_test::Eventually(
        [&] {
            HWND client = FindWindowExA(main, nullptr, "MDIClient", nullptr);
            for (HWND child = client ? GetWindow(client, GW_CHILD) : nullptr; child && !search;
                 child = GetWindow(child, GW_HWNDNEXT))
                for (HWND inner = GetWindow(child, GW_CHILD); inner; inner = GetWindow(inner, GW_HWNDNEXT))
                    if (GetDlgItem(inner, IDC_SEARCH_RESULTS))
                        search = inner;
            return search != nullptr;
        },
        10s));
    PostMessageA(search, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_GO, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search, IDC_SEARCH_GO)));
    HWND list = GetDlgItem(search, IDC_SEARCH_RESULTS);
    EXPECT_TRUE(ks_test::Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1000; }, 60s))
        << SendMessageW(list, LB_GETCOUNT, 0, 0);

    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(program.WaitForExit(30s), 0u);
    ASSERT_TRUE(ks_test::WaitForGone("Kestrum32-16ParadoxInterface", 10s));

    // Every record points at the new store, where its file now lies; the old store is empty.
    Program engine(folder.ProgramDir() + "\\kspdx.exe", folder.ProgramDir());
    ASSERT_NE(ks_test::WaitForWindow("Kestrum32-16ParadoxInterface", 20s), nullptr);
    EngineLink link;
    ASSERT_EQ(link.Establish(), EngineLink::Start::Ready);
    FileRecord record{};
    const std::string store = folder.ProgramDir() + "\\KS_STORE";
    int count = 0, found = 0;
    for (std::int32_t r = link.Transact(ENG_FIRST, record); r == 0; r = link.Transact(ENG_NEXT, record)) {
        ++count;
        EXPECT_EQ(std::string(record.Location), store) << record.FileName;
        found += ks_test::Exists(std::string(record.Location) + "\\" + record.FileName);
    }
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(found, 1000);
    EXPECT_EQ(link.Transact(ENG_SHUTDOWN, record), 0);
    EXPECT_EQ(engine.WaitForExit(20s), 0u);
    EXPECT_FALSE(ks_test::Exists(oldDir + "\\KS_STORE\\file0001.zip"));
    ks_test::RemoveTree(oldDir);
}

}  // namespace

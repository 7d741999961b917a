// End to end: a catalogue with one missing file and one stored file without a record; Check Catalogue in the
// real program lists exactly those two.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>

#include "engine/engine_link.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/e2e/program_runner.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::Program;

using ks_test::FindChildByTitle;

TEST(CatalogueCheckEndToEnd, AMissingFileAndAFileWithoutARecordAreExactlyTheLinesShown)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("check");
    const std::string store = folder.ProgramDir() + "\\KS_STORE";
    CreateDirectoryA(store.c_str(), nullptr);
    std::ofstream(store + "\\KEPT.ZIP", std::ios::binary) << "kept";
    std::ofstream(store + "\\ORPHAN.TXT", std::ios::binary) << "orphan";

    // The catalogue, written by the engine itself: one record whose file is there, one whose file is not.
    {
        Program engine(folder.ProgramDir() + "\\kspdx.exe", folder.ProgramDir());
        ASSERT_NE(ks_test::WaitForWindow("Kestrum32-16ParadoxInterface", 20s), nullptr);
        EngineLink link;
        ASSERT_EQ(link.Establish(), EngineLink::Start::Ready);
        for (const char* name : {"KEPT.ZIP", "GONE.ZIP"}) {
            FileRecord record{};
            SetFieldText(record.FileName, name);
            SetFieldText(record.DownloadDate, "01/05/96");
            SetFieldText(record.Location, store);
            ASSERT_EQ(link.Transact(ENG_ADD, record), 0);
        }
        FileRecord record{};
        EXPECT_EQ(link.Transact(ENG_SHUTDOWN, record), 0);
        EXPECT_EQ(engine.WaitForExit(20s), 0u);
    }

    ks_test::DeleteProgramSettings();
    ks_test::SetRegString("Initialisation", "Setup", "OK");
    for (const char* name : {"Area One", "Area Two", "Area Three", "Area Four"})
        ks_test::SetRegString("Download Directorys", name, "No Path");
    Program program(folder.Exe(), folder.ProgramDir());
    ASSERT_TRUE(program.Started());
    HWND main = ks_test::WaitForWindow("Filewarden (For Windows 95)", 20s);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_CHECK_CATALOGUE, 0), 0);

    HWND child = nullptr;
    ASSERT_TRUE(Eventually([&] { return (child = FindChildByTitle(main, "Catalogue Check")) != nullptr; }, 20s));
    HWND list = nullptr;
    ASSERT_TRUE(Eventually(
        [&] {
            for (HWND dialog = GetWindow(child, GW_CHILD); dialog && !list; dialog = GetWindow(dialog, GW_HWNDNEXT))
                list = GetDlgItem(dialog, IDC_CHECK_FINDINGS);
            return list != nullptr && SendMessageW(list, LB_GETCOUNT, 0, 0) == 2;
        },
        20s));
    // The check has ended: the client takes input again.
    ASSERT_TRUE(Eventually([&] { return FindWindowA(nullptr, "Abort") == nullptr; }, 20s));
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    auto line = [&](int index) {
        // Across processes the list answers in UTF-16.
        wchar_t text[600]{};
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
        std::string narrow;
        for (const wchar_t* c = text; *c; ++c)
            narrow += static_cast<char>(*c);
        return narrow;
    };
    EXPECT_EQ(line(0), "GONE.ZIP\tMissing file\t" + store);
    EXPECT_EQ(line(1), "ORPHAN.TXT\tNo record\t" + store);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(20s), 0u);
    EXPECT_TRUE(ks_test::WaitForGone("Kestrum32-16ParadoxInterface", 10s));
}

}  // namespace

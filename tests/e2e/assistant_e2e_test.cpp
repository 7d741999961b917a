// End to end: a user installs the shipped "Archive Description" assistant from its install file through
// Preferences|Assistants|Install, makes it the default, and its Default button then fills in the Storage
// Interface from the FILE_ID.DIZ of a ZIP waiting in a download area; and a PDF made by an independent tool is
// stored with Default, its record holding what it proposed.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "engine/engine_link.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/assist/sample_files.h"
#include "tests/assist/zip_builder.h"
#include "tests/e2e/catalogue_reader.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::DialogWithControl;
using ks_test::Program;

using ks_test::Press;
constexpr auto Text = ks_test::ItemText;

// Types a path into the open-file dialog's name field and confirms it.
bool ChooseInFileDialog(HWND dialog, const std::string& path)
{
    HWND name = GetDlgItem(dialog, 1148);  // the name combo box of the explorer-style dialog
    if (name) {
        if (HWND edit = FindWindowExA(name, nullptr, "Edit", nullptr))
            name = edit;
    } else {
        name = GetDlgItem(dialog, 1152);
    }
    if (!name)
        return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
}

TEST(AssistantEndToEnd, TheInstalledArchiveAssistantFillsInTheStorageInterface)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("assist");
    // The assistant as a user unpacked it into a temporary folder.
    const std::string unpacked = folder.Work() + "\\unpacked";
    CreateDirectoryA(unpacked.c_str(), nullptr);
    for (const char* file : {"ARCDESC.DLL", "ARCDESC.KSA"})
        ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\assistants\\" + file).c_str(), (unpacked + "\\" + file).c_str(),
                              FALSE))
            << file;
    const std::string area = folder.Work() + "\\area";
    CreateDirectoryA(area.c_str(), nullptr);
    std::ofstream(area + "\\WIDGETS.ZIP", std::ios::binary) << ks_test::BuildZip(
        {{"WIDGET.EXE", std::string(5000, 'w'), true},
         {"FILE_ID.DIZ", "Widget Tools 2.1\r\nMakes widgets of every size.\r\n", true}});

    ks_test::SetOnlyAreaOne(area);

    Program program(folder.Exe(), folder.ProgramDir());
    ASSERT_TRUE(program.Started());
    HWND main = ks_test::WaitForWindow("Filewarden (For Windows 95)", 20s);
    ASSERT_NE(main, nullptr);

    // Install through the menu command and the real file dialog.
    {
        ks_test::BoxWatcher status({program.Id(), "Install Status", 0, ""});
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_ASSIST_INSTALL, 0), 0);
        HWND picker = ks_test::WaitForWindow("Select Assistant Install File", 20s);
        ASSERT_NE(picker, nullptr);
        ASSERT_TRUE(ChooseInFileDialog(picker, unpacked + "\\ARCDESC.KSA"));
        const auto box = status.WaitForBox(1, 20s);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, "Assistant Installation Successful.");
    }
    EXPECT_TRUE(ks_test::Exists(folder.ProgramDir() + "\\ARCDESC.DLL"));
    EXPECT_FALSE(ks_test::Exists(unpacked + "\\ARCDESC.DLL"));
    EXPECT_EQ(ks_test::RegString("Assistants\\Archive Description", "Filename"), "ARCDESC.DLL");

    // Make it the default in "Assistant Configuration".
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_ASSIST_CONFIGURE, 0), 0);
    HWND config = ks_test::WaitForWindow("Assistant Configuration", 20s);
    ASSERT_NE(config, nullptr);
    HWND assistants = GetDlgItem(config, IDC_CONFIG_LIST);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(assistants, LB_GETCOUNT, 0, 0) == 1; }, 10s));
    SendMessageW(assistants, LB_SETCURSEL, 0, 0);
    Press(config, IDC_CONFIG_MAKE_DEFAULT);
    ASSERT_TRUE(Eventually([&] { return Text(config, IDC_CONFIG_DEFAULT) == "Archive Description"; }, 10s));
    Press(config, IDOK);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(config); }, 10s));
    EXPECT_EQ(ks_test::RegString("Initialisation", "Default Assistant"), "Archive Description");

    // Store the ZIP; Default fills title and abstract from its description.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_FILES_DOWNLOADED, 0), 0);
    HWND manage = nullptr;
    ASSERT_TRUE(Eventually(
        [&] {
            HWND client = FindWindowExA(main, nullptr, "MDIClient", nullptr);
            for (HWND child = client ? GetWindow(client, GW_CHILD) : nullptr; child && !manage;
                 child = GetWindow(child, GW_HWNDNEXT))
                manage = DialogWithControl(child, IDC_DOWNLOAD_FILES);
            return manage != nullptr;
        },
        20s));
    HWND files = GetDlgItem(manage, IDC_DOWNLOAD_FILES);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(files, LB_GETCOUNT, 0, 0) == 1; }, 10s));
    SendMessageW(files, LB_SETCURSEL, 0, 0);
    Press(manage, IDC_DOWNLOAD_STORE);
    HWND store = ks_test::WaitForWindow("Storage Interface", 20s);
    ASSERT_NE(store, nullptr);
    Press(store, IDC_STORE_DEFAULT);
    ASSERT_TRUE(Eventually([&] { return Text(store, IDC_STORE_TITLE) == "Widget Tools 2.1"; }, 20s));
    EXPECT_EQ(Text(store, IDC_STORE_ABSTRACT), "Widget Tools 2.1 Makes widgets of every size.");
    EXPECT_EQ(Text(store, IDC_STORE_KEYWORDS), "Widget, Tools");
    Press(store, IDOK);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(store); }, 20s));
    EXPECT_TRUE(ks_test::Exists(folder.ProgramDir() + "\\KS_STORE\\WIDGETS.ZIP"));

    ks_test::CloseProgram(program, main);
    const std::vector<FileRecord> records = ks_test::StoredRecords(folder);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_STREQ(records[0].FileName, "WIDGETS.ZIP");
    EXPECT_STREQ(records[0].Title, "Widget Tools 2.1");
    EXPECT_STREQ(records[0].Abstract, "Widget Tools 2.1 Makes widgets of every size.");
    ks_test::DeleteProgramSettings();
}

// A document made by an independent tool, stored with Default: its record holds in the system's ANSI page what
// the assistant proposed, "?" where the page lacks a letter.
TEST(AssistantEndToEnd, DefaultDescribesADocumentInItsRecord)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("kinds");
    const std::string area = folder.Work() + "\\area";
    CreateDirectoryA(area.c_str(), nullptr);
    std::ofstream(area + "\\NOTES.PDF", std::ios::binary) << ks_test::SampleBytes("pdf\\classic.pdf");
    // The assistant installed as the first test installs it, and made the default.
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\assistants\\ARCDESC.DLL").c_str(),
                          (folder.ProgramDir() + "\\ARCDESC.DLL").c_str(), FALSE));
    ks_test::SetOnlyAreaOne(area);
    ks_test::SetRegString("Assistants\\Archive Description", "Filename", "ARCDESC.DLL");
    ks_test::SetRegString("Initialisation", "Default Assistant", "Archive Description");
    const char* const title = "Le café des widgets – ?mega";
    const char* const keywords = "widgets, café, design, Zoë Müller";
    const char* const abstract = "Le café des widgets – ?mega by Zoë Müller. Widget design notes.";

    ks_test::ProgramWithDownloads run(folder);
    ASSERT_NE(run.list, nullptr);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(run.list, LB_GETCOUNT, 0, 0) == 1; }, 20s));
    SendMessageW(run.list, LB_SETCURSEL, 0, 0);
    Press(run.manage, IDC_DOWNLOAD_STORE);
    HWND store = ks_test::WaitForWindow("Storage Interface", 20s);
    ASSERT_NE(store, nullptr);
    Press(store, IDC_STORE_DEFAULT);
    EXPECT_TRUE(Eventually([&] { return ks_test::Utf8(Text(store, IDC_STORE_TITLE)) == title; }, 20s))
        << ks_test::Utf8(Text(store, IDC_STORE_TITLE));
    EXPECT_EQ(ks_test::Utf8(Text(store, IDC_STORE_KEYWORDS)), keywords);
    EXPECT_EQ(ks_test::Utf8(Text(store, IDC_STORE_ABSTRACT)), abstract);
    Press(store, IDOK);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(store); }, 20s));

    ks_test::CloseProgram(run.program, run.main);
    const std::vector<FileRecord> records = ks_test::StoredRecords(folder);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_STREQ(records[0].FileName, "NOTES.PDF");
    EXPECT_EQ(ks_test::Utf8(records[0].Title), title);
    EXPECT_EQ(ks_test::Utf8(records[0].Keywords), keywords);
    EXPECT_EQ(ks_test::Utf8(records[0].Abstract), abstract);
    ks_test::DeleteProgramSettings();
}

}  // namespace

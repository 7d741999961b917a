// End to end: a user sets a download area, opens a Download Interface, stores a waiting file with its title,
// keywords and abstract, and the catalogue then holds it.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_link.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/e2e/catalogue_reader.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::Program;


std::wstring ListText(HWND list, int index)
{
    // Across processes the list answers in UTF-16.
    wchar_t text[300]{};
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(StoreFileEndToEnd, AStoredFileIsInTheStoreAndItsRecordHoldsWhatWasTyped)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("store");
    const std::string area = folder.Work() + "\\area";
    CreateDirectoryA(area.c_str(), nullptr);
    std::ofstream(area + "\\NEWS.TXT", std::ios::binary) << "news of the day";

    ks_test::SetOnlyAreaOne(area);
    ks_test::ProgramWithDownloads run(folder);
    ASSERT_NE(run.list, nullptr);
    const Program& program = run.program;
    HWND main = run.main;
    HWND manage = run.manage;
    HWND list = run.list;
    ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 10s));
    EXPECT_EQ(ListText(list, 0), L"NEWS.TXT");

    // Store opens the Storage Interface modally; it is filled in and confirmed as a user would.
    PostMessageA(manage, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_STORE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(manage, IDC_DOWNLOAD_STORE)));
    HWND store = ks_test::WaitForWindow("Storage Interface", 20s);
    ASSERT_NE(store, nullptr);
    SetDlgItemTextA(store, IDC_STORE_TITLE, "Daily news");
    SetDlgItemTextA(store, IDC_STORE_KEYWORDS, "news, daily");
    SetDlgItemTextA(store, IDC_STORE_ABSTRACT, "What happened today.");
    PostMessageA(store, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(store, IDOK)));
    ASSERT_TRUE(Eventually([&] { return !IsWindow(store); }, 20s));
    // The last file of the area has gone: an empty list, and no date or size.
    ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 0; }, 10s));
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(manage, IDC_DOWNLOAD_SIZE)), 0);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(manage, IDC_DOWNLOAD_DATE)), 0);
    EXPECT_TRUE(ks_test::Exists(folder.ProgramDir() + "\\KS_STORE\\NEWS.TXT"));
    EXPECT_FALSE(ks_test::Exists(area + "\\NEWS.TXT"));

    ks_test::CloseProgram(program, main);

    // A fresh engine on the program's table holds the record as typed.
    const std::vector<FileRecord> records = ks_test::StoredRecords(folder);
    ASSERT_EQ(records.size(), 1u);
    const FileRecord& record = records[0];
    EXPECT_STREQ(record.FileName, "NEWS.TXT");
    EXPECT_EQ(std::string(record.Location), folder.ProgramDir() + "\\KS_STORE");
    EXPECT_STREQ(record.Title, "Daily news");
    EXPECT_STREQ(record.Keywords, "news, daily");
    EXPECT_STREQ(record.Abstract, "What happened today.");
    EXPECT_NE(record.DownloadDate[0], '\0');
}

// Selects a line of the Download Interface's list as a user does, in the program's process.
void SelectLine(HWND manage, HWND list, int index)
{
    SendMessageW(list, LB_SETCURSEL, index, 0);
    SendMessageW(manage, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_FILES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::string WindowText(HWND hwnd)
{
    char text[300]{};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

TEST(StoreFileEndToEnd, ATypedPathIsRefusedAndAFileNamedOutsideTheCodePageIsStored)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("names");
    const std::string area = folder.Work() + "\\area";
    CreateDirectoryA(area.c_str(), nullptr);
    std::ofstream(area + "\\NEWS.TXT", std::ios::binary) << "news of the day";
    const std::wstring wide = std::wstring(area.begin(), area.end()) + L"\\\x65E5\x672C\x8A9E.txt";
    ASSERT_TRUE(ks_test::PutWideFile(wide, "ten bytes!"));

    ks_test::SetOnlyAreaOne(area);
    ks_test::ProgramWithDownloads run(folder);
    ASSERT_NE(run.list, nullptr);
    const Program& program = run.program;
    HWND main = run.main;
    HWND manage = run.manage;
    HWND list = run.list;
    ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; }, 10s));
    const int news = ListText(list, 0) == L"NEWS.TXT" ? 0 : 1;
    const std::wstring shortLine = ListText(list, 1 - news);
    // The line shows the name the program uses and the file's real name, whole.
    EXPECT_NE(shortLine.find(L"  (short name of \x65E5\x672C\x8A9E.txt)"), std::wstring::npos);
    EXPECT_EQ(shortLine.find(L'?'), std::wstring::npos);

    // "..\NEW.TXT" typed as the stored name: one box, the window stays, nothing moves.
    SelectLine(manage, list, news);
    {
        ks_test::BoxWatcherOptions options;
        options.process_id = program.Id();
        options.caption = "Error";
        ks_test::BoxWatcher boxes(options);
        PostMessageA(manage, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_STORE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(manage, IDC_DOWNLOAD_STORE)));
        HWND store = ks_test::WaitForWindow("Storage Interface", 20s);
        ASSERT_NE(store, nullptr);
        SetDlgItemTextA(store, IDC_STORE_FILENAME, "..\\NEW.TXT");
        PostMessageA(store, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(store, IDOK)));
        const auto box = boxes.WaitForBox(1, 20s);
        ASSERT_TRUE(box.has_value());
        EXPECT_NE(box->text.find("path"), std::string::npos);
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(IsWindow(store));
        PostMessageA(store, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ASSERT_TRUE(Eventually([&] { return !IsWindow(store); }, 20s));
    }
    EXPECT_TRUE(ks_test::Exists(area + "\\NEWS.TXT"));
    EXPECT_FALSE(ks_test::Exists(folder.ProgramDir() + "\\NEW.TXT"));
    EXPECT_FALSE(ks_test::Exists(folder.ProgramDir() + "\\KS_STORE\\NEW.TXT"));

    // The file with the wide name: its own size and date, stored under the short name the user confirms.
    SelectLine(manage, list, 1 - news);
    ASSERT_TRUE(Eventually([&] { return WindowText(GetDlgItem(manage, IDC_DOWNLOAD_SIZE)) == "10 Bytes."; }, 10s));
    const std::string fileDate = WindowText(GetDlgItem(manage, IDC_DOWNLOAD_DATE));
    {
        ks_test::BoxWatcherOptions options;
        options.process_id = program.Id();
        options.caption = "Rename File";
        ks_test::BoxWatcher confirm(options);
        PostMessageA(manage, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_STORE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(manage, IDC_DOWNLOAD_STORE)));
        HWND store = ks_test::WaitForWindow("Storage Interface", 20s);
        ASSERT_NE(store, nullptr);
        PostMessageA(store, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(store, IDOK)));
        ASSERT_TRUE(confirm.WaitForBox(1, 20s).has_value());
        ASSERT_TRUE(Eventually([&] { return !IsWindow(store); }, 20s));
    }
    ASSERT_TRUE(Eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 10s));
    EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);

    ks_test::CloseProgram(program, main);

    // The record names the file where it now lies, with the file's date as its download date.
    const std::vector<FileRecord> records = ks_test::StoredRecords(folder);
    ASSERT_EQ(records.size(), 1u);
    const FileRecord& record = records[0];
    const std::string stored = folder.ProgramDir() + "\\KS_STORE\\" + record.FileName;
    std::ifstream in(stored, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "ten bytes!");
    EXPECT_NE(std::string(record.FileName).find('~'), std::string::npos);
    EXPECT_EQ(std::string(record.DownloadDate), fileDate);
}

}  // namespace

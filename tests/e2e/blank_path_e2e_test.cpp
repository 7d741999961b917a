// End to end in a program folder whose path has blanks (as the installer's default folder has for a user name
// with a blank): a download is stored, found by a search, examined from its record (an unpacker that runs from
// KS_TEMP), and what it unpacked is copied to a folder of the user's choice.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/catalogue_reader.h"
#include "tests/e2e/program_runner.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::ListTexts;

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The dialog of the MDI child titled so, once it is up.
HWND ChildDialog(HWND main, const char* title, int control)
{
    HWND dialog = nullptr;
    Eventually(
        [&] {
            HWND child = ks_test::FindChildByTitle(main, title);
            return child && (dialog = ks_test::DialogWithControl(child, control)) != nullptr;
        },
        20s);
    return dialog;
}

// Opens a directory listed in the directory browser, as a double click does.
bool OpenListedDirectory(HWND browser, const std::wstring& name)
{
    HWND list = GetDlgItem(browser, IDC_BROWSE_DIR_LIST);
    for (const std::wstring& entry : {L"[" + name + L"]", name}) {
        const LRESULT index =
            SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
        if (index == LB_ERR)
            continue;
        SendMessageW(list, LB_SETCURSEL, index, 0);
        SendMessageW(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_DIR_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        return true;
    }
    return false;
}

// What the program shows on the screen: the captions of its top-level windows and the texts in its boxes.
std::string Shown(DWORD processId)
{
    struct Scan {
        DWORD id;
        std::string text;
    } scan{processId, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM p) {
            auto* s = reinterpret_cast<Scan*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner != s->id || !IsWindowVisible(hwnd))
                return TRUE;
            char text[512]{};
            GetWindowTextA(hwnd, text, sizeof text);
            s->text += std::string("[") + text + "]";
            for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                char cls[16]{};
                GetClassNameA(c, cls, sizeof cls);
                if (std::string(cls) == "Static" && GetWindowTextA(c, text, sizeof text) > 0)
                    s->text += std::string(" ") + text;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&scan));
    return scan.text;
}

std::string FirstLine(const std::string& path)
{
    const std::string text = ks_test::ReadFileText(path);
    return text.substr(0, text.find_first_of("\r\n"));
}

TEST(BlankPathEndToEnd, StoreSearchExamineAnUnpackerAndCopyWhatItUnpacked)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("blank path");
    ASSERT_NE(folder.ProgramDir().find(' '), std::string::npos);
    const std::string area = folder.Work() + "\\my downloads";
    CreateDirectoryA(area.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\unpacker.exe").c_str(), (area + "\\SETUP.EXE").c_str(), FALSE));
    const std::string copies = folder.ProgramDir() + "\\My Copies";
    CreateDirectoryA(copies.c_str(), nullptr);
    // The unpacker notes how it was started.
    const std::string log = folder.Work() + "\\unpacker.log";
    SetEnvironmentVariableA("KS_UNPACKER_LOG", log.c_str());

    ks_test::SetOnlyAreaOne(area);
    // Should the test stop half-way, the program is ended (by the runner) and then its engine, so that the
    // tests after this one start on their own.
    struct EndEngine {
        ~EndEngine()
        {
            if (HWND engine = FindWindowA(nullptr, "Kestrum32-16ParadoxInterface")) {
                PostMessageA(engine, WM_CLOSE, 0, 0);
                ks_test::WaitForGone("Kestrum32-16ParadoxInterface", 10s);
            }
        }
    } endEngine;
    ks_test::ProgramWithDownloads run(folder);
    SetEnvironmentVariableA("KS_UNPACKER_LOG", nullptr);
    ASSERT_NE(run.list, nullptr);
    HWND main = run.main;
    ASSERT_TRUE(Eventually([&] { return SendMessageW(run.list, LB_GETCOUNT, 0, 0) == 1; }, 10s));

    // Store.
    Press(run.manage, IDC_DOWNLOAD_STORE);
    HWND store = ks_test::WaitForWindow("Storage Interface", 20s);
    ASSERT_NE(store, nullptr);
    SetDlgItemTextA(store, IDC_STORE_TITLE, "An installer");
    Press(store, IDOK);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(store); }, 20s));
    ASSERT_TRUE(Eventually([&] { return SendMessageW(run.list, LB_GETCOUNT, 0, 0) == 0; }, 10s));
    const std::string stored = folder.ProgramDir() + "\\KS_STORE\\SETUP.EXE";
    EXPECT_TRUE(ks_test::Exists(stored));

    // Search: every record is listed; Details opens the record.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_STORED_FILES, 0), 0);
    HWND search = ChildDialog(main, "Search Interface - 0", IDC_SEARCH_RESULTS);
    ASSERT_NE(search, nullptr);
    HWND results = GetDlgItem(search, IDC_SEARCH_RESULTS);
    Press(search, IDC_SEARCH_GO);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(results, LB_GETCOUNT, 0, 0) == 1; }, 20s));
    // The walk is over once its progress dialog has gone.
    ASSERT_TRUE(ks_test::WaitForGone("Abort", 20s));
    EXPECT_EQ(ListTexts(results)[0].rfind(L"An installer", 0), 0u);
    SendMessageW(results, LB_SETSEL, TRUE, 0);
    Press(search, IDC_SEARCH_DETAILS);
    HWND record = ChildDialog(main, "Record Interface", IDC_RECORD_EXAMINE);
    ASSERT_NE(record, nullptr) << Shown(run.program.Id());

    // Examine: the unpacker runs from KS_TEMP and what it unpacked is offered.
    Press(record, IDC_RECORD_EXAMINE);
    HWND examine = ks_test::WaitForWindow("Examining File - SETUP.EXE", 30s);
    ASSERT_NE(examine, nullptr) << Shown(run.program.Id());
    HWND files = GetDlgItem(examine, IDC_EXAMINE_FILE_LIST);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(files, LB_GETCOUNT, 0, 0) == 2; }, 10s));
    EXPECT_EQ(ListTexts(files), (std::vector<std::wstring>{L"PROGRAM.DAT", L"README.TXT"}));
    // Program and file each reached it whole, in quotes.
    const std::string scratchCopy = folder.ProgramDir() + "\\KS_TEMP\\SETUP.EXE";
    std::string upper = scratchCopy;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    EXPECT_EQ(FirstLine(log), "\"" + upper + "\" \"" + scratchCopy + "\"");

    // Copy both to "My Copies", chosen in the directory browser (it opens on KS_TEMP).
    SendMessageW(files, LB_SETSEL, TRUE, -1);
    Press(examine, IDC_EXAMINE_COPY);
    HWND browser = ks_test::WaitForWindow("Choose Destination for file(s)", 20s);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(Eventually([&] { return OpenListedDirectory(browser, L".."); }, 10s));
    ASSERT_TRUE(Eventually([&] { return OpenListedDirectory(browser, L"my copies"); }, 10s));
    Press(browser, IDOK);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(browser); }, 20s));
    ASSERT_TRUE(Eventually([&] { return ks_test::Exists(copies + "\\PROGRAM.DAT"); }, 10s));
    EXPECT_EQ(ks_test::ReadFileText(copies + "\\README.TXT"), "Read me first.\r\n");
    EXPECT_EQ(ks_test::ReadFileText(copies + "\\PROGRAM.DAT"), std::string(300, 'p'));
    // The stored file is as it was stored.
    EXPECT_EQ(ks_test::ReadFileText(stored), ks_test::ReadFileText(ks_test::BinDir() + "\\unpacker.exe"));

    Press(examine, IDCANCEL);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(examine); }, 10s));
    Press(record, IDCANCEL);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(record); }, 10s));
    ks_test::CloseProgram(run.program, main);
    const std::vector<FileRecord> records = ks_test::StoredRecords(folder);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_STREQ(records[0].FileName, "SETUP.EXE");
    EXPECT_EQ(std::string(records[0].Location), folder.ProgramDir() + "\\KS_STORE");
    EXPECT_STREQ(records[0].Title, "An installer");
}

}  // namespace

// End to end in a program folder whose path has blanks (as the installer's default folder has for a user name
// with a blank): 201 downloads, 60 of them ZIPs with a FILE_ID.DIZ, are stored in one go by Store All with the
// shipped assistant as the default and all found again by a search; one of them, an unpacker, is examined from
// its record (it runs from KS_TEMP), and what it unpacked is copied to a folder of the user's choice.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/assist/zip_builder.h"
#include "tests/e2e/catalogue_reader.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::ChildDialog;
using ks_test::ListTexts;
using ks_test::Press;

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

std::string FirstLine(const std::string& path)
{
    const std::string text = ks_test::ReadFileText(path);
    return text.substr(0, text.find_first_of("\r\n"));
}

TEST(BlankPathEndToEnd, StoreAllSearchExamineAnUnpackerAndCopyWhatItUnpacked)
{
    ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
    ks_test::ProgramFolder folder("blank path");
    ASSERT_NE(folder.ProgramDir().find(' '), std::string::npos);
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\assistants\\ARCDESC.DLL").c_str(),
                          (folder.ProgramDir() + "\\ARCDESC.DLL").c_str(), FALSE));
    const std::string area = folder.Work() + "\\my downloads";
    CreateDirectoryA(area.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\unpacker.exe").c_str(), (area + "\\SETUP.EXE").c_str(), FALSE));
    ks_test::SetWrittenHoursAgo(area + "\\SETUP.EXE", 24);
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
    const std::string copies = folder.ProgramDir() + "\\My Copies";
    CreateDirectoryA(copies.c_str(), nullptr);
    // The unpacker notes how it was started.
    const std::string log = folder.Work() + "\\unpacker.log";
    SetEnvironmentVariableA("KS_UNPACKER_LOG", log.c_str());

    ks_test::SetOnlyAreaOne(area);
    ks_test::SetRegString("Assistants\\Archive Description", "Filename", "ARCDESC.DLL");
    ks_test::SetRegString("Initialisation", "Default Assistant", "Archive Description");
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
    ASSERT_TRUE(Eventually([&] { return SendMessageW(run.list, LB_GETCOUNT, 0, 0) == 201; }, 10s));

    // Store All, answered Yes; the Download Interface follows the emptied area.
    {
        ks_test::BoxWatcher boxes({run.program.Id(), "Store All Waiting Files", 0, "Yes"});
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_STORE_ALL, 0), 0);
        const auto question = boxes.WaitForBox(1, 20s);
        ASSERT_TRUE(question.has_value());
        EXPECT_EQ(question->text,
                  "Store the 201 files waiting in Mail (" + area + ")? They will be moved into KS_STORE.");
        const auto done = boxes.WaitForBox(2, 120s);
        ASSERT_TRUE(done.has_value());
        EXPECT_EQ(done->text, "201 files stored, 0 left in the area.");
    }
    ASSERT_TRUE(Eventually([&] { return SendMessageW(run.list, LB_GETCOUNT, 0, 0) == 0; }, 10s));
    const std::string stored = folder.ProgramDir() + "\\KS_STORE\\SETUP.EXE";
    EXPECT_TRUE(ks_test::Exists(stored));

    // A search with no query lists every stored file, titled by its description where it had one; Details
    // opens the unpacker's record.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_STORED_FILES, 0), 0);
    HWND search = ChildDialog(main, "Search Interface - 0", IDC_SEARCH_RESULTS);
    ASSERT_NE(search, nullptr);
    HWND results = GetDlgItem(search, IDC_SEARCH_RESULTS);
    Press(search, IDC_SEARCH_GO);
    ASSERT_TRUE(Eventually([&] { return SendMessageW(results, LB_GETCOUNT, 0, 0) == 201; }, 60s));
    // The walk is over once its progress dialog has gone.
    ASSERT_TRUE(ks_test::WaitForGone("Abort", 60s));
    // The unpacker is described as a program: its line sorts after the tools', last. (The list keeps no texts
    // of its own and gives them to no other process: its record is read in the Record Interface.)
    SendMessageW(results, LB_SETSEL, TRUE, 200);
    Press(search, IDC_SEARCH_DETAILS);
    HWND record = ChildDialog(main, "Record Interface", IDC_RECORD_EXAMINE);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(ks_test::ItemText(record, IDC_RECORD_TITLE), "Windows program (x86-64)");
    ASSERT_EQ(ks_test::ItemText(record, IDC_RECORD_FILENAME), "SETUP.EXE");

    // Examine: the unpacker runs from KS_TEMP and what it unpacked is offered.
    Press(record, IDC_RECORD_EXAMINE);
    HWND examine = ks_test::WaitForWindow("Examining File - SETUP.EXE", 30s);
    ASSERT_NE(examine, nullptr);
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
    ASSERT_EQ(records.size(), 201u);
    int described = 0;
    for (const FileRecord& r : records) {
        const std::string name = r.FileName;
        EXPECT_EQ(std::string(r.Location), folder.ProgramDir() + "\\KS_STORE") << name;
        EXPECT_TRUE(ks_test::Exists(std::string(r.Location) + "\\" + name)) << name;
        if (name.rfind("TOOL", 0) == 0 && std::string(r.Title) == "Tool " + name.substr(4, 3))
            ++described;
    }
    EXPECT_EQ(described, 60);
    EXPECT_TRUE(ks_test::FilesIn(area).empty()) << "nothing is left waiting";
    ks_test::DeleteProgramSettings();
}

}  // namespace

// The Storage Interface: moving a waiting file into KS_STORE and adding its record, with the real template,
// the real engine, and prompts answered through the seam.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>
#include <string>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "controls/date_text.h"
#include "download/data_store.h"
#include "download/file_moves.h"
#include "kspdx/table_log.h"
#include "engine/file_record.h"
#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"
#include "tests/support/unix_shell.h"
#include "tests/support/test_files.h"
#include "tests/support/program_start.h"

namespace {

using ks_test::BinDir;
using ks_test::Click;
using ks_test::Shown;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::string Field(const char* text) { return std::string(text); }

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::string((std::istreambuf_iterator<char>(in)), {}) : "(none)";
}

// A program set up as at run time: the application object, the MDI client with the real engine on an empty
// table, and the chain of windows a Storage Interface reaches the client through.
class Storing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks_test::DeleteProgramSettings();
        ks_test::SetRegString("Initialisation", "Setup", "OK");
        GetCurrentDirectoryA(MAX_PATH, m_previousDir);
        SetCurrentDirectoryA(BinDir().c_str());
        ASSERT_EQ(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr) << "an engine is still running";
        DeleteFileA((BinDir() + "\\kspdx.tbl").c_str());
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        m_client = std::make_unique<KsClient>();
        ASSERT_TRUE(m_client->LinkReady());
        m_child = std::make_unique<ks::TMDIChild>(*m_client, "Download Interface - 0", nullptr, true);
        m_manage = std::make_unique<ks::TDialog>(m_child.get(), IDD_DOWNLOAD);

        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_area = std::string(temp) + "ks_area_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_area.c_str(), nullptr);
        m_store = BinDir() + "\\KS_STORE";
        // What another window left in the shared record must survive every store.
        std::memset(&m_client->RecordBuffer, 0x5A, sizeof(FileRecord));
        m_client->RecordBuffer.FileName[0] = '\0';
    }
    void TearDown() override
    {
        m_manage.reset();
        m_child.reset();
        m_client.reset();  // ends the engine; the next test starts its own on an empty table
        ks_test::WaitForEngineToEnd();
        m_app.reset();
        for (const std::string& name : m_created) {
            SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(name.c_str());
        }
        RemoveDirectoryA(m_area.c_str());
        SetCurrentDirectoryA(m_previousDir);
        ks_test::DeleteProgramSettings();
    }

    std::string Waiting(const std::string& name, const std::string& content = "downloaded bytes")
    {
        const std::string path = m_area + "\\" + name;
        WriteFile(path, content);
        m_created.push_back(path);
        return path;
    }
    std::string Stored(const std::string& name)
    {
        const std::string path = m_store + "\\" + name;
        m_created.push_back(path);
        return path;
    }
    // The one box of a failed move.
    bool MoveErrorShown() const
    {
        const auto boxes = m_ui.Boxes();
        return boxes.size() == 1 && boxes[0].caption == "File Move Error" &&
               boxes[0].text == "Sorry, there has been an error moving the source file into your KS_STORE subdirectory.";
    }
    bool BufferUntouched() const
    {
        FileRecord expected;
        std::memset(&expected, 0x5A, sizeof expected);
        expected.FileName[0] = '\0';
        return std::memcmp(&expected, &m_client->RecordBuffer, sizeof expected) == 0;
    }
    // The catalogue's records, read with a walk that leaves the shared record as it was.
    std::vector<FileRecord> Records()
    {
        const FileRecord saved = m_client->RecordBuffer;
        std::vector<FileRecord> records;
        for (int r = m_client->SendEngineCommand(ENG_FIRST, ENG_RECORD_NOT_FOUND); r == 0;
             r = m_client->SendEngineCommand(ENG_NEXT, ENG_END_OF_TABLE))
            records.push_back(m_client->RecordBuffer);
        m_client->RecordBuffer = saved;
        return records;
    }
    INT_PTR RunStore(const std::string& name, const char* date, std::function<void(ks::TDialog&)> action)
    {
        m_ui.OnDialog(IDD_STORAGE, std::move(action));
        DataStore store(m_manage.get(), m_area.c_str(), name.c_str(), date);
        return store.Execute();
    }
    // Stores a record directly, as another Storage Interface would have.
    void AddRecord(const char* fileName)
    {
        const FileRecord saved = m_client->RecordBuffer;
        FileRecord& r = m_client->RecordBuffer;
        std::memset(&r, 0, sizeof r);
        std::strcpy(r.FileName, fileName);
        std::strcpy(r.DownloadDate, "01/05/96");
        ASSERT_EQ(m_client->SendEngineCommand(ENG_ADD, 0), 0);
        m_client->RecordBuffer = saved;
    }

    ks_test::ScriptedUi m_ui;
    std::unique_ptr<KsApp> m_app;
    std::unique_ptr<KsClient> m_client;
    std::unique_ptr<ks::TMDIChild> m_child;
    std::unique_ptr<ks::TDialog> m_manage;
    std::string m_area;
    std::string m_store;
    std::vector<std::string> m_created;
    char m_previousDir[MAX_PATH]{};
};

TEST_F(Storing, FreeNameMovesTheFileAndAddsTheRecordAsTyped)
{
    Waiting("REPORT.TXT", "twelve bytes");
    const std::string title(79, 'T');
    const std::string abstract = "First line\r\nSecond line";
    std::string caption;
    const INT_PTR result = RunStore("REPORT.TXT", "01/05/96", [&](ks::TDialog& d) {
        caption = d.GetText(64);
        d.SetItemText(IDC_STORE_TITLE, title.c_str());
        d.SetItemText(IDC_STORE_KEYWORDS, "report, yearly");
        d.SetItemText(IDC_STORE_ABSTRACT, abstract.c_str());
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(caption, "Storage Interface");
    EXPECT_FALSE(Exists(m_area + "\\REPORT.TXT"));
    EXPECT_TRUE(Exists(Stored("REPORT.TXT")));
    EXPECT_TRUE(BufferUntouched());

    const auto records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(Field(records[0].FileName), "REPORT.TXT");
    EXPECT_EQ(Field(records[0].Location), m_store);
    EXPECT_EQ(Field(records[0].DownloadDate), "01/05/96");
    EXPECT_EQ(Field(records[0].Title), title);  // all 79 characters the edit accepts
    EXPECT_EQ(Field(records[0].Keywords), "report, yearly");
    EXPECT_EQ(Field(records[0].Abstract), abstract);
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(Storing, TheArrivalNameIsTheSourceWhenTheNameWasChanged)
{
    Waiting("a.zip");
    RunStore("a.zip", "01/05/96", [](ks::TDialog& d) {
        d.SetItemText(IDC_STORE_FILENAME, "TOOLS.ZIP");
        Click(d, IDOK);
    });
    EXPECT_FALSE(Exists(m_area + "\\a.zip"));
    EXPECT_TRUE(Exists(Stored("TOOLS.ZIP")));
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Field(Records()[0].FileName), "TOOLS.ZIP");
}

TEST_F(Storing, NameUsedOnDiskOrByARecordAsksForAnotherNameInCapitals)
{
    Waiting("DISK.TXT");
    WriteFile(Stored("DISK.TXT"), "already stored");
    Waiting("CAT.TXT");
    AddRecord("cat.txt");  // letter case does not matter to the catalogue

    m_ui.OnDialog(IDD_INPUT_DIALOG, [](ks::TDialog& d) {
        d.SetItemText(IDC_INPUT_EDIT, "disk2.txt");
        Click(d, IDOK);
    });
    EXPECT_EQ(RunStore("DISK.TXT", "01/05/96", [](ks::TDialog& d) { Click(d, IDOK); }), IDOK);
    m_ui.OnDialog(IDD_INPUT_DIALOG, [](ks::TDialog& d) {
        d.SetItemText(IDC_INPUT_EDIT, "cat2.txt");
        Click(d, IDOK);
    });
    EXPECT_EQ(RunStore("CAT.TXT", "01/05/96", [](ks::TDialog& d) { Click(d, IDOK); }), IDOK);

    EXPECT_TRUE(Exists(Stored("DISK2.TXT")));
    EXPECT_TRUE(Exists(Stored("CAT2.TXT")));
    EXPECT_EQ(Contents(Stored("DISK.TXT")), "already stored");  // the file in the way is untouched
    // The names typed in the rename box reach the catalogue in capitals.
    std::vector<std::string> names;
    for (const FileRecord& r : Records())
        names.push_back(Field(r.FileName));
    EXPECT_EQ(names, (std::vector<std::string>{"cat.txt", "DISK2.TXT", "CAT2.TXT"}));
    const auto prompts = m_ui.Of(Shown::Kind::Dialog);
    int renamePrompts = 0;
    for (const Shown& p : prompts)
        if (p.dialogId == IDD_INPUT_DIALOG) {
            ++renamePrompts;
            EXPECT_EQ(p.caption, "File Exists on Disk or Database");
        }
    EXPECT_EQ(renamePrompts, 2);
    int stopBeeps = 0;
    for (const Shown& b : m_ui.Of(Shown::Kind::Beep))
        stopBeeps += b.icon == MB_ICONHAND;
    EXPECT_EQ(stopBeeps, 2);
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(Storing, CancelledRenameAndFailedMoveLeaveTheFileAndTheSharedRecord)
{
    Waiting("KEEP.TXT");
    WriteFile(Stored("KEEP.TXT"), "taken");
    m_ui.OnDialog(IDD_INPUT_DIALOG, [](ks::TDialog& d) { Click(d, IDCANCEL); });
    std::string nameAfter;
    RunStore("KEEP.TXT", "01/05/96", [&](ks::TDialog& d) {
        d.SetItemText(IDC_STORE_FILENAME, "KEEP.TXT");
        Click(d, IDOK);
        // Still open, with what the user typed.
        nameAfter = d.GetItemText(IDC_STORE_FILENAME, 300);
        d.Destroy(IDCANCEL);
    });
    EXPECT_EQ(nameAfter, "KEEP.TXT");
    EXPECT_TRUE(Exists(m_area + "\\KEEP.TXT"));
    EXPECT_TRUE(BufferUntouched());
    EXPECT_TRUE(Records().empty());

    // The source is held open without sharing: the move fails and says so.
    const std::string locked = Waiting("LOCKED.TXT");
    HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    RunStore("LOCKED.TXT", "01/05/96", [](ks::TDialog& d) {
        Click(d, IDOK);
        d.Destroy(IDCANCEL);
    });
    CloseHandle(hold);
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "File Move Error");
    EXPECT_EQ(boxes[0].text,
              "Sorry, there has been an error moving the source file into your KS_STORE subdirectory.");
    EXPECT_TRUE(Exists(locked));
    EXPECT_FALSE(Exists(Stored("LOCKED.TXT")));
    EXPECT_TRUE(BufferUntouched());
    EXPECT_TRUE(Records().empty());
}

TEST_F(Storing, InvalidDateKeepsTheDialogOpenForOkAndCancel)
{
    Waiting("DATE.TXT");
    int stillOpen = 0;
    RunStore("DATE.TXT", "13/45/96", [&](ks::TDialog& d) {
        Click(d, IDOK);
        stillOpen += IsWindow(d.GetHandle());
        Click(d, IDCANCEL);
        stillOpen += IsWindow(d.GetHandle());
        d.SetItemText(IDC_STORE_DATE, "01/05/96");
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(stillOpen, 2);
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const Shown& b : boxes) {
        EXPECT_EQ(b.text, "Please enter a valid date.");
        EXPECT_EQ(b.caption, "Error");
        EXPECT_EQ(b.icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    }
    EXPECT_TRUE(Exists(m_area + "\\DATE.TXT"));
}

TEST_F(Storing, TenCharacterDateIsStoredWhole)
{
    // Wine's default short date format gives ten characters; none may be lost.
    SetShortDateFormatSource([] { return std::string("MM/dd/yyyy"); });
    Waiting("Y2K.TXT");
    EXPECT_EQ(RunStore("Y2K.TXT", "12/25/1996", [](ks::TDialog& d) { Click(d, IDOK); }), IDOK);
    SetShortDateFormatSource(nullptr);
    Stored("Y2K.TXT");
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Field(Records()[0].DownloadDate), "12/25/1996");
}

TEST_F(Storing, AbstractEditHoldsWhatTheRecordHoldsAndLongNamesAreRefusedBeforeMoving)
{
    Waiting("LONG.TXT");
    LRESULT abstractLimit = 0;
    RunStore("LONG.TXT", "01/05/96", [&](ks::TDialog& d) {
        abstractLimit = SendMessageA(d.GetItem(IDC_STORE_ABSTRACT), EM_GETLIMITTEXT, 0, 0);
        d.SetItemText(IDC_STORE_FILENAME, std::string(256, 'N').c_str());
        Click(d, IDOK);
        d.Destroy(IDCANCEL);
    });
    EXPECT_EQ(abstractLimit, 799);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Error");
    EXPECT_TRUE(Exists(m_area + "\\LONG.TXT"));
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(Storing, FileFromAnotherVolumeIsCopiedThenRemoved)
{
    // The test prefix maps T: to a different file system.
    if (!Exists("T:\\"))
        GTEST_SKIP() << "no second volume T: in this prefix";
    const std::string area = "T:\\ks_area_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(area.c_str(), nullptr);
    WriteFile(area + "\\FAR.TXT", "from another volume");
    m_ui.OnDialog(IDD_STORAGE, [](ks::TDialog& d) { Click(d, IDOK); });
    DataStore store(m_manage.get(), area.c_str(), "FAR.TXT", "01/05/96");
    EXPECT_EQ(store.Execute(), IDOK);
    EXPECT_FALSE(Exists(area + "\\FAR.TXT"));
    std::ifstream stored(Stored("FAR.TXT"), std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(stored)), {});
    EXPECT_EQ(content, "from another volume");
    RemoveDirectoryA(area.c_str());
}

TEST_F(Storing, NamesThatAreNoPlainFileNamesAreRefusedBeforeAnythingMoves)
{
    Waiting("NEW.TXT", "waiting");
    const char* const typed[] = {"..\\NEW.TXT", "C:\\X\\Y.TXT", "CON", "A?.TXT", "   ", "NEW.TXT."};
    for (const char* name : typed) {
        SCOPED_TRACE(name);
        m_ui.Clear();
        std::string after;
        RunStore("NEW.TXT", "01/05/96", [&](ks::TDialog& d) {
            d.SetItemText(IDC_STORE_FILENAME, name);
            Click(d, IDOK);
            after = d.GetItemText(IDC_STORE_FILENAME, 300);
            d.Destroy(IDCANCEL);
        });
        ASSERT_EQ(m_ui.Boxes().size(), 1u);
        EXPECT_EQ(m_ui.Boxes()[0].caption, "Error");
        EXPECT_EQ(after, name);  // the window stayed open with the name in its field
    }
    // The rename box refuses them too and asks again until a plain name comes.
    WriteFile(Stored("NEW.TXT"), "in the way");
    m_ui.Clear();
    m_ui.OnDialog(IDD_INPUT_DIALOG, [](ks::TDialog& d) {
        d.SetItemText(IDC_INPUT_EDIT, "..\\..\\OUT.TXT");
        Click(d, IDOK);
    });
    m_ui.OnDialog(IDD_INPUT_DIALOG, [](ks::TDialog& d) {
        d.SetItemText(IDC_INPUT_EDIT, "fine.txt");
        Click(d, IDOK);
    });
    EXPECT_EQ(RunStore("NEW.TXT", "01/05/96", [](ks::TDialog& d) { Click(d, IDOK); }), IDOK);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_NE(m_ui.Boxes()[0].text.find("path"), std::string::npos);
    EXPECT_EQ(Contents(Stored("FINE.TXT")), "waiting");
    EXPECT_EQ(Contents(Stored("NEW.TXT")), "in the way");
    EXPECT_FALSE(Exists(BinDir() + "\\OUT.TXT"));
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Field(Records()[0].FileName), "FINE.TXT");
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(Storing, AMoveIsWholeOrNothingAndNeverTouchesAFileInTheWay)
{
    const bool secondVolume = Exists("T:\\");
    const std::string distant = "T:\\ks_move_" + std::to_string(GetCurrentProcessId());
    if (secondVolume)
        CreateDirectoryA(distant.c_str(), nullptr);
    struct Case {
        std::string targetDir;
        bool targetThere;
    };
    std::vector<Case> cases = {{m_area, false}, {m_area, true}};
    if (secondVolume)
        cases.insert(cases.end(), {{distant, false}, {distant, true}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.targetDir + (c.targetThere ? " (target there)" : ""));
        const std::string source = Waiting("SOURCE.BIN", "moved bytes");
        const std::string target = c.targetDir + "\\TARGET.BIN";
        if (c.targetThere)
            WriteFile(target, "was there first");
        EXPECT_EQ(MoveWholeFile(source, target), !c.targetThere);
        EXPECT_EQ(Contents(target), c.targetThere ? "was there first" : "moved bytes");
        EXPECT_EQ(Exists(source), c.targetThere);
        DeleteFileA(target.c_str());
        DeleteFileA(source.c_str());
    }
    if (!secondVolume)
        return;
    // The platform's cross-volume move copies, cannot delete a read-only source, and says it succeeded: the
    // store takes the copy back, adds no record and says so.
    const std::string stuck = distant + "\\STUCK.TXT";
    WriteFile(stuck, "cannot leave");
    SetFileAttributesA(stuck.c_str(), FILE_ATTRIBUTE_READONLY);
    m_ui.OnDialog(IDD_STORAGE, [](ks::TDialog& d) {
        Click(d, IDOK);
        d.Destroy(IDCANCEL);
    });
    DataStore store(m_manage.get(), distant.c_str(), "STUCK.TXT", "01/05/96");
    EXPECT_EQ(store.Execute(), IDCANCEL);
    EXPECT_TRUE(MoveErrorShown());
    EXPECT_EQ(Contents(stuck), "cannot leave");
    EXPECT_FALSE(Exists(Stored("STUCK.TXT")));
    EXPECT_TRUE(Records().empty());
    SetFileAttributesA(stuck.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(stuck.c_str());
    RemoveDirectoryA(distant.c_str());
}

TEST_F(Storing, ARecordTheEngineRefusesPutsTheFileBack)
{
    // A catalogue whose highest record number is the largest there is: the engine refuses every add.
    m_manage.reset();
    m_child.reset();
    m_client.reset();
    ks_test::WaitForEngineToEnd();
    {
        std::string bytes;
        const auto header = kspdx::EncodeHeader();
        bytes.append(reinterpret_cast<const char*>(header.data()), header.size());
        kspdx::RecordTexts texts;
        texts[0] = "LAST.ZIP";
        kspdx::EntryBuilder builder;
        const auto entry = builder.Put(2147483647, texts);
        bytes.append(reinterpret_cast<const char*>(entry.data()), entry.size());
        WriteFile(BinDir() + "\\kspdx.tbl", bytes);
    }
    m_client = std::make_unique<KsClient>();
    ASSERT_TRUE(m_client->LinkReady());
    m_child = std::make_unique<ks::TMDIChild>(*m_client, "Download Interface - 0", nullptr, true);
    m_manage = std::make_unique<ks::TDialog>(m_child.get(), IDD_DOWNLOAD);
    std::memset(&m_client->RecordBuffer, 0x5A, sizeof(FileRecord));
    m_client->RecordBuffer.FileName[0] = '\0';

    Waiting("REFUSED.TXT", "keep me");
    bool open = false;
    RunStore("REFUSED.TXT", "01/05/96", [&](ks::TDialog& d) {
        Click(d, IDOK);
        open = IsWindow(d.GetHandle()) != FALSE;
        d.Destroy(IDCANCEL);
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(Contents(m_area + "\\REFUSED.TXT"), "keep me");
    EXPECT_FALSE(Exists(Stored("REFUSED.TXT")));
    ASSERT_EQ(m_ui.Boxes().size(), 2u);  // the engine's reason, then what became of the file
    EXPECT_EQ(m_ui.Boxes()[1].text, "The record could not be added, so the file has been moved back to its download area.");
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(Storing, AStoreOntoAFullDiskLeavesTheFileInItsArea)
{
    // The test prefix's S: is a small volume; KS_STORE is put there.
    if (!Exists("S:\\"))
        GTEST_SKIP() << "no small volume S: in this prefix";
    CreateDirectoryA("S:\\ksfull", nullptr);
    CreateDirectoryA("S:\\ksfull\\KS_STORE", nullptr);
    const std::string programDir = m_app->ProgramDir;
    lstrcpynA(m_app->ProgramDir, "S:\\ksfull", sizeof m_app->ProgramDir);
    const std::string big(1024 * 1024, 'b');
    Waiting("BIG.BIN", big);
    RunStore("BIG.BIN", "01/05/96", [](ks::TDialog& d) {
        Click(d, IDOK);
        d.Destroy(IDCANCEL);
    });
    lstrcpynA(m_app->ProgramDir, programDir.c_str(), sizeof m_app->ProgramDir);
    EXPECT_TRUE(MoveErrorShown());
    EXPECT_EQ(Contents(m_area + "\\BIG.BIN"), big);
    EXPECT_FALSE(Exists("S:\\ksfull\\KS_STORE\\BIG.BIN"));
    EXPECT_TRUE(Records().empty());
    RemoveDirectoryA("S:\\ksfull\\KS_STORE");
    RemoveDirectoryA("S:\\ksfull");
}

TEST_F(Storing, OneOfTwoFilesWhoseNamesDifferOnlyInCaseIsStoredAndNeitherIsLost)
{
    // The area's file system tells letter case apart: only the Unix side can make the second name.
    Waiting("setup.exe", "the one stored");
    const std::string made = ks_test::RunUnix("printf 'the one left' > '" + ks_test::UnixPath(m_area) + "/SETUP.EXE'");
    ASSERT_TRUE(made.empty()) << made;
    m_created.push_back(m_area + "\\SETUP.EXE");
    EXPECT_EQ(RunStore("setup.exe", "01/05/96", [](ks::TDialog& d) { Click(d, IDOK); }), IDOK);
    EXPECT_TRUE(m_ui.Boxes().empty());
    // The name edit keeps capitals: the file is stored as SETUP.EXE.
    EXPECT_EQ(Contents(Stored("SETUP.EXE")), "the one stored");
    EXPECT_EQ(ks_test::RunUnix("cat '" + ks_test::UnixPath(m_area) + "/SETUP.EXE'; ls '" + ks_test::UnixPath(m_area) + "'"),
              "the one leftSETUP.EXE\n");
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Field(Records()[0].FileName), "SETUP.EXE");
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(Storing, AFileNamedOutsideTheCodePageIsStoredUnderTheNameTheUserConfirms)
{
    const std::wstring wide = Widened(m_area) + L"\\\x65E5\x672C\x8A9E.txt";
    ASSERT_TRUE(ks_test::PutWideFile(wide, "wide bytes"));
    wchar_t shortPath[MAX_PATH]{};
    ASSERT_GT(GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH), 0u);
    std::wstring shortWide = shortPath;
    shortWide = shortWide.substr(shortWide.rfind(L'\\') + 1);
    const std::string shortName(shortWide.begin(), shortWide.end());

    std::string offered;
    m_ui.OnDialog(IDD_INPUT_DIALOG, [&](ks::TDialog& d) {
        offered = d.GetItemText(IDC_INPUT_EDIT, 300);
        d.SetItemText(IDC_INPUT_EDIT, "JAPAN.TXT");
        Click(d, IDOK);
    });
    m_ui.OnDialog(IDD_STORAGE, [](ks::TDialog& d) { Click(d, IDOK); });
    DataStore store(m_manage.get(), m_area.c_str(), shortName.c_str(), "01/05/96");
    store.SetWideSource(wide);
    EXPECT_EQ(store.Execute(), IDOK);
    EXPECT_EQ(offered, shortName);
    EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Contents(Stored("JAPAN.TXT")), "wide bytes");
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Field(Records()[0].FileName), "JAPAN.TXT");
    EXPECT_TRUE(BufferUntouched());
}

TEST_F(Storing, AFileWhoseContentsAreStoredAlreadyIsStoredOnlyWhenTheUserSaysYes)
{
    // Larger than one read chunk, so that the comparison spans several; equal sizes throughout.
    std::string contents(3 * 1024 * 1024 + 17, 'c');
    for (std::size_t i = 0; i < contents.size(); i += 4093)
        contents[i] = static_cast<char>(i / 4093);
    std::string differsAtTheEnd = contents;
    differsAtTheEnd.back() = 'x';
    WriteFile(Stored("OLD.BIN"), contents);
    CreateDirectoryA(Stored("EMPTY.DIR").c_str(), nullptr);  // a directory in KS_STORE is never compared

    struct Case {
        const char* what;
        std::string waiting;
        int answer;          // 0: no question expected
        bool stored;
    };
    const Case cases[] = {
        {"same contents, No", contents, IDNO, false},
        {"same size, other contents", differsAtTheEnd, 0, true},
        {"same contents, Yes", contents, IDYES, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        m_ui.Clear();
        const std::string name = "NEW" + std::to_string(++n) + ".BIN";
        Waiting(name, c.waiting);
        if (c.answer)
            m_ui.AnswerBox(c.answer);
        // A window that stays open after OK is left with Cancel.
        bool stillOpen = false;
        RunStore(name, "01/05/96", [&](ks::TDialog& d) {
            Click(d, IDOK);
            stillOpen = d.GetResult() != IDOK;
            if (stillOpen)
                Click(d, IDCANCEL);
        });
        const auto boxes = m_ui.Boxes();
        if (c.answer) {
            ASSERT_EQ(boxes.size(), 1u) << c.what;
            EXPECT_EQ(boxes[0].caption, "Same File Already Stored") << c.what;
            EXPECT_EQ(boxes[0].text, "OLD.BIN in the store has the same contents. Store this file anyway?") << c.what;
            EXPECT_EQ(boxes[0].buttons, static_cast<UINT>(MB_YESNO)) << c.what;
        } else {
            EXPECT_TRUE(boxes.empty()) << c.what;
        }
        EXPECT_EQ(stillOpen, !c.stored) << c.what;
        EXPECT_EQ(Exists(m_area + "\\" + name), !c.stored) << c.what;
        EXPECT_EQ(Exists(Stored(name)), c.stored) << c.what;
        EXPECT_TRUE(BufferUntouched()) << c.what;
    }
    EXPECT_EQ(Records().size(), 2u);
    RemoveDirectoryA(Stored("EMPTY.DIR").c_str());
}

}  // namespace

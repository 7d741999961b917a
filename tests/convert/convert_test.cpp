// Converting version-1 data in the real main window with the real engine: a pxlib-made table of six records
// whose store is C:\KSV1\KS_STORE, every step the user sees, and what is left on disk and in the catalogue.
#include <gtest/gtest.h>
#include <windows.h>
#include <cderr.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/ks_client.h"
#include "framework/mdi.h"
#include "records/data_search.h"
#include "records/srch_child.h"
#include "records/walk.h"
#include "resources/resource_ids.h"
#include "tests/convert/paradox_writer.h"
#include "tests/download/download_fixture.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/during_walk.h"
#include "tests/support/unix_shell.h"

namespace {

using ks_test::HasBox;
using ks_test::PutFile;
using ks_test::RemoveTree;
using ks_test::Shown;

constexpr char kOldDir[] = "C:\\KSV1";
constexpr char kOldStore[] = "C:\\KSV1\\KS_STORE";
const char* const kTableFiles[] = {"filstore.db", "filstore.px", "filstore.mb"};

std::string FileText(const std::string& path)
{
    std::string text(256, '\0');
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text;
}

// Every text set on a control of the status window (dialog 9), in order: {control id, text}.
class StatusLog {
public:
    StatusLog() { s_log = this; m_hook = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId()); }
    ~StatusLog()
    {
        UnhookWindowsHookEx(m_hook);
        s_log = nullptr;
    }
    std::vector<std::pair<int, std::string>> texts;
    std::string caption;
    bool ownedByFrame = false;

    // The non-empty texts of one control, in order.
    std::vector<std::string> Of(int id) const
    {
        std::vector<std::string> out;
        for (const auto& [control, text] : texts)
            if (control == id && !text.empty())
                out.push_back(text);
        return out;
    }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && msg->message == WM_SETTEXT && s_log) {
            const char* text = reinterpret_cast<const char*>(msg->lParam);
            HWND parent = GetParent(msg->hwnd);
            char cls[16]{};
            GetClassNameA(msg->hwnd, cls, sizeof cls);
            if (std::string(cls) == "#32770" && std::string(text) == "Converting Old Kestrum Files") {
                s_log->caption = text;
                s_log->ownedByFrame = GetWindow(msg->hwnd, GW_OWNER) != nullptr;
            } else if (parent && (GetDlgCtrlID(msg->hwnd) == IDC_CONVERT_STEP ||
                                  GetDlgCtrlID(msg->hwnd) == IDC_CONVERT_ITEM)) {
                s_log->texts.emplace_back(GetDlgCtrlID(msg->hwnd), text);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline StatusLog* s_log = nullptr;
    HHOOK m_hook;
};

class ConvertTest : public ks_test::ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        SetFirstRunAreas();
        Clean();
    }
    void TearDown() override
    {
        Clean();
        ScratchTest::TearDown();
    }
    void Clean()
    {
        const std::string bin = ks_test::BinDir();
        DeleteFileA((bin + "\\kspdx.tbl").c_str());
        for (const char* name : kTableFiles)
            DeleteFileA((bin + "\\" + name).c_str());
        for (int i = 1; i <= 6; ++i)
            DeleteFileA((NewStore() + "\\" + FileName(i)).c_str());
        DeleteFileA((NewStore() + "\\notes.txt").c_str());
        RemoveTree(kOldDir);
    }

    static std::string NewStore() { return ks_test::BinDir() + "\\KS_STORE"; }
    static std::string FileName(int i)
    {
        char name[16];
        std::snprintf(name, sizeof name, "file%04d.zip", i);
        return name;
    }

    // A version-1 installation: its program file, the pxlib-made table and, unless store is false, its store
    // holding the files numbered in files.
    static void MakeOldInstall(bool store, const std::vector<int>& files)
    {
        CreateDirectoryA(kOldDir, nullptr);
        PutFile(kOldDir, "Kestrum.exe", "MZ");
        const std::string tables = ks_test::BinDir() + "\\v1tables\\small\\";
        for (const char* name : {"filstore.db", "filstore.mb"})
            ASSERT_TRUE(CopyFileA((tables + name).c_str(), (std::string(kOldDir) + "\\" + name).c_str(), FALSE));
        if (!store)
            return;
        CreateDirectoryA(kOldStore, nullptr);
        for (int i : files)
            PutFile(kOldStore, FileName(i).c_str(), "old " + FileName(i));
    }

    void ChooseOldProgram()
    {
        m_ui.AnswerOpenFile([this](OPENFILENAMEA& ofn, DWORD&) {
            m_flags = ofn.Flags;
            m_filter.assign(ofn.lpstrFilter, 42);
            m_defExt = ofn.lpstrDefExt ? ofn.lpstrDefExt : "";
            lstrcpynA(ofn.lpstrFile, "C:\\KSV1\\Kestrum.exe", static_cast<int>(ofn.nMaxFile));
            return true;
        });
    }

    static void Convert(KsApp& app)
    {
        SendMessageA(app.GetMainWindow()->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_CONVERT, 0), 0);
    }

    static int CloseAndRun(KsApp& app)
    {
        PostMessageA(app.GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
        return app.MessageLoop();
    }

    // Every record as "FileName|Location", in table order, walked with the client's own link.
    static std::vector<std::string> Records(KsClient& client)
    {
        const FileRecord saved = client.RecordBuffer;
        std::vector<std::string> lines;
        for (std::int32_t r = client.SendEngineCommand(ENG_FIRST, ENG_RECORD_NOT_FOUND); r == 0;
             r = client.SendEngineCommand(ENG_NEXT, ENG_END_OF_TABLE))
            lines.push_back(std::string(client.RecordBuffer.FileName) + "|" + client.RecordBuffer.Location);
        client.RecordBuffer = saved;
        return lines;
    }

    // The records of the small table with the Location each should have: the store's records at store, the
    // third one elsewhere; exceptions name a record that keeps its old Location.
    static std::vector<std::string> Expected(const std::string& store, std::vector<int> keepOld = {})
    {
        std::vector<std::string> lines;
        for (int i = 1; i <= 6; ++i) {
            std::string location = i % 2 ? "c:\\ksv1\\ks_store" : kOldStore;
            if (i == 3)
                location = "D:\\ELSEWHERE";
            else if (std::find(keepOld.begin(), keepOld.end(), i) == keepOld.end())
                location = store;
            lines.push_back(FileName(i) + "|" + location);
        }
        return lines;
    }

    DWORD m_flags = 0;
    std::string m_filter;
    std::string m_defExt;
};

TEST_F(ConvertTest, ConvertsTheTableMovesTheStoreAndPointsItsRecordsAtTheNewStore)
{
    MakeOldInstall(true, {1, 2, 4, 5, 6});
    PutFile(kOldStore, "notes.txt", "not in a record");
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(app.Client->HandlesCommand(CM_CONVERT));
    SetFieldText(app.Client->RecordBuffer.FileName, "left by another window");
    const FileRecord before = app.Client->RecordBuffer;
    ChooseOldProgram();
    {
        StatusLog log;
        Convert(app);
        EXPECT_EQ(log.caption, "Converting Old Kestrum Files");
        EXPECT_TRUE(log.ownedByFrame);
        EXPECT_EQ(log.Of(IDC_CONVERT_STEP),
                  (std::vector<std::string>{"Copying Database Records:", "Copying Database Records:",
                                            "Copying Database Records:", "Transferring Data Records:",
                                            "Moving Files:", "Updating Database records:"}));
        const std::vector<std::string> items = log.Of(IDC_CONVERT_ITEM);
        ASSERT_GE(items.size(), 6u);
        EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + 5),
                  (std::vector<std::string>{"filstore.db", "filstore.px", "filstore.mb", "Kestrum16 to Kestrum32",
                                            "Stored Files"}));
        for (const char* shown : {"file0001.zip", "notes.txt", "file0006.zip"})
            EXPECT_NE(std::find(items.begin(), items.end(), shown), items.end()) << shown;
    }
    EXPECT_EQ(m_ui.Of(Shown::Kind::OpenFile).at(0).caption, "Select the Path to the Previous Version of Kestrum");
    EXPECT_EQ(m_filter, std::string("Kestrum (v1.x) (Kestrum.exe)\0Kestrum.exe\0\0", 42));
    // The extension alone, so that "Kestrum" typed in the name field finds Kestrum.exe.
    EXPECT_EQ(m_defExt, "exe");
    EXPECT_EQ(m_flags & (OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY),
              DWORD(OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));

    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_TRUE(HasBox(m_ui, "Conversion Successful", "Finished Converting", MB_ICONINFORMATION));
    // Records whose Location is the old store in any letter case now point at the new one; others keep theirs.
    EXPECT_EQ(Records(*app.Client), Expected(NewStore()));
    for (int i : {1, 2, 4, 5, 6}) {
        EXPECT_EQ(FileText(NewStore() + "\\" + FileName(i)), "old " + FileName(i));
        EXPECT_FALSE(ks_test::Exists(std::string(kOldStore) + "\\" + FileName(i)));
    }
    EXPECT_TRUE(ks_test::Exists(NewStore() + "\\notes.txt"));
    // Texts as the table held them, the date in the program's short date format (MM/dd/yy in the tests), the
    // abstract whole from the memo file.
    FileRecord& record = app.Client->RecordBuffer;
    ASSERT_EQ(app.Client->SendEngineCommand(ENG_FIRST, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_STREQ(record.DownloadDate, "02/02/95");
    EXPECT_STREQ(record.Title, "Title 1");
    EXPECT_STREQ(record.Keywords, "keywords 1");
    for (int i = 2; i <= 5; ++i)
        ASSERT_EQ(app.Client->SendEngineCommand(ENG_NEXT, ENG_END_OF_TABLE), 0);
    EXPECT_EQ(std::string(record.Abstract), "Abstract 5" + std::string(60, 'f'));
    record = before;
    for (const char* name : kTableFiles)
        EXPECT_FALSE(ks_test::Exists(ks_test::BinDir() + "\\" + name)) << name;
    EXPECT_EQ(ks_test::CurrentDirectory(), ks_test::BinDir());
    EXPECT_EQ(std::memcmp(&app.Client->RecordBuffer, &before, sizeof before), 0);
    EXPECT_FALSE(IsWindow(FindWindowA(nullptr, "Converting Old Kestrum Files")));
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(ConvertTest, AnEmptyOldStoreMovesNothingAndStillRewritesTheRecords)
{
    MakeOldInstall(true, {});
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ChooseOldProgram();
    Convert(app);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_TRUE(HasBox(m_ui, "Conversion Successful", "Finished Converting", MB_ICONINFORMATION));
    EXPECT_EQ(Records(*app.Client), Expected(NewStore()));
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(ConvertTest, AFileThatCannotMoveKeepsItsRecordAtTheOldStore)
{
    // The new store already holds a file of that name: the old one stays, and so does its record, which
    // pointed at the new store would describe the other file.
    MakeOldInstall(true, {1, 2, 4, 5, 6});
    CreateDirectoryA(NewStore().c_str(), nullptr);
    PutFile(NewStore(), "FILE0002.ZIP", "already in the new store");
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ChooseOldProgram();
    Convert(app);
    EXPECT_TRUE(HasBox(m_ui, "Conversion Successful", "Finished Converting", MB_ICONINFORMATION));
    EXPECT_EQ(Records(*app.Client), Expected(NewStore(), {2}));
    EXPECT_EQ(FileText(NewStore() + "\\file0002.zip"), "already in the new store");
    EXPECT_EQ(FileText(std::string(kOldStore) + "\\file0002.zip"), "old file0002.zip");
    EXPECT_EQ(FileText(NewStore() + "\\file0004.zip"), "old file0004.zip");
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(ConvertTest, WithoutAnOldStoreTheConversionStopsAfterTheImport)
{
    MakeOldInstall(false, {});
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ChooseOldProgram();
    Convert(app);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_TRUE(HasBox(m_ui, "Invalid File Handle, Sorry, conversion aborted.", "File Error", MB_ICONEXCLAMATION));
    EXPECT_EQ(Records(*app.Client), Expected("", {1, 2, 4, 5, 6}));
    EXPECT_FALSE(IsWindow(FindWindowA(nullptr, "Converting Old Kestrum Files")));
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(ConvertTest, ADamagedOrTruncatedTableAddsNothing)
{
    for (const DWORD keep : {DWORD(0), DWORD(3000)}) {
        SCOPED_TRACE(keep);
        Clean();
        m_ui.Clear();
        MakeOldInstall(true, {1, 2});
        const std::string table = std::string(kOldDir) + "\\filstore.db";
        HANDLE file = CreateFileA(table.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFilePointer(file, static_cast<LONG>(keep), nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(app.InitInstance());
        ChooseOldProgram();
        Convert(app);
        ASSERT_EQ(m_ui.Boxes().size(), 2u);
        EXPECT_TRUE(HasBox(m_ui, "Table is corrupted", "Paradox Error", MB_ICONSTOP));
        EXPECT_EQ(m_ui.Boxes()[1].text, "Sorry, There was a problem converting your data files.");
        EXPECT_EQ(m_ui.Boxes()[1].caption, "Conversion Error");
        EXPECT_EQ(m_ui.Boxes()[1].icon, UINT(MB_ICONEXCLAMATION));
        EXPECT_TRUE(Records(*app.Client).empty());
        EXPECT_TRUE(ks_test::Exists(std::string(kOldStore) + "\\file0001.zip"));
        EXPECT_TRUE(ks_test::Exists(ks_test::BinDir() + "\\filstore.db")) << "the copied table stays";
        EXPECT_EQ(CloseAndRun(app), 0);
    }
}

TEST_F(ConvertTest, TextsOfATableInADosCodePageArriveInTheProgramsCodePage)
{
    // A 4.x table names DOS code page 437, where 0x82 is e acute (0xE9 in the Western ANSI code page).
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix runs the Western code page";
    MakeOldInstall(true, {});
    const auto files = ks_test::WriteParadoxTable(
        {{"FileName", 0x01, 20}, {"Title", 0x01, 20}, {"Location", 0x01, 40}, {"Abstract", 0x0C, 12}},
        {{"menu.txt", "Caf\x82", kOldStore, "R\x82sum\x82 du caf\x82"}});
    for (const auto& [name, bytes] : {std::pair{"filstore.db", &files.db}, std::pair{"filstore.mb", &files.mb}}) {
        PutFile(kOldDir, name, std::string(bytes->begin(), bytes->end()));
    }
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ChooseOldProgram();
    Convert(app);
    EXPECT_TRUE(HasBox(m_ui, "Conversion Successful", "Finished Converting", MB_ICONINFORMATION));
    FileRecord& record = app.Client->RecordBuffer;
    ASSERT_EQ(app.Client->SendEngineCommand(ENG_FIRST, ENG_RECORD_NOT_FOUND), 0);
    EXPECT_STREQ(record.Title, "Caf\xE9");
    EXPECT_STREQ(record.Abstract, "R\xE9sum\xE9 du caf\xE9");
    EXPECT_EQ(std::string(record.Location), NewStore());
    EXPECT_EQ(CloseAndRun(app), 0);
}

// Runs probe once, at the conversion's first turn at the message queue after it began rewriting records: the
// step's text is watched as it is set, so the probe does not depend on how long the rewrite takes.
class DuringRewrite {
public:
    explicit DuringRewrite(std::function<void()> probe) : m_probe(std::move(probe))
    {
        s_self = this;
        m_hook = SetWindowsHookExA(WH_CALLWNDPROC, &Watch, nullptr, GetCurrentThreadId());
    }
    ~DuringRewrite()
    {
        UnhookWindowsHookEx(m_hook);
        s_self = nullptr;
    }
    int runs() const { return m_walk ? m_walk->runs : 0; }

private:
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_self && !s_self->m_walk && sent->message == WM_SETTEXT &&
            GetDlgCtrlID(sent->hwnd) == IDC_CONVERT_STEP && sent->lParam && Rewriting(sent->lParam))
            s_self->m_walk = std::make_unique<ks_test::DuringWalk>(s_self->m_probe);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // The text as the hook sees it, in either character set (a wide text's first letter reads as one byte).
    static bool Rewriting(LPARAM text)
    {
        const char* ansi = reinterpret_cast<const char*>(text);
        if (ansi[0] && !ansi[1])
            return std::wstring(reinterpret_cast<const wchar_t*>(text)) == L"Updating Database records:";
        return std::string(ansi) == "Updating Database records:";
    }
    static inline DuringRewrite* s_self = nullptr;
    std::function<void()> m_probe;
    std::unique_ptr<ks_test::DuringWalk> m_walk;
    HHOOK m_hook;
};

TEST_F(ConvertTest, ARecordDeletedDuringTheRewriteIsPassedOverAndALostEngineIsNotASuccess)
{
    MakeOldInstall(true, {1, 2, 4, 5, 6});
    {
        KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(app.InitInstance());
        KsClient& client = *app.Client;
        ChooseOldProgram();
        // A Record Interface deletes the last record while the first ones are rewritten.
        const DuringRewrite probe([&] {
            const FileRecord kept = client.RecordBuffer;
            client.RecordBuffer.RecordNumber = 6;
            ASSERT_EQ(client.SendEngineCommand(ENG_OPEN, 0), 0);
            ASSERT_EQ(client.SendEngineCommand(ENG_DELETE, 0), 0);
            ASSERT_EQ(client.SendEngineCommand(ENG_CLOSE, 0), 0);
            client.RecordBuffer = kept;
        });
        Convert(app);
        EXPECT_EQ(probe.runs(), 1);
        ASSERT_EQ(m_ui.Boxes().size(), 1u);
        EXPECT_TRUE(HasBox(m_ui, "Conversion Successful", "Finished Converting", MB_ICONINFORMATION));
        std::vector<std::string> expected = Expected(NewStore());
        expected.pop_back();
        EXPECT_EQ(Records(client), expected);
        EXPECT_EQ(CloseAndRun(app), 0);
    }
    Clean();
    m_ui.Clear();
    MakeOldInstall(true, {1, 2, 4, 5, 6});
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    ChooseOldProgram();
    // The engine goes in the middle of the rewrite: the program says so, and not that all went well.
    const DuringRewrite probe([] {
        DWORD pid = 0;
        GetWindowThreadProcessId(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), &pid);
        HANDLE engine = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        TerminateProcess(engine, 1);
        WaitForSingleObject(engine, 10000);
        CloseHandle(engine);
    });
    Convert(app);
    EXPECT_EQ(probe.runs(), 1);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Engine Offline");
    EXPECT_FALSE(IsWindow(FindWindowA(nullptr, "Converting Old Kestrum Files")));
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(ConvertTest, AnOldInstallationChosenByAnotherSpellingOfItsFolderHasItsRecordsPointedAtTheNewStore)
{
    // The records say C:\KSV1\KS_STORE (in two letter cases); the user reaches the old program another way:
    // through the drive letter of the whole Unix file system, or with a "." in the path.
    for (const bool viaZ : {true, false}) {
        Clean();
        m_ui.Clear();
        MakeOldInstall(true, {1, 2, 4, 5, 6});
        std::string chosen = "C:\\KSV1\\.\\Kestrum.exe";
        if (viaZ) {
            chosen = "Z:" + ks_test::UnixPath(std::string(kOldDir) + "\\Kestrum.exe");
            for (char& c : chosen)
                if (c == '/')
                    c = '\\';
        }
        SCOPED_TRACE(chosen);
        KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(app.InitInstance());
        m_ui.AnswerOpenFile([&chosen](OPENFILENAMEA& ofn, DWORD&) {
            lstrcpynA(ofn.lpstrFile, chosen.c_str(), static_cast<int>(ofn.nMaxFile));
            return true;
        });
        Convert(app);
        EXPECT_TRUE(HasBox(m_ui, "Conversion Successful", "Finished Converting", MB_ICONINFORMATION));
        EXPECT_EQ(Records(*app.Client), Expected(NewStore()));
        for (int i : {1, 2, 4, 5, 6})
            EXPECT_EQ(FileText(NewStore() + "\\" + FileName(i)), "old " + FileName(i));
        EXPECT_EQ(CloseAndRun(app), 0);
    }
}

TEST_F(ConvertTest, WhileTheConversionWalksNoOtherWalkStartsAndTheProgramDoesNotEnd)
{
    MakeOldInstall(true, {1, 2, 4, 5, 6});
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());
    auto* search = static_cast<SrchChild*>(
        app.Client->CreateChild(std::make_unique<SrchChild>(*app.Client, "Search Interface - 0")));
    ASSERT_NE(search, nullptr);
    auto& frame = static_cast<ks::TDecoratedMDIFrame&>(*app.GetMainWindow());
    ChooseOldProgram();
    bool convertGreyed = false, checkGreyed = false, mayEnd = true, clientEnabled = true;
    std::size_t pickers = 0, lines = 99;
    const ks_test::DuringWalk probe([&] {
        convertGreyed = !frame.IsCommandEnabled(CM_CONVERT);
        checkGreyed = !frame.IsCommandEnabled(CM_CHECK_CATALOGUE);
        clientEnabled = IsWindowEnabled(app.Client->GetHandle()) != FALSE;
        mayEnd = app.CanClose();
        ks_test::Click(*search->Search(), IDC_SEARCH_GO);
        Convert(app);
        SendMessageA(frame.GetHandle(), WM_COMMAND, MAKEWPARAM(CM_CHECK_CATALOGUE, 0), 0);
        pickers = m_ui.Of(Shown::Kind::OpenFile).size();
        lines = static_cast<std::size_t>(SendMessageA(search->Search()->GetItem(IDC_SEARCH_RESULTS), LB_GETCOUNT, 0, 0));
    });
    Convert(app);
    ASSERT_EQ(probe.runs, 1);
    EXPECT_TRUE(convertGreyed);
    EXPECT_TRUE(checkGreyed);
    EXPECT_FALSE(clientEnabled);
    EXPECT_FALSE(mayEnd);
    EXPECT_EQ(pickers, 1u);  // the conversion's own
    EXPECT_EQ(lines, 0u);
    // Three refusals, then the conversion's end: every record once, each store record at the new store.
    std::vector<std::string> texts;
    for (const Shown& box : m_ui.Boxes())
        texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{WalkMark::kRefusedText, WalkMark::kRefusedText, WalkMark::kRefusedText,
                                               "Conversion Successful"}));
    EXPECT_EQ(Records(*app.Client), Expected(NewStore()));
    EXPECT_TRUE(frame.IsCommandEnabled(CM_CONVERT));
    EXPECT_TRUE(IsWindowEnabled(app.Client->GetHandle()));
    EXPECT_EQ(CloseAndRun(app), 0);
}

TEST_F(ConvertTest, AnOpenRecordACancelAndAFailedPickerStopBeforeAnythingChanges)
{
    MakeOldInstall(true, {1});
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.InitInstance());

    app.RecordOpen = 1;
    Convert(app);
    app.RecordOpen = 0;
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_TRUE(HasBox(m_ui, "Sorry, You may not convert files whilst you have an open data record.", "Warning",
                       MB_ICONEXCLAMATION));
    EXPECT_EQ(ks_test::BeepCount(m_ui), 1);
    EXPECT_TRUE(m_ui.Of(Shown::Kind::OpenFile).empty());

    m_ui.Clear();
    m_ui.AnswerOpenFile([](OPENFILENAMEA&, DWORD& error) { error = 0; return false; });
    Convert(app);
    EXPECT_TRUE(m_ui.Boxes().empty()) << "a cancel is silent";

    m_ui.AnswerOpenFile([](OPENFILENAMEA&, DWORD& error) { error = FNERR_BUFFERTOOSMALL; return false; });
    Convert(app);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_TRUE(HasBox(m_ui, "Error #12291 occurred.", "ERROR", MB_ICONEXCLAMATION));
    EXPECT_EQ(ks_test::BeepCount(m_ui), 1);

    EXPECT_TRUE(Records(*app.Client).empty());
    EXPECT_FALSE(ks_test::Exists(ks_test::BinDir() + "\\filstore.db"));
    EXPECT_TRUE(ks_test::Exists(std::string(kOldStore) + "\\file0001.zip"));
    EXPECT_EQ(CloseAndRun(app), 0);
}

}  // namespace

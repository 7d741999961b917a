// The Record Interface: editing, renaming, moving, copying, re-linking and deleting a catalogued file, with
// the real main window, the real engine on an empty table, real files, and prompts answered through the seam.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "engine/file_record.h"
#include "records/data_display.h"
#include "records/rec_child.h"
#include "resources/resource_ids.h"
#include "tests/download/download_fixture.h"
#include "tests/support/unix_shell.h"
#include "tests/support/program_start.h"

namespace {

using ks_test::Click;
using ks_test::RealFileDialog;
using ks_test::Shown;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The directory the file dialog reports may differ in case from the one we made.
std::string Lower(std::string text)
{
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Notes the refresh requests the MDI client relays, that is every WM_RECORDCHANGED a window posted.
class ListeningChild : public ks::TMDIChild {
public:
    ListeningChild(ks::TMDIClient& client, std::vector<WPARAM>& log)
        : TMDIChild(client, "listener", nullptr, false), m_log(log)
    {
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_REFRESHRECORD) {
            m_log.push_back(wParam);
            return 0;
        }
        return TMDIChild::WindowProc(msg, wParam, lParam);
    }

private:
    std::vector<WPARAM>& m_log;
};

class RecordInterface : public ks_test::ScratchTest {
protected:
    void SetUp() override
    {
        ks_test::ScratchTest::SetUp();
        ks_test::SetRegString("Download Directorys", "Area One", "No Path");
        SetCurrentDirectoryA(ks_test::BinDir().c_str());
        DeleteFileA((ks_test::BinDir() + "\\kspdx.tbl").c_str());
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(m_app->InitInstance());
        m_client = m_app->Client;
        m_client->CreateChild(std::make_unique<ListeningChild>(*m_client, m_changed));
        m_dir = MakeDir("files");
    }
    void TearDown() override
    {
        // A window left open by a test goes without its close check, so that the program can end.
        for (ks::TMDIChild* child : m_client->GetChildren())
            SendMessageA(m_client->GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
        PostMessageA(m_app->GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(m_app->MessageLoop(), 0);
        m_app.reset();
        ks_test::WaitForEngineToEnd();
        ks_test::ScratchTest::TearDown();
    }

    // Adds a record as a Storage Interface would have; returns its number.
    std::int32_t AddRecord(const char* fileName, const std::string& location, const char* date = "12/25/1996")
    {
        FileRecord& r = m_client->RecordBuffer;
        std::memset(&r, 0, sizeof r);
        std::strcpy(r.FileName, fileName);
        std::strcpy(r.DownloadDate, date);
        std::strcpy(r.Title, "A title");
        std::strcpy(r.Keywords, "some keywords");
        std::strcpy(r.Location, location.c_str());
        std::strcpy(r.Abstract, "What the file holds.");
        EXPECT_EQ(m_client->SendEngineCommand(ENG_ADD, 0), 0);
        return r.RecordNumber;
    }
    // The stored record, read without disturbing the open one's buffer.
    FileRecord Stored(std::int32_t number)
    {
        const FileRecord saved = m_client->RecordBuffer;
        m_client->RecordBuffer.RecordNumber = number;
        EXPECT_EQ(m_client->SendEngineCommand(ENG_READ, 0), 0);
        const FileRecord record = m_client->RecordBuffer;
        m_client->RecordBuffer = saved;
        return record;
    }
    ks::TDialog& Open(std::int32_t number)
    {
        m_child = m_client->CreateChild(std::make_unique<RecChild>(*m_client, number, "Record Interface"));
        EXPECT_NE(m_child, nullptr);
        Pump();
        return *m_child->GetClientWindow();
    }
    bool IsOpen() const
    {
        for (ks::TMDIChild* child : m_client->GetChildren())
            if (child == m_child)
                return true;
        return false;
    }
    void Pump()
    {
        for (int i = 0; i < 5; ++i) {
            m_app->PumpWaitingMessages();
            Sleep(5);
        }
    }
    // Types into a field as the user would: the edit then counts as modified.
    static void Type(ks::TDialog& d, int id, const char* text)
    {
        SetDlgItemTextA(d.GetHandle(), id, text);
        SendDlgItemMessageA(d.GetHandle(), id, EM_SETMODIFY, TRUE, 0);
    }
    static std::string Text(ks::TDialog& d, int id) { return d.GetItemText(id, 600); }
    // The colour the dialog gives a static control's text.
    static COLORREF TextColour(ks::TDialog& d, int id)
    {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        SetTextColor(dc, RGB(0, 0, 0));
        SendMessageA(d.GetHandle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(d.GetItem(id)));
        const COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return colour;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const Shown& s : m_ui.Boxes())
            texts.push_back(s.text);
        return texts;
    }
    // The engine has no open record: a change of it is refused.
    bool EngineRecordClosed()
    {
        const FileRecord saved = m_client->RecordBuffer;
        const std::int32_t result = m_client->SendEngineCommand(ENG_UPDATE, -1);
        m_client->RecordBuffer = saved;
        return result != 0;
    }

    std::unique_ptr<KsApp> m_app;
    KsClient* m_client = nullptr;
    ks::TMDIChild* m_child = nullptr;
    std::vector<WPARAM> m_changed;
    std::string m_dir;
};

constexpr COLORREF kRed = RGB(255, 0, 0);

TEST_F(RecordInterface, OpenShowsTheRecordAndOkWithoutChangesClosesTellingTheOtherWindows)
{
    ks_test::PutFile(m_dir, "REPORT.TXT", "bytes");
    const std::int32_t n = AddRecord("REPORT.TXT", m_dir);
    ks::TDialog& d = Open(n);
    EXPECT_EQ(m_app->RecordOpen, 1);
    EXPECT_EQ(Text(d, IDC_RECORD_FILENAME), "REPORT.TXT");
    EXPECT_EQ(Text(d, IDC_RECORD_DATE), "12/25/1996");
    EXPECT_EQ(Text(d, IDC_RECORD_TITLE), "A title");
    EXPECT_EQ(Text(d, IDC_RECORD_KEYWORDS), "some keywords");
    EXPECT_EQ(Text(d, IDC_RECORD_ABSTRACT), "What the file holds.");
    EXPECT_EQ(Text(d, IDC_RECORD_LOCATION), m_dir);
    EXPECT_EQ(Text(d, IDC_RECORD_LOCATED_AT), "File is Located at:");
    EXPECT_NE(TextColour(d, IDC_RECORD_LOCATION), kRed);
    // Fixed size: no maximize box.
    EXPECT_EQ(GetWindowLongPtrA(m_child->GetHandle(), GWL_STYLE) & WS_MAXIMIZEBOX, 0);

    Click(d, IDOK);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(m_changed, std::vector<WPARAM>{static_cast<WPARAM>(n)});
    EXPECT_EQ(m_app->RecordOpen, 0);
    EXPECT_TRUE(EngineRecordClosed());
}

TEST_F(RecordInterface, ShortDateBlocksOkButCancelClosesAndAnsweringNoKeepsTheEdits)
{
    ks_test::PutFile(m_dir, "A.TXT");
    const std::int32_t n = AddRecord("A.TXT", m_dir);
    ks::TDialog& d = Open(n);
    Type(d, IDC_RECORD_DATE, "1/96");
    Click(d, IDOK);
    Pump();
    EXPECT_TRUE(IsOpen());
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "Please enter a valid date.");
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Error");

    // A changed title and the question answered No: the window stays with the edit, nothing is written.
    m_ui.Clear();
    Type(d, IDC_RECORD_DATE, "12/25/1996");
    Type(d, IDC_RECORD_TITLE, "New title");
    m_ui.AnswerBox(IDNO);
    Click(d, IDOK);
    Pump();
    EXPECT_TRUE(IsOpen());
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "Changes have been made. Do you wish to update your database ?");
    EXPECT_EQ(m_ui.Boxes()[0].buttons, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(Text(d, IDC_RECORD_TITLE), "New title");
    EXPECT_STREQ(Stored(n).Title, "A title");

    Type(d, IDC_RECORD_DATE, "1/96");
    Click(d, IDCANCEL);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(m_changed.empty());
    EXPECT_STREQ(Stored(n).Title, "A title");
    EXPECT_EQ(m_app->RecordOpen, 0);
}

TEST_F(RecordInterface, YesSavesEveryFieldKeepingATenCharacterDateWhole)
{
    ks_test::PutFile(m_dir, "A.TXT");
    const std::int32_t n = AddRecord("A.TXT", m_dir, "1/5/96");
    ks::TDialog& d = Open(n);
    Type(d, IDC_RECORD_DATE, "12/31/1997");
    Type(d, IDC_RECORD_TITLE, "Title two");
    Type(d, IDC_RECORD_KEYWORDS, "alpha beta");
    const std::string abstract(799, 'x');
    Type(d, IDC_RECORD_ABSTRACT, abstract.c_str());
    m_ui.AnswerBox(IDYES);
    Click(d, IDOK);
    Pump();
    EXPECT_FALSE(IsOpen());
    const FileRecord r = Stored(n);
    EXPECT_STREQ(r.DownloadDate, "12/31/1997");
    EXPECT_STREQ(r.Title, "Title two");
    EXPECT_STREQ(r.Keywords, "alpha beta");
    EXPECT_EQ(std::string(r.Abstract), abstract);
    EXPECT_EQ(m_changed, std::vector<WPARAM>{static_cast<WPARAM>(n)});
}

TEST_F(RecordInterface, RenameRefusesANameOfTheCatalogueAndRenamesOnDiskOrOnlyTheRecord)
{
    const std::string report = ks_test::PutFile(m_dir, "REPORT.TXT", "bytes");
    AddRecord("TAKEN.TXT", m_dir);
    const std::int32_t n = AddRecord("REPORT.TXT", m_dir);
    ks::TDialog& d = Open(n);

    Type(d, IDC_RECORD_FILENAME, "TAKEN.TXT");
    m_ui.AnswerBox(IDYES);
    Click(d, IDOK);
    Pump();
    EXPECT_TRUE(IsOpen());
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    EXPECT_EQ(m_ui.Boxes()[1].text, "This filename already exists within your database.");
    EXPECT_EQ(m_ui.Boxes()[1].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(Text(d, IDC_RECORD_FILENAME), "REPORT.TXT");
    EXPECT_TRUE(Exists(report));
    EXPECT_FALSE(Exists(m_dir + "\\TAKEN.TXT"));
    EXPECT_STREQ(Stored(n).FileName, "REPORT.TXT");

    // A free name: the file and the record both take it.
    m_ui.Clear();
    Type(d, IDC_RECORD_FILENAME, "SUMMARY.TXT");
    m_ui.AnswerBox(IDYES);
    Click(d, IDOK);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_FALSE(Exists(report));
    EXPECT_TRUE(Exists(m_dir + "\\SUMMARY.TXT"));
    EXPECT_STREQ(Stored(n).FileName, "SUMMARY.TXT");

    // The file gone from its place: only the record is renamed, and the location shows red meanwhile.
    DeleteFileA((m_dir + "\\SUMMARY.TXT").c_str());
    ks::TDialog& again = Open(n);
    EXPECT_EQ(Text(again, IDC_RECORD_LOCATED_AT), "Could Not Locate File at specified location :");
    EXPECT_EQ(TextColour(again, IDC_RECORD_LOCATION), kRed);
    Type(again, IDC_RECORD_FILENAME, "FINAL.TXT");
    m_ui.AnswerBox(IDYES);
    Click(again, IDOK);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_STREQ(Stored(n).FileName, "FINAL.TXT");
    EXPECT_FALSE(Exists(m_dir + "\\FINAL.TXT"));
}

// What a file holds, or "(none)" when it cannot be read.
std::string Contents(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(none)";
    char buffer[256];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

TEST_F(RecordInterface, ARenameTheDiskRefusesChangesNothing)
{
    const std::string report = ks_test::PutFile(m_dir, "REPORT.TXT", "report");
    const std::string other = ks_test::PutFile(m_dir, "OTHER.TXT", "other");
    const std::int32_t n = AddRecord("REPORT.TXT", m_dir);
    ks::TDialog& d = Open(n);
    struct Case {
        const char* typed;
        bool holdOpen;  // another program holds the file open: the rename itself fails
        const char* text;
        const char* caption;
        int beeps;  // the question's beep, and one more before the refusal
    };
    const Case cases[] = {
        {"OTHER.TXT", false, "This filename already exists in the specified directory on your disk.", "Error", 2},
        {"NEWNAME.TXT", true, "Error renaming file, changes will NOT be processed !", "File Error", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        m_ui.Clear();
        HANDLE held = c.holdOpen ? CreateFileA(report.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE;
        Type(d, IDC_RECORD_FILENAME, c.typed);
        Type(d, IDC_RECORD_TITLE, "Retitled");
        m_ui.AnswerBox(IDYES);
        Click(d, IDOK);
        Pump();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_TRUE(IsOpen());
        ASSERT_EQ(m_ui.Boxes().size(), 2u);
        EXPECT_EQ(m_ui.Boxes()[1].text, c.text);
        EXPECT_EQ(m_ui.Boxes()[1].caption, c.caption);
        EXPECT_EQ(m_ui.Boxes()[1].icon, static_cast<UINT>(MB_ICONHAND));
        EXPECT_EQ(ks_test::BeepCount(m_ui), c.beeps);
        EXPECT_EQ(Text(d, IDC_RECORD_FILENAME), "REPORT.TXT");
        EXPECT_EQ(Contents(report), "report");
        EXPECT_EQ(Contents(other), "other");
        EXPECT_FALSE(Exists(m_dir + "\\NEWNAME.TXT"));
        const FileRecord stored = Stored(n);
        EXPECT_STREQ(stored.FileName, "REPORT.TXT");
        EXPECT_STREQ(stored.Title, "A title");
    }
    EXPECT_TRUE(m_changed.empty());
}

TEST_F(RecordInterface, TouchingTheNameWithoutChangingItSavesTheOtherEdits)
{
    ks_test::PutFile(m_dir, "A.TXT");
    const std::int32_t n = AddRecord("A.TXT", m_dir);
    ks::TDialog& d = Open(n);
    Type(d, IDC_RECORD_FILENAME, "A.TXT");
    Type(d, IDC_RECORD_TITLE, "Retitled");
    m_ui.AnswerBox(IDYES);
    Click(d, IDOK);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Changes have been made. Do you wish to update your database ?"});
    EXPECT_STREQ(Stored(n).Title, "Retitled");
}

TEST_F(RecordInterface, MoveAndCopyRefuseATargetThatExistsAndMoveUpdatesTheLocation)
{
    const std::string file = ks_test::PutFile(m_dir, "DATA.BIN", "payload");
    const std::string other = MakeDir("files\\Other");
    const std::int32_t n = AddRecord("DATA.BIN", m_dir);
    ks::TDialog& d = Open(n);

    // The browser starts where the file is: OK there means the same directory.
    m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) { RealFileDialog::Press(dialog, IDOK); }));
    Click(d, IDC_RECORD_MOVE);
    m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) { RealFileDialog::Press(dialog, IDOK); }));
    Click(d, IDC_RECORD_COPY);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"This file already exists in that directory",
                                                    "This file already exists in that directory"}));
    EXPECT_TRUE(Exists(file));
    EXPECT_STREQ(Stored(n).Location, m_dir.c_str());

    // A copy elsewhere leaves the record as it was.
    m_ui.Clear();
    m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) {
        RealFileDialog::OpenSubdirectory(dialog, "Other");
        RealFileDialog::Press(dialog, IDOK);
    }));
    Click(d, IDC_RECORD_COPY);
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_TRUE(Exists(other + "\\DATA.BIN"));
    EXPECT_TRUE(Exists(file));
    EXPECT_STREQ(Stored(n).Location, m_dir.c_str());

    // A move there now finds the copy in the way; once it is gone the file and the record move.
    m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) {
        RealFileDialog::OpenSubdirectory(dialog, "Other");
        RealFileDialog::Press(dialog, IDOK);
    }));
    Click(d, IDC_RECORD_MOVE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"This file already exists in that directory"});
    DeleteFileA((other + "\\DATA.BIN").c_str());
    m_ui.Clear();
    m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) {
        RealFileDialog::OpenSubdirectory(dialog, "Other");
        RealFileDialog::Press(dialog, IDOK);
    }));
    Click(d, IDC_RECORD_MOVE);
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(Exists(other + "\\DATA.BIN"));
    EXPECT_EQ(Lower(Stored(n).Location), Lower(other));
    EXPECT_EQ(Text(d, IDC_RECORD_LOCATION), Stored(n).Location);
}

TEST_F(RecordInterface, ATypedNameThatIsNoPlainFileNameIsRefusedAndStaysInItsField)
{
    const std::string file = ks_test::PutFile(m_dir, "REPORT.TXT", "report");
    const std::int32_t n = AddRecord("REPORT.TXT", m_dir);
    ks::TDialog& d = Open(n);
    for (const char* typed : {"..\\NEW.TXT", "C:\\X\\Y.TXT", "NUL", "REPORT.TXT."}) {
        SCOPED_TRACE(typed);
        m_ui.Clear();
        Type(d, IDC_RECORD_FILENAME, typed);
        m_ui.AnswerBox(IDYES);
        Click(d, IDOK);
        Pump();
        EXPECT_TRUE(IsOpen());
        ASSERT_EQ(m_ui.Boxes().size(), 2u);
        EXPECT_EQ(m_ui.Boxes()[1].caption, "Error");
        EXPECT_EQ(Text(d, IDC_RECORD_FILENAME), typed);
        EXPECT_EQ(Contents(file), "report");
        EXPECT_STREQ(Stored(n).FileName, "REPORT.TXT");
    }
    EXPECT_FALSE(Exists(m_dir + "\\..\\NEW.TXT"));
}

TEST_F(RecordInterface, WhenTheEngineRefusesTheChangeTheFileGoesBack)
{
    const std::string file = ks_test::PutFile(m_dir, "DATA.BIN", "payload");
    const std::string other = MakeDir("files\\Other");
    const std::int32_t n = AddRecord("DATA.BIN", m_dir);
    ks::TDialog& d = Open(n);
    // The record goes behind the window's back: every change of it is refused.
    const FileRecord held = m_client->RecordBuffer;
    ASSERT_EQ(m_client->SendEngineCommand(ENG_DELETE, 0), 0);
    m_client->RecordBuffer = held;

    m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) {
        RealFileDialog::OpenSubdirectory(dialog, "Other");
        RealFileDialog::Press(dialog, IDOK);
    }));
    Click(d, IDC_RECORD_MOVE);
    EXPECT_EQ(Contents(file), "payload");
    EXPECT_FALSE(Exists(other + "\\DATA.BIN"));
    EXPECT_EQ(Text(d, IDC_RECORD_LOCATION), m_dir);
    ASSERT_EQ(m_ui.Boxes().size(), 2u);  // the engine's reason, then what became of the file
    EXPECT_EQ(m_ui.Boxes()[1].text, "The record could not be changed, so the file has been moved back.");

    m_ui.Clear();
    Type(d, IDC_RECORD_FILENAME, "RENAMED.BIN");
    m_ui.AnswerBox(IDYES);
    Click(d, IDOK);
    Pump();
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(Contents(file), "payload");
    EXPECT_FALSE(Exists(m_dir + "\\RENAMED.BIN"));
    EXPECT_EQ(Text(d, IDC_RECORD_FILENAME), "DATA.BIN");
    ASSERT_EQ(m_ui.Boxes().size(), 3u);
    EXPECT_EQ(m_ui.Boxes()[2].text, "The record could not be changed, so the file keeps its old name.");
}

TEST_F(RecordInterface, MoveWritesTheLocationAndLeavesFieldEditsForTheCloseCheck)
{
    const std::string file = ks_test::PutFile(m_dir, "DATA.BIN", "payload");
    const std::string other = MakeDir("files\\Other");
    const std::int32_t n = AddRecord("DATA.BIN", m_dir);
    ks::TDialog& d = Open(n);
    Type(d, IDC_RECORD_TITLE, "Edited before the move");
    m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) {
        RealFileDialog::OpenSubdirectory(dialog, "Other");
        RealFileDialog::Press(dialog, IDOK);
    }));
    Click(d, IDC_RECORD_MOVE);
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(Contents(other + "\\DATA.BIN"), "payload");
    FileRecord stored = Stored(n);
    EXPECT_EQ(Lower(stored.Location), Lower(other));
    EXPECT_STREQ(stored.Title, "A title");

    // The edit is still pending: the close check asks, and Yes writes it with the new location.
    m_ui.AnswerBox(IDYES);
    Click(d, IDOK);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Changes have been made. Do you wish to update your database ?"});
    stored = Stored(n);
    EXPECT_STREQ(stored.Title, "Edited before the move");
    EXPECT_EQ(Lower(stored.Location), Lower(other));
}

TEST_F(RecordInterface, FailedOpenClosesTheWindowAndDeleteWithNothingTickedDoesNothing)
{
    // A record that is not there: the engine's refusal is shown and the window goes.
    Open(4711);
    Pump();
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_app->RecordOpen, 0);

    m_ui.Clear();
    const std::string file = ks_test::PutFile(m_dir, "KEEP.ZIP", "zip");
    const std::int32_t n = AddRecord("KEEP.ZIP", m_dir);
    ks::TDialog& d = Open(n);
    m_ui.OnDialog(IDD_DELETE_OPTIONS, [](ks::TDialog& options) { Click(options, IDOK); });
    Click(d, IDC_RECORD_DELETE);
    Pump();
    EXPECT_TRUE(IsOpen());
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(Contents(file), "zip");
    EXPECT_STREQ(Stored(n).FileName, "KEEP.ZIP");
    EXPECT_TRUE(m_changed.empty());
}

TEST_F(RecordInterface, MoveAndCopyOfAMissingFileAreRefused)
{
    const std::int32_t n = AddRecord("GONE.TXT", m_dir);
    ks::TDialog& d = Open(n);
    Click(d, IDC_RECORD_MOVE);
    Click(d, IDC_RECORD_COPY);
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Cannot Move File");
    EXPECT_EQ(boxes[1].caption, "Cannot Copy File");
    EXPECT_EQ(boxes[0].text, "Sorry, your file on the hard disk is not where it is recorded as being !");
    EXPECT_TRUE(m_ui.Of(Shown::Kind::OpenFile).empty());
}

TEST_F(RecordInterface, RelinkRefusesAnotherRecordsNameAndToTheSameFileAsksNothing)
{
    const std::string file = ks_test::PutFile(m_dir, "MINE.TXT");
    const std::string theirs = ks_test::PutFile(m_dir, "THEIRS.TXT");
    const std::string fresh = ks_test::PutFile(MakeDir("elsewhere"), "FRESH.TXT");
    AddRecord("THEIRS.TXT", m_dir);
    const std::int32_t n = AddRecord("MINE.TXT", m_dir);
    ks::TDialog& d = Open(n);
    auto choose = [this](const std::string& path) {
        m_ui.AnswerOpenFile([path](OPENFILENAMEA& ofn, DWORD&) {
            lstrcpynA(ofn.lpstrFile, path.c_str(), ofn.nMaxFile);
            return true;
        });
    };

    choose(theirs);
    Click(d, IDC_RECORD_RELINK);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"THEIRS.TXT - already exists in your database. Sorry, cannot "
                                                   "duplicate a link to an existing record."});
    EXPECT_STREQ(Stored(n).FileName, "MINE.TXT");

    m_ui.Clear();
    choose(file);
    Click(d, IDC_RECORD_RELINK);
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_TRUE(Exists(file));
    EXPECT_STREQ(Stored(n).FileName, "MINE.TXT");
    Pump();
    EXPECT_EQ(m_changed, std::vector<WPARAM>{static_cast<WPARAM>(n)});

    // Another file: No keeps the old one; the record points at the chosen file where it is.
    choose(fresh);
    m_ui.AnswerBox(IDNO);
    Click(d, IDC_RECORD_RELINK);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Would you like the old file deleted."});
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(Exists(fresh));
    const FileRecord r = Stored(n);
    EXPECT_STREQ(r.FileName, "FRESH.TXT");
    EXPECT_EQ(std::string(r.Location), fresh.substr(0, fresh.rfind('\\')));
    EXPECT_EQ(Text(d, IDC_RECORD_FILENAME), "FRESH.TXT");

    // A place the record cannot hold whole is refused, not cut.
    m_ui.Clear();
    choose("C:\\" + std::string(254, 'd') + "\\LONG.TXT");
    Click(d, IDC_RECORD_RELINK);
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"This file's path is too long for the database. Changes will NOT be processed."});
    EXPECT_STREQ(Stored(n).FileName, "FRESH.TXT");

    // A name typed but not saved names no file of the record's: only the record's own file may go.
    const std::string bystander = ks_test::PutFile(m_dir, "BYSTANDER.TXT", "not mine");
    Type(d, IDC_RECORD_FILENAME, "BYSTANDER.TXT");
    m_ui.Clear();
    choose(file);
    m_ui.AnswerBox(IDNO);
    Click(d, IDC_RECORD_RELINK);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Would you like the old file deleted."});
    choose(fresh);
    m_ui.AnswerBox(IDYES);
    Type(d, IDC_RECORD_FILENAME, "BYSTANDER.TXT");
    Click(d, IDC_RECORD_RELINK);
    EXPECT_EQ(Contents(bystander), "not mine");
    EXPECT_FALSE(Exists(file));
    EXPECT_STREQ(Stored(n).FileName, "FRESH.TXT");
    // Put the first file back for what follows.
    ks_test::PutFile(m_dir, "MINE.TXT");

    // Back to the first file: Cancel changes nothing; Yes puts the old file in the recycle bin.
    m_ui.Clear();
    choose(file);
    m_ui.AnswerBox(IDCANCEL);
    Click(d, IDC_RECORD_RELINK);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Would you like the old file deleted."});
    EXPECT_TRUE(Exists(fresh));
    EXPECT_STREQ(Stored(n).FileName, "FRESH.TXT");
    m_ui.Clear();
    choose(file);
    m_ui.AnswerBox(IDYES);
    Click(d, IDC_RECORD_RELINK);
    EXPECT_FALSE(Exists(fresh));
    EXPECT_TRUE(Exists(file));
    EXPECT_STREQ(Stored(n).FileName, "MINE.TXT");
    EXPECT_EQ(Lower(Stored(n).Location), Lower(m_dir));
}

TEST_F(RecordInterface, RelinkToTheSameFileByAnotherSpellingAsksNothingAndDeletesNothing)
{
    const std::string folder = MakeDir("files\\Long Folder Name");
    const std::string file = ks_test::PutFile(folder, "MINE.TXT", "mine");
    const std::int32_t n = AddRecord("MINE.TXT", folder);
    ks::TDialog& d = Open(n);
    char shortPath[MAX_PATH]{};
    GetShortPathNameA(file.c_str(), shortPath, MAX_PATH);
    ASSERT_NE(std::string(shortPath).find('~'), std::string::npos) << shortPath;
    std::string zPath = "Z:" + ks_test::UnixPath(file);
    std::replace(zPath.begin(), zPath.end(), '/', '\\');
    for (const std::string& spelling : {Lower(file), std::string(shortPath), zPath}) {
        SCOPED_TRACE(spelling);
        m_ui.Clear();
        m_ui.AnswerBox(IDYES);  // were the old file offered for deleting, it would go
        m_ui.PickFile(spelling);
        Click(d, IDC_RECORD_RELINK);
        EXPECT_TRUE(m_ui.Boxes().empty());
        EXPECT_EQ(Contents(file), "mine");
        EXPECT_EQ(std::string(Stored(n).Location), spelling.substr(0, spelling.rfind('\\')));
    }
}

TEST_F(RecordInterface, ARecordWhoseNameLeadsToAFolderNeverHasTheFolderOfferedOrDeleted)
{
    MakeDir("files\\SUBDIR");
    const std::string other = ks_test::PutFile(m_dir, "OTHER.TXT", "another file");
    const std::string elsewhere = MakeDir("elsewhere");
    int round = 0;
    for (const char* name : {"", ".", "..", "SUBDIR"}) {
        SCOPED_TRACE(std::string("FileName \"") + name + "\"");
        const std::string chosenName = "CHOSEN" + std::to_string(++round) + ".TXT";
        const std::string chosen = ks_test::PutFile(elsewhere, chosenName.c_str(), "chosen");
        m_ui.Clear();
        const std::int32_t n = AddRecord(name, m_dir);
        ks::TDialog& d = Open(n);
        // A folder is no file of the record's: shown as not found, and Delete Options offer no file to delete.
        EXPECT_EQ(TextColour(d, IDC_RECORD_LOCATION), kRed);
        bool fileBoxEnabled = true;
        m_ui.OnDialog(IDD_DELETE_OPTIONS, [&](ks::TDialog& options) {
            fileBoxEnabled = IsWindowEnabled(options.GetItem(IDC_DELETE_FILE));
            Click(options, IDOK);
        });
        Click(d, IDC_RECORD_DELETE);
        EXPECT_FALSE(fileBoxEnabled);
        // With another file's name typed (not saved), the box is offered; what would be deleted is the record's
        // own path, a folder: it is refused.
        Type(d, IDC_RECORD_FILENAME, "OTHER.TXT");
        m_ui.OnDialog(IDD_DELETE_OPTIONS, [&](ks::TDialog& options) {
            SendMessageA(options.GetItem(IDC_DELETE_FILE), BM_SETCHECK, BST_CHECKED, 0);
            Click(options, IDOK);
        });
        Click(d, IDC_RECORD_DELETE);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Sorry, Could not delete the file from the drive."});
        // Re-Link offers no deleting of the folder, and a folder is not linked to.
        m_ui.Clear();
        m_ui.AnswerBox(IDYES);
        m_ui.PickFile(m_dir + "\\SUBDIR");
        Click(d, IDC_RECORD_RELINK);
        EXPECT_EQ(BoxTexts(),
                  std::vector<std::string>{"This is not a file that a record can be linked to. Changes will NOT be processed."});
        EXPECT_STREQ(Stored(n).FileName, name);
        m_ui.Clear();
        m_ui.PickFile(chosen);
        Type(d, IDC_RECORD_FILENAME, name);
        Click(d, IDC_RECORD_RELINK);
        EXPECT_TRUE(m_ui.Boxes().empty());
        EXPECT_STREQ(Stored(n).FileName, chosenName.c_str());
        // Nothing of the folders went anywhere.
        EXPECT_NE(GetFileAttributesA((m_dir + "\\SUBDIR").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(Contents(other), "another file");
        EXPECT_EQ(Contents(chosen), "chosen");
        SendMessageA(m_client->GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_child->GetHandle()), 0);
        Pump();
    }
}

TEST_F(RecordInterface, DeleteFileOnlyKeepsTheWindowWithTheLocationRedThenRecordDeleteCloses)
{
    const std::string file = ks_test::PutFile(m_dir, "OLD.ZIP", "zip");
    const std::int32_t n = AddRecord("OLD.ZIP", m_dir);
    ks::TDialog& d = Open(n);
    bool fileBoxEnabled = false;
    m_ui.OnDialog(IDD_DELETE_OPTIONS, [&](ks::TDialog& options) {
        fileBoxEnabled = IsWindowEnabled(options.GetItem(IDC_DELETE_FILE));
        EXPECT_EQ(SendMessageA(options.GetItem(IDC_DELETE_RECORD), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        SendMessageA(options.GetItem(IDC_DELETE_FILE), BM_SETCHECK, BST_CHECKED, 0);
        Click(options, IDOK);
    });
    Click(d, IDC_RECORD_DELETE);
    Pump();
    EXPECT_TRUE(fileBoxEnabled);
    EXPECT_TRUE(IsOpen());
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(TextColour(d, IDC_RECORD_LOCATION), kRed);
    EXPECT_EQ(TextColour(d, IDC_RECORD_LOCATED_AT), kRed);
    EXPECT_TRUE(m_changed.empty());

    // The file missing: its box is disabled; deleting the record closes the window without the check.
    m_ui.OnDialog(IDD_DELETE_OPTIONS, [&](ks::TDialog& options) {
        fileBoxEnabled = IsWindowEnabled(options.GetItem(IDC_DELETE_FILE));
        SendMessageA(options.GetItem(IDC_DELETE_RECORD), BM_SETCHECK, BST_CHECKED, 0);
        Click(options, IDOK);
    });
    Type(d, IDC_RECORD_DATE, "1/9");
    Click(d, IDC_RECORD_DELETE);
    Pump();
    EXPECT_FALSE(fileBoxEnabled);
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(m_changed, std::vector<WPARAM>{static_cast<WPARAM>(n)});
    EXPECT_EQ(m_app->RecordOpen, 0);
    const FileRecord saved = m_client->RecordBuffer;
    m_client->RecordBuffer.RecordNumber = n;
    EXPECT_EQ(m_client->SendEngineCommand(ENG_READ, ENG_RECORD_NOT_FOUND), ENG_RECORD_NOT_FOUND);
    m_client->RecordBuffer = saved;
}

TEST_F(RecordInterface, HelpButtonsOpenTheirPages)
{
    ks_test::PutFile(m_dir, "A.TXT");
    ks::TDialog& d = Open(AddRecord("A.TXT", m_dir));
    Click(d, IDC_RECORD_HELP);
    m_ui.OnDialog(IDD_DELETE_OPTIONS, [](ks::TDialog& options) {
        Click(options, IDC_DELETE_HELP);
        Click(options, IDCANCEL);
    });
    Click(d, IDC_RECORD_DELETE);
    const auto calls = m_ui.HelpCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].helpData, 203u);
    EXPECT_EQ(calls[1].helpData, 209u);
    EXPECT_EQ(calls[1].helpCommand, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_TRUE(IsOpen());
}

}  // namespace

// Not run by the suite: shows a Record Interface for a few seconds so that a screenshot can be taken
// (run with --gtest_also_run_disabled_tests --gtest_filter=*Screenshot*).
TEST_F(RecordInterface, DISABLED_Screenshot)
{
    ks_test::PutFile(m_dir, "TOOLS96.ZIP", "zip");
    const std::int32_t n = AddRecord("TOOLS96.ZIP", m_dir);
    ks::TDialog& d = Open(n);
    Type(d, IDC_RECORD_TITLE, "Archive tools for the desktop");
    ks_test::PumpUntil([] { return false; }, 4000);
    Click(d, IDCANCEL);
    Pump();
    // The same record with its file gone, and the Delete Options it then offers.
    DeleteFileA((m_dir + "\\TOOLS96.ZIP").c_str());
    ks::TDialog& missing = Open(n);
    m_ui.OnDialog(IDD_DELETE_OPTIONS, [](ks::TDialog& options) {
        ShowWindow(options.GetHandle(), SW_SHOW);  // the modal loop shows it only once idle
        ks_test::PumpUntil([] { return false; }, 4000);
        Click(options, IDCANCEL);
    });
    Click(missing, IDC_RECORD_DELETE);
    Click(missing, IDCANCEL);
}

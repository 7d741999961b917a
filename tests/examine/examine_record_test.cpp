// The examine run from the Record Interface: its own checks, and its close checks while the examined program
// runs, with the real main window and engine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "engine/file_record.h"
#include "records/rec_child.h"
#include "resources/resource_ids.h"
#include "tests/examine/examine_fixture.h"
#include "tests/support/program_start.h"

namespace {

using ks_test::Click;
using ks_test::WhenReady;

class ExamineRecord : public ks_test::ExamineFixture {
protected:
    void SetUp() override
    {
        ExamineFixture::SetUp();
        ks_test::SetRegString("Download Directorys", "Area One", "No Path");
        SetCurrentDirectoryA(ks_test::BinDir().c_str());
        DeleteFileA((ks_test::BinDir() + "\\kspdx.tbl").c_str());
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(m_app->InitInstance());
        m_client = m_app->Client;
        m_dir = MakeDir("files");
    }
    void TearDown() override
    {
        for (ks::TMDIChild* child : m_client->GetChildren())
            SendMessageA(m_client->GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
        PostMessageA(m_app->GetMainWindow()->GetHandle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(m_app->MessageLoop(), 0);
        m_app.reset();
        ks_test::WaitForEngineToEnd();
        ExamineFixture::TearDown();
    }
    std::int32_t AddRecord(const char* fileName)
    {
        FileRecord& r = m_client->RecordBuffer;
        std::memset(&r, 0, sizeof r);
        std::strcpy(r.FileName, fileName);
        std::strcpy(r.DownloadDate, "12/25/1996");
        std::strcpy(r.Location, m_dir.c_str());
        EXPECT_EQ(m_client->SendEngineCommand(ENG_ADD, 0), 0);
        return r.RecordNumber;
    }
    ks::TDialog& Open(std::int32_t number)
    {
        m_child = m_client->CreateChild(std::make_unique<RecChild>(*m_client, number, "Record Interface"));
        EXPECT_NE(m_child, nullptr);
        for (int i = 0; i < 5; ++i) {
            m_app->PumpWaitingMessages();
            Sleep(5);
        }
        return *m_child->GetClientWindow();
    }
    bool IsOpen() const
    {
        for (ks::TMDIChild* child : m_client->GetChildren())
            if (child == m_child)
                return true;
        return false;
    }

    std::unique_ptr<KsApp> m_app;
    KsClient* m_client = nullptr;
    ks::TMDIChild* m_child = nullptr;
    std::string m_dir;
};

TEST_F(ExamineRecord, TheRecordsFileMustBeWhereAndAsRecorded)
{
    ks_test::PutFile(m_dir, "HERE.TXT", "x");
    const std::int32_t gone = AddRecord("GONE.TXT");
    const std::int32_t here = AddRecord("HERE.TXT");
    struct Case {
        std::int32_t record;
        const char* typedName;
        const char* message;
    } cases[] = {
        {gone, nullptr, "The file on the disk could not be located."},
        {here, "OTHER.TXT", "The filename on disk is different to the filename in the database."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        m_ui.Clear();
        ks::TDialog& d = Open(c.record);
        if (c.typedName)
            SetDlgItemTextA(d.GetHandle(), IDC_RECORD_FILENAME, c.typedName);
        Click(d, IDC_RECORD_EXAMINE);
        ASSERT_EQ(m_ui.Boxes().size(), 1u);
        EXPECT_EQ(m_ui.Boxes()[0].text, c.message);
        EXPECT_EQ(m_ui.Boxes()[0].caption, "Processing Problem");
        EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_EQ(ks_test::BeepCount(m_ui), 1);
        EXPECT_TRUE(Started().empty());
        SendMessageA(m_client->GetHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_child->GetHandle()), 0);
    }
}

TEST_F(ExamineRecord, OkAndCancelWhileTheProgramRunsOfferToEndItAndKeepTheWindow)
{
    const std::string script = ks_test::UnpackScript({"PART.TXT"}, true);
    ks_test::PutFile(m_dir, "STORED.KSTX", script);
    ks::TDialog& d = Open(AddRecord("STORED.KSTX"));

    bool stayedAfterOk = false;
    bool stayedAfterCancel = false;
    // OK's close check answered No, then Cancel answered Yes: the program is ended, the window stays.
    WhenReady closer([] { return FindWindowA(nullptr, "Test Unpacker") != nullptr; },
                     [&] {
                         m_ui.AnswerBox(IDNO);
                         Click(d, IDOK);
                         stayedAfterOk = IsOpen() && m_app->Examining == 1;
                         m_ui.AnswerBox(IDYES);
                         Click(d, IDCANCEL);
                         stayedAfterCancel = IsOpen();
                     });
    Click(d, IDC_RECORD_EXAMINE);
    ASSERT_TRUE(closer.Done());
    EXPECT_TRUE(stayedAfterOk);
    EXPECT_TRUE(stayedAfterCancel);
    EXPECT_EQ(m_app->Examining, 0);
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    for (const ks_test::Shown& box : m_ui.Boxes())
        EXPECT_EQ(box.caption, "Record Interface Exit Warning");
    ASSERT_EQ(OpenFiles().size(), 1u);
    EXPECT_EQ(OpenFiles()[0].caption, "Examining File - STORED.KSTX");
    EXPECT_EQ(ks_test::FilesIn(Scratch()), std::vector<std::string>{"PART.TXT"});
    EXPECT_EQ(ks_test::ReadFileText(m_dir + "\\STORED.KSTX"), script);

    // Now OK closes as usual.
    m_ui.Clear();
    Click(d, IDOK);
    for (int i = 0; i < 5 && IsOpen(); ++i) {
        m_app->PumpWaitingMessages();
        Sleep(5);
    }
    EXPECT_FALSE(IsOpen());
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(ExamineRecord, AWindowCloseDuringTheRunClosesOnlyOnceTheRunIsOver)
{
    ks_test::PutFile(m_dir, "STORED.KSTX", ks_test::UnpackScript({"PART.TXT"}, true));
    ks::TDialog& d = Open(AddRecord("STORED.KSTX"));
    bool stayed = false;
    HWND dialog = d.GetHandle();
    // Delete closes the window with a close message to the dialog; here it comes while the program runs. The
    // window (and the object the run returns to) must outlive the run.
    WhenReady closer([] { return FindWindowA(nullptr, "Test Unpacker") != nullptr; },
                     [&] {
                         SendMessageA(dialog, WM_CLOSE, 0, 0);
                         m_app->PumpWaitingMessages();
                         stayed = IsWindow(dialog) && IsOpen();
                         // The user ends the program.
                         PostMessageA(FindWindowA(nullptr, "Test Unpacker"), WM_CLOSE, 0, 0);
                     });
    Click(d, IDC_RECORD_EXAMINE);
    ASSERT_TRUE(closer.Done());
    EXPECT_TRUE(stayed);
    EXPECT_EQ(OpenFiles().size(), 1u);
    EXPECT_TRUE(m_ui.Boxes().empty());
    for (int i = 0; i < 20 && IsOpen(); ++i) {
        m_app->PumpWaitingMessages();
        Sleep(5);
    }
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(m_app->RecordOpen, 0);
}

TEST_F(ExamineRecord, ACloseWhileTheRunIsEndingWaitsForItAndStillAsksAboutTheEdits)
{
    ks_test::PutFile(m_dir, "STORED.KSTX", ks_test::UnpackScript({"PART.TXT"}, false));
    struct Case {
        const char* what;
        int button;           // pressed while the run offers what the program left
        const char* title;    // the record's title afterwards
        std::size_t questions;
    } cases[] = {{"OK, the edit saved", IDOK, "Edited", 1}, {"Cancel, the edit dropped", IDCANCEL, "", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_ui.Clear();
        const std::int32_t n = AddRecord("STORED.KSTX");
        ks::TDialog& d = Open(n);
        HWND dialog = d.GetHandle();
        bool stayed = false;
        m_ui.AnswerBox(IDYES);
        m_ui.AnswerOpenFile([&](OPENFILENAMEA&, DWORD& error) {
            SetDlgItemTextA(d.GetHandle(), IDC_RECORD_TITLE, "Edited");
            SendDlgItemMessageA(d.GetHandle(), IDC_RECORD_TITLE, EM_SETMODIFY, TRUE, 0);
            Click(d, c.button);
            // The window (and the object the run returns to) outlives the run.
            stayed = IsWindow(dialog) && IsOpen();
            error = 0;
            return false;
        });
        Click(d, IDC_RECORD_EXAMINE);
        EXPECT_TRUE(stayed) << ks_test::ScriptedUi::BoxTexts();
        EXPECT_TRUE(ks_test::PumpUntil([&] { return !IsOpen(); }, 2000));
        EXPECT_EQ(m_ui.Boxes().size(), c.questions) << ks_test::ScriptedUi::BoxTexts();
        const FileRecord saved = m_client->RecordBuffer;
        m_client->RecordBuffer.RecordNumber = n;
        ASSERT_EQ(m_client->SendEngineCommand(ENG_READ, 0), 0);
        EXPECT_STREQ(m_client->RecordBuffer.Title, c.title);
        m_client->RecordBuffer = saved;
        EXPECT_EQ(m_app->RecordOpen, 0);
    }
}

}  // namespace

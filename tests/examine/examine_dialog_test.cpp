// The Examine File dialog on the real common file dialog: listing, ending only by Close, examining one file
// (a compressed one expanded first), copying with the overwrite question and expansion, and installing with
// shortcuts that an independent reader (lnkinfo) reads back; the Install File(s) options.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "examine/gp_install.h"
#include "examine/ks_examine.h"
#include "examine/shell_links.h"
#include "resources/resource_ids.h"
#include "tests/examine/examine_fixture.h"

namespace {

using ks_test::RealFileDialog;
using ks_test::Shown;

constexpr char kTitle[] = "Examining File - TEST.ZIP";

std::vector<std::string> ListEntries(HWND dialog, int id)
{
    std::vector<std::string> entries;
    HWND list = GetDlgItem(dialog, id);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH + 3]{};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

// Selects the listed files by name (extended selection), the caret on the first.
void SelectFiles(HWND dialog, const std::vector<std::string>& names)
{
    HWND list = GetDlgItem(dialog, IDC_EXAMINE_FILE_LIST);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    bool first = true;
    for (const std::string& name : names) {
        const LRESULT index =
            SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
        ASSERT_NE(index, LB_ERR) << name;
        SendMessageA(list, LB_SETSEL, TRUE, index);
        if (first)
            SendMessageA(list, LB_SETCARETINDEX, index, FALSE);
        first = false;
    }
}

// Clicks a button of the running file dialog and waits for the command to be done.
void ClickNow(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Clicks a radio button or check box as the user does (the button changes, the dialog hears the click) unless
// it already is as wanted.
void ClickCheck(ks::TDialog& d, int id, bool checked)
{
    if ((IsDlgButtonChecked(d.GetHandle(), id) == BST_CHECKED) != checked)
        SendMessageA(d.GetItem(id), BM_CLICK, 0, 0);
}

class ExamineDialog : public ks_test::ExamineFixture {
protected:
    void SetUp() override
    {
        ExamineFixture::SetUp();
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_TRUE(m_app->Started());
        m_dir = MakeDir("examined");
        m_dest = MakeDir("examined\\dest");
    }
    void TearDown() override
    {
        m_app.reset();
        ExamineFixture::TearDown();
    }
    // Runs the Examine File dialog on the examined directory; step drives it and must end it.
    INT_PTR Run(std::function<void(HWND)> step)
    {
        m_ui.AnswerOpenFile(RealFileDialog::Driven(std::move(step)));
        KsExamine dialog(nullptr, m_dir.c_str(), kTitle);
        const INT_PTR result = dialog.Execute();
        m_mayClose = dialog.MayClose;
        return result;
    }
    // The destination browser, when it comes, opens "dest" and takes it. Called from a step: the Examine File
    // dialog's own run takes the first answer.
    void ChooseDest()
    {
        m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND browser) {
            RealFileDialog::OpenSubdirectory(browser, "dest");
            RealFileDialog::Press(browser, IDOK);
        }));
    }
    // The next input box is answered with text (or cancelled).
    void AnswerInput(const char* text)
    {
        m_ui.OnDialog(IDD_INPUT_DIALOG, [text](ks::TDialog& d) {
            if (!text) {
                ks_test::Click(d, IDCANCEL);
                return;
            }
            SetDlgItemTextA(d.GetHandle(), IDC_INPUT_EDIT, text);
            ks_test::Click(d, IDOK);
        });
    }
    std::string LzInput() const { return std::string(KS_EXAMINE_LZ) + "\\SETUP.EX_"; }
    std::string LzOriginal() const { return ks_test::ReadFileText(std::string(KS_EXAMINE_LZ) + "\\SETUP.EXE.src"); }

    std::unique_ptr<KsApp> m_app;
    std::string m_dir;
    std::string m_dest;
    bool m_mayClose = false;
};

TEST_F(ExamineDialog, ListsTheFilesLeftAndEndsOnlyByClose)
{
    ks_test::PutFile(m_dir, "README.TXT", "read me");
    ks_test::PutFile(m_dir, "PROGRAM.DAT", "data");
    bool checked = false;
    const INT_PTR result = Run([&](HWND d) {
        EXPECT_EQ(ListEntries(d, IDC_EXAMINE_FILE_LIST), (std::vector<std::string> {"PROGRAM.DAT", "README.TXT"}));
        for (int id : {IDC_EXAMINE_EXAMINE, IDC_EXAMINE_COPY, IDC_EXAMINE_INSTALL, IDCANCEL, IDC_EXAMINE_HELP,
                 IDC_EXAMINE_FILE_LIST, IDC_EXAMINE_DIR_LIST})
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, id))) << id;
        for (int id : {IDOK, IDC_EXAMINE_FILE_NAME, IDC_EXAMINE_TYPE_LIST, IDC_EXAMINE_DRIVE_LIST})
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, id))) << id;
        // The buttons read as the user knows them ("&&" shows one "&").
        for (auto [id, text] : {std::pair{IDC_EXAMINE_EXAMINE, "Examine"}, {IDC_EXAMINE_INSTALL, "Copy && Install"},
                                {IDC_EXAMINE_COPY, "Copy"}, {IDCANCEL, "Close"}, {IDC_EXAMINE_HELP, "Help"}}) {
            char shown[32]{};
            GetDlgItemTextA(d, id, shown, sizeof shown);
            EXPECT_STREQ(shown, text);
        }
        // Enter, a double click and OK do nothing; Help opens the topic.
        SelectFiles(d, {"README.TXT"});
        ClickNow(d, IDOK);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_EXAMINE_FILE_LIST, LBN_DBLCLK),
            reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_EXAMINE_FILE_LIST)));
        ks_test::PumpUntil([] { return false; }, 200);
        EXPECT_TRUE(IsWindow(d));
        ClickNow(d, IDC_EXAMINE_HELP);
        checked = true;
        RealFileDialog::Press(d, IDCANCEL);
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(m_mayClose);
    ASSERT_EQ(OpenFiles().size(), 1u);
    EXPECT_EQ(OpenFiles()[0].caption, kTitle);
    ASSERT_EQ(m_ui.HelpCalls().size(), 1u);
    EXPECT_EQ(m_ui.HelpCalls()[0].helpData, static_cast<ULONG_PTR>(HELP_CTX_EXAMINE_FILE));
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(ExamineDialog, ADirectoryWithoutFilesClosesAtOnce)
{
    bool stepRan = false;
    const DWORD start = GetTickCount();
    Run([&](HWND d) {
        stepRan = true;
        RealFileDialog::Press(d, IDCANCEL);
    });
    EXPECT_FALSE(stepRan);
    EXPECT_TRUE(m_mayClose);
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(ExamineDialog, ExamineTakesExactlyOneFileAndExpandsACompressedOne)
{
    ks_test::PutFile(m_dir, "A.QQQ", "a");
    ks_test::PutFile(m_dir, "B.QQQ", "b");
    ASSERT_TRUE(CopyFileA(LzInput().c_str(), (m_dir + "\\SETUP.EX_").c_str(), FALSE));
    AnswerInput("");
    AnswerInput("e");
    Run([&](HWND d) {
        ClickNow(d, IDC_EXAMINE_EXAMINE); // nothing selected
        SelectFiles(d, {"A.QQQ", "B.QQQ"});
        ClickNow(d, IDC_EXAMINE_EXAMINE);
        SelectFiles(d, {"SETUP.EX_"});
        ClickNow(d, IDC_EXAMINE_EXAMINE); // an empty answer
        EXPECT_TRUE(ks_test::FilesIn(m_dir) == (std::vector<std::string> {"A.QQQ", "B.QQQ", "SETUP.EX_"}));
        ClickNow(d, IDC_EXAMINE_EXAMINE); // answered "e"
        RealFileDialog::Press(d, IDCANCEL);
    });
    const std::vector<Shown> boxes = m_ui.Boxes();
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "You must select at least one file.");
    EXPECT_EQ(boxes[1].text, "You can only examine a single file at a time.");
    EXPECT_EQ(boxes[2].text, "You must supply a replacement or keep the original character.");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(boxes[i].caption, "Warning");
        EXPECT_EQ(boxes[i].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(boxes[2].icon, static_cast<UINT>(MB_ICONHAND));
    // The completed name as typed, expanded in the directory shown; the viewer (or its program) opens it.
    EXPECT_EQ(ks_test::ReadFileText(m_dir + "\\SETUP.EXe"), LzOriginal());
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].text, ks_test::BinDir() + "\\ksview.exe " + m_dir + "\\SETUP.EXe");
    for (const Shown& s : m_ui.Of(Shown::Kind::Dialog)) {
        if (s.dialogId == IDD_INPUT_DIALOG) {
            EXPECT_EQ(s.caption, "This is possibly a Windows compressed file");
        }
    }
}

TEST_F(ExamineDialog, ACompressedFileThatCannotBeExpandedIsReportedAndNotOpened)
{
    // Cut short: the expansion fails instead of leaving a wrong or missing file to open.
    ks_test::PutFile(m_dir, "BAD.EX_", ks_test::ReadFileText(LzInput()).substr(0, 40));
    AnswerInput("e");
    Run([&](HWND d) {
        SelectFiles(d, {"BAD.EX_"});
        ClickNow(d, IDC_EXAMINE_EXAMINE);
        RealFileDialog::Press(d, IDCANCEL);
    });
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error copying file !"});
    EXPECT_EQ(ks_test::FilesIn(m_dir), std::vector<std::string>{"BAD.EX_"});
    EXPECT_TRUE(Starts().empty());
}

TEST_F(ExamineDialog, CopyingThreeFilesWhereTheSecondExistsAsksAboutIt)
{
    struct Case {
        int answer;
        const char* second; // the destination's B2.TXT afterwards
        bool third; // C3.TXT copied
    } cases[] = {
        {IDYES, "new b2", true},
        {IDNO, "old b2", true},
        {IDCANCEL, "old b2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        m_ui.Clear();
        for (const char* name : {"A1.TXT", "B2.TXT", "C3.TXT"})
            DeleteFileA((m_dest + "\\" + name).c_str());
        ks_test::PutFile(m_dir, "A1.TXT", "new a1");
        ks_test::PutFile(m_dir, "B2.TXT", "new b2");
        ks_test::PutFile(m_dir, "C3.TXT", "new c3");
        ks_test::PutFile(m_dest, "B2.TXT", "old b2");
        m_ui.AnswerBox(c.answer);
        Run([&](HWND d) {
            ChooseDest();
            SelectFiles(d, {"A1.TXT", "B2.TXT", "C3.TXT"});
            ClickNow(d, IDC_EXAMINE_COPY);
            RealFileDialog::Press(d, IDCANCEL);
        });
        ASSERT_EQ(m_ui.Boxes().size(), 1u);
        EXPECT_EQ(m_ui.Boxes()[0].text, "A File of this name already exists, would you like to overwrite it ?");
        EXPECT_EQ(m_ui.Boxes()[0].caption, "B2.TXT");
        EXPECT_EQ(m_ui.Boxes()[0].buttons, static_cast<UINT>(MB_YESNOCANCEL));
        EXPECT_EQ(ks_test::ReadFileText(m_dest + "\\A1.TXT"), "new a1");
        EXPECT_EQ(ks_test::ReadFileText(m_dest + "\\B2.TXT"), c.second);
        EXPECT_EQ(ks_test::ReadFileText(m_dest + "\\C3.TXT"), c.third ? "new c3" : "");
        // The browser was asked for the destination; nothing is installed by Copy.
        ASSERT_EQ(OpenFiles().size(), 2u);
        EXPECT_EQ(OpenFiles()[1].caption, "Choose Destination for file(s)");
        EXPECT_TRUE(Starts().empty());
    }
}

TEST_F(ExamineDialog, ACompressedFileIsCopiedExpandedUnderItsCompletedUpperCaseName)
{
    ASSERT_TRUE(CopyFileA(LzInput().c_str(), (m_dir + "\\SETUP.EX_").c_str(), FALSE));
    AnswerInput("e");
    Run([&](HWND d) {
        ChooseDest();
        SelectFiles(d, {"SETUP.EX_"});
        ClickNow(d, IDC_EXAMINE_COPY);
        RealFileDialog::Press(d, IDCANCEL);
    });
    EXPECT_EQ(ks_test::FilesIn(m_dest), std::vector<std::string> {"SETUP.EXE"});
    EXPECT_EQ(ks_test::ReadFileText(m_dest + "\\SETUP.EXE"), LzOriginal());
    for (const Shown& s : m_ui.Of(Shown::Kind::Dialog)) {
        if (s.dialogId == IDD_INPUT_DIALOG) {
            EXPECT_EQ(s.caption, "SETUP.EX_");
        }
    }
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(ExamineDialog, ExamineOpensTheSelectedFileWhereverTheCaretStands)
{
    ks_test::PutFile(m_dir, "A.QQQ", "a");
    ks_test::PutFile(m_dir, "B.QQQ", "b");
    Run([&](HWND d) {
        SelectFiles(d, {"B.QQQ"});
        HWND list = GetDlgItem(d, IDC_EXAMINE_FILE_LIST);
        SendMessageA(list, LB_SETCARETINDEX, SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                          reinterpret_cast<LPARAM>("A.QQQ")), FALSE);
        ClickNow(d, IDC_EXAMINE_EXAMINE);
        RealFileDialog::Press(d, IDCANCEL);
    });
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].text, ks_test::BinDir() + "\\ksview.exe " + m_dir + "\\B.QQQ");
}

TEST_F(ExamineDialog, AnExpandedFileReplacesAFileOfItsNameOnlyWhenTheUserSaysSoAndNeverLosesIt)
{
    const std::string good = ks_test::ReadFileText(LzInput());
    struct Case {
        const char* what;
        bool copy;            // Copy to dest; otherwise Examine in the directory shown
        std::string compressed;
        int answer;           // to the overwrite question
        bool expanded;        // the earlier file was replaced by the expansion
        bool failed;          // "Error copying file !" shown
    } cases[] = {
        {"copy, No", true, good, IDNO, false, false},
        {"copy, Cancel", true, good, IDCANCEL, false, false},
        {"copy, Yes", true, good, IDYES, true, false},
        {"copy, Yes, a file that cannot be expanded", true, good.substr(0, 40), IDYES, false, true},
        {"examine, No", false, good, IDNO, false, false},
        {"examine, Yes", false, good, IDYES, true, false},
        {"examine, Yes, a file that cannot be expanded", false, good.substr(0, 40), IDYES, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_ui.Clear();
        ks_test::RemoveTree(m_dir);
        CreateDirectoryA(m_dir.c_str(), nullptr);
        CreateDirectoryA(m_dest.c_str(), nullptr);
        ks_test::PutFile(m_dir, "SETUP.EX_", c.compressed);
        const std::string earlier = c.copy ? m_dest + "\\SETUP.EXE" : m_dir + "\\SETUP.EXe";
        ks_test::PutFile(c.copy ? m_dest : m_dir, c.copy ? "SETUP.EXE" : "SETUP.EXe", "the user's earlier file");
        AnswerInput("e");
        m_ui.AnswerBox(c.answer);
        Run([&](HWND d) {
            if (c.copy)
                ChooseDest();
            SelectFiles(d, {"SETUP.EX_"});
            ClickNow(d, c.copy ? IDC_EXAMINE_COPY : IDC_EXAMINE_EXAMINE);
            RealFileDialog::Press(d, IDCANCEL);
        });
        // The question first; what the examined program says after it does not matter here.
        std::vector<std::string> texts = BoxTexts();
        ASSERT_GE(texts.size(), 1u);
        EXPECT_EQ(texts[0], "A File of this name already exists, would you like to overwrite it ?");
        EXPECT_EQ(texts.size() == 2 && texts[1] == "Error copying file !", c.failed);
        EXPECT_EQ(ks_test::ReadFileText(earlier), c.expanded ? LzOriginal() : "the user's earlier file");
        // Nothing of the expansion is left beside it.
        EXPECT_EQ(ks_test::FilesIn(c.copy ? m_dest : m_dir),
                  (c.copy ? std::vector<std::string>{"SETUP.EXE"} : std::vector<std::string>{"SETUP.EX_", "SETUP.EXe"}));
    }
}

TEST_F(ExamineDialog, AShortcutWhosePathWouldNotFitIsNeverSavedUnderACutName)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    // A folder whose path with the shortcut's name passes 259 characters; a file lies where a cut name would end.
    std::string folder = m_scratch;
    while (folder.size() < 200)
        CreateDirectoryA((folder += "\\deeper_folder").c_str(), nullptr);
    const std::string name = std::string(60, 'N') + ".TXT";
    const std::string shortcut = folder + "\\" + name + ".lnk";
    const std::string cut = shortcut.substr(0, MAX_PATH - 1);
    ks_test::PutFile(folder, cut.substr(folder.size() + 1).c_str(), "another file");
    const HRESULT result = MakeShortcut(nullptr, folder.c_str(), name.c_str(), m_dest.c_str());
    EXPECT_TRUE(FAILED(result));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error creating shortcut or folder."});
    EXPECT_EQ(ks_test::ReadFileText(cut), "another file");
    EXPECT_EQ(ks_test::FilesIn(folder).size(), 1u);
    CoUninitialize();
}

TEST_F(ExamineDialog, InstallOptionsStartOnTheStartMenuAndANewFolderNeedsANameAndAPlace)
{
    bool checked = false;
    m_ui.OnDialog(IDD_INSTALL, [&](ks::TDialog& d) {
        HWND h = d.GetHandle();
        for (int id : {IDC_INSTALL_START_MENU, IDC_INSTALL_IN_START_MENU, IDC_INSTALL_APPS_DOCS_ONLY})
            EXPECT_EQ(IsDlgButtonChecked(h, id), BST_CHECKED) << id;
        for (int id : {IDC_INSTALL_PLACE_LABEL, IDC_INSTALL_NAME_LABEL, IDC_INSTALL_FOLDER_NAME,
                 IDC_INSTALL_IN_START_MENU, IDC_INSTALL_ON_DESKTOP})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, id))) << id;
        ClickCheck(d, IDC_INSTALL_NEW_FOLDER, true);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_INSTALL_FOLDER_NAME)));
        EXPECT_NE(IsDlgButtonChecked(h, IDC_INSTALL_START_MENU), BST_CHECKED);
        ks_test::Click(d, IDOK); // no name
        ASSERT_TRUE(IsWindow(h));
        EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_INSTALL_FOLDER_NAME));
        SetDlgItemTextA(h, IDC_INSTALL_FOLDER_NAME, "My Tools");
        ClickCheck(d, IDC_INSTALL_IN_START_MENU, false); // neither place ticked
        ks_test::Click(d, IDOK);
        ASSERT_TRUE(IsWindow(h));
        ClickCheck(d, IDC_INSTALL_ON_DESKTOP, true);
        checked = true;
        ks_test::Click(d, IDOK);
    });
    GpInstall options(nullptr);
    ASSERT_EQ(options.Execute(), IDOK);
    EXPECT_TRUE(checked);
    EXPECT_EQ(BoxTexts(),
        (std::vector<std::string> {"Please enter a name for the new folder you wish to add.",
            "You have requested a new folder, but you donot have a destination for it selected."}));
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Enter folder name");
    EXPECT_EQ(m_ui.Boxes()[1].caption, "Select Destination");
    EXPECT_EQ(options.Choice.NewFolder, 1);
    EXPECT_EQ(options.Choice.StartMenu, 0);
    EXPECT_EQ(options.Choice.Desktop, 1);
    EXPECT_EQ(options.Choice.AppsDocsOnly, 1);
    EXPECT_EQ(options.Choice.FolderName, "My Tools");
}

TEST_F(ExamineDialog, InstallingMakesShortcutsThatLeadToTheCopiesOnlyForFilesAProgramTakes)
{
    ASSERT_TRUE(CopyFileA((ks_test::BinDir() + "\\unpacker.exe").c_str(), (m_dir + "\\TOOL.EXE").c_str(), FALSE));
    ks_test::PutFile(m_dir, "NOTES.TXT", "notes");
    ks_test::PutFile(m_dir, "DATA.QQQ", "no program takes this");
    const std::string links = MakeDir("links");
    struct Case {
        bool newFolder;
        const char* title;
        UINT flags;
        std::string folder; // where the shortcuts go
    } cases[] = {
        {false, "Select Location for Item Shortcuts", 0, links},
        {true, "Select Location for New Program Folder", BIF_RETURNONLYFSDIRS, links + "\\My Tools"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        m_ui.Clear();
        m_ui.OnDialog(IDD_INSTALL, [&](ks::TDialog& d) {
            if (c.newFolder) {
                ClickCheck(d, IDC_INSTALL_NEW_FOLDER, true);
                SetDlgItemTextA(d.GetHandle(), IDC_INSTALL_FOLDER_NAME, "My Tools");
                ClickCheck(d, IDC_INSTALL_ON_DESKTOP, true);
            }
            ks_test::Click(d, IDOK);
        });
        UINT flags = 0xFFFF;
        m_ui.AnswerFolder([&](BROWSEINFOA& info) {
            flags = info.ulFlags;
            return links;
        });
        Run([&](HWND d) {
            ChooseDest();
            SelectFiles(d, {"DATA.QQQ", "NOTES.TXT", "TOOL.EXE"});
            ClickNow(d, IDC_EXAMINE_INSTALL);
            RealFileDialog::Press(d, IDCANCEL);
        });
        EXPECT_EQ(flags, c.flags);
        ASSERT_EQ(m_ui.Of(Shown::Kind::Folder).size(), 1u);
        EXPECT_EQ(m_ui.Of(Shown::Kind::Folder)[0].caption, c.title);
        EXPECT_EQ(ks_test::FilesIn(m_dest), (std::vector<std::string> {"DATA.QQQ", "NOTES.TXT", "TOOL.EXE"}));
        EXPECT_EQ(ks_test::FilesIn(c.folder), (std::vector<std::string> {"NOTES.TXT.lnk", "TOOL.EXE.lnk"}));
        ASSERT_EQ(Starts().size(), 1u);
        // A folder's path with a blank reaches Explorer whole.
        EXPECT_EQ(Starts()[0].text,
                  c.folder.find(' ') == std::string::npos ? "explorer " + c.folder : "explorer \"" + c.folder + "\"");
        // An independent reader finds each shortcut leading to its copy.
        for (const char* name : {"NOTES.TXT", "TOOL.EXE"}) {
            const std::string info =
                ks_test::RunUnix("lnkinfo '" + ks_test::UnixPath(c.folder + "\\" + name + ".lnk") + "'");
            EXPECT_NE(info.find("Local path\t\t\t: " + m_dest + "\\" + name), std::string::npos) << info;
        }
        for (const char* name : {"DATA.QQQ", "NOTES.TXT", "TOOL.EXE"})
            DeleteFileA((m_dest + "\\" + name).c_str());
    }
}

// Not run by the suite: shows the dialogs for a few seconds each for screenshots
// (--gtest_also_run_disabled_tests --gtest_filter=*Screenshot*).
TEST_F(ExamineDialog, DISABLED_Screenshot)
{
    for (const char* name : {"README.TXT", "PROGRAM.DAT", "SETUP.EX_", "WINZIP95.HLP"})
        ks_test::PutFile(m_dir, name, "x");
    Run([](HWND d) {
        SetTimer(d, 0x5C, 4000, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
            KillTimer(hwnd, id);
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
    });
    m_ui.OnDialog(IDD_INSTALL, [](ks::TDialog& d) {
        ClickCheck(d, IDC_INSTALL_NEW_FOLDER, true);
        SetTimer(d.GetHandle(), 0x5C, 4000, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
            KillTimer(hwnd, id);
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
    });
    GpInstall options(nullptr);
    options.Execute();
}

} // namespace

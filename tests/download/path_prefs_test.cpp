// Path Preferences and the directory browser: what the dialog shows, what OK writes, the close check,
// choosing a directory in the real browser, and making a directory there.
#include <gtest/gtest.h>
#include <windows.h>
#include <cderr.h>

#include <string>

#include "app/ks_app.h"
#include "download/ks_prefs.h"
#include "examine/path_select.h"
#include "resources/resource_ids.h"
#include "tests/download/download_fixture.h"

namespace {

using ks_test::RealFileDialog;
using ks_test::RegNumber;
using ks_test::RegString;
using ks_test::Shown;

std::string Lower(std::string text)
{
    CharLowerA(text.data());
    return text;
}

class PathPreferences : public ks_test::ScratchTest {
protected:
    // Runs the dialog modally; action drives it once it is set up.
    INT_PTR Run(ks_test::ScriptedUi::DialogAction action)
    {
        m_ui.OnDialog(IDD_PATH_PREFS, std::move(action));
        ksPrefs prefs(nullptr);
        return prefs.Execute();
    }
    static std::string Text(ks::TDialog& d, int id) { return d.GetItemText(id, 300); }
    static bool Checked(ks::TDialog& d, int id) { return IsDlgButtonChecked(d.GetHandle(), id) == BST_CHECKED; }
};

constexpr char kWarning[] = "You must enter a path and an alias for the default area you have selected";

TEST_F(PathPreferences, FirstRunOkWritesEverythingThenRefusesAndCancelKeepsWhatOkWrote)
{
    SetFirstRunAreas();
    // Values OK must overwrite, to see that it writes all nine.
    ks_test::SetRegString("Download Directorys", "Area Three", "C:\\stale");
    bool stayedOpen = false;
    const INT_PTR result = Run([&](ks::TDialog& d) {
        for (int id : {IDC_PREFS_PATH1, IDC_PREFS_PATH2, IDC_PREFS_PATH4})
            EXPECT_EQ(Text(d, id), "No Path") << id;
        EXPECT_EQ(Text(d, IDC_PREFS_PATH3), "C:\\stale");
        for (int id = IDC_PREFS_ALIAS1; id <= IDC_PREFS_ALIAS4; ++id)
            EXPECT_EQ(Text(d, id), "") << id;
        EXPECT_TRUE(Checked(d, IDC_PREFS_DEFAULT1));
        EXPECT_EQ(d.GetText(64), "Path Preferences");
        ks_test::SetRegString("Download Directorys", "Area Three", "C:\\changed meanwhile");
        ks_test::Click(d, IDOK);
        stayedOpen = IsWindow(d.GetHandle()) != FALSE;
        ks_test::Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(ks_test::HasBox(m_ui, kWarning, "Warning", MB_ICONSTOP));
    EXPECT_EQ(ks_test::BeepCount(m_ui), 1);
    EXPECT_EQ(RegString("Download Directorys", "Area One"), "No Path");
    EXPECT_EQ(RegString("Download Directorys", "Area Three"), "C:\\stale");
    EXPECT_EQ(RegString("Download Directorys", "Area Four"), "No Path");
    EXPECT_EQ(RegString("Download Directorys", "Alias One"), "");
    EXPECT_EQ(RegString("Download Directorys", "Alias Four"), "");
    EXPECT_EQ(RegNumber("Download Directorys", "Default"), 1u);
}

TEST_F(PathPreferences, ShowsTheStoredAreasAndOkCutsAnAliasTo48Characters)
{
    SetFirstRunAreas();
    SetArea(2, "C:\\Comms\\Incoming", "Forum");
    SetArea(3, "C:\\Net", "");
    ks_test::SetRegNumber("Download Directorys", "Default", 2);
    const std::string longAlias(60, 'x');
    const INT_PTR result = Run([&](ks::TDialog& d) {
        EXPECT_EQ(Text(d, IDC_PREFS_PATH2), "C:\\Comms\\Incoming");
        EXPECT_EQ(Text(d, IDC_PREFS_ALIAS2), "Forum");
        EXPECT_TRUE(Checked(d, IDC_PREFS_DEFAULT2));
        EXPECT_FALSE(Checked(d, IDC_PREFS_DEFAULT1));
        SetDlgItemTextA(d.GetHandle(), IDC_PREFS_ALIAS2, longAlias.c_str());
        // Area 3 has a path and no alias: accepted, as it is not the default area.
        ks_test::Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(RegString("Download Directorys", "Alias Two"), std::string(48, 'x'));
    EXPECT_EQ(RegString("Download Directorys", "Area Three"), "C:\\Net");
    EXPECT_EQ(RegNumber("Download Directorys", "Default"), 2u);
}

TEST_F(PathPreferences, MissingSettingsShowNoPathAndDefaultOutOfRangeChecksArea1)
{
    for (DWORD value : {0u, 5u, 7u}) {
        ks_test::DeleteProgramSettings();
        ks_test::SetRegNumber("Download Directorys", "Default", value);
        Run([&](ks::TDialog& d) {
            EXPECT_TRUE(Checked(d, IDC_PREFS_DEFAULT1)) << value;
            EXPECT_EQ(Text(d, IDC_PREFS_PATH4), "No Path");
            ks_test::Click(d, IDCANCEL);
        });
    }
    // Cancel writes nothing.
    EXPECT_FALSE(RegString("Download Directorys", "Area One").has_value());
}

TEST_F(PathPreferences, BrowseAsksTheDirectoryBrowserAndReportsOnlyRealErrors)
{
    SetFirstRunAreas();
    SetArea(2, "C:\\Comms", "Comms");
    // What the browser is given, then a plain cancel: nothing shown, nothing changed.
    m_ui.AnswerOpenFile([](OPENFILENAMEA& ofn, DWORD& error) {
        EXPECT_STREQ(ofn.lpstrTitle, "Setup Path Two");
        EXPECT_EQ(std::string(ofn.lpstrFilter, 16), std::string("Directorys \0*.\0\0", 16));
        EXPECT_STREQ(ofn.lpstrInitialDir, "C:\\Comms");
        EXPECT_EQ(ofn.lpstrDefExt, nullptr);
        EXPECT_EQ(ofn.lpTemplateName, MAKEINTRESOURCEA(IDD_PATH_SELECT));
        const DWORD wanted = OFN_NOVALIDATE | OFN_HIDEREADONLY | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
        EXPECT_EQ(ofn.Flags & wanted, wanted);
        EXPECT_EQ(ofn.Flags & OFN_EXPLORER, 0u);
        error = 0;
        return false;
    });
    // A failing browser reports its error number.
    m_ui.AnswerOpenFile([](OPENFILENAMEA&, DWORD& error) {
        error = CDERR_FINDRESFAILURE;
        return false;
    });
    Run([&](ks::TDialog& d) {
        ks_test::Click(d, IDC_PREFS_BROWSE2);
        EXPECT_TRUE(m_ui.Boxes().empty());
        ks_test::Click(d, IDC_PREFS_BROWSE4);
        EXPECT_EQ(Text(d, IDC_PREFS_PATH2), "C:\\Comms");
        EXPECT_EQ(Text(d, IDC_PREFS_PATH4), "No Path");
        ks_test::Click(d, IDCANCEL);
    });
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "Error #6 occurred.");
    EXPECT_EQ(m_ui.Boxes()[0].caption, "ERROR");
    EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
}

TEST_F(PathPreferences, ChoosingADirectoryInTheRealBrowserSetsTheAreaAndOkSavesIt)
{
    SetFirstRunAreas();
    const std::string start = MakeDir("start");
    const std::string chosen = MakeDir("start\\Incoming");
    SetArea(1, start, "Mail");
    std::string shownDir;
    DWORD started = 0;
    m_ui.AnswerOpenFile(RealFileDialog::Driven([&](HWND dialog) {
        shownDir.resize(MAX_PATH);
        shownDir.resize(GetDlgItemTextA(dialog, IDC_BROWSE_DIR_TEXT, shownDir.data(), MAX_PATH));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_BROWSE_DIR_LIST)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_BROWSE_DRIVE_LIST)));
        for (int hidden : {IDC_BROWSE_FILE_LIST, IDC_BROWSE_TYPE_LIST, IDC_BROWSE_FILE_NAME, IDC_BROWSE_HELP})
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, hidden))) << hidden;
        if (!RealFileDialog::OpenSubdirectory(dialog, "Incoming")) {
            ADD_FAILURE() << "no Incoming in the directory list";
            RealFileDialog::Press(dialog, IDCANCEL);
            return;
        }
        started = GetTickCount();
        RealFileDialog::Press(dialog, IDOK);
    }));
    const INT_PTR result = Run([&](ks::TDialog& d) {
        ks_test::Click(d, IDC_PREFS_BROWSE1);
        std::printf("[ measured ] OK of the file dialog took %lu ms\n", GetTickCount() - started);
        EXPECT_EQ(Text(d, IDC_PREFS_PATH1), chosen);
        ks_test::Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Lower(shownDir), Lower(start));
    EXPECT_EQ(RegString("Download Directorys", "Area One"), chosen);
}

TEST_F(PathPreferences, AnAreaThatIsHoldsOrLiesInTheStoreIsRefused)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.Started());
    const std::string program = app.ProgramDir;
    const std::string store = program + "\\KS_STORE";
    CreateDirectoryA((store + "\\inside").c_str(), nullptr);
    struct Case {
        std::string directory;
        bool refused;
    };
    const Case cases[] = {
        {store, true},
        {store + "\\", true},
        {Lower(store), true},
        {store + "\\inside", true},
        {program, true},                       // holds KS_STORE
        {program.substr(0, 3), true},          // the drive's root holds it too
        {"", true},                            // nothing chosen
        {program + "\\KS_STORE2", false},     // a neighbour is fine
        {m_scratch, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory);
        EXPECT_EQ(ksPrefs::AreaFault(c.directory.c_str()) != nullptr, c.refused);
    }

    // Chosen in the browser: the box says why, and the area keeps its path.
    SetArea(1, store, "Store");
    std::string shown;
    Run([&](ks::TDialog& d) {
        m_ui.AnswerOpenFile(RealFileDialog::Driven([](HWND dialog) { RealFileDialog::Press(dialog, IDOK); }));
        ks_test::Click(d, IDC_PREFS_BROWSE1);
        shown = Text(d, IDC_PREFS_PATH1);
        ks_test::Click(d, IDCANCEL);
    });
    EXPECT_TRUE(ks_test::HasBox(m_ui, ksPrefs::AreaFault(store.c_str()), "Error", MB_ICONEXCLAMATION));
    EXPECT_EQ(shown, store);  // as read from the settings: not replaced by the refused choice
    RemoveDirectoryA((store + "\\inside").c_str());
}

TEST_F(PathPreferences, HelpOpensItsPageOfTheProgramsHelpFile)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.Started());
    Run([&](ks::TDialog& d) {
        ks_test::Click(d, IDC_PREFS_HELP);
        ks_test::Click(d, IDCANCEL);
    });
    const auto calls = m_ui.HelpCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, ks_test::BinDir() + "\\KSHELP32.HLP");
    EXPECT_EQ(calls[0].helpCommand, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(calls[0].helpData, 204u);
}

// ---------------------------------------------------------------- the directory browser on its own

class DirectoryBrowser : public ks_test::ScratchTest {
protected:
    // Runs PathSelect on dir; step drives the real dialog. Returns the end code.
    INT_PTR Browse(const std::string& dir, std::function<void(HWND)> step)
    {
        m_data.Flags = OFN_NOVALIDATE | OFN_HIDEREADONLY;
        m_data.Filter = PathSelect::kFilter;
        m_data.InitialDir = dir;
        m_ui.AnswerOpenFile(RealFileDialog::Driven(std::move(step)));
        m_browser = std::make_unique<PathSelect>(nullptr, m_data, "Browse test");
        return m_browser->Execute();
    }
    // The next input box is answered with this text (or cancelled).
    void AnswerInput(const char* text, int button = IDOK)
    {
        m_ui.OnDialog(IDD_INPUT_DIALOG, [text, button](ks::TDialog& d) {
            EXPECT_EQ(d.GetText(64), "Create Directory");
            EXPECT_EQ(d.GetItemText(IDC_INPUT_PROMPT, 100), "Enter the name for the new directory (NOT path)");
            SetDlgItemTextA(d.GetHandle(), IDC_INPUT_EDIT, text);
            ks_test::Click(d, button);
        });
    }
    static void MakeDirectory(HWND dialog)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_MAKE_DIR, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_BROWSE_MAKE_DIR)));
    }
    static bool IsDirectory(const std::string& path)
    {
        const DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }

    ks::TOpenSaveData m_data;
    std::unique_ptr<PathSelect> m_browser;
};

TEST_F(DirectoryBrowser, OkWithoutOpeningAnythingGivesTheShownDirectory)
{
    const std::string dir = MakeDir("plain");
    MakeDir("plain\\below");
    ks_test::PutFile(dir, "file.txt", "x");
    std::vector<std::string> entries;
    const INT_PTR result = Browse(dir, [&](HWND dialog) {
        entries = RealFileDialog::DirectoryEntries(dialog);
        RealFileDialog::Press(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_data.Error, 0u);
    EXPECT_EQ(Lower(m_browser->ChosenDirectory), Lower(dir));
    // Only directories are listed.
    bool below = false;
    for (const std::string& e : entries) {
        EXPECT_EQ(e.find("file.txt"), std::string::npos);
        below = below || e.find("below") != std::string::npos;
    }
    EXPECT_TRUE(below);
}

TEST_F(DirectoryBrowser, CancelGivesNoDirectoryAndNoError)
{
    const std::string dir = MakeDir("plain");
    const INT_PTR result = Browse(dir, [](HWND dialog) { RealFileDialog::Press(dialog, IDCANCEL); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_data.Error, 0u);
    EXPECT_STREQ(m_browser->ChosenDirectory, "");
}

TEST_F(DirectoryBrowser, MakeDirectoryCreatesItInTheShownDirectoryAndListsItAfterTheSelection)
{
    const std::string dir = MakeDir("parent");
    MakeDir("parent\\aaa");
    MakeDir("parent\\zzz");
    std::vector<std::string> before, after;
    int selected = -1;
    Browse(dir, [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_BROWSE_DIR_LIST);
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        selected = 0;
        before = RealFileDialog::DirectoryEntries(dialog);
        AnswerInput("new one");
        MakeDirectory(dialog);
        after = RealFileDialog::DirectoryEntries(dialog);
        RealFileDialog::Press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(IsDirectory(dir + "\\new one"));
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_NE(after[selected + 1].find("new one"), std::string::npos);
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(DirectoryBrowser, MakeDirectoryOfAnExistingNameIsRefusedAndCancelDoesNothing)
{
    const std::string dir = MakeDir("parent");
    MakeDir("parent\\taken");
    std::vector<std::string> before, afterRefusal, afterCancel;
    Browse(dir, [&](HWND dialog) {
        before = RealFileDialog::DirectoryEntries(dialog);
        AnswerInput("taken");
        MakeDirectory(dialog);
        afterRefusal = RealFileDialog::DirectoryEntries(dialog);
        AnswerInput("never made", IDCANCEL);
        MakeDirectory(dialog);
        afterCancel = RealFileDialog::DirectoryEntries(dialog);
        RealFileDialog::Press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(ks_test::HasBox(m_ui, "Unable to create directory, Sorry", "Error", MB_ICONEXCLAMATION));
    EXPECT_EQ(afterRefusal, before);
    EXPECT_EQ(afterCancel, before);
    EXPECT_FALSE(IsDirectory(dir + "\\never made"));
}

TEST_F(DirectoryBrowser, MakeDirectoryRefusesAPathOrDeviceAndAsksAgainWithTheName)
{
    const std::string dir = MakeDir("parent");
    std::string askedAgainWith;
    m_ui.OnDialog(IDD_INPUT_DIALOG, [](ks::TDialog& d) {
        SetDlgItemTextA(d.GetHandle(), IDC_INPUT_EDIT, "..\\escaped");
        ks_test::Click(d, IDOK);
    });
    m_ui.OnDialog(IDD_INPUT_DIALOG, [&](ks::TDialog& d) {
        askedAgainWith = d.GetItemText(IDC_INPUT_EDIT, 100);
        SetDlgItemTextA(d.GetHandle(), IDC_INPUT_EDIT, "NUL");
        ks_test::Click(d, IDOK);
    });
    AnswerInput("", IDCANCEL);
    Browse(dir, [&](HWND dialog) {
        MakeDirectory(dialog);
        RealFileDialog::Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(askedAgainWith, "..\\escaped");
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    EXPECT_NE(m_ui.Boxes()[0].text.find("path"), std::string::npos);
    EXPECT_NE(m_ui.Boxes()[1].text.find("device"), std::string::npos);
    EXPECT_FALSE(IsDirectory(m_scratch + "\\escaped"));
    EXPECT_FALSE(IsDirectory(dir + "\\escaped"));
}

TEST_F(DirectoryBrowser, MakeDirectoryInADriveRootMakesRootAndName)
{
    // C: of the test prefix is writable.
    const std::string name = "ks_root_" + std::to_string(GetCurrentProcessId());
    AnswerInput(name.c_str());
    Browse("C:\\", [&](HWND dialog) {
        MakeDirectory(dialog);
        RealFileDialog::Press(dialog, IDOK);
    });
    EXPECT_TRUE(IsDirectory("C:\\" + name));
    EXPECT_STREQ(m_browser->ChosenDirectory, "C:\\");
    RemoveDirectoryA(("C:\\" + name).c_str());
}

}  // namespace

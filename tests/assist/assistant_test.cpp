// The calling side of assistants: the Storage Interface's Default and Choose buttons running test assistant
// libraries, "Choose Assistant", "Assistant Configuration", and installing from an install file.
#include <gtest/gtest.h>
#include <windows.h>
#include <cderr.h>

#include <string>
#include <vector>

#include "assist/assist_choose.h"
#include "assist/assistants.h"
#include "assist/prefs_assist.h"
#include "tests/assist/assistant_fixture.h"

namespace {

using ks_test::AssistantFixture;
using ks_test::Click;
using ks_test::kTyped;
using ks_test::RegString;
using ks_test::SetRegString;
using ks_test::Shown;
using ks_test::StoreEdits;

class RunningAssistants : public AssistantFixture {};

struct Box {
    std::string text;
    std::string caption;
    UINT icon;
};

std::vector<Box> BoxesOf(const ks_test::ScriptedUi& ui)
{
    std::vector<Box> boxes;
    for (const Shown& s : ui.Boxes())
        boxes.push_back({s.text, s.caption, s.icon});
    return boxes;
}

void SelectEntry(ks::TDialog& d, int listId, const char* text)
{
    SendDlgItemMessageA(d.GetHandle(), listId, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(text));
}

void DoubleClickList(ks::TDialog& d, int listId)
{
    SendMessageA(d.GetHandle(), WM_COMMAND, MAKEWPARAM(listId, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(d.GetItem(listId)));
}

// What each kind of result does to the edits, and the library freed after every run.
TEST_F(RunningAssistants, TakesOverOnlyWhatAPositiveResultProposes)
{
    const struct {
        const char* variant;
        StoreEdits expected;
        const char* box;
    } cases[] = {
        {"title_only", {"Only a title", "typed keywords", "typed abstract"}, nullptr},
        {"one_char", {"A proper title", "typed keywords", "typed abstract"}, nullptr},
        {"zero", kTyped, nullptr},
        {"negative", kTyped, "There has been a error within your DLL, Error Number : -42"},
        // Texts without a terminator are cut at the buffers' last bytes.
        {"unterminated", {std::string(80, 't'), std::string(80, 'k'), std::string(799, 'a')}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variant);
        ks_test::DeleteProgramSettings();
        Installed(c.variant, c.variant);
        SetRegString("Initialisation", "Default Assistant", c.variant);
        m_ui.Clear();
        EXPECT_EQ(PressDefault(), c.expected);
        EXPECT_EQ(m_storeResult, IDCANCEL);  // the busy flag is clear again
        EXPECT_FALSE(LibraryLoaded(std::string(c.variant) + ".dll"));
        const auto boxes = BoxesOf(m_ui);
        if (c.box) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, c.box);
            EXPECT_EQ(boxes[0].caption, "DLL Error");
            EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_EQ(m_ui.Of(Shown::Kind::Beep).size(), 1u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
}

// The assistant gets the edit's file name, the download area as current directory, empty texts and a zero;
// while it runs the Storage Interface neither closes nor starts another assistant; each run loads the
// library afresh and frees it.
TEST_F(RunningAssistants, EachRunLoadsTheLibraryAndHoldsTheDialogOpenMeanwhile)
{
    Installed("Echo", "echo");
    SetRegString("Initialisation", "Default Assistant", "Echo");
    std::vector<StoreEdits> runs;
    bool loadedBetween = true;
    WithStore("TOOLS.ZIP", [&](ks::TDialog& d) {
        d.SetItemText(IDC_STORE_FILENAME, "RENAMED.ZIP");
        for (int i = 0; i < 2; ++i) {
            Click(d, IDC_STORE_DEFAULT);
            runs.push_back({d.GetItemText(IDC_STORE_TITLE, 100), d.GetItemText(IDC_STORE_KEYWORDS, 100),
                            d.GetItemText(IDC_STORE_ABSTRACT, 1000)});
            loadedBetween = loadedBetween && LibraryLoaded("echo.dll");
        }
    });
    ASSERT_EQ(runs.size(), 2u);
    const std::string report = "file=RENAMED.ZIP|dir=" + m_area + "|reserved=0|empty=1|owner=1";
    for (const StoreEdits& run : runs)
        EXPECT_EQ(run, (StoreEdits{"run 1", "echo, keywords", report}));
    EXPECT_FALSE(loadedBetween);
    EXPECT_EQ(m_storeResult, IDCANCEL);
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(RunningAssistants, FailuresAreReportedAndChangeNothing)
{
    // kscf.dll is a real library without the entry points; a file of garbage cannot be loaded at all.
    const std::string noEntries = ks_test::BinDir() + "\\kscf.dll";
    const std::string damaged = m_source + "\\DAMAGED.DLL";
    ks_test::WriteBytes(damaged, "MZ" + std::string(3000, '\x13'));
    // A library built for another machine: a real one whose header names the 32-bit x86.
    const std::string foreign = m_source + "\\FOREIGN.DLL";
    std::string image = ks_test::ReadBytes(TestLibrary("echo"));
    ASSERT_GT(image.size(), 0x100u);
    const std::size_t pe = static_cast<unsigned char>(image[0x3C]) | (static_cast<unsigned char>(image[0x3D]) << 8);
    image[pe + 4] = '\x4C';
    image[pe + 5] = '\x01';
    ks_test::WriteBytes(foreign, image);

    const struct {
        const char* what;
        std::function<void(AssistantFixture&)> arrange;
        const char* text;
        const char* caption;
        UINT icon;
    } cases[] = {
        {"no default recorded", [](AssistantFixture&) {}, "There is no Assistant selected as a default.", "Error",
         MB_ICONEXCLAMATION},
        {"default is None", [](AssistantFixture&) { SetRegString("Initialisation", "Default Assistant", "None"); },
         "There is no Assistant selected as a default.", "Error", MB_ICONEXCLAMATION},
        {"default without a file name",
         [](AssistantFixture&) { SetRegString("Initialisation", "Default Assistant", "Gone"); },
         "Sorry, Could not retrieve the filename for this Assistant", "Registry Error", MB_ICONEXCLAMATION},
        {"library missing",
         [](AssistantFixture&) {
             SetRegString("Initialisation", "Default Assistant", "Lost");
             SetRegString("Assistants\\Lost", "Filename", "LOST.DLL");
         },
         "Sorry, Cannot locate Assistant DLL in your Kestrum Directory.", "File Access Error", MB_ICONSTOP},
        {"library outside the program folder",
         [](AssistantFixture&) {
             SetRegString("Initialisation", "Default Assistant", "Outside");
             SetRegString("Assistants\\Outside", "Filename", "..\\test_assistants\\echo.dll");
         },
         "Sorry, Cannot locate Assistant DLL in your Kestrum Directory.", "File Access Error", MB_ICONSTOP},
        {"damaged library",
         [&](AssistantFixture& f) {
             f.Installed("Damaged", damaged, "DAMAGED.DLL");
             SetRegString("Initialisation", "Default Assistant", "Damaged");
         },
         "Could not load requested assistant DLL", "DLL Loading Problem", MB_ICONEXCLAMATION},
        {"library for another machine",
         [&](AssistantFixture& f) {
             f.Installed("Foreign", foreign, "FOREIGN.DLL");
             SetRegString("Initialisation", "Default Assistant", "Foreign");
         },
         "Could not load requested assistant DLL", "DLL Loading Problem", MB_ICONEXCLAMATION},
        {"no _StartAssist",
         [&](AssistantFixture& f) {
             f.Installed("Empty", noEntries, "EMPTY.DLL");
             SetRegString("Initialisation", "Default Assistant", "Empty");
         },
         "Problem Loading Function Address - StartAssist", "Error", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ks_test::DeleteProgramSettings();
        c.arrange(*this);
        m_ui.Clear();
        EXPECT_EQ(PressDefault(), kTyped);
        EXPECT_EQ(m_storeResult, IDCANCEL);
        const auto boxes = BoxesOf(m_ui);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(boxes[0].icon, c.icon);
    }
    EXPECT_FALSE(LibraryLoaded("EMPTY.DLL"));
}

// A library of the same name in the download area (the current directory) is never the one loaded.
TEST_F(RunningAssistants, OnlyTheProgramFoldersLibraryIsLoaded)
{
    CopyFileA(TestLibrary("echo").c_str(), (m_area + "\\SAME.DLL").c_str(), FALSE);
    SetRegString("Assistants\\Same", "Filename", "SAME.DLL");
    SetRegString("Initialisation", "Default Assistant", "Same");
    // Not in the program folder: not found, although the current directory has one.
    EXPECT_EQ(PressDefault(), kTyped);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "File Access Error");

    // Configuring does not look first; it must still not take the area's library.
    m_ui.Clear();
    assist::ConfigureAssistant(nullptr, "Same");
    EXPECT_FALSE(RegString("Test Assistant", "Setup").has_value());
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "Sorry, Could not load requested assistant DLL.");

    // In the program folder too: that one runs.
    Installed("Same", TestLibrary("title_only"), "SAME.DLL");
    m_ui.Clear();
    EXPECT_EQ(PressDefault().title, "Only a title");
    EXPECT_TRUE(m_ui.Boxes().empty());
}

TEST_F(RunningAssistants, ChooseRunsThePickedAssistant)
{
    Installed("Title Only", "title_only");
    Installed("Echo", "echo");
    SetRegString("Assistants\\No File", "Other", "x");

    // OK on a selection; a double click; Cancel; OK without a selection, then Cancel; a name without a file.
    std::vector<std::string> listed;
    m_ui.OnDialog(IDD_ASSIST_CHOOSE, [&](ks::TDialog& d) {
        for (int i = 0; i < SendDlgItemMessageA(d.GetHandle(), IDC_CHOOSE_LIST, LB_GETCOUNT, 0, 0); ++i) {
            char text[64]{};
            SendDlgItemMessageA(d.GetHandle(), IDC_CHOOSE_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            listed.push_back(text);
        }
        SelectEntry(d, IDC_CHOOSE_LIST, "Title Only");
        Click(d, IDOK);
    });
    EXPECT_EQ(WithStore("A.ZIP", [](ks::TDialog& d) { Click(d, IDC_STORE_CHOOSE); }).title, "Only a title");
    EXPECT_EQ(listed, (std::vector<std::string>{"Echo", "No File", "Title Only"}));

    m_ui.OnDialog(IDD_ASSIST_CHOOSE, [](ks::TDialog& d) {
        SelectEntry(d, IDC_CHOOSE_LIST, "Echo");
        DoubleClickList(d, IDC_CHOOSE_LIST);
    });
    EXPECT_EQ(WithStore("A.ZIP", [](ks::TDialog& d) { Click(d, IDC_STORE_CHOOSE); }).title, "run 1");

    m_ui.OnDialog(IDD_ASSIST_CHOOSE, [](ks::TDialog& d) {
        SelectEntry(d, IDC_CHOOSE_LIST, "Echo");
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(WithStore("A.ZIP", [](ks::TDialog& d) { Click(d, IDC_STORE_CHOOSE); }), kTyped);

    // It opens on the default assistant, or on the first when the default is not installed: OK at once runs it.
    for (const char* defaultName : {"Title Only", "Gone"}) {
        SetRegString("Initialisation", "Default Assistant", defaultName);
        m_ui.Clear();
        m_ui.OnDialog(IDD_ASSIST_CHOOSE, [](ks::TDialog& d) { Click(d, IDOK); });
        EXPECT_EQ(WithStore("A.ZIP", [](ks::TDialog& d) { Click(d, IDC_STORE_CHOOSE); }).title,
                  std::string(defaultName) == "Gone" ? "run 1" : "Only a title")
            << defaultName;
        EXPECT_TRUE(m_ui.Boxes().empty()) << defaultName;
    }

    m_ui.Clear();
    m_ui.OnDialog(IDD_ASSIST_CHOOSE, [](ks::TDialog& d) {
        SelectEntry(d, IDC_CHOOSE_LIST, "No File");
        Click(d, IDOK);
    });
    EXPECT_EQ(WithStore("A.ZIP", [](ks::TDialog& d) { Click(d, IDC_STORE_CHOOSE); }), kTyped);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "Could not extract DLL Name for assistant from Registry.");
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Registry Problem");

    // Help.
    m_ui.OnDialog(IDD_ASSIST_CHOOSE, [](ks::TDialog& d) {
        Click(d, IDC_CHOOSE_HELP);
        Click(d, IDCANCEL);
    });
    WithStore("A.ZIP", [](ks::TDialog& d) { Click(d, IDC_STORE_CHOOSE); });
    ASSERT_FALSE(m_ui.HelpCalls().empty());
    EXPECT_EQ(m_ui.HelpCalls().back().helpData, static_cast<ULONG_PTR>(HELP_CTX_ASSIST_CHOOSE));
}

const char kEmptyListText[] =
    "You donot seem to have any assistants installed on your system.\rAssistants will automatically fill in the "
    "data about your file for you.\rYou can download a variety of Assistants for Kestrum32 from the same location "
    "that\r you obtained Kestrum from. Search for the Keyword KESTRUM32.\rWhen you have downloaded an Assistant, "
    "simply Unzip it and place it in a temporary\r directory, startup Kestrum32 and select ( Preferences | "
    "Assistants | Install ) from\r the main menu.";

class ConfiguringAssistants : public AssistantFixture {
protected:
    // Runs "Assistant Configuration" from the client's command, as the menu does.
    void RunConfiguration(std::function<void(ks::TDialog&)> action)
    {
        m_ui.OnDialog(IDD_ASSIST_CONFIG, std::move(action));
        ASSERT_TRUE(m_client->HandlesCommand(CM_ASSIST_CONFIGURE));
        m_client->OnCommand(CM_ASSIST_CONFIGURE, 0, nullptr);
    }
    static std::string DefaultShown(ks::TDialog& d) { return d.GetItemText(IDC_CONFIG_DEFAULT, 100); }
};

TEST_F(ConfiguringAssistants, AnEmptyListSaysSoAndOkWritesNone)
{
    std::string shown;
    RunConfiguration([&](ks::TDialog& d) {
        shown = DefaultShown(d);
        Click(d, IDOK);
    });
    EXPECT_EQ(shown, "None");
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, kEmptyListText);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "No Assistansts Installed");
    EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(RegString("Initialisation", "Default Assistant"), "None");

    // With nothing to select, each button says what it wanted.
    m_ui.Clear();
    RunConfiguration([&](ks::TDialog& d) {
        Click(d, IDC_CONFIG_MAKE_DEFAULT);
        Click(d, IDC_CONFIG_CONFIGURE);
        Click(d, IDCANCEL);
    });
    auto boxes = BoxesOf(m_ui);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text, "Please select an assistant to make as the default.");
    EXPECT_EQ(boxes[2].text, "Please select an assistant to setup.");
    EXPECT_EQ(boxes[2].caption, "Error");

    // "Choose Assistant" shows the same message over its empty list, and OK stays open asking for one.
    m_ui.Clear();
    bool stayedOpen = false;
    m_ui.OnDialog(IDD_ASSIST_CHOOSE, [&](ks::TDialog& d) {
        Click(d, IDOK);
        stayedOpen = d.GetResult() != IDOK;
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(WithStore("A.ZIP", [](ks::TDialog& d) { Click(d, IDC_STORE_CHOOSE); }), kTyped);
    EXPECT_TRUE(stayedOpen);
    boxes = BoxesOf(m_ui);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, kEmptyListText);
    EXPECT_EQ(boxes[1].text, "Please select an assistant.");
    EXPECT_EQ(boxes[1].caption, "Error");
}

TEST_F(ConfiguringAssistants, MakeDefaultShowsAndOnlyOkOrADoubleClickSaves)
{
    Installed("Alpha", "echo");
    Installed("Beta", "title_only");
    SetRegString("Initialisation", "Default Assistant", "Beta");

    // It opens on the default assistant, or on the first when the default is not installed.
    for (const char* defaultName : {"Beta", "Gone"}) {
        SetRegString("Initialisation", "Default Assistant", defaultName);
        std::string selected = "(none)";
        RunConfiguration([&](ks::TDialog& d) {
            const LRESULT index = SendDlgItemMessageA(d.GetHandle(), IDC_CONFIG_LIST, LB_GETCURSEL, 0, 0);
            char text[64]{};
            if (index >= 0 &&
                SendDlgItemMessageA(d.GetHandle(), IDC_CONFIG_LIST, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text)) > 0)
                selected = text;
            Click(d, IDCANCEL);
        });
        EXPECT_EQ(selected, std::string(defaultName) == "Gone" ? "Alpha" : "Beta") << defaultName;
    }
    SetRegString("Initialisation", "Default Assistant", "Beta");

    // Make Default without OK is dropped.
    std::string before, after;
    RunConfiguration([&](ks::TDialog& d) {
        before = DefaultShown(d);
        SelectEntry(d, IDC_CONFIG_LIST, "Alpha");
        Click(d, IDC_CONFIG_MAKE_DEFAULT);
        after = DefaultShown(d);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(before, "Beta");
    EXPECT_EQ(after, "Alpha");
    EXPECT_EQ(RegString("Initialisation", "Default Assistant"), "Beta");

    // A double click saves what the static shows, not the entry clicked.
    RunConfiguration([&](ks::TDialog& d) {
        SelectEntry(d, IDC_CONFIG_LIST, "Alpha");
        Click(d, IDC_CONFIG_MAKE_DEFAULT);
        SelectEntry(d, IDC_CONFIG_LIST, "Beta");
        DoubleClickList(d, IDC_CONFIG_LIST);
    });
    EXPECT_EQ(RegString("Initialisation", "Default Assistant"), "Alpha");

    m_ui.Clear();
    RunConfiguration([&](ks::TDialog& d) {
        Click(d, IDC_CONFIG_HELP);
        Click(d, IDCANCEL);
    });
    ASSERT_EQ(m_ui.HelpCalls().size(), 1u);
    EXPECT_EQ(m_ui.HelpCalls()[0].helpData, static_cast<ULONG_PTR>(HELP_CTX_ASSIST_CONFIG));
}

TEST_F(ConfiguringAssistants, ConfigureCallsTheLibrarysSetupEachTimeAfresh)
{
    Installed("Echo", "echo");
    Installed("Empty", ks_test::BinDir() + "\\kscf.dll", "EMPTY.DLL");
    SetRegString("Assistants\\Gone", "Other", "x");
    std::vector<std::string> reports;
    RunConfiguration([&](ks::TDialog& d) {
        for (int i = 0; i < 2; ++i) {
            SelectEntry(d, IDC_CONFIG_LIST, "Echo");
            Click(d, IDC_CONFIG_CONFIGURE);
            reports.push_back(RegString("Test Assistant", "Setup").value_or("not called"));
        }
        SelectEntry(d, IDC_CONFIG_LIST, "Empty");
        Click(d, IDC_CONFIG_CONFIGURE);
        SelectEntry(d, IDC_CONFIG_LIST, "Gone");
        Click(d, IDC_CONFIG_CONFIGURE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(reports, (std::vector<std::string>{"owner=1|reserved=0|runs=1", "owner=1|reserved=0|runs=1"}));
    EXPECT_FALSE(LibraryLoaded("echo.dll"));
    const auto boxes = BoxesOf(m_ui);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Problem Loading Function Address from DLL - SetupAssistant.");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].icon, 0u);
    EXPECT_EQ(boxes[1].text, "Sorry, Could not load requested assistant DLL.");
    EXPECT_EQ(boxes[1].caption, "DLL Loading Problem");
}

class InstallingAssistants : public AssistantFixture {
protected:
    void Ksa(const std::string& name, const std::string& body) { ks_test::WriteBytes(m_source + "\\" + name, body); }
    void Library(const std::string& file)
    {
        CopyFileA(TestLibrary("echo").c_str(), (m_source + "\\" + file).c_str(), FALSE);
    }
    // Runs the Install command with the install file chosen in the file dialog; gives the last box's text.
    std::string Install(const std::string& ksa)
    {
        m_ui.Clear();
        const std::string path = m_source + "\\" + ksa;
        m_ui.AnswerOpenFile([path, this](OPENFILENAMEA& ofn, DWORD&) {
            m_flags = ofn.Flags;
            m_initialDir = ofn.lpstrInitialDir ? ofn.lpstrInitialDir : "";
            m_title = ofn.lpstrTitle ? ofn.lpstrTitle : "";
            m_defExt = ofn.lpstrDefExt ? ofn.lpstrDefExt : "";
            m_filter.assign(ofn.lpstrFilter, 33);
            lstrcpynA(ofn.lpstrFile, path.c_str(), ofn.nMaxFile);
            return true;
        });
        EXPECT_TRUE(m_client->HandlesCommand(CM_ASSIST_INSTALL));
        m_client->OnCommand(CM_ASSIST_INSTALL, 0, nullptr);
        const auto boxes = m_ui.Boxes();
        return boxes.empty() ? "" : boxes.back().text;
    }
    DWORD m_flags = 0;
    std::string m_initialDir;
    std::string m_title;
    std::string m_defExt;
    std::string m_filter;
};

TEST_F(InstallingAssistants, AnInstallMovesTheLibraryAndRecordsIt)
{
    Ksa("GOOD.KSA", "[Install]\r\n32 Bit=True\r\nName=Good Helper\r\nFile=GOOD.DLL\r\n");
    Library("GOOD.DLL");
    SetRegString("Initialisation", "Default Assistant", "Other");
    EXPECT_EQ(Install("GOOD.KSA"), "Assistant Installation Successful.");
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "Install Status");
    EXPECT_EQ(m_ui.Boxes()[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(m_ui.Of(Shown::Kind::Beep).size(), 1u);
    EXPECT_TRUE(ks_test::FileThere(m_prog + "\\GOOD.DLL"));
    EXPECT_FALSE(ks_test::FileThere(m_source + "\\GOOD.DLL"));
    EXPECT_TRUE(ks_test::FileThere(m_source + "\\GOOD.KSA"));
    EXPECT_EQ(RegString("Assistants\\Good Helper", "Filename"), "GOOD.DLL");
    EXPECT_EQ(RegString("Initialisation", "Default Assistant"), "Other");
    // The file dialog as the user sees it.
    EXPECT_EQ(m_title, "Select Assistant Install File");
    EXPECT_EQ(m_filter, std::string("Assistant Install (*.KSA)\0*.ksa\0\0", 33));
    EXPECT_EQ(m_defExt, "ksa");
    EXPECT_EQ(m_flags & (OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY),
              static_cast<DWORD>(OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY));

    // No folder of shipped assistants: the dialog's own choice.
    EXPECT_EQ(m_initialDir, "");

    // A second install from the same folder finds the library gone. The dialog opens in the folder of the
    // assistants that came with the program, now that there is one.
    CreateDirectoryA((m_prog + "\\assistants").c_str(), nullptr);
    EXPECT_EQ(Install("GOOD.KSA"),
              "Sorry, Couldn't find the Plug-In Dll: GOOD.DLL that is listed in the Install File.");
    EXPECT_EQ(m_initialDir, m_prog + "\\assistants");
    RemoveDirectoryA((m_prog + "\\assistants").c_str());

    // The same name with another file: the new library, the existing sub-key pointing at it.
    Ksa("NEWER.KSA", "[Install]\r\n32 Bit=True\r\nName=Good Helper\r\nFile=NEWER.DLL\r\n");
    Library("NEWER.DLL");
    EXPECT_EQ(Install("NEWER.KSA"), "Assistant Installation Successful.");
    EXPECT_EQ(RegString("Assistants\\Good Helper", "Filename"), "NEWER.DLL");

    // A name longer than 48 characters is cut to 48.
    const std::string longName(60, 'N');
    Ksa("LONG.KSA", "[Install]\r\n32 Bit=True\r\nName=" + longName + "\r\nFile=LONG.DLL\r\n");
    Library("LONG.DLL");
    EXPECT_EQ(Install("LONG.KSA"), "Assistant Installation Successful.");
    EXPECT_EQ(RegString(("Assistants\\" + longName.substr(0, 48)).c_str(), "Filename"), "LONG.DLL");
}

TEST_F(InstallingAssistants, RefusedInstallFilesChangeNothing)
{
    Library("X.DLL");
    ks_test::WriteBytes(m_prog + "\\THERE.DLL", "already installed");
    ks_test::WriteBytes(m_area + "\\X.DLL", "beside the source folder");
    const char* plainName = "Sorry, The Assistant Filename in the Install File must be a plain file name, without a "
                            "drive, a directory or \"..\".";
    const struct {
        const char* body;
        const char* text;
        const char* caption;
        UINT icon;
    } cases[] = {
        {"32 Bit=true\r\nName=A\r\nFile=X.DLL",
         "Sorry, This Assistant appears to be for Windows 3.x and is not compatible with Kestrum32.", "Error",
         MB_ICONSTOP},
        {"Name=A\r\nFile=X.DLL",
         "Sorry, This Assistant appears to be for Windows 3.x and is not compatible with Kestrum32.", "Error",
         MB_ICONSTOP},
        {"32 Bit=True\r\nFile=X.DLL", "Sorry, Couldn't find the Assistant alias name in the Install File.", "Error",
         MB_ICONSTOP},
        {"32 Bit=True\r\nName=No Entry\r\nFile=X.DLL",
         "Sorry, Couldn't find the Assistant alias name in the Install File.", "Error", MB_ICONSTOP},
        {"32 Bit=True\r\nName=A", "Sorry, Couldn't find the Assistant Filename in Install File.", "Error",
         MB_ICONSTOP},
        {"32 Bit=True\r\nName=A\r\nFile=MISSING.DLL",
         "Sorry, Couldn't find the Plug-In Dll: MISSING.DLL that is listed in the Install File.", "Error",
         MB_ICONSTOP},
        {"32 Bit=True\r\nName=A\r\nFile=THERE.DLL", nullptr, nullptr, 0},  // filled below
        {"32 Bit=True\r\nName=A\r\nFile=..\\ks_assist_area\\X.DLL", plainName, "Error", MB_ICONSTOP},
        {"32 Bit=True\r\nName=A\r\nFile=C:X.DLL", plainName, "Error", MB_ICONSTOP},
        {"32 Bit=True\r\nName=A\r\nFile=sub\\X.DLL", plainName, "Error", MB_ICONSTOP},
        {"32 Bit=True\r\nName=A\\B\r\nFile=X.DLL",
         "Sorry, The Assistant alias name in the Install File must not be empty or contain a backslash.", "Error",
         MB_ICONSTOP},
    };
    Library("THERE.DLL");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        Ksa("CASE.KSA", std::string("[Other]\r\nName=Wrong\r\n[Install]\r\n") + c.body + "\r\n");
        Install("CASE.KSA");
        const auto boxes = BoxesOf(m_ui);
        ASSERT_EQ(boxes.size(), 1u);
        if (c.text) {
            EXPECT_EQ(boxes[0].text, c.text);
            EXPECT_EQ(boxes[0].caption, c.caption);
            EXPECT_EQ(boxes[0].icon, c.icon);
        } else {
            EXPECT_EQ(boxes[0].text, "There is already a copy of THERE.DLL in your Kestrum Directory.");
            EXPECT_EQ(boxes[0].caption, "Warning");
            EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
        }
        EXPECT_EQ(m_ui.Of(Shown::Kind::Beep).size(), 1u);
        EXPECT_TRUE(ks_test::FileThere(m_source + "\\X.DLL"));
        EXPECT_EQ(ks_test::ReadBytes(m_prog + "\\THERE.DLL"), "already installed");
        EXPECT_FALSE(ks_test::FileThere(m_prog + "\\X.DLL"));
        EXPECT_FALSE(RegString("Assistants\\A", "Filename").has_value());
        EXPECT_FALSE(RegString("Assistants\\Wrong", "Filename").has_value());
    }

    // The file dialog failing, and cancelled.
    m_ui.Clear();
    m_ui.AnswerOpenFile([](OPENFILENAMEA&, DWORD& error) {
        error = FNERR_INVALIDFILENAME;
        return false;
    });
    m_client->OnCommand(CM_ASSIST_INSTALL, 0, nullptr);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "Error #12290 occurred.");
    EXPECT_EQ(m_ui.Boxes()[0].caption, "ERROR");
    m_ui.Clear();
    m_client->OnCommand(CM_ASSIST_INSTALL, 0, nullptr);
    EXPECT_TRUE(m_ui.Boxes().empty());
}

}  // namespace

namespace {

// Not run by the suite: shows the assistant windows for a few seconds each, so that screenshots can be taken
// (run with --gtest_also_run_disabled_tests --gtest_filter=*Screenshot*).
class AssistantScreenshot : public ks_test::AssistantFixture {
protected:
    // The dialog manager shows a modal dialog once its loop is idle; this loop is the test's own.
    static void ShowFor(ks::TDialog& d, DWORD ms)
    {
        ShowWindow(d.GetHandle(), SW_SHOW);
        const DWORD end = GetTickCount() + ms;
        MSG msg;
        while (GetTickCount() < end) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(20);
        }
    }
};

TEST_F(AssistantScreenshot, DISABLED_Windows)
{
    Installed("Archive Description", ks_test::BinDir() + "\\assistants\\ARCDESC.DLL", "ARCDESC.DLL");
    Installed("Echo", "echo");
    SetRegString("Initialisation", "Default Assistant", "Archive Description");
    m_ui.OnDialog(IDD_ASSIST_CONFIG, [](ks::TDialog& d) {
        ShowFor(d, 3000);  // as it opens: on the default assistant
        SetTimer(nullptr, 0, 3000, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            if (HWND setup = FindWindowA(nullptr, "Archive Description"))
                PostMessageA(setup, WM_COMMAND, IDCANCEL, 0);
        });
        assist::ConfigureAssistant(d.GetHandle(), "Archive Description");
        Click(d, IDCANCEL);
    });
    m_client->OnCommand(CM_ASSIST_CONFIGURE, 0, nullptr);
    m_ui.OnDialog(IDD_ASSIST_CHOOSE, [](ks::TDialog& d) {
        ShowFor(d, 3000);
        Click(d, IDCANCEL);
    });
    WithStore("WIDGETS.ZIP", [](ks::TDialog& d) {
        ShowWindow(d.GetHandle(), SW_SHOW);
        Click(d, IDC_STORE_CHOOSE);
    });
}

}  // namespace

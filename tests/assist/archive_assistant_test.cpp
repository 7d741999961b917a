// The shipped "Archive Description" assistant run from the Storage Interface's Default button on files of a
// download area: ZIPs with each kind of description, a plain text file, a damaged ZIP, programs, installers,
// documents, music, pictures and tar archives made by independent tools, texts in any encoding; and its own
// configuration window choosing the kinds of file and the sources it reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "assist/assistants.h"
#include "tests/assist/assistant_fixture.h"
#include "tests/assist/sample_files.h"
#include "tests/assist/zip_builder.h"

namespace {

using ks_test::BuildZip;
using ks_test::kTyped;
using ks_test::StoreEdits;

class ArchiveAssistant : public ks_test::AssistantFixture {
protected:
    void SetUp() override
    {
        AssistantFixture::SetUp();
        Installed("Archive Description", ks_test::BinDir() + "\\assistants\\ARCDESC.DLL", "ARCDESC.DLL");
        ks_test::SetRegString("Initialisation", "Default Assistant", "Archive Description");
    }
    FILETIME Written(const std::string& path)
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
        return data.ftLastWriteTime;
    }
};

using ks_test::Utf8;
std::string Sample(const std::string& name) { return ks_test::SampleBytes(name); }
StoreEdits Utf8(const StoreEdits& e) { return {Utf8(e.title), Utf8(e.keywords), Utf8(e.abstract)}; }

// Runs the assistant's configuration window modally; act sees it once it is up and presses its buttons.
void Configure(HWND owner, std::function<void(HWND)> act)
{
    static std::function<void(HWND)> s_act;
    s_act = std::move(act);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND setup = FindWindowA(nullptr, "Archive Description");
        DWORD pid = 0;
        if (!setup || (GetWindowThreadProcessId(setup, &pid), pid != GetCurrentProcessId()))
            return;
        KillTimer(nullptr, id);
        s_act(setup);
    });
    ASSERT_NE(timer, 0u);
    assist::ConfigureAssistant(owner, "Archive Description");
}

const std::string kDiz = "WIDGET TOOLS 2.1 - the widget maker\r\nMakes widgets of\r\nevery size.\r\n";
const std::string kIon = "WIDGET.EXE The widget program for DOS\r\nREADME.TXT How to start\r\n";
const std::string kReadme = "*************************\r\n  Widget Tools Manual\r\n\r\nCopy the files.\r\n";

TEST_F(ArchiveAssistant, ProposesTheArchivesDescription)
{
    const struct {
        const char* file;
        std::string bytes;
        StoreEdits expected;
    } cases[] = {
        {"DIZ.ZIP",
         BuildZip({{"WIDGET.EXE", std::string(3000, 'x'), true}, {"README.TXT", kReadme, true},
                   {"FILE_ID.DIZ", kDiz, true}}),
         {"WIDGET TOOLS 2.1 - the widget maker", "WIDGET, TOOLS, maker",
          "WIDGET TOOLS 2.1 - the widget maker Makes widgets of every size."}},
        {"STORED.ZIP", BuildZip({{"FILE_ID.DIZ", kDiz, false}}),
         {"WIDGET TOOLS 2.1 - the widget maker", "WIDGET, TOOLS, maker",
          "WIDGET TOOLS 2.1 - the widget maker Makes widgets of every size."}},
        {"ION.ZIP", BuildZip({{"README.TXT", kReadme, false}, {"DESCRIPT.ION", kIon, true}}),
         {"The widget program for DOS", "widget, program, DOS", "The widget program for DOS How to start"}},
        {"README.ZIP", BuildZip({{"WIDGET.EXE", "MZ", false}, {"README.TXT", kReadme, true}}),
         {"Widget Tools Manual", "Widget, Tools, Manual", "Widget Tools Manual Copy the files."}},
        {"NOTES.TXT", "Minutes of the widget meeting\r\nAll came.\r\n",
         {"Minutes of the widget meeting", "Minutes, widget, meeting", "Minutes of the widget meeting All came."}},
        {"PLAIN.ZIP", BuildZip({{"WIDGET.EXE", "MZ", false}}), kTyped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = m_area + "\\" + c.file;
        ks_test::WriteBytes(path, c.bytes);
        const FILETIME before = Written(path);
        m_ui.Clear();
        EXPECT_EQ(PressDefault(c.file), c.expected);
        EXPECT_TRUE(m_ui.Boxes().empty());
        // The assistant only reads the file.
        EXPECT_EQ(ks_test::ReadBytes(path), c.bytes);
        const FILETIME after = Written(path);
        EXPECT_EQ(CompareFileTime(&before, &after), 0);
    }
}

TEST_F(ArchiveAssistant, ADamagedZipGivesANegativeResultAndNoChange)
{
    std::string zip = BuildZip({{"FILE_ID.DIZ", kDiz, true}});
    zip[30 + 11 + 4] ^= 0x5A;  // inside the compressed description
    ks_test::WriteBytes(m_area + "\\BROKEN.ZIP", zip);
    ks_test::WriteBytes(m_area + "\\CUT.ZIP", zip.substr(0, 40));
    for (const char* file : {"BROKEN.ZIP", "CUT.ZIP"}) {
        SCOPED_TRACE(file);
        m_ui.Clear();
        EXPECT_EQ(PressDefault(file), kTyped);
        ASSERT_EQ(m_ui.Boxes().size(), 1u);
        EXPECT_EQ(m_ui.Boxes()[0].text, "There has been a error within your DLL, Error Number : -2");
        EXPECT_EQ(m_ui.Boxes()[0].caption, "DLL Error");
    }
    // A file that is not there.
    m_ui.Clear();
    EXPECT_EQ(PressDefault("ABSENT.ZIP"), kTyped);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text, "There has been a error within your DLL, Error Number : -1");
}

// The configuration window, driven as a user would while it runs modally.
TEST_F(ArchiveAssistant, ItsConfigurationChoosesTheSourcesItReads)
{
    static bool s_sawWindow = false;
    s_sawWindow = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND setup = FindWindowA(nullptr, "Archive Description");
        if (!setup)
            return;
        DWORD pid = 0;
        GetWindowThreadProcessId(setup, &pid);
        if (pid != GetCurrentProcessId())
            return;
        KillTimer(nullptr, id);
        s_sawWindow = IsDlgButtonChecked(setup, IDC_ARCDESC_DIZ) == BST_CHECKED &&
                      IsDlgButtonChecked(setup, IDC_ARCDESC_TEXT) == BST_CHECKED;
        CheckDlgButton(setup, IDC_ARCDESC_DIZ, BST_UNCHECKED);
        SendMessageA(setup, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    ASSERT_NE(timer, 0u);
    assist::ConfigureAssistant(m_manage->GetHandle(), "Archive Description");
    EXPECT_TRUE(s_sawWindow);
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(ks_test::RegNumber("Archive Description", "Read FILE_ID.DIZ"), 0u);
    EXPECT_EQ(ks_test::RegNumber("Archive Description", "Read README"), 1u);

    ks_test::WriteBytes(m_area + "\\BOTH.ZIP", BuildZip({{"FILE_ID.DIZ", kDiz, true}, {"README", kReadme, true}}));
    EXPECT_EQ(PressDefault("BOTH.ZIP").title, "Widget Tools Manual");
}

// Downloads named so that only their contents tell what they are (each kind's wiring is proved by switching it
// off, below), and texts in any encoding (the text file "café.txt" once gave the title "un cafÃ©" and the
// keyword "caf"): the record keeps the system's ANSI page.
TEST_F(ArchiveAssistant, RecognisesDownloadsByTheirContentsInTheRecordsPage)
{
    const struct {
        const char* file;  // ANSI
        std::string bytes;
        StoreEdits expected;  // UTF-8
    } cases[] = {
        {"STUDIO.BIN", Sample("pe\\studio.exe"),
         {"Widget Maker – designer", "Widget Studio, Société Widgets, 3.1",
          "Widget Studio 3.1 by Société Widgets. Widget Maker – designer. © 2024 Société Widgets."}},
        {"TRACK01", Sample("mp3\\v23.mp3"),
         {"Café Society", "The Widgets, Gears – Live, Rock, 1998",
          "Café Society by The Widgets. From the album Gears – Live (1998). Genre: Rock."}},
        {"TOOLS.TGZ", Sample("tar\\diz.tar.gz"),
         {"WIDGET TOOLS 2.1", "WIDGET, TOOLS", "WIDGET TOOLS 2.1 ----- Makes widgets for cafés."}},
        {"caf\xE9.txt", "un caf\xC3\xA9\r\n", {"un café", "café", "un café"}},
        {"WIDE.TXT", std::string("\xFF\xFEu\0n\0 \0c\0a\0f\0\xE9\0\r\0\n\0", 20), {"un café", "café", "un café"}},
        {"DOS.ZIP", BuildZip({{"FILE_ID.DIZ", "Cr\x8Ame br\x96l\x82""e maker\r\n", true}}),
         {"Crème brûlée maker", "Crème, brûlée, maker", "Crème brûlée maker"}},
        // An encrypted document gives nothing away, and leaves what the user typed.
        {"SECRET.PDF", Sample("pdf\\encrypted.pdf"), kTyped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ks_test::WriteBytes(m_area + "\\" + c.file, c.bytes);
        m_ui.Clear();
        EXPECT_EQ(Utf8(PressDefault(c.file)), c.expected);
        EXPECT_TRUE(m_ui.Boxes().empty());
        EXPECT_EQ(ks_test::ReadBytes(m_area + "\\" + c.file), c.bytes);
    }
}

// Each kind of file switched off in the configuration window: kept under the program's key, and such files
// then propose nothing while the other kinds still do.
TEST_F(ArchiveAssistant, ItsConfigurationSwitchesEachKindOfFile)
{
    const struct {
        int control;
        const char* value;
        const char* sample;
        const char* file;
    } cases[] = {
        {IDC_ARCDESC_PROGRAMS, "Read Programs", "pe\\studio.exe", "STUDIO.EXE"},
        {IDC_ARCDESC_INSTALLERS, "Read Installers", "msi\\studio.msi", "STUDIO.MSI"},
        {IDC_ARCDESC_DOCUMENTS, "Read PDF Documents", "pdf\\classic.pdf", "NOTES.PDF"},
        {IDC_ARCDESC_MUSIC, "Read MP3 Music", "mp3\\v24.mp3", "SONG.MP3"},
        {IDC_ARCDESC_PICTURES, "Read Pictures", "picture\\photo.jpg", "PHOTO.JPG"},
        {IDC_ARCDESC_ARCHIVES, "Read Archives", "tar\\descript.tar", "GEARS.TAR"},
        {IDC_ARCDESC_TEXT, "Read Text Files", nullptr, "NOTES.TXT"},
    };
    ks_test::WriteBytes(m_area + "\\NOTES.TXT", "Minutes of the widget meeting\r\n");
    for (const auto& c : cases)
        if (c.sample)
            ks_test::WriteBytes(m_area + "\\" + c.file, Sample(c.sample));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brackenfold\\Kestrum32\\Archive Description");
        bool allOn = true, sourcesGreyed = false;
        Configure(m_manage->GetHandle(), [&](HWND setup) {
            for (const auto& k : cases)
                allOn = allOn && IsDlgButtonChecked(setup, k.control) == BST_CHECKED;
            SendMessageA(GetDlgItem(setup, c.control), BM_CLICK, 0, 0);
            sourcesGreyed = !IsWindowEnabled(GetDlgItem(setup, IDC_ARCDESC_DIZ)) &&
                            !IsWindowEnabled(GetDlgItem(setup, IDC_ARCDESC_README));
            SendMessageA(GetDlgItem(setup, IDOK), BM_CLICK, 0, 0);
        });
        EXPECT_TRUE(allOn);
        EXPECT_EQ(sourcesGreyed, c.control == IDC_ARCDESC_ARCHIVES);
        EXPECT_TRUE(m_ui.Boxes().empty());
        for (const auto& k : cases) {
            EXPECT_EQ(ks_test::RegNumber("Archive Description", k.value), k.control == c.control ? 0u : 1u) << k.value;
            const bool proposes = PressDefault(k.file) != kTyped;
            EXPECT_EQ(proposes, k.control != c.control) << k.file;
        }
    }
}

}  // namespace

// The shipped "Archive Description" assistant run from the Storage Interface's Default button on files of a
// download area: ZIPs with each kind of description, a plain text file, a damaged ZIP; and its own
// configuration window choosing the sources it reads.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "assist/assistants.h"
#include "tests/assist/assistant_fixture.h"
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

}  // namespace

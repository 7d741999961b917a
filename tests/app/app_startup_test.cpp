// Start-up of the application object: engine check, program directory, working directories, first run.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/ks_app.h"
#include "tests/app/registry_probe.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"

namespace {

using ks_test::RegNumber;
using ks_test::RegString;
using ks_test::Shown;

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Each test starts with no settings, in a scratch current directory that holds an engine file.
class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks_test::DeleteProgramSettings();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_work = std::string(temp) + "ks_startup_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_work.c_str(), nullptr);
        PutEngineFile(true);
        GetCurrentDirectoryA(MAX_PATH, m_previousDir);
        SetCurrentDirectoryA(m_work.c_str());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(m_previousDir);
        PutEngineFile(false);
        RemoveDirectoryA((m_work + "\\KS_TEMP").c_str());
        RemoveDirectoryA((m_work + "\\KS_STORE").c_str());
        RemoveDirectoryA(m_work.c_str());
        ks_test::DeleteProgramSettings();
    }
    void PutEngineFile(bool present)
    {
        const std::string engine = m_work + "\\kspdx.exe";
        if (!present) {
            DeleteFileA(engine.c_str());
            return;
        }
        HANDLE file = CreateFileA(engine.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }

    ks_test::ScriptedUi m_ui;
    std::string m_work;
    char m_previousDir[MAX_PATH]{};
};

TEST_F(StartUp, FirstStartWritesTheFirstRunSettingsAndGreetsTheUser)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_TRUE(app.Started());

    EXPECT_EQ(RegString("Initialisation", "Setup"), "OK");
    EXPECT_EQ(RegString("Initialisation", "Interceptors"), "Disabled");
    EXPECT_EQ(RegString("Initialisation", "Start Directory"), ks_test::BinDir());
    EXPECT_EQ(RegNumber("Intercepts", "CompuServe Information Manager"), 4u);
    EXPECT_EQ(RegNumber("Intercepts", "CompuServe Navigator"), 4u);
    EXPECT_EQ(RegNumber("Intercepts", "Trumpet Winsock"), 2u);
    EXPECT_EQ(RegNumber("Intercepts", "WinCIM"), 4u);

    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "My First Time");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].text,
              "This seems to be your first time using Kestrum32.\rYou may find it useful to read the help file about "
              "setting up Kestrum32\r for the first time.\rIf you have Kestrum Version 1.x (16 Bit) on your system "
              "you should select\r Utilitys from the main menu and convert your previous database and files\r before "
              "adding any new ones with this version.");
}

TEST_F(StartUp, LaterStartShowsNothingAndRewritesOnlyTheStartDirectory)
{
    { KsApp first(GetModuleHandleA(nullptr), SW_SHOWNORMAL); }
    ks_test::SetRegString("Initialisation", "Start Directory", "C:\\elsewhere");
    ks_test::SetRegString("Initialisation", "Interceptors", "Enabled by user");
    m_ui.Clear();

    KsApp second(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    EXPECT_TRUE(second.Started());
    EXPECT_TRUE(m_ui.Boxes().empty());
    EXPECT_EQ(RegString("Initialisation", "Start Directory"), ks_test::BinDir());
    EXPECT_EQ(RegString("Initialisation", "Interceptors"), "Enabled by user");
}

TEST_F(StartUp, SetupValueDifferingOnlyInCaseCountsAsFirstRun)
{
    ks_test::SetRegString("Initialisation", "Setup", "ok");
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].caption, "My First Time");
    EXPECT_EQ(RegString("Initialisation", "Setup"), "OK");
    EXPECT_EQ(RegString("Initialisation", "Interceptors"), "Disabled");
}

TEST_F(StartUp, ProgramDirectoryAndWorkingDirectoriesLieBesideTheProgram)
{
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    EXPECT_STREQ(app.ProgramDir, ks_test::BinDir().c_str());
    EXPECT_EQ(app.ProgramDrive, ks_test::BinDir()[0] - 'A');
    EXPECT_TRUE(IsDirectory(ks_test::BinDir() + "\\KS_TEMP"));
    EXPECT_TRUE(IsDirectory(ks_test::BinDir() + "\\KS_STORE"));
    // The engine file was found in the current directory; the directories were still made beside the program.
    EXPECT_FALSE(IsDirectory(m_work + "\\KS_TEMP"));
    EXPECT_FALSE(IsDirectory(m_work + "\\KS_STORE"));
    EXPECT_EQ(app.RecordOpen, 0);
    EXPECT_EQ(app.Examining, 0);
    EXPECT_EQ(app.Searching, 0);
    EXPECT_EQ(app.ExamineProcess, nullptr);
}

TEST_F(StartUp, MissingEngineFileStopsTheStartBeforeAnySetting)
{
    PutEngineFile(false);
    KsApp app(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    EXPECT_FALSE(app.Started());
    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could Not locate Paradox Interface (KSPDX.EXE) in Kestrum Directory.");
    EXPECT_EQ(boxes[0].caption, "Missing File");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_FALSE(RegString("Initialisation", "Setup").has_value());
    EXPECT_FALSE(RegString("Initialisation", "Start Directory").has_value());
}

}  // namespace

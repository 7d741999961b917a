// End to end: the real kestrm32.exe started as a user would, in a program folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/app/registry_probe.h"
#include "tests/e2e/program_runner.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;
using ks_test::Eventually;
using ks_test::Exists;
using ks_test::Program;
using ks_test::RegString;
using ks_test::WaitForGone;
using ks_test::WaitForWindow;

constexpr char kMainCaption[] = "Filewarden (For Windows 95)";

ks_test::BoxWatcherOptions WatchFor(const Program& program, const char* caption)
{
    ks_test::BoxWatcherOptions options;
    options.process_id = program.Id();
    options.caption = caption;
    return options;
}

// Whether a program's main window takes messages, for a failure's message.
std::string ProgramState(HWND main)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) ? "the program answers"
                                                                                       : "the program does not answer";
}

// A program folder made for each test, and no settings.
class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override { ks_test::DeleteProgramSettings(); }
    void TearDown() override { ks_test::DeleteProgramSettings(); }

    std::string Exe() const { return m_folder.Exe(); }

    ks_test::ProgramFolder m_folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    const std::string& m_programDir = m_folder.ProgramDir();
    const std::string& m_workDir = m_folder.Work();
};

TEST_F(ProgramStart, FirstStartGreetsTheUserAndASecondCopyOnlyBringsTheFirstForward)
{
    Program first(Exe(), m_workDir);
    ASSERT_TRUE(first.Started());
    ks_test::BoxWatcher boxes(WatchFor(first, "My First Time"));
    ks_test::BoxWatcher areaCheck(WatchFor(first, "Setup"));
    const auto greeting = boxes.WaitForBox(1, 20s);
    ASSERT_TRUE(greeting.has_value());
    EXPECT_EQ(greeting->icon, ks_test::BoxIcon::Information);
    EXPECT_EQ(greeting->text.substr(0, 50), "This seems to be your first time using Kestrum32.\r");

    // With no download areas yet, the client offers to set them up and writes the defaults.
    ASSERT_TRUE(areaCheck.WaitForBox(1, 20s).has_value());
    HWND main = WaitForWindow(kMainCaption, 20s);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(Eventually([] { return ks_test::RegNumber("Download Directorys", "Default").has_value(); }, 10s));
    EXPECT_EQ(ks_test::RegNumber("Download Directorys", "Default"), 1u);
    EXPECT_EQ(RegString("Download Directorys", "Area One"), "No Path");
    EXPECT_EQ(RegString("Initialisation", "Setup"), "OK");
    EXPECT_EQ(RegString("Initialisation", "Start Directory"), m_programDir);
    // The working directories lie beside the program, not in the current directory where the engine was found.
    EXPECT_TRUE(Exists(m_programDir + "\\KS_TEMP"));
    EXPECT_TRUE(Exists(m_programDir + "\\KS_STORE"));
    EXPECT_FALSE(Exists(m_workDir + "\\KS_TEMP"));
    EXPECT_FALSE(Exists(m_workDir + "\\KS_STORE"));

    // The second copy touches no setting: a changed value stays as it is. It brings the first forward,
    // restoring it when it was minimised.
    ks_test::SetRegString("Initialisation", "Start Directory", "sentinel");
    // Asked without waiting for the program: a test never blocks on the program it watches (ShowWindow on
    // another process's window waits until that program takes the request).
    ShowWindowAsync(main, SW_MINIMIZE);
    ASSERT_TRUE(Eventually([main] { return IsIconic(main) != FALSE; }, 10s)) << ProgramState(main);
    Program second(Exe(), m_workDir);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitForExit(20s), 0u) << ProgramState(main);
    EXPECT_EQ(RegString("Initialisation", "Start Directory"), "sentinel");
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(Eventually([main] { return !IsIconic(main) && GetForegroundWindow() == main; }, 5s))
        << ProgramState(main);

    // Closing ends the engine too.
    ASSERT_NE(FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"), nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(20s), 0u);
    EXPECT_EQ(WaitForGone("Kestrum32-16ParadoxInterface", 10s), true);
}

TEST_F(ProgramStart, MissingEngineFileIsReportedAndTheProgramEndsWithMinusOne)
{
    DeleteFileA((m_workDir + "\\kspdx.exe").c_str());
    Program program(Exe(), m_workDir);
    ASSERT_TRUE(program.Started()) << "error " << program.Error();
    ks_test::BoxWatcher boxes(WatchFor(program, "Missing File"));
    const auto box = boxes.WaitForBox(1, 20s);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Could Not locate Paradox Interface (KSPDX.EXE) in Kestrum Directory.");
    EXPECT_EQ(box->icon, ks_test::BoxIcon::Stop);
    EXPECT_EQ(program.WaitForExit(20s), static_cast<DWORD>(-1));
    EXPECT_FALSE(RegString("Initialisation", "Setup").has_value());
    EXPECT_EQ(FindWindowA(nullptr, kMainCaption), nullptr);
}

}  // namespace

// End to end: the real kestrm32.exe started as a user would, in a program folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/app/registry_probe.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;
using ks_test::RegString;

constexpr char kMainCaption[] = "Filewarden (For Windows 95)";

std::string BinDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.rfind('\\'));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HWND WaitForWindow(const char* caption, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (HWND hwnd = FindWindowA(nullptr, caption))
            return hwnd;
        std::this_thread::sleep_for(50ms);
    }
    return nullptr;
}

template <class Condition>
bool Eventually(Condition condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

bool WaitForGone(const char* caption, std::chrono::milliseconds timeout)
{
    return Eventually([caption] { return FindWindowA(nullptr, caption) == nullptr; }, timeout);
}

// A started program; it is ended when the test ends, whatever happened.
class Program {
public:
    Program(const std::string& exe, const std::string& currentDir)
    {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string commandLine = "\"" + exe + "\"";
        m_started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   currentDir.c_str(), &si, &m_info) != FALSE;
    }
    ~Program()
    {
        if (!m_started)
            return;
        if (WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_info.hProcess, 99);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }
    bool Started() const { return m_started; }
    DWORD Id() const { return m_info.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(std::chrono::milliseconds timeout) const
    {
        WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(timeout.count()));
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_info.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_info{};
    bool m_started = false;
};

ks_test::BoxWatcherOptions WatchFor(const Program& program, const char* caption)
{
    ks_test::BoxWatcherOptions options;
    options.process_id = program.Id();
    options.caption = caption;
    return options;
}

// A program folder made for the test, and a separate current directory holding a copy of the engine file.
class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        ks_test::DeleteProgramSettings();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const std::string base = std::string(temp) + "ks_e2e_" + std::to_string(GetCurrentProcessId()) + "_" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_programDir = base + "_prog";
        m_workDir = base + "_work";
        CreateDirectoryA(m_programDir.c_str(), nullptr);
        CreateDirectoryA(m_workDir.c_str(), nullptr);
        for (const char* file : {"kestrm32.exe", "kscf.dll", "kspdx.exe"})
            ASSERT_TRUE(CopyFileA((BinDir() + "\\" + file).c_str(), (m_programDir + "\\" + file).c_str(), FALSE))
                << file;
        CopyFileA((BinDir() + "\\kspdx.exe").c_str(), (m_workDir + "\\kspdx.exe").c_str(), FALSE);
    }
    void TearDown() override { ks_test::DeleteProgramSettings(); }

    std::string Exe() const { return m_programDir + "\\kestrm32.exe"; }

    std::string m_programDir;
    std::string m_workDir;
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

    // The second copy touches no setting: a changed value stays as it is.
    ks_test::SetRegString("Initialisation", "Start Directory", "sentinel");
    Program second(Exe(), m_workDir);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitForExit(20s), 0u);
    EXPECT_EQ(RegString("Initialisation", "Start Directory"), "sentinel");
    EXPECT_TRUE(IsWindow(main));

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
    ASSERT_TRUE(program.Started());
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

// Starting the real programs in program folders of their own, and waiting for what they show.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/app/registry_probe.h"
#include "tests/support/list_lines.h"
#include "tests/support/test_files.h"
#include "tests/support/test_paths.h"

namespace ks_test {

using namespace std::chrono_literals;

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

inline HWND WaitForWindow(const char* caption, std::chrono::milliseconds timeout)
{
    HWND hwnd = nullptr;
    Eventually([&] { return (hwnd = FindWindowA(nullptr, caption)) != nullptr; }, timeout);
    return hwnd;
}

inline bool WaitForGone(const char* caption, std::chrono::milliseconds timeout)
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
        m_error = m_started ? 0 : GetLastError();
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
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return m_started; }
    // Why it did not start (the system's error code), for the test's message.
    DWORD Error() const { return m_error; }
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
    DWORD m_error = 0;
};

// A program folder with copies of the built program, its library and the engine, and a separate current
// directory holding another copy of the engine file.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& tag)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const std::string base = std::string(temp) + "ks_e2e_" + std::to_string(GetCurrentProcessId()) + "_" + tag;
        m_programDir = base + "_prog";
        m_workDir = base + "_work";
        // Process ids come round again under Wine: what an earlier run left must not be found.
        std::error_code ignored;
        std::filesystem::remove_all(m_programDir, ignored);
        std::filesystem::remove_all(m_workDir, ignored);
        CreateDirectoryA(m_programDir.c_str(), nullptr);
        CreateDirectoryA(m_workDir.c_str(), nullptr);
        for (const char* file : {"kestrm32.exe", "kscf.dll", "kspdx.exe", "ksview.exe"})
            EXPECT_TRUE(CopyFileA((BinDir() + "\\" + file).c_str(), (m_programDir + "\\" + file).c_str(), FALSE))
                << file;
        CopyFileA((BinDir() + "\\kspdx.exe").c_str(), (m_workDir + "\\kspdx.exe").c_str(), FALSE);
    }
    ~ProgramFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_programDir, ignored);
        std::filesystem::remove_all(m_workDir, ignored);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& ProgramDir() const { return m_programDir; }
    const std::string& Work() const { return m_workDir; }
    std::string Exe() const { return m_programDir + "\\kestrm32.exe"; }


private:
    std::string m_programDir;
    std::string m_workDir;
};

// A child window of parent (at any depth) with this title.
inline HWND FindChildByTitle(HWND parent, const char* title)
{
    struct Search {
        const char* title;
        HWND found;
    } search{title, nullptr};
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            char text[128]{};
            GetWindowTextA(hwnd, text, sizeof text);
            if (std::strcmp(text, s->title) == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dialog inside an MDI child: its child window that has a control of this id.
inline HWND DialogWithControl(HWND parent, int id)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, id))
            return child;
    return nullptr;
}

// Settings of a program set up before, with one download area "Mail" at path and no other.
inline void SetOnlyAreaOne(const std::string& path)
{
    DeleteProgramSettings();
    SetRegString("Initialisation", "Setup", "OK");
    for (const char* name : {"Area Two", "Area Three", "Area Four"})
        SetRegString("Download Directorys", name, "No Path");
    SetRegString("Download Directorys", "Area One", path.c_str());
    SetRegString("Download Directorys", "Alias One", "Mail");
}

// The dialog of the MDI child titled so, once it is up; null when it does not come.
inline HWND ChildDialog(HWND main, const char* title, int control)
{
    HWND dialog = nullptr;
    Eventually(
        [&] {
            HWND child = FindChildByTitle(main, title);
            return child && (dialog = DialogWithControl(child, control)) != nullptr;
        },
        std::chrono::seconds(20));
    return dialog;
}

// Opens a Download Interface in the running program's main window; its dialog, or null.
inline HWND OpenDownloadInterface(HWND main)
{
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CM_FILES_DOWNLOADED, 0), 0);
    return ChildDialog(main, "Download Interface - 0", IDC_DOWNLOAD_FILES);
}

// A button pressed in another process's dialog.
inline void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The text of a control of a dialog in another process, in the ANSI code page.
inline std::string ItemText(HWND dialog, int id)
{
    char text[1024]{};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The program started from its folder (its settings already made) with a Download Interface open; the handles
// are null where a step did not come.
struct ProgramWithDownloads {
    explicit ProgramWithDownloads(const ProgramFolder& folder) : program(folder.Exe(), folder.ProgramDir())
    {
        if (program.Started())
            main = WaitForWindow("Filewarden (For Windows 95)", std::chrono::seconds(20));
        if (main)
            manage = OpenDownloadInterface(main);
        if (manage)
            list = GetDlgItem(manage, IDC_DOWNLOAD_FILES);
    }
    Program program;
    HWND main = nullptr;
    HWND manage = nullptr;
    HWND list = nullptr;
};

}  // namespace ks_test

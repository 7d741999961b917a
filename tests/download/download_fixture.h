// Shared by the download tests: scratch area directories, settings, a message pump and the real file dialog.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "tests/app/registry_probe.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/test_paths.h"

namespace ks_test {

inline std::string CurrentDirectory()
{
    char dir[MAX_PATH]{};
    GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

// Writes a file of the given content; returns its full name.
inline std::string PutFile(const std::string& dir, const char* name, const std::string& content = {})
{
    const std::string path = dir + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

inline void SetWriteTimeUtc(const std::string& path, WORD year, WORD month, WORD day, WORD hour)
{
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &ft);
    CloseHandle(file);
}

// Removes a directory tree (files may be hidden or read-only).
inline void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = dir + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

// Dispatches messages until done() holds or the time is up; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(5);
    }
}

inline bool HasBox(const ScriptedUi& ui, const std::string& text, const std::string& caption, UINT icon)
{
    for (const Shown& box : ui.Boxes())
        if (box.text == text && box.caption == caption && box.icon == icon)
            return true;
    return false;
}

inline int BeepCount(const ScriptedUi& ui) { return static_cast<int>(ui.Of(Shown::Kind::Beep).size()); }

// The test's scratch folder and the program's settings, both cleared around each test. The current directory
// is the program's (the start-up looks for the engine there) and is put back afterwards.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteProgramSettings();
        SetRegString("Initialisation", "Setup", "OK");
        m_previousDir = CurrentDirectory();
        SetCurrentDirectoryA(BinDir().c_str());
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_scratch = std::string(temp) + "ks_download_" + std::to_string(GetCurrentProcessId());
        RemoveTree(m_scratch);
        CreateDirectoryA(m_scratch.c_str(), nullptr);
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(m_previousDir.c_str());
        RemoveTree(m_scratch);
        DeleteProgramSettings();
    }
    std::string MakeDir(const char* name) const
    {
        const std::string dir = m_scratch + "\\" + name;
        CreateDirectoryA(dir.c_str(), nullptr);
        return dir;
    }
    // Area n with its path and alias, as the Path Preferences would have written them.
    static void SetArea(int area, const std::string& path, const char* alias)
    {
        static const char* const paths[] = {"Area One", "Area Two", "Area Three", "Area Four"};
        static const char* const aliases[] = {"Alias One", "Alias Two", "Alias Three", "Alias Four"};
        SetRegString("Download Directorys", paths[area - 1], path.c_str());
        SetRegString("Download Directorys", aliases[area - 1], alias);
    }
    // The first-run contents of the areas.
    static void SetFirstRunAreas()
    {
        for (int area = 1; area <= 4; ++area)
            SetArea(area, "No Path", "");
        SetRegNumber("Download Directorys", "Default", 1);
    }

    ScriptedUi m_ui;
    std::string m_scratch;
    std::string m_previousDir;
};

// Runs the real common file dialog for the scripted seam and calls step with its window once it is up.
// step must end the dialog (post IDOK or IDCANCEL).
class RealFileDialog {
public:
    static ScriptedUi::OpenFileAnswer Driven(std::function<void(HWND)> step)
    {
        return [step = std::move(step)](OPENFILENAMEA& ofn, DWORD& error) {
            s_title = ofn.lpstrTitle ? ofn.lpstrTitle : "";
            s_step = step;
            const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RealFileDialog::Tick);
            ks::UiSeam real;
            const bool ok = real.OpenFileName(ofn, error);
            KillTimer(nullptr, timer);
            return ok;
        };
    }
    // The dialog's window: a dialog of this thread with the title the caller gave.
    static HWND Find()
    {
        HWND found = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND hwnd, LPARAM lParam) -> BOOL {
                char text[128]{};
                char cls[16]{};
                GetWindowTextA(hwnd, text, sizeof text);
                GetClassNameA(hwnd, cls, sizeof cls);
                if (s_title == text && std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
                    *reinterpret_cast<HWND*>(lParam) = hwnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static std::vector<std::string> DirectoryEntries(HWND dialog)
    {
        std::vector<std::string> entries;
        HWND list = GetDlgItem(dialog, 1121);
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[MAX_PATH + 3]{};
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    // Opens a sub-directory as a double click in the directory list does.
    static bool OpenSubdirectory(HWND dialog, const std::string& name)
    {
        HWND list = GetDlgItem(dialog, 1121);
        for (const std::string& entry : {"[" + name + "]", name}) {
            const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(entry.c_str()));
            if (index == LB_ERR)
                continue;
            SendMessageA(list, LB_SETCURSEL, index, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1121, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
            return true;
        }
        return false;
    }
    static void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
    {
        HWND dialog = Find();
        if (!dialog || !s_step)
            return;
        KillTimer(nullptr, id);
        auto step = std::move(s_step);
        s_step = nullptr;
        step(dialog);
    }
    static inline std::string s_title;
    static inline std::function<void(HWND)> s_step;
};

}  // namespace ks_test

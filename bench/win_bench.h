// What the Win32 benchmarks share: a seam that prints every box instead of waiting for a user, a stopwatch, and
// writing the typical catalogue's table file.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/typical_table.h"
#include "framework/handles.h"
#include "framework/ui.h"

namespace bench {

// Every box is a failed run: it is printed and counted, and answered with OK.
class ConsoleUi : public ks::UiSeam {
public:
    int MessageBox(HWND, const char* text, const char* caption, UINT) override
    {
        std::fprintf(stderr, "box: %s: %s\n", caption, text);
        ++boxes;
        if (std::strcmp(caption, "Result List is Full") == 0)
            ++fullBoxes;
        return IDOK;
    }
    void Beep(UINT) override {}
    int boxes = 0;
    int fullBoxes = 0;  // of them, the full result list's
};

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&m_start); }
    double Seconds() const
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_start;
};

// Seconds on the performance counter.
inline double Now()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Processor time this thread has used, in seconds: less swayed than the clock by other work on the machine.
inline double ThreadSeconds()
{
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

// The folder this program runs from: laid out as the program's own for the benchmarks of its windows.
inline std::string ProgramDir()
{
    char self[MAX_PATH];
    const std::string path(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    return path.substr(0, path.rfind('\\'));
}

// A setting as the program keeps it: a program set up before shows no greeting and no area preferences.
inline void SetSetting(const char* section, const char* name, const char* value)
{
    const std::string key = std::string("Software\\Brackenfold\\Kestrum32\\") + section;
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value, lstrlenA(value) + 1);
}

// Writes the table file the engine would have written after that many adds of typical records, through its own
// entry codec: seconds instead of the half minute that as many durable adds take. False when it could not.
inline bool WriteTypicalTable(const std::string& path, int records)
{
    ks::UniqueHandle<ks::FileHandleTraits> file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes = TypicalTableBytes(records);
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace bench

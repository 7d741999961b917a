// Where the Windows test programs run (bin/, beside kscf.dll, kspdx.exe and the program), and file times.
#pragma once
#include <windows.h>

#include <string>

namespace ks_test {

// The directory of the running test program, without a trailing backslash.
inline std::string BinDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.rfind('\\'));
}

// Sets a file's last write (UTC) some hours back, so that it counts as settled.
inline void SetWrittenHoursAgo(const std::string& path, int hours)
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(hours) * 3600ULL * 10'000'000ULL;
    const FILETIME then{t.LowPart, t.HighPart};
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &then);
    CloseHandle(file);
}

}  // namespace ks_test

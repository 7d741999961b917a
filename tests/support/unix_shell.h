// Reaching the Unix side from a Windows test under Wine: a Windows path's Unix path (Wine's own conversion), and a
// shell command's output (/bin/sh started by its Z: path).
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/test_files.h"

namespace ks_test {

// The Unix path of a Windows path, or empty.
inline std::string UnixPath(const std::string& windowsPath)
{
    using Convert = char*(CDECL*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return {};
    wchar_t wide[MAX_PATH]{};
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unix = convert(wide);
    if (!unix)
        return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Runs a Unix command line through the shell (Wine starts Unix programs given by their Z: path); its output.
inline std::string RunUnix(const std::string& shellCommand)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string out = std::string(temp) + "ks_unix_" + std::to_string(GetCurrentProcessId()) + ".out";
    const std::string unixOut = UnixPath(out);
    DeleteFileA(out.c_str());
    // Wine gives no handle to wait on for a Unix process: the shell marks the end of its output instead.
    constexpr char kDone[] = "@@done@@";
    const std::string command = "Z:\\bin\\sh -c \"(" + shellCommand + ") > '" + unixOut + "' 2>&1; echo " + kDone +
                                " >> '" + unixOut + "'\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = command;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return "(could not start the shell)";
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string text;
    for (int i = 0; i < 1000 && text.find(kDone) == std::string::npos; ++i) {
        Sleep(10);
        text = ReadFileText(out);
    }
    DeleteFileA(out.c_str());
    const std::size_t done = text.find(kDone);
    return done == std::string::npos ? "(the shell did not finish)" : text.substr(0, done);
}

}  // namespace ks_test

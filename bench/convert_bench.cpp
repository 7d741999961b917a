// Conversion benchmark under Win32: the real program converts a version-1 installation of 1,000 records
// (a pxlib-made table) with 1,000 stored files; the figure is the time from the command to "Conversion
// Successful". Prints "convert_1000_s: value".
//
// Usage: convert_bench.exe <the build's bin folder>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/convert/convert_driver.h"
#include "tests/support/box_watcher.h"

namespace {

using namespace std::chrono_literals;

std::string TempDir(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name;
}

void SetSetting(const char* section, const char* name, const char* value)
{
    const std::string key = std::string("Software\\Brackenfold\\Kestrum32\\") + section;
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: convert_bench.exe <bin folder>\n");
        return 2;
    }
    const std::string bin = argv[1];
    const std::string program = TempDir("ks_convert_bench");
    const std::string oldDir = "C:\\KSV1BULK";
    std::error_code ignored;
    std::filesystem::remove_all(program, ignored);
    std::filesystem::remove_all(oldDir, ignored);
    CreateDirectoryA(program.c_str(), nullptr);
    for (const char* file : {"kestrm32.exe", "kscf.dll", "kspdx.exe"})
        if (!CopyFileA((bin + "\\" + file).c_str(), (program + "\\" + file).c_str(), FALSE)) {
            std::fprintf(stderr, "cannot copy %s\n", file);
            return 1;
        }
    if (!ks_test::MakeVersion1Install(oldDir, bin + "\\v1tables\\bulk", 1000)) {
        std::fprintf(stderr, "cannot make the version-1 installation\n");
        return 1;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brackenfold\\Kestrum32");
    SetSetting("Initialisation", "Setup", "OK");
    for (const char* name : {"Area One", "Area Two", "Area Three", "Area Four"})
        SetSetting("Download Directorys", name, "No Path");

    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string exe = program + "\\kestrm32.exe";
    std::string commandLine = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, program.c_str(), &si,
                        &pi)) {
        std::fprintf(stderr, "cannot start the program\n");
        return 1;
    }
    int status = 1;
    HWND main = nullptr;
    for (int i = 0; i < 400 && !(main = FindWindowA(nullptr, "Filewarden (For Windows 95)")); ++i)
        std::this_thread::sleep_for(50ms);
    if (main) {
        ks_test::BoxWatcherOptions options;
        options.process_id = pi.dwProcessId;
        options.caption = "Finished Converting";
        ks_test::BoxWatcher boxes(options);
        const auto start = std::chrono::steady_clock::now();
        if (ks_test::StartConversion(main, oldDir + "\\Kestrum.exe", 20s) && boxes.WaitForBox(1, 300s)) {
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            std::printf("convert_1000_s: %.2f\n", took.count());
            status = 0;
        } else {
            std::fprintf(stderr, "the conversion did not finish\n");
        }
        PostMessageA(main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 100 && FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"); ++i)
        std::this_thread::sleep_for(100ms);
    std::filesystem::remove_all(program, ignored);
    std::filesystem::remove_all(oldDir, ignored);
    return status;
}

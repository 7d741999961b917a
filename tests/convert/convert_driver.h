// Driving a conversion in the real program from outside: a version-1 installation on disk, command 311 and the
// open-file dialog answered as a user would. Shared by the end-to-end test and the benchmark.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace ks_test {

// A version-1 installation at dir: its program file, the table files from tables (a folder made by
// make_v1_tables) and a KS_STORE with file0001.zip .. the files'th one. Returns false when a file is missing.
inline bool MakeVersion1Install(const std::string& dir, const std::string& tables, int files)
{
    CreateDirectoryA(dir.c_str(), nullptr);
    bool ok = true;
    const auto put = [&](const std::string& path, const std::string& content) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ok = ok && file != INVALID_HANDLE_VALUE &&
             WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
    };
    put(dir + "\\Kestrum.exe", "MZ");
    for (const char* name : {"filstore.db", "filstore.mb"})
        ok = ok && CopyFileA((tables + "\\" + name).c_str(), (dir + "\\" + name).c_str(), FALSE);
    const std::string store = dir + "\\KS_STORE";
    CreateDirectoryA(store.c_str(), nullptr);
    for (int i = 1; i <= files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\file%04d.zip", i);
        put(store + name, std::string("stored file ") + name);
    }
    return ok;
}

// Sends command 311 to the program's main window and answers its open-file dialog with oldProgram. Returns
// false when the dialog did not appear within the timeout.
inline bool StartConversion(HWND main, const std::string& oldProgram, std::chrono::milliseconds timeout)
{
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(311, 0), 0);
    const auto end = std::chrono::steady_clock::now() + timeout;
    HWND dialog = nullptr;
    while (!(dialog = FindWindowA("#32770", "Select the Path to the Previous Version of Kestrum"))) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The file name box is a combo box (cmb13) in the Explorer-style dialog, an edit (edt1) in older ones.
    for (int id : {0x47C, 0x480})
        if (HWND box = GetDlgItem(dialog, id))
            SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(oldProgram.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
}

}  // namespace ks_test

// kspdx.exe: the record engine. It opens its table beside itself, answers the program through the shared
// link, and shows itself only as a hidden top-level window, which is how the program finds it. Started as
// "kspdx.exe /repair" it rebuilds a damaged table instead and ends.
#include <windows.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include "controls/date_text.h"
#include "engine/link_protocol.h"
#include "kspdx/engine_core.h"
#include "kspdx/engine_results.h"
#include "kspdx/link_server.h"
#include "kspdx/table_log.h"

namespace {

constexpr char kEngineClass[] = "KestrumEngine";

LRESULT CALLBACK EngineWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// The engine's directory with a trailing backslash: its table lies there, and the program copies a version-1
// table there before it asks for the import (it is the program's own directory too).
std::string EngineDir()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.rfind('\\') + 1);
}

// Imported dates are written as the program writes them: in the short date format of the profile.
std::string ProfileDate(std::uint32_t julianDay)
{
    char format[11]{};
    GetProfileStringA("intl", "sShortDate", "MM/dd/yy", format, sizeof format);
    return FormatDate(julianDay, format[0] ? std::string_view(format) : kDefaultShortDateFormat);
}

// Names in the store differ in letter case only as the system's code page folds them.
kspdx::CaseFold SystemCaseFold()
{
    std::array<unsigned char, 256> upper;
    for (int i = 0; i < 256; ++i)
        upper[i] = static_cast<unsigned char>(i);
    CharUpperBuffA(reinterpret_cast<char*>(upper.data()) + 1, 255);
    return kspdx::CaseFold(upper);
}

// Texts of an old table come in the code page its header names (a DOS code page for many); the catalogue keeps
// the system's ANSI code page. A code page the system does not know leaves the bytes as they stand.
std::string ToAnsi(std::string_view text, std::uint16_t codePage)
{
    if (codePage == GetACP() || text.size() > 0x7FFFFFFF)
        return std::string(text);
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (wide <= 0)
        return std::string(text);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, utf16.data(), wide);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string(text);
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

int Refused(std::int32_t code) { return static_cast<int>(kslink::TableRefusedExit(code)); }

// A name beside the table that no file has yet, for the damaged file kept after a repair.
std::string FreeDamagedName(const std::string& dir)
{
    for (int n = 1;; ++n) {
        const std::string name =
            dir + (n == 1 ? std::string("kspdx-damaged.tbl") : "kspdx-damaged-" + std::to_string(n) + ".tbl");
        if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
            return name;
    }
}

void Report(std::uint64_t kept, std::uint64_t lost, const std::string& copy)
{
    const std::string text = std::string(kslink::kRepairKeptKey) + std::to_string(kept) + "\r\n" +
                             kslink::kRepairLostKey + std::to_string(lost) + "\r\n" +
                             (copy.empty() ? std::string() : kslink::kRepairCopyKey + copy + "\r\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Rebuilds the damaged table beside this program from its intact entries. The damaged file is kept under a
// new name; a table that loads as it is stays untouched. A failure at any step leaves the table as it was.
int RepairTable(const std::string& dir)
{
    const std::string table = dir + kspdx::kTableFileName;
    const std::string fresh = table + ".new";
    kspdx::IoStatus status = kspdx::IoStatus::kFailed;
    kspdx::RepairReport repaired{};
    try {
        std::unique_ptr<kspdx::TableFile> damaged = kspdx::OpenTableFile(table, status);
        if (!damaged)
            return Refused(kspdx::ResultFor(status));
        {
            kspdx::RecordStore store(SystemCaseFold());
            const kspdx::LoadResult loaded = kspdx::LoadTable(*damaged, store);
            if (loaded.code == 0) {
                Report(store.LiveCount(), 0, "");
                return 0;
            }
            if (loaded.code != kspdx::kResultTableCorrupted)
                return Refused(loaded.code);
        }
        DeleteFileA(fresh.c_str());
        std::unique_ptr<kspdx::TableFile> rebuilt = kspdx::OpenTableFile(fresh, status);
        if (!rebuilt)
            return Refused(kspdx::ResultFor(status));
        repaired = kspdx::RepairTable(*damaged, *rebuilt);
    } catch (const std::bad_alloc&) {
        repaired.code = kspdx::kResultOutOfMemory;
    }
    // The files are closed here: renaming needs them free.
    if (repaired.code != 0) {
        DeleteFileA(fresh.c_str());
        return Refused(repaired.code);
    }
    const std::string copy = FreeDamagedName(dir);
    if (!MoveFileExA(table.c_str(), copy.c_str(), MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(fresh.c_str());
        return Refused(kspdx::kResultSystemError);
    }
    if (!MoveFileExA(fresh.c_str(), table.c_str(), MOVEFILE_WRITE_THROUGH)) {
        MoveFileExA(copy.c_str(), table.c_str(), MOVEFILE_WRITE_THROUGH);
        DeleteFileA(fresh.c_str());
        return Refused(kspdx::kResultSystemError);
    }
    Report(repaired.kept, repaired.lost, copy);
    return 0;
}

bool AskedToRepair(const char* commandLine)
{
    std::string words(commandLine);
    for (char& c : words)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t start = words.find_first_not_of(" \t");
    const std::size_t end = words.find_last_not_of(" \t");
    return start != std::string::npos && words.substr(start, end - start + 1) == "/repair";
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    if (AskedToRepair(commandLine))
        return RepairTable(EngineDir());
    // An engine that cannot open its table ends before it shows a window, and says why in its exit code (a
    // second engine finds the table held by the first).
    kspdx::EngineCore core(SystemCaseFold());
    if (const std::int32_t code = core.OpenPath(EngineDir() + kspdx::kTableFileName); code != 0)
        return Refused(code);
    core.SetImportSource(EngineDir(), ProfileDate, ToAnsi);
    kspdx::LinkServer server(core);
    if (!server.Create())
        return 3;

    WNDCLASSA wc{};
    wc.lpfnWndProc = EngineWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kEngineClass;
    if (!RegisterClassA(&wc))
        return 1;
    // Never shown: the window only tells the program that the engine is there.
    HWND wnd = CreateWindowA(kEngineClass, kslink::kEngineCaption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                             instance, nullptr);
    if (!wnd)
        return 1;
    server.Start([wnd] { PostMessageA(wnd, WM_CLOSE, 0, 0); });
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    server.Stop();
    return static_cast<int>(msg.wParam);
}

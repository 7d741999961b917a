// Intake benchmark under Win32, in the real program (its MDI client, the real engine and link): Export of a
// 100,000-record catalogue, and Store All of 1,000 waiting files of 100 KB, 300 of them ZIPs with a
// FILE_ID.DIZ, described by the shipped assistant as the default. Prints "name: value" lines.
//
// Usage: intake_bench.exe <folder holding ARCDESC.DLL>, started from a folder that holds it with kscf.dll and
// kspdx.exe (the program's own layout); the table, the area and KS_STORE are made there.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "bench/win_bench.h"
#include "engine/link_protocol.h"
#include "resources/resource_ids.h"
#include "tests/assist/zip_builder.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kFiles = 1000;
constexpr int kZips = 300;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "intake_bench: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

// Answers the question Store All asks with Yes and the save dialog with the export's path; the outcome boxes
// are taken; any other box is a failed run.
class IntakeUi : public bench::ConsoleUi {
public:
    std::string exportPath;
    std::string lastText;
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override
    {
        lastText = text;
        const std::string c = caption;
        if (c == "Store All Waiting Files" || c == "Export Catalogue")
            return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
        return ConsoleUi::MessageBox(owner, text, caption, type);
    }
    bool SaveFileName(OPENFILENAMEA& ofn, DWORD& error) override
    {
        error = 0;
        lstrcpynA(ofn.lpstrFile, exportPath.c_str(), static_cast<int>(ofn.nMaxFile));
        return true;
    }
    INT_PTR RunModal(ks::TDialog&) override
    {
        ++boxes;  // the list of files left: some file was not stored
        return IDOK;
    }
};

void MakeArea(const std::string& area)
{
    std::filesystem::create_directories(area);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= 24ULL * 3600ULL * 10'000'000ULL;
    const FILETIME yesterday{t.LowPart, t.HighPart};
    for (int i = 0; i < kFiles; ++i) {
        const std::string number = std::to_string(10000 + i);
        const std::string path = area + (i < kZips ? "\\PACK" + number + ".ZIP" : "\\DATA" + number + ".BIN");
        std::string bytes;
        if (i < kZips) {
            std::string payload(100 * 1024 - 400, '\0');
            for (std::size_t k = 0; k < payload.size(); ++k)
                payload[k] = static_cast<char>((k * 31 + i) & 0xFF);
            bytes = ks_test::BuildZip({{"PROGRAM.EXE", payload, false},
                                       {"FILE_ID.DIZ", "Pack " + number + " of tools\r\nUseful tools, set " + number +
                                                           ".\r\n", true}});
        } else {
            bytes.assign(100 * 1024, static_cast<char>(i & 0xFF));
            bytes.replace(0, number.size(), number);
        }
        std::ofstream(path, std::ios::binary) << bytes;
        HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &yesterday);
        CloseHandle(file);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2)
        Fail("usage: intake_bench.exe <folder holding ARCDESC.DLL>");
    IntakeUi ui;
    ks::SetUi(&ui);
    if (FindWindowA(nullptr, kslink::kEngineCaption))
        Fail("an engine already runs in this session");
    const std::string dir = bench::ProgramDir();
    SetCurrentDirectoryA(dir.c_str());
    if (!bench::WriteTypicalTable(dir + "\\" + kslink::kTableFileName, kRecords))
        Fail("cannot write the table file");
    std::error_code ignored;
    std::filesystem::remove_all(dir + "\\KS_STORE", ignored);
    std::filesystem::remove_all(dir + "\\area", ignored);
    const std::string area = dir + "\\area";
    MakeArea(area);
    if (!CopyFileA((std::string(argv[1]) + "\\ARCDESC.DLL").c_str(), (dir + "\\ARCDESC.DLL").c_str(), FALSE))
        Fail("cannot copy ARCDESC.DLL");
    bench::SetSetting("Initialisation", "Setup", "OK");
    bench::SetSetting("Download Directorys", "Area One", area.c_str());
    bench::SetSetting("Download Directorys", "Alias One", "Bench");
    for (const char* name : {"Area Two", "Area Three", "Area Four"})
        bench::SetSetting("Download Directorys", name, "No Path");
    bench::SetSetting("Assistants\\Archive Description", "Filename", "ARCDESC.DLL");
    bench::SetSetting("Initialisation", "Default Assistant", "Archive Description");

    int status = 0;
    {
        auto app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        if (!app->InitInstance() || !app->Client || !app->Client->LinkReady())
            Fail("the program did not start");
        KsClient* client = app->Client;
        app->PumpWaitingMessages();

        ui.exportPath = dir + "\\KESTRUM.CSV";
        DeleteFileA(ui.exportPath.c_str());
        double start = bench::Now();
        SendMessageA(client->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_EXPORT_CATALOGUE, 0), 0);
        std::printf("export_100k_s: %.2f\n", bench::Now() - start);
        if (ui.lastText != "100000 records were exported to " + ui.exportPath + ".") {
            std::fprintf(stderr, "intake_bench: export ended with \"%s\"\n", ui.lastText.c_str());
            status = 1;
        }

        start = bench::Now();
        SendMessageA(client->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_STORE_ALL, 0), 0);
        std::printf("store_all_1000_s: %.2f\n", bench::Now() - start);
        if (ui.lastText != "1000 files stored, 0 left in the area.") {
            std::fprintf(stderr, "intake_bench: Store All ended with \"%s\"\n", ui.lastText.c_str());
            status = 1;
        }
        if (ui.boxes)
            status = 1;
        app.reset();
        for (int i = 0; i < 250 && FindWindowA(nullptr, kslink::kEngineCaption); ++i)
            Sleep(20);
    }
    std::filesystem::remove_all(dir + "\\KS_STORE", ignored);
    std::filesystem::remove_all(area, ignored);
    DeleteFileA((dir + "\\KESTRUM.CSV").c_str());
    return status;
}

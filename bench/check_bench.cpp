// Catalogue Check benchmark under Win32: the real Catalogue Check window (its MDI child, the real engine and
// link) over a 100,000-record catalogue and a KS_STORE of 100,000 files. Prints "name: value" lines.
//
// Usage: check_bench.exe, started from a folder that holds it with kscf.dll and kspdx.exe (the program's own
// layout) and a KS_STORE that run-bench.sh has filled with FILE1.ZIP ... FILE100000.ZIP except FILE7.ZIP. The
// table is written there first: record i names FILEi.ZIP, except the last, which names FILE99999.ZIP too.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "bench/win_bench.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kspdx/table_log.h"
#include "records/catalogue_check.h"
#include "records/check_child.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kRecords = 100000;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "check_bench: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

void WriteTable(const std::string& path, const std::string& store)
{
    std::string bytes;
    const auto header = kspdx::EncodeHeader();
    bytes.append(reinterpret_cast<const char*>(header.data()), header.size());
    kspdx::EntryBuilder builder;
    for (int i = 1; i <= kRecords; ++i) {
        FileRecord record{};
        SetFieldText(record.FileName, "FILE" + std::to_string(i == kRecords ? kRecords - 1 : i) + ".ZIP");
        SetFieldText(record.DownloadDate, "12/25/1996");
        SetFieldText(record.Title, "A downloaded file with a title of forty c");
        SetFieldText(record.Location, store);
        SetFieldText(record.Abstract, std::string(200, 'a'));
        kspdx::RecordTexts texts;
        for (std::size_t f = 0; f < kTextFieldCount; ++f)
            texts[f] = FieldText(record, kTextFields[f]);
        const auto entry = builder.Put(i, texts);
        bytes.append(reinterpret_cast<const char*>(entry.data()), entry.size());
    }
    ks::UniqueHandle<ks::FileHandleTraits> file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        Fail("cannot write the table file");
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    bench::ConsoleUi ui;
    ks::SetUi(&ui);
    if (FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"))
        Fail("an engine already runs in this session");
    const std::string dir = bench::ProgramDir();
    SetCurrentDirectoryA(dir.c_str());
    WriteTable(dir + "\\" + kspdx::kTableFileName, dir + "\\KS_STORE");
    int status = 0;
    {
        bench::SetSetting("Initialisation", "Setup", "OK");
        bench::SetSetting("Download Directorys", "Area One", "No Path");
        auto app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        if (!app->InitInstance() || !app->Client || !app->Client->LinkReady())
            Fail("the program did not start");
        KsClient* client = app->Client;
        app->PumpWaitingMessages();
        // Command 312 opens the window; its check starts at the first dispatch, which is timed.
        const double start = bench::Now();
        SendMessageA(client->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_CHECK_CATALOGUE, 0), 0);
        app->PumpWaitingMessages();
        const double seconds = bench::Now() - start;
        CatalogueCheck* check = nullptr;
        for (ks::TMDIChild* child : client->GetChildren())
            if (auto* c = dynamic_cast<CheckChild*>(child))
                check = c->Check();
        if (!check)
            Fail("no Catalogue Check window");
        std::printf("check_catalogue_100k_s: %.2f\n", seconds);
        // FILE7.ZIP missing, FILE100000.ZIP without a record, FILE99999.ZIP named by two records.
        std::vector<std::string> lines;
        for (const Finding& f : check->Findings())
            lines.push_back(FindingLine(f));
        const std::string store = dir + "\\KS_STORE";
        const std::vector<std::string> expected = {
            "FILE100000.ZIP\tNo record\t" + store,
            "FILE7.ZIP\tMissing file\t" + store,
            "FILE99999.ZIP\tSame file\t" + store,
            "FILE99999.ZIP\tSame file\t" + store,
        };
        if (lines != expected) {
            std::fprintf(stderr, "check_bench: %zu findings, not the 4 expected\n", lines.size());
            for (std::size_t i = 0; i < lines.size() && i < 10; ++i)
                std::fprintf(stderr, "  %s\n", lines[i].c_str());
            status = 1;
        }
        app.reset();
        for (int i = 0; i < 250 && FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"); ++i)
            Sleep(20);
    }
    return status;
}

// Catalogue Check benchmark under Win32: the real Catalogue Check window (its MDI child, the real engine and
// link) over a 100,000-record catalogue and a KS_STORE of 100,000 files. Prints "name: value" lines.
//
// Usage: check_bench.exe [<records> [<suffix>]], started from a folder that holds it with kscf.dll and
// kspdx.exe (the program's own layout) and a KS_STORE that run-bench.sh has filled with FILE1.ZIP ...
// FILE<records>.ZIP except FILE7.ZIP. Record i names FILEi.ZIP, except the last, which names FILE<records-1>.ZIP
// too; without a table in the folder (run-bench.sh makes the large ones natively) one of 100,000 is written.
// The figure is named after the table (100k, 1m) and ends in suffix (_busy beside a busy processor).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

constexpr int kDefaultRecords = 100000;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "check_bench: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

void WriteTable(const std::string& path, const std::string& store, int records)
{
    std::string bytes;
    const auto header = kspdx::EncodeHeader();
    bytes.append(reinterpret_cast<const char*>(header.data()), header.size());
    kspdx::EntryBuilder builder;
    for (int i = 1; i <= records; ++i) {
        FileRecord record{};
        SetFieldText(record.FileName, "FILE" + std::to_string(i == records ? records - 1 : i) + ".ZIP");
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

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int records = argc > 1 ? std::atoi(argv[1]) : kDefaultRecords;
    const std::string suffix = argc > 2 ? argv[2] : "";
    const std::string size = records % 1000000 == 0 ? std::to_string(records / 1000000) + "m"
                                                     : std::to_string(records / 1000) + "k";
    bench::ConsoleUi ui;
    ks::SetUi(&ui);
    if (FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"))
        Fail("an engine already runs in this session");
    const std::string dir = bench::ProgramDir();
    SetCurrentDirectoryA(dir.c_str());
    const std::string table = dir + "\\" + kspdx::kTableFileName;
    const bool written = GetFileAttributesA(table.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (written)
        WriteTable(table, dir + "\\KS_STORE", records);
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
        const double cpuStart = bench::ThreadSeconds();
        SendMessageA(client->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_CHECK_CATALOGUE, 0), 0);
        app->PumpWaitingMessages();
        const double seconds = bench::Now() - start;
        std::fprintf(stderr, "thread cpu %.2f s\n", bench::ThreadSeconds() - cpuStart);
        CatalogueCheck* check = nullptr;
        for (ks::TMDIChild* child : client->GetChildren())
            if (auto* c = dynamic_cast<CheckChild*>(child))
                check = c->Check();
        if (!check)
            Fail("no Catalogue Check window");
        std::printf("check_catalogue_%s_s%s: %.2f\n", size.c_str(), suffix.c_str(), seconds);
        // FILE7.ZIP missing, the last file without a record, the one before it named by two records.
        std::vector<std::string> lines;
        for (const Finding& f : check->Findings())
            lines.push_back(FindingLine(f));
        const std::string store = dir + "\\KS_STORE";
        const std::string last = "FILE" + std::to_string(records) + ".ZIP";
        const std::string shared = "FILE" + std::to_string(records - 1) + ".ZIP";
        const std::vector<std::string> expected = {
            last + "\tNo record\t" + store,
            "FILE7.ZIP\tMissing file\t" + store,
            shared + "\tSame file\t" + store,
            shared + "\tSame file\t" + store,
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
    if (written)
        DeleteFileA(table.c_str());
    return status;
}

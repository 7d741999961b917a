// Search benchmark under Win32: the real Search Interface (DataSearch in its MDI child, the real engine and
// link) over a catalogue of typical records. Prints "name: value" lines.
//
// Usage: search_bench.exe [<records> [<suffix>]], started from a folder that holds it with kscf.dll and
// kspdx.exe (the program's own layout). Without a table there (run-bench.sh makes the large ones natively) it
// writes one of 100,000 records first. Figures are named after the table (100k, 1m) and end in suffix (_busy
// for the runs beside a busy processor); the figures of the program's line refresh and memory come from the
// plain 100,000-record run only.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "bench/typical_table.h"
#include "bench/win_bench.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kspdx/table_log.h"
#include "records/data_search.h"
#include "records/srch_child.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kDefaultRecords = 100000;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "search_bench: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

// Presses Abort in the progress dialog at a set time during a walk and notes when it did.
struct AbortPress {
    static inline double pressedAt = 0;
    static BOOL CALLBACK PressIfAbort(HWND hwnd, LPARAM)
    {
        char caption[16]{};
        GetWindowTextA(hwnd, caption, sizeof caption);
        if (std::strcmp(caption, "Abort") == 0 && GetDlgItem(hwnd, IDOK)) {
            pressedAt = bench::Now();
            SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDOK)));
        }
        return TRUE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        EnumThreadWindows(GetCurrentThreadId(), &PressIfAbort, 0);
    }
};

class Bench {
public:
    Bench()
    {
        // A program set up before: no greeting, no area preferences to fill in.
        bench::SetSetting("Initialisation", "Setup", "OK");
        bench::SetSetting("Download Directorys", "Area One", "No Path");
        m_app = std::make_unique<KsApp>(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        if (!m_app->InitInstance() || !m_app->Client || !m_app->Client->LinkReady())
            Fail("the program did not start");
        m_client = m_app->Client;
        m_child = static_cast<SrchChild*>(
            m_client->CreateChild(std::make_unique<SrchChild>(*m_client, "Search Interface - 0")));
        if (!m_child || !m_child->Search())
            Fail("no Search Interface");
        m_search = m_child->Search();
        m_app->PumpWaitingMessages();
    }
    ~Bench()
    {
        m_app.reset();
        for (int i = 0; i < 250 && FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"); ++i)
            Sleep(20);
    }

    // Presses Search and returns the seconds until the walk has returned.
    double Search()
    {
        const double start = bench::Now();
        SendMessageA(m_search->GetHandle(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_GO, BN_CLICKED),
                     reinterpret_cast<LPARAM>(m_search->GetItem(IDC_SEARCH_GO)));
        return bench::Now() - start;
    }
    double MemoryMb() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
    }
    int Lines() const { return static_cast<int>(SendDlgItemMessageA(m_search->GetHandle(), IDC_SEARCH_RESULTS,
                                                                      LB_GETCOUNT, 0, 0)); }
    void FileNameContains(const char* text)
    {
        QueryCondition& c = m_search->Conditions[0];
        c = QueryCondition{};
        c.SearchField = 4;
        c.Contains = 1;
        std::strcpy(c.SearchText, text);
        m_search->ConditionCount = 1;
    }
    void EveryRecord() { m_search->ConditionCount = 0; }
    // Milliseconds from the moment Abort is due to be pressed, delaySeconds into a walk, until the walk has
    // returned: the wait for the walk to look at its messages counts, as it does for a user's click.
    double AbortLatencyMs(double delaySeconds)
    {
        AbortPress::pressedAt = 0;
        const double due = bench::Now() + delaySeconds;
        SetTimer(nullptr, 0, static_cast<UINT>(delaySeconds * 1000), &AbortPress::OnTimer);
        Search();
        if (AbortPress::pressedAt == 0)
            Fail("Abort was never pressed");
        return (bench::Now() - due) * 1000;
    }
    double RefreshMs(std::int32_t recordNumber)
    {
        const double start = bench::Now();
        SendMessageA(m_child->GetHandle(), WM_REFRESHRECORD, static_cast<WPARAM>(recordNumber), 0);
        return (bench::Now() - start) * 1000;
    }

private:
    std::unique_ptr<KsApp> m_app;
    KsClient* m_client = nullptr;
    SrchChild* m_child = nullptr;
    DataSearch* m_search = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int records = argc > 1 ? std::atoi(argv[1]) : kDefaultRecords;
    const std::string suffix = argc > 2 ? argv[2] : "";
    const std::string size = records % 1000000 == 0 ? std::to_string(records / 1000000) + "m"
                                                     : std::to_string(records / 1000) + "k";
    const bool plain = suffix.empty() && records == kDefaultRecords;
    auto figure = [&](const char* name, const char* format, double value) {
        std::printf("%s_%s_s%s: ", name, size.c_str(), suffix.c_str());
        std::printf(format, value);
        std::printf("\n");
    };
    bench::ConsoleUi ui;
    ks::SetUi(&ui);
    if (FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"))
        Fail("an engine already runs in this session");
    const std::string dir = bench::ProgramDir();
    SetCurrentDirectoryA(dir.c_str());
    const std::string table = dir + "\\" + kspdx::kTableFileName;
    const bool written = GetFileAttributesA(table.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (written && !bench::WriteTypicalTable(table, records))
        Fail("cannot write the table file");
    int status = 0;
    {
        Bench bench;
        bench.EveryRecord();
        figure("search_all", "%.2f", bench.Search());
        // A list that takes fewer lines than there are records says so with "Result List is Full".
        const int lines = bench.Lines();
        if (records > kDefaultRecords) {
            std::printf("search_all_%s_lines: %d\n", size.c_str(), lines);
            ui.boxes -= ui.fullBoxes;
        } else if (lines != records) {
            std::fprintf(stderr, "search_bench: %d lines after a search for every record\n", lines);
            status = 1;
        }
        if (plain) {
            std::printf("program_memory_mb_100k_lines: %.1f\n", bench.MemoryMb());
            // The line of the record listed last and of one in the middle: the scan reaches far into the list.
            std::printf("refresh_line_100k_ms: %.1f\n",
                        std::max(bench.RefreshMs(records), bench.RefreshMs(records / 2)));
            if (bench.Lines() != records)
                status = 1;
        }

        bench.FileNameContains("FILE99");
        figure("search_selective", "%.2f", bench.Search());
        // FILE99, then 990 .. 999, 9900 .. 9999, and so on up to the largest number.
        int expected = 0;
        for (long long from = 99, count = 1; from <= records; from *= 10, count *= 10)
            expected += static_cast<int>(std::min<long long>(count, records - from + 1));
        if (bench.Lines() != expected) {
            std::fprintf(stderr, "search_bench: %d lines for FILE99, not %d\n", bench.Lines(), expected);
            status = 1;
        }

        if (records == kDefaultRecords) {
            bench.EveryRecord();
            std::printf("search_abort_latency_ms%s: %.1f\n", suffix.c_str(), bench.AbortLatencyMs(0.1));
        }
    }
    if (written)
        DeleteFileA(table.c_str());
    ks::SetUi(nullptr);
    return status == 0 && ui.boxes == 0 ? 0 : 1;
}

// Search benchmark under Win32: the real Search Interface (DataSearch in its MDI child, the real engine and
// link) over a 100,000-record catalogue. Prints "name: value" lines.
//
// Usage: search_bench.exe, started from a folder that holds it with kscf.dll and kspdx.exe (the program's own
// layout): the table is written there first.
#include <windows.h>

#include <algorithm>
#include <cstdio>
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

constexpr int kRecords = 100000;

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

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    bench::ConsoleUi ui;
    ks::SetUi(&ui);
    if (FindWindowA(nullptr, "Kestrum32-16ParadoxInterface"))
        Fail("an engine already runs in this session");
    const std::string dir = bench::ProgramDir();
    SetCurrentDirectoryA(dir.c_str());
    if (!bench::WriteTypicalTable(dir + "\\" + kspdx::kTableFileName, kRecords))
        Fail("cannot write the table file");
    int status = 0;
    {
        Bench bench;
        bench.EveryRecord();
        const double all = bench.Search();
        std::printf("search_all_100k_s: %.2f\n", all);
        if (bench.Lines() != kRecords) {
            std::fprintf(stderr, "search_bench: %d lines after a search for every record\n", bench.Lines());
            status = 1;
        }
        // The line of the record listed last and of one in the middle: the scan reaches far into the list.
        std::printf("refresh_line_100k_ms: %.1f\n", std::max(bench.RefreshMs(kRecords), bench.RefreshMs(50000)));
        if (bench.Lines() != kRecords)
            status = 1;

        bench.FileNameContains("FILE99");
        std::printf("search_selective_100k_s: %.2f\n", bench.Search());
        if (bench.Lines() != 1111) {
            std::fprintf(stderr, "search_bench: %d lines for FILE99\n", bench.Lines());
            status = 1;
        }

        bench.EveryRecord();
        std::printf("search_abort_latency_ms: %.1f\n", bench.AbortLatencyMs(0.5));
    }
    DeleteFileA((dir + "\\" + kspdx::kTableFileName).c_str());
    ks::SetUi(nullptr);
    return status == 0 && ui.boxes == 0 ? 0 : 1;
}

// Engine benchmark under Win32: start-up to first reply, a 100,000-record walk and durable adds through
// KsClient::SendEngineCommand, and the engine's memory and table size. Prints "name: value" lines.
//
// Usage: engine_bench.exe <path of kspdx.exe> [<table of 100,000 records edited ten times> <table of 1,000,000>]
// The engine is copied into a fresh scratch directory, so it starts on a table of its own; the tables given
// (made natively by make_tables) are copied there in turn for the start-up and memory figures.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "app/ks_client.h"
#include "engine/file_record.h"
#include "engine/link_protocol.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "bench/typical_table.h"
#include "bench/win_bench.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kWalks = 5;
constexpr int kAddBatches = 3;
constexpr int kAddsPerBatch = 1000;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "engine_bench: %s (error %lu)\n", what, GetLastError());
    std::exit(1);
}

// Writes the table file the engine would have written after kRecords adds.
void WriteTable(const std::string& path)
{
    if (!bench::WriteTypicalTable(path, kRecords))
        Fail("cannot write the table file");
}

double FileMegabytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        Fail("cannot read the table file's size");
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return static_cast<double>(size) / (1024.0 * 1024.0);
}

// The running engine's process, found as the program finds the engine: by its window's caption.
ks::KernelHandle OpenEngineProcess()
{
    HWND window = FindWindowA(nullptr, kslink::kEngineCaption);
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid))
        Fail("no engine window");
    ks::KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, pid));
    if (!process)
        Fail("cannot open the engine process");
    return process;
}

struct EngineMemory {
    double workingSetMb;
    double privateMb;
};

EngineMemory MemoryOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        Fail("cannot read the engine's memory");
    constexpr double kMb = 1024.0 * 1024.0;
    return {static_cast<double>(counters.WorkingSetSize) / kMb, static_cast<double>(counters.PagefileUsage) / kMb};
}

// One run of the engine: KsClient starts it (none runs yet) and sends ENG_SHUTDOWN when it goes.
class EngineRun {
public:
    // Starts the engine and waits for its answer to ENG_COUNT; returns the milliseconds that took.
    double Start()
    {
        const bench::Stopwatch watch;
        m_client = std::make_unique<KsClient>();
        if (!m_client->LinkReady())
            Fail("the engine did not start");
        Send(ENG_COUNT, 0);
        const double ms = watch.Seconds() * 1000;
        m_process = OpenEngineProcess();
        return ms;
    }

    std::int32_t Send(std::int32_t command, std::int32_t expected)
    {
        const std::int32_t result = m_client->SendEngineCommand(command, expected);
        if (result != 0 && result != expected)
            Fail("the engine refused a command");
        return result;
    }
    FileRecord& Record() { return m_client->RecordBuffer; }
    HANDLE Process() const { return m_process.Get(); }

    // Sends ENG_SHUTDOWN and waits until the engine has let go of its table.
    void Stop()
    {
        m_client.reset();
        if (WaitForSingleObject(m_process.Get(), 10000) != WAIT_OBJECT_0)
            Fail("the engine did not end after ENG_SHUTDOWN");
        m_process.Reset();
    }

private:
    std::unique_ptr<KsClient> m_client;
    ks::KernelHandle m_process;
};

// One whole walk, as a search does it; returns round trips per second.
double WalkRoundTripsPerSecond(EngineRun& engine)
{
    const bench::Stopwatch watch;
    long trips = 1;
    long records = 0;
    for (std::int32_t r = engine.Send(ENG_FIRST, ENG_RECORD_NOT_FOUND); r == 0;
         r = engine.Send(ENG_NEXT, ENG_END_OF_TABLE), ++trips)
        ++records;
    const double seconds = watch.Seconds();
    if (records != kRecords)
        Fail("the walk did not see every record");
    return trips / seconds;
}

// Adds in batches; returns the fastest and the slowest batch's adds per second. Each add waits for the disk,
// so the figure follows whatever else the machine writes meanwhile.
std::pair<double, double> DurableAddsPerSecond(EngineRun& engine)
{
    double best = 0;
    double worst = 1e300;
    int number = kRecords;
    for (int batch = 0; batch < kAddBatches; ++batch) {
        const bench::Stopwatch watch;
        for (int i = 0; i < kAddsPerBatch; ++i) {
            engine.Record() = bench::Typical(++number);
            engine.Send(ENG_ADD, 0);
        }
        const double rate = kAddsPerBatch / watch.Seconds();
        best = std::max(best, rate);
        worst = std::min(worst, rate);
    }
    return {best, worst};
}

std::uint64_t CpuTime100ns(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user))
        Fail("cannot read the engine's processor time");
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return ticks(kernel) + ticks(user);
}

// Processor time the engine takes while no command comes, once its spin after the last reply has ended.
double IdleCpuMsPerSecond(HANDLE process)
{
    Sleep(100);
    const std::uint64_t before = CpuTime100ns(process);
    Sleep(1000);
    return static_cast<double>(CpuTime100ns(process) - before) / 10000.0;
}

std::string ScratchDirectory()
{
    char temp[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, temp))
        Fail("no temporary directory");
    const std::string dir = std::string(temp) + "ks_engine_bench." + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(dir.c_str(), nullptr))
        Fail("cannot create the scratch directory");
    return dir;
}

void RemoveScratch(const std::string& dir)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    SetCurrentDirectoryA(temp);  // a current directory cannot be removed
    for (const char* name : {kspdx::kTableFileName, "kspdx.exe"})
        DeleteFileA((dir + "\\" + name).c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: engine_bench <path of kspdx.exe> [<edited 100k table> <1m table>]\n");
        return 2;
    }
    // Unbuffered, so that the figures measured so far survive a run that is stopped.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    bench::ConsoleUi ui;
    ks::SetUi(&ui);
    if (FindWindowA(nullptr, kslink::kEngineCaption))
        Fail("an engine already runs in this session");

    // The link starts "kspdx.exe" as the system searches for it, this program's own directory first, then the
    // current directory: the scratch copy runs only when none lies beside this program.
    char self[MAX_PATH];
    std::string beside(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    beside = beside.substr(0, beside.rfind('\\') + 1) + "kspdx.exe";
    if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES)
        Fail("a kspdx.exe beside engine_bench.exe would start instead of the scratch copy");

    const std::string dir = ScratchDirectory();
    if (!CopyFileA(argv[1], (dir + "\\kspdx.exe").c_str(), TRUE))
        Fail("cannot copy kspdx.exe");
    SetCurrentDirectoryA(dir.c_str());
    const std::string table = dir + "\\" + kspdx::kTableFileName;

    {
        EngineRun fresh;
        std::printf("engine_start_ms: %.0f\n", fresh.Start());
        std::printf("engine_memory_mb_empty: %.1f\n", MemoryOf(fresh.Process()).workingSetMb);
        fresh.Stop();
    }

    WriteTable(table);
    EngineRun engine;
    std::printf("engine_start_ms_100k: %.0f\n", engine.Start());
    if (engine.Record().RecordCount != kRecords)
        Fail("the engine did not load every record");
    // Both processes must hold a processor at once: other work on the machine shows in the slowest walk.
    double fastest = 0;
    double slowest = 1e300;
    for (int walk = 0; walk < kWalks; ++walk) {
        const double rate = WalkRoundTripsPerSecond(engine);
        fastest = std::max(fastest, rate);
        slowest = std::min(slowest, rate);
    }
    std::printf("engine_walk_round_trips_per_s: %.0f\n", fastest);
    std::printf("engine_walk_round_trips_per_s_slowest: %.0f\n", slowest);
    const EngineMemory memory = MemoryOf(engine.Process());
    std::printf("engine_memory_mb_100k: %.1f\n", memory.workingSetMb);
    std::printf("engine_private_mb_100k: %.1f\n", memory.privateMb);
    std::printf("engine_table_mb_100k: %.1f\n", FileMegabytes(table));
    std::printf("engine_idle_cpu_ms_per_s: %.1f\n", IdleCpuMsPerSecond(engine.Process()));
    const auto [bestAdds, worstAdds] = DurableAddsPerSecond(engine);
    std::printf("engine_durable_adds_per_s: %.0f\n", bestAdds);
    std::printf("engine_durable_adds_per_s_slowest_batch: %.0f\n", worstAdds);
    engine.Stop();

    if (argc == 4) {
        // A table after ten edits of each of its 100,000 records: as large as the compactions left it, and as
        // quick to start as the fresh one.
        if (!CopyFileA(argv[2], table.c_str(), FALSE))
            Fail("cannot copy the edited table");
        std::printf("table_mb_100k_edited: %.1f\n", FileMegabytes(table));
        EngineRun edited;
        std::printf("engine_start_ms_100k_edited: %.0f\n", edited.Start());
        if (edited.Record().RecordCount != kRecords)
            Fail("the engine did not load every edited record");
        edited.Stop();

        if (!CopyFileA(argv[3], table.c_str(), FALSE))
            Fail("cannot copy the table of a million records");
        EngineRun large;
        std::printf("engine_start_ms_1m: %.0f\n", large.Start());
        if (large.Record().RecordCount != 10 * kRecords)
            Fail("the engine did not load a million records");
        std::printf("engine_memory_mb_1m: %.1f\n", MemoryOf(large.Process()).workingSetMb);
        large.Stop();
    }

    RemoveScratch(dir);
    ks::SetUi(nullptr);
    return ui.boxes == 0 ? 0 : 1;
}

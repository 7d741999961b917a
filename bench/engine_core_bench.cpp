// Engine core micro-benchmark: durable adds, a 100,000-record walk, lookups, load time, memory and file size.
#include "kspdx/engine_core.h"
#include "bench/typical_table.h"
#include "engine/link_protocol.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 100000;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Resident memory of this process in KiB (Linux; -1 elsewhere).
long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Every field filled to its width: 1,479 bytes of text.
FileRecord Full(int i)
{
    FileRecord record = bench::Typical(i);
    SetFieldText(record.FileName, std::to_string(i) + std::string(250, 'N'));
    SetFieldText(record.Title, std::string(80, 'T'));
    SetFieldText(record.Keywords, std::string(80, 'K'));
    SetFieldText(record.Location, std::string(255, 'L'));
    SetFieldText(record.Abstract, std::string(799, 'A'));
    return record;
}

std::unique_ptr<kspdx::TableFile> OpenFile(const std::string& path)
{
    kspdx::IoStatus status = kspdx::IoStatus::kFailed;
    auto file = kspdx::OpenTableFile(path, status);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    return file;
}

double DurableAddsPerSecond(const std::string& path, FileRecord (*make)(int), int count)
{
    std::filesystem::remove(path);
    kspdx::EngineCore engine;
    engine.Open(OpenFile(path));
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        FileRecord record = make(i);
        if (engine.Execute(ENG_ADD, record) != 0)
            std::exit(1);
    }
    return count / Seconds(start);
}

// Writes a table of kRecords typical records straight through the entry codec (no flush per record).
void WriteTable(const std::string& path)
{
    std::filesystem::remove(path);
    const std::string bytes = bench::TypicalTableBytes(kRecords);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    const std::string path = (dir / "engine_core_bench.tbl").string();

    std::printf("engine_durable_adds_per_s: %.0f\n", DurableAddsPerSecond(path, bench::Typical, 2000));
    std::printf("engine_durable_adds_full_record_per_s: %.0f\n", DurableAddsPerSecond(path, Full, 2000));

    WriteTable(path);
    const long before = ResidentKiB();
    kspdx::EngineCore engine;
    auto start = Clock::now();
    if (engine.Open(OpenFile(path)) != 0)
        return 1;
    std::printf("engine_load_100k_ms: %.1f\n", Seconds(start) * 1000);
    if (before >= 0)
        std::printf("engine_memory_100k_kib: %ld\n", ResidentKiB() - before);
    std::printf("engine_file_bytes_per_record: %.1f\n",
                static_cast<double>(std::filesystem::file_size(path)) / kRecords);

    FileRecord record{};
    constexpr int kWalks = 20;
    start = Clock::now();
    long walked = 0;
    for (int w = 0; w < kWalks; ++w)
        for (int r = engine.Execute(ENG_FIRST, record); r == 0; r = engine.Execute(ENG_NEXT, record))
            ++walked;
    if (walked != static_cast<long>(kWalks) * kRecords)
        return 1;
    std::printf("engine_walk_ns_per_record: %.1f\n", Seconds(start) * 1e9 / walked);

    // The same walk a batch at a time, as the link's batch area carries it.
    {
        std::vector<std::uint8_t> area(kslink::kBatchAreaSize);
        start = Clock::now();
        long batched = 0;
        for (int w = 0; w < kWalks; ++w) {
            FileRecord request{};
            std::size_t used = 0;
            while (engine.Execute(ENG_NEXT_BATCH, request, area, used) == 0) {
                batched += request.RecordCount;
                request.RecordCount = 0;
            }
        }
        if (batched != static_cast<long>(kWalks) * kRecords)
            return 1;
        std::printf("engine_batch_walk_ns_per_record: %.1f\n", Seconds(start) * 1e9 / batched);
    }

    start = Clock::now();
    for (int i = 0; i < kRecords; ++i) {
        record.RecordNumber = 1 + (i * 7919) % kRecords;
        if (engine.Execute(ENG_READ, record) != 0)
            return 1;
    }
    std::printf("engine_read_ns: %.1f\n", Seconds(start) * 1e9 / kRecords);

    start = Clock::now();
    for (int i = 0; i < kRecords; ++i) {
        SetFieldText(record.FileName, "file" + std::to_string(1 + (i * 7919) % kRecords) + ".zip");
        if (engine.Execute(ENG_FIND_NAME, record) != 0)
            return 1;
    }
    std::printf("engine_find_name_ns: %.1f\n", Seconds(start) * 1e9 / kRecords);

    // The engine holds the table alone until it shuts down.
    if (engine.Execute(ENG_SHUTDOWN, record) != 0)
        return 1;
    std::filesystem::remove(path);
    return 0;
}

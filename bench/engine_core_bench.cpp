// Engine core micro-benchmark: durable adds, a 100,000-record walk, lookups, load time, memory and file size.
#include "kspdx/engine_core.h"
#include "kspdx/table_log.h"

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

// A catalogue record of typical size: short name and location, a title, keywords and a 200-character abstract.
FileRecord Typical(int i)
{
    FileRecord record{};
    SetFieldText(record.FileName, "FILE" + std::to_string(i) + ".ZIP");
    SetFieldText(record.DownloadDate, "12/25/1996");
    SetFieldText(record.Title, "A downloaded file with a title of forty c");
    SetFieldText(record.Keywords, "archive utility shareware disk");
    SetFieldText(record.Location, "C:\\KESTRUM\\KS_STORE");
    SetFieldText(record.Abstract, std::string(200, 'a'));
    return record;
}

// Every field filled to its width: 1,479 bytes of text.
FileRecord Full(int i)
{
    FileRecord record = Typical(i);
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
    std::ofstream out(path, std::ios::binary);
    const auto header = kspdx::EncodeHeader();
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    kspdx::EntryBuilder builder;
    for (int i = 1; i <= kRecords; ++i) {
        const FileRecord record = Typical(i);
        kspdx::RecordTexts texts;
        for (std::size_t f = 0; f < kTextFieldCount; ++f)
            texts[f] = FieldText(record, kTextFields[f]);
        const auto entry = builder.Put(i, texts);
        out.write(reinterpret_cast<const char*>(entry.data()), static_cast<std::streamsize>(entry.size()));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    const std::string path = (dir / "engine_core_bench.tbl").string();

    std::printf("engine_durable_adds_per_s: %.0f\n", DurableAddsPerSecond(path, Typical, 2000));
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

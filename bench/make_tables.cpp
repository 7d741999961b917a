// The benchmarks' tables, written natively in seconds: typical records straight through the entry codec, and a
// table after every record was edited through the engine itself, as many times as asked.
//
// Usage:
//   make_tables typical <records> <file>                  records 1 .. n, bench::Typical
//   make_tables check <records> <store folder> <file>     record i names FILEi.ZIP in the store folder, the last
//                                                         FILE<n-1>.ZIP too (the check benchmark's catalogue)
//   make_tables edited <records> <edits> <file>           typical records, then each edited that many times
//                                                         through the engine, which compacts as it goes
//   make_tables raw-edited <records> <edits> <file>       the same edits as an engine that never compacts
//                                                         writes them (for the figures before compaction)
// Prints "<file>: <records> records, <bytes> bytes".
#include "bench/typical_table.h"
#include "kspdx/engine_core.h"
#include "kspdx/table_log.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "make_tables: %s\n", what.c_str());
    std::exit(1);
}

// The entries of records 1 .. n as the engine appends them, one per add.
template <typename Make>
void WriteTable(const std::string& path, int records, Make make, int edits = 0)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto header = kspdx::EncodeHeader();
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    kspdx::EntryBuilder builder;
    auto put = [&](int number, const FileRecord& record) {
        kspdx::RecordTexts texts;
        for (std::size_t f = 0; f < kTextFieldCount; ++f)
            texts[f] = FieldText(record, kTextFields[f]);
        const auto entry = builder.Put(number, texts);
        out.write(reinterpret_cast<const char*>(entry.data()), static_cast<std::streamsize>(entry.size()));
    };
    for (int i = 1; i <= records; ++i)
        put(i, make(i));
    for (int round = 1; round <= edits; ++round)
        for (int i = 1; i <= records; ++i)
            put(i, bench::Edited(i, round));
    if (!out)
        Fail("cannot write " + path);
}

// A table file whose flushes are left to the system: the bytes are what the engine writes, in a fraction of
// the time a flush per change takes.
class UnflushedFile final : public kspdx::TableFile {
public:
    explicit UnflushedFile(std::unique_ptr<kspdx::TableFile> file) : m_file(std::move(file)) {}
    std::uint64_t Size() const override { return m_file->Size(); }
    kspdx::IoStatus Read(std::uint64_t offset, void* buffer, std::size_t size) override
    {
        return m_file->Read(offset, buffer, size);
    }
    kspdx::IoStatus Append(const void* data, std::size_t size) override { return m_file->Append(data, size); }
    kspdx::IoStatus Flush() override { return kspdx::IoStatus::kOk; }
    kspdx::IoStatus Truncate(std::uint64_t size) override { return m_file->Truncate(size); }

private:
    std::unique_ptr<kspdx::TableFile> m_file;
};

class UnflushedSite final : public kspdx::TableSite {
public:
    explicit UnflushedSite(const std::string& path) : m_site(kspdx::OpenTableSite(path)) {}
    std::unique_ptr<kspdx::TableFile> CreateBeside(kspdx::IoStatus& status) override
    {
        auto file = m_site->CreateBeside(status);
        return file ? std::make_unique<UnflushedFile>(std::move(file)) : nullptr;
    }
    std::unique_ptr<kspdx::TableFile> Replace(std::unique_ptr<kspdx::TableFile> table,
                                              std::unique_ptr<kspdx::TableFile> fresh,
                                              kspdx::IoStatus& status) override
    {
        auto file = m_site->Replace(std::move(table), std::move(fresh), status);
        return file ? std::make_unique<UnflushedFile>(std::move(file)) : nullptr;
    }
    void Discard(std::unique_ptr<kspdx::TableFile> fresh) override { m_site->Discard(std::move(fresh)); }

private:
    std::unique_ptr<kspdx::TableSite> m_site;
};

// Typical records, then edits through the engine: open, update, close, as the Record Interface does them.
void WriteEdited(const std::string& path, int records, int edits)
{
    WriteTable(path, records, bench::Typical);
    kspdx::IoStatus status = kspdx::IoStatus::kFailed;
    auto file = kspdx::OpenTableFile(path, status);
    if (!file)
        Fail("cannot open " + path);
    kspdx::EngineCore engine;
    if (engine.Open(std::make_unique<UnflushedFile>(std::move(file)), std::make_unique<UnflushedSite>(path)) != 0)
        Fail("the engine refused " + path);
    for (int round = 1; round <= edits; ++round)
        for (int i = 1; i <= records; ++i) {
            FileRecord record{};
            record.RecordNumber = i;
            if (engine.Execute(ENG_OPEN, record) != 0)
                Fail("cannot open record " + std::to_string(i));
            record = bench::Edited(i, round);
            if (engine.Execute(ENG_UPDATE, record) != 0 || engine.Execute(ENG_CLOSE, record) != 0)
                Fail("cannot edit record " + std::to_string(i));
        }
    FileRecord record{};
    engine.Execute(ENG_SHUTDOWN, record);
    std::printf("%s: %d compactions\n", path.c_str(), engine.Compactions());
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const int records = argc > 2 ? std::atoi(argv[2]) : 0;
    std::string path;
    if (mode == "typical" && argc == 4) {
        path = argv[3];
        WriteTable(path, records, bench::Typical);
    } else if (mode == "check" && argc == 5) {
        const std::string store = argv[3];
        path = argv[4];
        WriteTable(path, records, [&](int i) {
            FileRecord record = bench::Typical(i);
            SetFieldText(record.FileName, "FILE" + std::to_string(i == records ? records - 1 : i) + ".ZIP");
            SetFieldText(record.Keywords, "");
            SetFieldText(record.Location, store);
            return record;
        });
    } else if ((mode == "edited" || mode == "raw-edited") && argc == 5) {
        path = argv[4];
        if (mode == "edited")
            WriteEdited(path, records, std::atoi(argv[3]));
        else
            WriteTable(path, records, bench::Typical, std::atoi(argv[3]));
    } else {
        std::fprintf(stderr, "usage: make_tables typical|check|edited|raw-edited ... (see make_tables.cpp)\n");
        return 2;
    }
    if (records <= 0)
        Fail("no records");
    std::printf("%s: %d records, %llu bytes\n", path.c_str(), records,
                static_cast<unsigned long long>(std::filesystem::file_size(path)));
    return 0;
}

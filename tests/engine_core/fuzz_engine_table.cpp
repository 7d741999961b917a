// Fuzz target: the engine loading arbitrary table files, and arbitrary command runs recovered from any cut.
#include "kspdx/engine_core.h"
#include "tests/engine_core/memory_table_file.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Every record a reply carries has each text terminated inside its field and zeros after it.
void RequireClean(const FileRecord& record)
{
    for (const TextField& field : kTextFields) {
        const char* text = reinterpret_cast<const char*>(&record) + field.offset;
        const void* end = std::memchr(text, 0, field.size);
        Require(end != nullptr);
        for (auto* at = static_cast<const char*>(end); at < text + field.size; ++at)
            Require(*at == 0);
    }
}

std::vector<std::string> Table(kspdx::EngineCore& engine)
{
    std::vector<std::string> lines;
    FileRecord record;
    std::memset(&record, 0xAB, sizeof record);
    for (int32_t result = engine.Execute(ENG_FIRST, record); result == 0;
         result = engine.Execute(ENG_NEXT, record)) {
        RequireClean(record);
        std::string line = std::to_string(record.RecordNumber);
        for (const TextField& field : kTextFields)
            line += "|" + std::string(FieldText(record, field));
        lines.push_back(line);
    }
    FileRecord count{};
    Require(engine.Execute(ENG_COUNT, count) == 0 && count.RecordCount == static_cast<int32_t>(lines.size()));
    return lines;
}

// Loads the bytes; returns the table, or false when the engine refused them.
bool Load(const std::shared_ptr<MemoryDisk>& disk, std::vector<std::string>& table)
{
    kspdx::EngineCore engine;
    if (engine.Open(std::make_unique<MemoryTableFile>(disk)) != 0)
        return false;
    table = Table(engine);
    return true;
}

void LoadArbitraryFile(const std::uint8_t* data, std::size_t size)
{
    const Bytes original(data, data + size);
    auto disk = MemoryDisk::Holding(original);
    std::vector<std::string> table;
    if (!Load(disk, table)) {
        Require(disk->bytes == original);  // a refused table is left as it was
        return;
    }
    // Recovery is complete: the recovered file loads again as it is, to the same table.
    const Bytes recovered = disk->bytes;
    std::vector<std::string> again;
    Require(Load(disk, again) && again == table && disk->bytes == recovered);
}

// Reads the input as commands with their arguments, runs them, and checks that after every acknowledged
// change the disk alone gives the table, and that a cut anywhere gives the table of the last whole change.
void RunCommands(const std::uint8_t* data, std::size_t size)
{
    auto disk = std::make_shared<MemoryDisk>();
    kspdx::EngineCore engine;
    Require(engine.Open(std::make_unique<MemoryTableFile>(disk)) == 0);
    struct Step {
        std::size_t end;
        std::vector<std::string> table;
    };
    std::vector<Step> steps;
    std::vector<std::string> table;
    Require(Load(MemoryDisk::Holding(disk->durable), table));
    steps.push_back({disk->bytes.size(), table});

    FileRecord record{};
    int32_t lastAdded = 0;
    std::size_t pos = 0;
    while (pos + 2 <= size) {
        const int32_t command = ENG_IMPORT_V1 + data[pos] % (ENG_FIND_NAME_OPEN - ENG_IMPORT_V1 + 1);
        const std::size_t length = std::min<std::size_t>(data[pos + 1], size - pos - 2);
        const std::string_view text(reinterpret_cast<const char*>(data + pos + 2), length);
        pos += 2 + length;
        SetFieldText(record.FileName, text);
        SetFieldText(record.Title, text.substr(0, length / 2));
        if (command == ENG_READ || command == ENG_OPEN)
            record.RecordNumber = length % 8;

        const int32_t result = engine.Execute(command, record);
        const bool changes = command == ENG_ADD || command == ENG_UPDATE || command == ENG_UPDATE_CURRENT ||
                             command == ENG_DELETE;
        if (result != 0 || !changes)
            continue;
        if (command == ENG_ADD) {
            Require(record.RecordNumber > lastAdded);
            lastAdded = record.RecordNumber;
        }
        if (command != ENG_DELETE)
            RequireClean(record);
        Require(disk->durable == disk->bytes);
        Require(Load(MemoryDisk::Holding(disk->durable), table));
        steps.push_back({disk->bytes.size(), table});
    }

    const std::size_t cut = size == 0 ? 0 : (data[size - 1] * disk->bytes.size()) / 255;
    const Step* expected = &steps.front();
    for (const Step& step : steps)
        if (step.end <= cut)
            expected = &step;
    Require(Load(MemoryDisk::Holding(Bytes(disk->bytes.begin(), disk->bytes.begin() + static_cast<long>(cut))),
                 table));
    Require(table == expected->table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1)
        RunCommands(data + 1, size - 1);
    else
        LoadArbitraryFile(data + 1, size - 1);
    return 0;
}

// Helpers for the engine core tests: records to send, an engine on an in-memory disk, and a whole table as text.
#pragma once

#include "kspdx/engine_core.h"
#include "tests/engine_core/memory_table_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

// A record as the Storage Interface would fill it; every text is derived from the name.
inline FileRecord MakeRecord(const std::string& name)
{
    FileRecord record;
    std::memset(&record, 0xCC, sizeof record);  // undefined bytes after each terminator
    SetFieldText(record.FileName, name);
    SetFieldText(record.DownloadDate, "12/25/1996");
    SetFieldText(record.Title, "Title of " + name);
    SetFieldText(record.Keywords, "keywords " + name);
    SetFieldText(record.Location, "C:\\KESTRUM\\KS_STORE");
    SetFieldText(record.Abstract, "Abstract of " + name);
    // SetFieldText zeroes the tails; put the undefined bytes back after each terminator.
    for (const TextField& field : kTextFields) {
        char* text = reinterpret_cast<char*>(&record) + field.offset;
        const std::size_t length = std::strlen(text);
        std::memset(text + length + 1, 0xCC, field.size - length - 1);
    }
    return record;
}

// One record as a line of text: its number and six texts.
inline std::string Describe(const FileRecord& record)
{
    std::string line = std::to_string(record.RecordNumber);
    for (const TextField& field : kTextFields)
        line += "|" + std::string(FieldText(record, field));
    return line;
}

// The line Describe gives for a record made by MakeRecord(name) and numbered number.
inline std::string Line(int32_t number, const std::string& name)
{
    FileRecord record = MakeRecord(name);
    record.RecordNumber = number;
    return Describe(record);
}

// The whole table in walk order, one line per record.
inline std::vector<std::string> Table(kspdx::EngineCore& engine)
{
    std::vector<std::string> lines;
    FileRecord record{};
    for (int32_t result = engine.Execute(ENG_FIRST, record); result == 0;
         result = engine.Execute(ENG_NEXT, record))
        lines.push_back(Describe(record));
    return lines;
}

// An engine on an in-memory disk that a test can cut, damage or fail, and restart on.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Restart(), 0); }

    // A fresh engine on what the disk holds now.
    int32_t Restart()
    {
        engine = std::make_unique<kspdx::EngineCore>();
        if (!compacting)
            return engine->Open(std::make_unique<MemoryTableFile>(disk));
        // Compacting at small sizes: once the log is twice the size of a table of its live records.
        site = new MemorySite(disk);
        engine->SetCompactionLimits(2.0, 0);
        return engine->Open(std::make_unique<MemoryTableFile>(disk), std::unique_ptr<kspdx::TableSite>(site));
    }

    // A fresh engine on what a power cut leaves of the disk now.
    int32_t RestartAfterPowerCut()
    {
        disk = MemoryDisk::Holding(disk->durable);
        return Restart();
    }

    int32_t Run(int32_t command, FileRecord& record) { return engine->Execute(command, record); }

    int32_t Run(int32_t command)
    {
        FileRecord record{};
        return engine->Execute(command, record);
    }

    // Adds a record; returns its number.
    int32_t Add(const std::string& name)
    {
        FileRecord record = MakeRecord(name);
        EXPECT_EQ(Run(ENG_ADD, record), 0) << name;
        return record.RecordNumber;
    }

    // FILE1.ZIP .. FILE<count>.ZIP.
    void AddFiles(int count)
    {
        for (int i = 1; i <= count; ++i)
            Add("FILE" + std::to_string(i) + ".ZIP");
    }

    int32_t Open(int32_t number)
    {
        FileRecord record{};
        record.RecordNumber = number;
        return Run(ENG_OPEN, record);
    }

    // The Record Interface's way: open, change the name (or delete, for an empty name), close.
    int32_t Rename(int32_t number, const std::string& name)
    {
        if (int32_t result = Open(number); result != 0)
            return result;
        FileRecord record = MakeRecord(name);
        const int32_t result = Run(name.empty() ? ENG_DELETE : ENG_UPDATE, record);
        Run(ENG_CLOSE, record);
        return result;
    }
    int32_t Delete(int32_t number) { return Rename(number, ""); }

    // The file-name lookup's answer, as ENG_FIND_NAME gives it.
    int32_t FindName(const std::string& name)
    {
        FileRecord record = MakeRecord(name);
        return Run(ENG_FIND_NAME, record);
    }

    std::shared_ptr<MemoryDisk> disk = std::make_shared<MemoryDisk>();
    std::unique_ptr<kspdx::EngineCore> engine;
    bool compacting = false;       // set before SetUp: the engine gets a folder (site) and compacts
    MemorySite* site = nullptr;    // owned by the engine
};

// MemoryTableFile: a TableFile in memory that tells flushed bytes from written ones and fails on request;
// MemorySite: the folder around it, for compaction.
#pragma once

#include "kspdx/table_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

// The disk under a MemoryTableFile; it outlives the file, so a test can "restart" on what is left.
struct MemoryDisk {
    std::vector<std::uint8_t> bytes;    // what the process sees
    std::vector<std::uint8_t> durable;  // what a power cut leaves: the bytes as of the last flush
    int flushes = 0;
    // Off for tests of many changes that never cut the power: each flush would copy the whole file.
    bool keepDurable = true;

    // The next Append writes only partialBytes of its data and then fails with this status.
    std::optional<kspdx::IoStatus> appendFailure;
    std::size_t partialBytes = 0;
    // Every Flush / Truncate fails while set.
    std::optional<kspdx::IoStatus> flushFailure;
    bool truncateFails = false;

    // A disk holding exactly these bytes, all of them flushed.
    static std::shared_ptr<MemoryDisk> Holding(std::vector<std::uint8_t> contents)
    {
        auto disk = std::make_shared<MemoryDisk>();
        disk->bytes = contents;
        disk->durable = std::move(contents);
        return disk;
    }
};

class MemoryTableFile final : public kspdx::TableFile {
public:
    explicit MemoryTableFile(std::shared_ptr<MemoryDisk> disk) : m_disk(std::move(disk)) {}

    std::uint64_t Size() const override { return m_disk->bytes.size(); }

    kspdx::IoStatus Read(std::uint64_t offset, void* buffer, std::size_t size) override
    {
        if (offset + size > m_disk->bytes.size())
            return kspdx::IoStatus::kFailed;
        std::memcpy(buffer, m_disk->bytes.data() + offset, size);
        return kspdx::IoStatus::kOk;
    }

    kspdx::IoStatus Append(const void* data, std::size_t size) override
    {
        const auto* in = static_cast<const std::uint8_t*>(data);
        if (m_disk->appendFailure) {
            const auto status = *m_disk->appendFailure;
            m_disk->appendFailure.reset();
            m_disk->bytes.insert(m_disk->bytes.end(), in, in + std::min(size, m_disk->partialBytes));
            return status;
        }
        m_disk->bytes.insert(m_disk->bytes.end(), in, in + size);
        return kspdx::IoStatus::kOk;
    }

    kspdx::IoStatus Flush() override
    {
        if (m_disk->flushFailure)
            return *m_disk->flushFailure;
        if (m_disk->keepDurable)
            m_disk->durable = m_disk->bytes;
        ++m_disk->flushes;
        return kspdx::IoStatus::kOk;
    }

    kspdx::IoStatus Truncate(std::uint64_t size) override
    {
        if (m_disk->truncateFails)
            return kspdx::IoStatus::kFailed;
        m_disk->bytes.resize(size);
        return kspdx::IoStatus::kOk;
    }

private:
    std::shared_ptr<MemoryDisk> m_disk;
};

// The table's folder in memory: the disk under the table's name and the disk of the file beside it. Replace
// moves the new file's disk under the table's name in one step, as a rename does: what a power cut then leaves
// is what was flushed to the new file.
class MemorySite final : public kspdx::TableSite {
public:
    // table is the caller's own pointer to the table's disk: it follows the replace.
    explicit MemorySite(std::shared_ptr<MemoryDisk>& table) : m_table(table) {}

    std::shared_ptr<MemoryDisk> beside;          // the new file's disk while there is one
    std::vector<std::uint8_t> tableAtCompaction;  // what the table's disk had flushed when the last one began
    bool createFails = false;
    bool replaceFails = false;
    bool reopenFails = false;
    // The next new file fails its appends with this status once it has taken this many bytes.
    std::optional<kspdx::IoStatus> besideFailure;
    std::size_t besideFailsAfter = 0;
    int attempts = 0;  // new files asked for
    int replaced = 0;

    std::unique_ptr<kspdx::TableFile> CreateBeside(kspdx::IoStatus& status) override
    {
        ++attempts;
        if (createFails) {
            status = kspdx::IoStatus::kNoAccess;
            return nullptr;
        }
        tableAtCompaction = m_table->durable;
        beside = std::make_shared<MemoryDisk>();
        if (besideFailure) {
            beside->appendFailure = besideFailure;
            beside->partialBytes = besideFailsAfter;
            besideFailure.reset();
        }
        status = kspdx::IoStatus::kOk;
        return std::make_unique<MemoryTableFile>(beside);
    }

    std::unique_ptr<kspdx::TableFile> Replace(std::unique_ptr<kspdx::TableFile> table,
                                              std::unique_ptr<kspdx::TableFile> fresh,
                                              kspdx::IoStatus& status) override
    {
        table.reset();
        fresh.reset();
        if (replaceFails) {
            status = kspdx::IoStatus::kFailed;
            beside.reset();
        } else {
            // Under the table's name now: the new file, of which a power cut keeps what was flushed.
            m_table = std::move(beside);
            ++replaced;
            status = kspdx::IoStatus::kOk;
        }
        if (reopenFails) {
            status = kspdx::IoStatus::kFailed;
            return nullptr;
        }
        return std::make_unique<MemoryTableFile>(m_table);
    }

    void Discard(std::unique_ptr<kspdx::TableFile> fresh) override
    {
        fresh.reset();
        beside.reset();
    }

private:
    std::shared_ptr<MemoryDisk>& m_table;
};

// MemoryTableFile: a TableFile in memory that tells flushed bytes from written ones and fails on request.
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

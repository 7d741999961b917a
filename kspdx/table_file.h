// TableFile: the append-only file under the record table, opened exclusively; one implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kspdx {

enum class IoStatus {
    kOk,
    kDiskFull,  // the volume has no room for the write
    kLocked,    // another process holds the file
    kNoAccess,  // the folder (or the file) may not be written
    kWriteProtected,  // the file is marked read-only, or the disk is write-protected
    kFailed,    // any other failure of the system call
};

// A file that only grows at its end, except when recovery cuts a damaged tail away. Size() is the end the
// next Append writes at; after a failed Append it may include part of the failed write until Truncate.
class TableFile {
public:
    TableFile() = default;
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;
    virtual ~TableFile() = default;

    virtual std::uint64_t Size() const = 0;
    // Reads exactly size bytes at offset; offset + size must not pass Size().
    virtual IoStatus Read(std::uint64_t offset, void* buffer, std::size_t size) = 0;
    virtual IoStatus Append(const void* data, std::size_t size) = 0;
    // Returns once everything appended so far is on the disk itself, not only in a cache.
    virtual IoStatus Flush() = 0;
    // Cuts the file to size bytes (and makes the cut durable with the next Flush).
    virtual IoStatus Truncate(std::uint64_t size) = 0;
};

// Opens or creates the file at path for reading and writing, refusing (kLocked) while another TableFile
// anywhere holds it. Returns null with the reason in status when it cannot.
std::unique_ptr<TableFile> OpenTableFile(const std::string& path, IoStatus& status);

}  // namespace kspdx

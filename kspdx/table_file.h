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

// The table's place on the disk, for rewriting the table whole: a new file is written beside it and then put in
// its place in one step, so that at every moment one complete table lies under the table's name.
class TableSite {
public:
    TableSite() = default;
    TableSite(const TableSite&) = delete;
    TableSite& operator=(const TableSite&) = delete;
    virtual ~TableSite() = default;

    // A new, empty file beside the table, held as the table is; one left there by an earlier attempt is
    // replaced. Null with the reason in status when it cannot be made.
    virtual std::unique_ptr<TableFile> CreateBeside(IoStatus& status) = 0;
    // Puts fresh (made by CreateBeside, written and flushed) in the table's place in one step; both files are
    // closed for it. Returns the table now under the table's name, held again: fresh's contents on success; the
    // old table on failure (status then says why, and fresh is removed). Null when not even that could be
    // opened again.
    virtual std::unique_ptr<TableFile> Replace(std::unique_ptr<TableFile> table, std::unique_ptr<TableFile> fresh,
                                               IoStatus& status) = 0;
    // Closes and removes a file made by CreateBeside that is not wanted after all.
    virtual void Discard(std::unique_ptr<TableFile> fresh) = 0;
};

// The site of the table at path; the file beside it is path + ".compact".
std::unique_ptr<TableSite> OpenTableSite(const std::string& path);

// One per platform: puts the file at from in to's place in one step, durably (the files are closed); removes a
// file.
IoStatus ReplaceTableFile(const std::string& from, const std::string& to);
void RemoveTableFile(const std::string& path);

}  // namespace kspdx

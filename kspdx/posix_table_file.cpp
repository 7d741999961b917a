// TableFile on POSIX systems: pwrite at the end, fdatasync to make it durable, flock to hold the file alone.
#include "kspdx/table_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <utility>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kspdx {
namespace {

IoStatus FromErrno(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return IoStatus::kDiskFull;
    if (error == EACCES || error == EPERM)
        return IoStatus::kNoAccess;
    return error == EROFS ? IoStatus::kWriteProtected : IoStatus::kFailed;
}

// Owns one descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// A newly created file is only durable once its directory entry is: sync the directory as well.
bool SyncParentDirectory(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    Descriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

class PosixTableFile final : public TableFile {
public:
    PosixTableFile(Descriptor fd, std::uint64_t size) : m_fd(std::move(fd)), m_size(size) {}

    std::uint64_t Size() const override { return m_size; }

    IoStatus Read(std::uint64_t offset, void* buffer, std::size_t size) override
    {
        auto* out = static_cast<char*>(buffer);
        while (size > 0) {
            const ssize_t got = ::pread(m_fd.get(), out, size, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return IoStatus::kFailed;
            out += got;
            offset += static_cast<std::uint64_t>(got);
            size -= static_cast<std::size_t>(got);
        }
        return IoStatus::kOk;
    }

    IoStatus Append(const void* data, std::size_t size) override
    {
        const auto* in = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t put = ::pwrite(m_fd.get(), in, size, static_cast<off_t>(m_size));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return FromErrno(errno);
            in += put;
            m_size += static_cast<std::uint64_t>(put);
            size -= static_cast<std::size_t>(put);
        }
        return IoStatus::kOk;
    }

    IoStatus Flush() override { return ::fdatasync(m_fd.get()) == 0 ? IoStatus::kOk : FromErrno(errno); }

    IoStatus Truncate(std::uint64_t size) override
    {
        if (::ftruncate(m_fd.get(), static_cast<off_t>(size)) != 0)
            return FromErrno(errno);
        m_size = size;
        return IoStatus::kOk;
    }

private:
    Descriptor m_fd;
    std::uint64_t m_size;
};

}  // namespace

std::unique_ptr<TableFile> OpenTableFile(const std::string& path, IoStatus& status)
{
    bool created = false;
    int raw = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (raw < 0 && errno == ENOENT) {
        raw = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created = raw >= 0;
    }
    if (raw < 0) {
        status = FromErrno(errno);
        return nullptr;
    }
    Descriptor fd(raw);
    // Advisory, but every engine takes it: a second engine finds the table held.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        status = errno == EWOULDBLOCK ? IoStatus::kLocked : IoStatus::kFailed;
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || (created && !SyncParentDirectory(path))) {
        status = IoStatus::kFailed;
        return nullptr;
    }
    status = IoStatus::kOk;
    return std::make_unique<PosixTableFile>(std::move(fd), static_cast<std::uint64_t>(info.st_size));
}

IoStatus ReplaceTableFile(const std::string& from, const std::string& to)
{
    // rename replaces the old name's file in one step; the directory is synced so that the step is durable.
    if (::rename(from.c_str(), to.c_str()) != 0)
        return FromErrno(errno);
    return SyncParentDirectory(to) ? IoStatus::kOk : IoStatus::kFailed;
}

void RemoveTableFile(const std::string& path) { ::unlink(path.c_str()); }

}  // namespace kspdx

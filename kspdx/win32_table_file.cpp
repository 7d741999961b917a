// TableFile on Win32: a handle opened with no sharing, positioned writes at the end, FlushFileBuffers for durability.
#include "kspdx/table_file.h"

#include <utility>

#include <windows.h>

#include "framework/handles.h"

namespace kspdx {
namespace {

IoStatus FromLastError()
{
    switch (GetLastError()) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return IoStatus::kDiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return IoStatus::kLocked;
    case ERROR_ACCESS_DENIED:
        return IoStatus::kNoAccess;
    case ERROR_WRITE_PROTECT:
        return IoStatus::kWriteProtected;
    default:
        return IoStatus::kFailed;
    }
}

// The file offset as an OVERLAPPED block: a synchronous handle reads and writes there without a seek.
OVERLAPPED At(std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

// Larger requests are split so each fits a DWORD byte count.
constexpr std::size_t kMaxChunk = 1u << 30;

class Win32TableFile final : public TableFile {
public:
    Win32TableFile(ks::FileHandle handle, std::uint64_t size) : m_handle(std::move(handle)), m_size(size) {}

    std::uint64_t Size() const override { return m_size; }

    IoStatus Read(std::uint64_t offset, void* buffer, std::size_t size) override
    {
        auto* out = static_cast<char*>(buffer);
        while (size > 0) {
            OVERLAPPED at = At(offset);
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk);
            if (!ReadFile(m_handle.Get(), out, want, &got, &at) || got == 0)
                return IoStatus::kFailed;
            out += got;
            offset += got;
            size -= got;
        }
        return IoStatus::kOk;
    }

    IoStatus Append(const void* data, std::size_t size) override
    {
        const auto* in = static_cast<const char*>(data);
        while (size > 0) {
            OVERLAPPED at = At(m_size);
            DWORD put = 0;
            const DWORD want = static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk);
            if (!WriteFile(m_handle.Get(), in, want, &put, &at))
                return FromLastError();
            if (put == 0)
                return IoStatus::kFailed;
            in += put;
            m_size += put;
            size -= put;
        }
        return IoStatus::kOk;
    }

    IoStatus Flush() override { return FlushFileBuffers(m_handle.Get()) ? IoStatus::kOk : FromLastError(); }

    IoStatus Truncate(std::uint64_t size) override
    {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFilePointerEx(m_handle.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(m_handle.Get()))
            return FromLastError();
        m_size = size;
        return IoStatus::kOk;
    }

private:
    ks::FileHandle m_handle;
    std::uint64_t m_size;
};

}  // namespace

std::unique_ptr<TableFile> OpenTableFile(const std::string& path, IoStatus& status)
{
    // Share mode 0: while this engine runs, no other process can open the table, not even to read it.
    ks::FileHandle handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        status = FromLastError();
        // Access is denied both to a folder that may not be written and to a file marked read-only.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (status == IoStatus::kNoAccess && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY))
            status = IoStatus::kWriteProtected;
        return nullptr;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle.Get(), &size)) {
        status = FromLastError();
        return nullptr;
    }
    status = IoStatus::kOk;
    return std::make_unique<Win32TableFile>(std::move(handle), static_cast<std::uint64_t>(size.QuadPart));
}

IoStatus ReplaceTableFile(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? IoStatus::kOk
                                                                                                   : FromLastError();
}

void RemoveTableFile(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace kspdx

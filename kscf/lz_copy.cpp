// kscf.dll: LZcopyfile, a file copy through the platform's LZ expansion layer that checks the expanded
// length of a compressed (SZDD) source against its header.
#include "kscf/kscf.h"

#include <lzexpand.h>

#include <cstring>

namespace {

constexpr std::int32_t kSourceNotOpened = -1;
constexpr std::int32_t kDestinationNotCreated = -2;
constexpr std::int32_t kWriteError = -3;
constexpr std::int32_t kOtherError = -4;

// A file opened through the LZ layer (an expanding handle or a plain one), closed when it goes out of scope.
class LzFile {
public:
    // The layer takes a non-const name for historical reasons; it does not change it.
    LzFile(const char* path, WORD mode) : m_handle(LZOpenFileA(const_cast<char*>(path), &m_opened, mode)) {}
    ~LzFile() { Close(); }
    LzFile(const LzFile&) = delete;
    LzFile& operator=(const LzFile&) = delete;

    bool IsOpen() const { return m_handle >= 0; }
    INT get() const { return m_handle; }
    // The full path of the file the layer actually opened (it may have tried the compressed name).
    const char* OpenedPath() const { return m_opened.szPathName; }
    void Close()
    {
        if (m_handle >= 0)
            LZClose(m_handle);
        m_handle = -1;
    }

private:
    OFSTRUCT m_opened{};
    INT m_handle;
};

// A plain handle for looking at a file without disturbing the layer's own handle.
class PlainFile {
public:
    PlainFile(const char* path, DWORD access)
        : m_handle(CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr))
    {
    }
    ~PlainFile()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    PlainFile(const PlainFile&) = delete;
    PlainFile& operator=(const PlainFile&) = delete;

    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// What a source's own header says: whether it is an SZDD file and, when its header could be read whole,
// the length it expands to. A compressed file without a known length cannot be checked and is refused.
struct SzddHeader {
    bool compressed = false;
    bool length_known = false;
    std::uint32_t expanded_length = 0;
};

// The layer trusts the compressed data alone and ignores the header's length, so a cut-off or padded
// compressed file would expand to wrong content without an error; the header is read here to check that.
SzddHeader ReadSzddHeader(const char* path)
{
    static constexpr unsigned char kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    constexpr DWORD kHeaderSize = 14;  // magic, method, last name character, 32-bit expanded length
    constexpr DWORD kLengthOffset = 10;

    SzddHeader header;
    const PlainFile file(path, GENERIC_READ);
    unsigned char bytes[kHeaderSize];
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), bytes, kHeaderSize, &got, nullptr)) {
        header.compressed = true;  // the layer could read it but we cannot: do not vouch for the copy
        return header;
    }
    if (got < sizeof kMagic || std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
        return header;
    header.compressed = true;
    header.length_known = got == kHeaderSize;
    if (header.length_known)
        header.expanded_length = bytes[kLengthOffset] | bytes[kLengthOffset + 1] << 8 |
                                 static_cast<std::uint32_t>(bytes[kLengthOffset + 2]) << 16 |
                                 static_cast<std::uint32_t>(bytes[kLengthOffset + 3]) << 24;
    return header;
}

// True when `destination` exists and is the very file `source` names: creating it would truncate the source.
bool IsSameFile(const char* source, const char* destination)
{
    const PlainFile a(source, 0);
    const PlainFile b(destination, 0);
    BY_HANDLE_FILE_INFORMATION ia;
    BY_HANDLE_FILE_INFORMATION ib;
    return a && b && GetFileInformationByHandle(a.get(), &ia) && GetFileInformationByHandle(b.get(), &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

std::int32_t CopyResult(LONG copied, const SzddHeader& header)
{
    if (copied == LZERROR_WRITE)
        return kWriteError;
    if (copied < 0)
        return kOtherError;
    if (header.compressed && (!header.length_known || static_cast<std::uint32_t>(copied) != header.expanded_length))
        return kOtherError;
    return 0;
}

}  // namespace

extern "C" std::int32_t WINAPI LZcopyfile(const char* source, const char* destination)
{
    LzFile in(source, OF_READ);
    if (!in.IsOpen())
        return kSourceNotOpened;
    if (IsSameFile(in.OpenedPath(), destination))
        return kDestinationNotCreated;
    const SzddHeader header = ReadSzddHeader(in.OpenedPath());

    LzFile out(destination, OF_CREATE);
    if (!out.IsOpen())
        return kDestinationNotCreated;
    const std::int32_t result = CopyResult(LZCopy(in.get(), out.get()), header);
    out.Close();
    // A partly written or wrongly expanded file must not pass for a copy.
    if (result != 0)
        DeleteFileA(out.OpenedPath());
    return result;
}

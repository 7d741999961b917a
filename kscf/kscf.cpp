// kscf.dll: settings kept under HKCU\Software\Brackenfold\Kestrum32\<section>, the directory entry count
// and the StripLF export. The library keeps no state: every call opens and closes what it uses.
#include "kscf/kscf.h"

#include "kscf/strip_lf.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kKeyPathSize = 264;  // the formatted key path must fit, terminator included
constexpr DWORD kTextReadSize = 260;       // callers' text buffers hold at least this much

// Formats `argument` into `buffer`; false when the result would not fit (it is then never used).
template <std::size_t N>
bool FormatFits(char (&buffer)[N], const char* format, const char* argument)
{
    const int length = std::snprintf(buffer, N, format, argument);
    return length >= 0 && static_cast<std::size_t>(length) < N;
}

// The registry key of one section, open with full access for the lifetime of the object.
class SectionKey {
public:
    enum class Mode { CreateIfMissing, OpenExisting };

    SectionKey(const char* section, Mode mode)
    {
        char path[kKeyPathSize];
        if (!FormatFits(path, "Software\\Brackenfold\\Kestrum32\\%s", section))
            return;  // a section whose path does not fit is refused rather than cut short
        if (mode == Mode::CreateIfMissing) {
            char no_class[] = "";
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, no_class, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &m_key, nullptr) != ERROR_SUCCESS)
                m_key = nullptr;
        } else if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &m_key) != ERROR_SUCCESS) {
            m_key = nullptr;
        }
    }
    ~SectionKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    SectionKey(const SectionKey&) = delete;
    SectionKey& operator=(const SectionKey&) = delete;

    explicit operator bool() const { return m_key != nullptr; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::int32_t WriteValue(const char* section, const char* name, DWORD type, const void* data, DWORD size)
{
    const SectionKey key(section, SectionKey::Mode::CreateIfMissing);
    if (!key)
        return 0;
    return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// A directory listing, closed when the object goes out of scope.
class FindListing {
public:
    // A null pattern gives a listing that could not be started.
    FindListing(const char* pattern, WIN32_FIND_DATAA& entry)
        : m_handle(pattern ? FindFirstFileA(pattern, &entry) : INVALID_HANDLE_VALUE)
    {
    }
    ~FindListing()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            FindClose(m_handle);
    }
    FindListing(const FindListing&) = delete;
    FindListing& operator=(const FindListing&) = delete;

    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA& entry) { return FindNextFileA(m_handle, &entry) != 0; }

private:
    HANDLE m_handle;
};

}  // namespace

extern "C" {

std::int32_t WINAPI WriteRegistryString(const char* section, const char* name, const char* text)
{
    // The terminating zero is stored with the text.
    return WriteValue(section, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

std::int32_t WINAPI WriteRegistryNumber(const char* section, const char* name, std::uint32_t number)
{
    const DWORD value = number;
    return WriteValue(section, name, REG_DWORD, &value, sizeof value);
}

std::int32_t WINAPI GetRegistryString(const char* section, const char* name, char* buffer)
{
    const SectionKey key(section, SectionKey::Mode::OpenExisting);
    if (!key)
        return 0;
    // The stored type is not checked; whatever bytes the value holds are taken as its text.
    DWORD size = kTextReadSize;
    if (RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return 0;
    // A value written without its terminating zero (by another tool, or not a text) still reaches the
    // caller as a terminated text, or is refused when there is no room left for the zero.
    if (size == 0 || buffer[size - 1] != '\0') {
        if (size >= kTextReadSize)
            return 0;
        buffer[size] = '\0';
    }
    return 1;
}

std::int32_t WINAPI GetRegistryNumber(const char* section, const char* name)
{
    const SectionKey key(section, SectionKey::Mode::OpenExisting);
    if (!key)
        return -1;
    DWORD number = 0;  // a shorter value fills only its own bytes
    DWORD size = sizeof number;
    if (RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<std::int32_t>(number);
}

std::int32_t WINAPI NumFilesDir(const char* directory)
{
    char pattern[MAX_PATH];  // the ANSI listing takes no longer path
    WIN32_FIND_DATAA entry;
    FindListing listing(FormatFits(pattern, "%s\\*.*", directory) ? pattern : nullptr, entry);
    if (!listing) {
        MessageBoxA(nullptr, "Invalid File Handle", "File Error", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    std::int32_t count = 0;
    do {
        if (entry.cFileName[0] != '.')
            ++count;
    } while (listing.Next(entry));
    return count;
}

void WINAPI StripLF(char* text)
{
    kscf::JoinLines(text);
}

}  // extern "C"

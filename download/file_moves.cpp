// MoveWholeFile: a rename, or a copy of our own and the source's removal across volumes, decided by the files'
// identities; the real file calls; identities, canonical folder paths and folder keys.
#include "download/file_moves.h"

#include <cstdio>
#include <vector>

#include "framework/handles.h"

namespace {

FileCalls g_realCalls;
FileCalls* g_calls = &g_realCalls;

bool Present(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<FileIdentity> IdentityOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Removes what the path leads to only when it is the file `only`; the result tells the three outcomes apart.
enum class Removal { Removed, NotThatFile, Failed };

Removal RemoveExactly(const std::wstring& path, const FileIdentity& only, bool evenReadOnly)
{
    const std::optional<FileIdentity> now = Files().Identity(path);
    if (!now || *now != only)
        return Removal::NotThatFile;
    if (evenReadOnly)
        Files().MakeDeletable(path);
    return Files().Delete(path) ? Removal::Removed : Removal::Failed;
}

// A copy this move made goes; anything else at that name stays.
void RemoveOwnCopy(const std::wstring& path, const std::optional<FileIdentity>& made)
{
    if (made)
        RemoveExactly(path, *made, true);
}

}  // namespace

// Without best-fit forms: a name the code page can only approximate is not held exactly.
std::optional<std::string> AnsiOf(const wchar_t* text)
{
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return std::nullopt;
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi.data(), size, nullptr, &lossy);
    ansi.resize(static_cast<std::size_t>(size) - 1);
    if (lossy)
        return std::nullopt;
    return ansi;
}

std::string ShownFileName(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    char text[MAX_PATH * 2]{};
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::optional<FileIdentity> FileCalls::Identity(const std::wstring& path)
{
    // No access is asked for: a file another program holds open without sharing still tells who it is.
    const ks::FileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? IdentityOf(file.Get()) : std::nullopt;
}

bool FileCalls::Rename(const std::wstring& from, const std::wstring& to)
{
    return MoveFileExW(from.c_str(), to.c_str(), 0) != FALSE;
}

bool FileCalls::CopyNew(const std::wstring& from, const std::wstring& to, std::optional<FileIdentity>& read,
                        std::optional<FileIdentity>& made)
{
    const ks::FileHandle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!in || !GetFileInformationByHandle(in.Get(), &info))
        return false;
    read = FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    bool copied = false;
    {
        const ks::FileHandle out(
            CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            return false;
        made = IdentityOf(out.Get());
        std::vector<char> chunk(1 << 20);
        DWORD got = 0;
        for (;;) {
            if (!ReadFile(in.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
                break;
            if (got == 0) {
                copied = true;
                break;
            }
            DWORD put = 0;
            if (!WriteFile(out.Get(), chunk.data(), got, &put, nullptr) || put != got) {
                if (GetLastError() == ERROR_SUCCESS)
                    SetLastError(ERROR_DISK_FULL);
                break;
            }
        }
        // The source goes once the copy is complete: the copy must be on the disk by then.
        copied = copied && SetFileTime(out.Get(), &info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime) &&
                 FlushFileBuffers(out.Get());
        if (!copied)
            return false;
    }
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (info.dwFileAttributes & kKept)
        SetFileAttributesW(to.c_str(), info.dwFileAttributes & kKept);
    return true;
}

bool FileCalls::Delete(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

void FileCalls::MakeDeletable(const std::wstring& path) { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); }

FileCalls& Files() { return *g_calls; }

FileCalls* SetFileCalls(FileCalls* calls)
{
    FileCalls* previous = g_calls;
    g_calls = calls ? calls : &g_realCalls;
    return previous;
}

std::wstring Widened(const std::string& path)
{
    std::wstring wide(path.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return wide;
}

bool MoveWholeFile(const std::wstring& source, const std::wstring& target)
{
    FileCalls& files = Files();
    const DWORD attributes = GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Who the source is, before anything moves. The source is held open (sharing everything) until the move is
    // over: while it is open its index cannot pass to a new file, as it could once it is gone on a file system that
    // reuses indexes (a new download under the source's name would then pass for the source).
    const ks::FileHandle hold(CreateFileW(source.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    const std::optional<FileIdentity> original = files.Identity(source);
    if (!original)
        return false;
    if (Present(target)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }

    if (files.Rename(source, target)) {
        // Whatever answers to the source's name now (a name differing only in case, a new download) is another
        // file; only the source itself still being there means the platform left it behind.
        if (files.Identity(source) != original)
            return true;
        // Documented for moves to another volume: the copy succeeded, the delete did not, and success was
        // reported. What is at target is the platform's copy for this move.
        if (const std::optional<FileIdentity> copy = files.Identity(target); copy && copy != original)
            RemoveOwnCopy(target, copy);
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    DWORD error = GetLastError();
    // A rename that failed made nothing: nothing is removed, whatever lies at target now.
    if (error != ERROR_NOT_SAME_DEVICE) {
        SetLastError(error);
        return false;
    }

    // Another volume: a copy of our own, whose identity we know from the handle that made it.
    std::optional<FileIdentity> read;
    std::optional<FileIdentity> made;
    if (!files.CopyNew(source, target, read, made) || read != original) {
        error = read && read != original ? ERROR_FILE_NOT_FOUND : GetLastError();
        RemoveOwnCopy(target, made);
        SetLastError(error);
        return false;
    }
    switch (RemoveExactly(source, *original, false)) {
    case Removal::Removed:
        return true;
    case Removal::NotThatFile:
        // The source's name leads elsewhere now (another program took the file away meanwhile): the copy holds
        // its contents, and the newcomer is not ours to delete.
        return true;
    case Removal::Failed:
        break;
    }
    error = GetLastError();
    RemoveOwnCopy(target, made);
    SetLastError(error);
    return false;
}

bool MoveWholeFile(const std::string& source, const std::string& target)
{
    return MoveWholeFile(Widened(source), Widened(target));
}

bool IsPlainFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    const std::optional<FileIdentity> first = Files().Identity(a);
    return first && first == Files().Identity(b);
}

bool SameFile(const std::string& a, const std::string& b) { return SameFile(Widened(a), Widened(b)); }

std::wstring CanonicalDirectory(const std::wstring& directory)
{
    std::wstring path = directory;
    wchar_t full[MAX_PATH * 4]{};
    const DWORD n = GetFullPathNameW(directory.c_str(), MAX_PATH * 4, full, nullptr);
    if (n > 0 && n < MAX_PATH * 4)
        path = full;
    wchar_t longer[MAX_PATH * 4]{};
    const DWORD m = GetLongPathNameW(path.c_str(), longer, MAX_PATH * 4);
    if (m > 0 && m < MAX_PATH * 4)
        path = longer;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    // "C:\" keeps its backslash; every other folder loses its trailing ones.
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

bool SameDirectory(const std::string& a, const std::string& b)
{
    const std::wstring wideA = Widened(a);
    const std::wstring wideB = Widened(b);
    return lstrcmpiW(CanonicalDirectory(wideA).c_str(), CanonicalDirectory(wideB).c_str()) == 0 ||
           SameFile(wideA, wideB);
}

std::string DirectoryKey(const std::string& directory)
{
    const std::wstring wide = Widened(directory);
    if (const std::optional<FileIdentity> id = Files().Identity(wide)) {
        char key[40];
        std::snprintf(key, sizeof key, "#%08lX:%08lX%08lX", static_cast<unsigned long>(id->volume),
                      static_cast<unsigned long>(id->indexHigh), static_cast<unsigned long>(id->indexLow));
        return key;
    }
    std::wstring canonical = CanonicalDirectory(wide);
    if (!canonical.empty())
        CharUpperBuffW(canonical.data(), static_cast<DWORD>(canonical.size()));
    const int size = WideCharToMultiByte(CP_UTF8, 0, canonical.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string key(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, canonical.c_str(), -1, key.data(), size, nullptr, nullptr);
    key.resize(key.size() - 1);
    return key;
}

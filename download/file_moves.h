// Moving a file as one step (to another volume too, and never half done), and knowing a file or folder by its
// identity rather than by one spelling of its name.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

// A file as the file system knows it: its volume and its index there. Two names lead to one file exactly when
// their identities are equal, whatever their spelling (letter case, 8.3 names, another drive letter).
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file calls a move makes. The real ones go to the platform; a test installs its own to play what the
// platform documents but this one never shows (a move to another volume that reports success and leaves its
// source, a copy that fails half-way, a file arriving under the source's name).
class FileCalls {
public:
    virtual ~FileCalls() = default;
    // The identity of what a path leads to now (a file or a folder), from an open handle; nothing when nothing
    // answers to it.
    virtual std::optional<FileIdentity> Identity(const std::wstring& path);
    // A rename within one volume: MoveFileExW without copying. Across volumes it fails with ERROR_NOT_SAME_DEVICE.
    virtual bool Rename(const std::wstring& from, const std::wstring& to);
    // Creates `to` (never over a file that is there) and copies into it the contents, times and attributes of
    // the file `from` leads to. `read` receives the identity of the file copied from, `made` that of the file
    // created, also when the copy then fails. GetLastError says why it failed.
    virtual bool CopyNew(const std::wstring& from, const std::wstring& to, std::optional<FileIdentity>& read,
                         std::optional<FileIdentity>& made);
    virtual bool Delete(const std::wstring& path);
    // Clears read-only and the other marks that stop a copy of ours from being deleted.
    virtual void MakeDeletable(const std::wstring& path);
};

// The calls in force.
FileCalls& Files();
// Installs calls (tests); nullptr puts the real ones back. Returns the calls that were in force.
FileCalls* SetFileCalls(FileCalls* calls);

// Moves a file; on another volume it copies and then deletes the source. Afterwards the file is either at target
// and gone from source (true), or where it was with nothing of it at target (false, GetLastError says why). What
// the move did is decided by the file itself: the source's identity is taken before the move, so a file that
// merely answers to the source's name afterwards (a case variant, a new arrival) is never taken for the source
// staying behind; only a copy this move made is ever removed, and a file that was at target is never touched.
bool MoveWholeFile(const std::wstring& source, const std::wstring& target);
bool MoveWholeFile(const std::string& source, const std::string& target);

// A path in the ANSI code page, widened for the wide file calls.
std::wstring Widened(const std::string& path);
// The name part of a wide path as far as the ANSI code page shows it ("?" for what it lacks): for texts only,
// never to open the file by.
std::string ShownFileName(const std::wstring& path);
// A wide text in the ANSI code page, when the code page holds every character of it exactly.
std::optional<std::string> AnsiOf(const wchar_t* text);

// An ordinary file (not a folder, not a name that only leads to a folder such as "dir\" or "dir\.").
bool IsPlainFile(const std::string& path);
// Both paths lead to one file or one folder (by identity); false when either leads nowhere.
bool SameFile(const std::string& a, const std::string& b);
bool SameFile(const std::wstring& a, const std::wstring& b);
// A folder's path in one spelling: full, long names for 8.3 ones, backslashes, no trailing separator (a drive's
// root keeps its own). A path that does not exist is made full and tidied as far as it goes.
std::wstring CanonicalDirectory(const std::wstring& directory);
// Two spellings of one folder: the same canonical path (letter case aside), or the same identity (another drive
// letter for the same folder).
bool SameDirectory(const std::string& a, const std::string& b);
// A key equal for every spelling of one folder: its identity while it exists, else its canonical path in capitals.
std::string DirectoryKey(const std::string& directory);

// MoveWholeFile: rename, or copy and delete across volumes, with the source checked gone afterwards.
#include "download/file_moves.h"

namespace {

bool Present(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Removes a copy this move made, read-only or not.
void RemoveCopy(const std::wstring& path)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

}  // namespace

std::string ShownFileName(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    char text[MAX_PATH * 2]{};
    WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
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
    if (Present(target)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    const bool moved = MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED) != FALSE;
    const DWORD error = moved ? ERROR_ACCESS_DENIED : GetLastError();
    if (moved && !Present(source))
        return true;
    // Across volumes the platform copies and deletes. When the delete fails it may still report success, and
    // when the copy fails (a full disk) it may leave part of the file: either way the source is still there
    // and what lies at target is the platform's copy.
    if (Present(source) && Present(target))
        RemoveCopy(target);
    if (moved || error != ERROR_NOT_SAME_DEVICE) {
        SetLastError(error);
        return false;
    }
    if (!CopyFileW(source.c_str(), target.c_str(), TRUE)) {
        const DWORD copyError = GetLastError();
        // A file that appeared at target meanwhile is someone else's.
        if (copyError != ERROR_FILE_EXISTS && copyError != ERROR_ALREADY_EXISTS)
            RemoveCopy(target);
        SetLastError(copyError);
        return false;
    }
    if (!DeleteFileW(source.c_str())) {
        const DWORD deleteError = GetLastError();
        RemoveCopy(target);
        SetLastError(deleteError);
        return false;
    }
    return true;
}

bool MoveWholeFile(const std::string& source, const std::string& target)
{
    return MoveWholeFile(Widened(source), Widened(target));
}

// StoreContents: KS_STORE indexed by size, and digests read only for files of the same size.
#include "download/same_contents.h"

#include <vector>

#include "download/file_moves.h"
#include "framework/handles.h"

namespace {

std::uint64_t SizeOf(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// A stored name as the catalogue holds it: in the ANSI code page, or else the short name.
std::string ShownName(const WIN32_FIND_DATAW& data)
{
    char name[MAX_PATH * 2]{};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, data.cFileName, -1, name, sizeof name, nullptr, &lossy);
    if (lossy && data.cAlternateFileName[0])
        WideCharToMultiByte(CP_ACP, 0, data.cAlternateFileName, -1, name, sizeof name, nullptr, nullptr);
    return name;
}

}  // namespace

std::optional<Sha256::Digest> FileDigest(const std::wstring& path)
{
    const ks::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return std::nullopt;
    Sha256 digest;
    std::vector<char> chunk(1 << 20);
    DWORD got = 0;
    do {
        if (!ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
            return std::nullopt;
        digest.Update(chunk.data(), got);
    } while (got > 0);
    return digest.Finish();
}

StoreContents::StoreContents(const std::string& storeDir) : m_storeWide(Widened(storeDir) + L"\\")
{
    WIN32_FIND_DATAW data{};
    const ks::FindHandle find(FindFirstFileExW((m_storeWide + L"*").c_str(), FindExInfoStandard, &data,
                                               FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        m_bySize.emplace(SizeOf(data.nFileSizeHigh, data.nFileSizeLow),
                         Stored{m_storeWide + data.cFileName, ShownName(data), std::nullopt});
    } while (FindNextFileW(find.Get(), &data));
}

void StoreContents::Added(const std::string& name)
{
    const std::wstring path = m_storeWide + Widened(name);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        m_bySize.emplace(SizeOf(data.nFileSizeHigh, data.nFileSizeLow), Stored{path, name, std::nullopt});
}

std::string StoreContents::SameAs(const std::wstring& source)
{
    WIN32_FILE_ATTRIBUTE_DATA own{};
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &own))
        return {};
    std::optional<Sha256::Digest> sourceDigest;
    const auto [first, last] = m_bySize.equal_range(SizeOf(own.nFileSizeHigh, own.nFileSizeLow));
    for (auto it = first; it != last; ++it) {
        Stored& stored = it->second;
        if (!sourceDigest && !(sourceDigest = FileDigest(source)))
            return {};
        if (!stored.digest)
            stored.digest = FileDigest(stored.path);
        // The source itself, whichever of its names (a short one, say) it was given by, is no other copy. Asked
        // only of a copy whose contents agree: opening both files for every stored file of the same size made
        // a run of many alike files slow down with every file it stored.
        if (stored.digest == sourceDigest && !SameFile(stored.path, source))
            return stored.shown;
    }
    return {};
}

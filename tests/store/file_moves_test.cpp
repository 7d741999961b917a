// MoveWholeFile: every way a move can end, the platform's documented ones played through the file-call seam, with
// the files on both sides checked afterwards; and telling files and folders apart by identity.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "download/file_moves.h"
#include "tests/support/test_files.h"
#include "tests/support/unix_shell.h"

namespace {

using ks_test::PutBytes;

std::string Narrow(const std::wstring& wide) { return std::string(wide.begin(), wide.end()); }

// The real file calls, with whichever of them a case plays differently.
class PlayedFiles : public FileCalls {
public:
    using Rename2 = std::function<bool(const std::wstring&, const std::wstring&)>;
    using Copy2 = std::function<bool(const std::wstring&, const std::wstring&, std::optional<FileIdentity>&,
                                     std::optional<FileIdentity>&)>;
    Rename2 rename;
    Copy2 copyNew;
    std::function<bool(const std::wstring&)> remove;

    PlayedFiles() : m_previous(SetFileCalls(this)) {}
    ~PlayedFiles() override { SetFileCalls(m_previous); }

    bool Rename(const std::wstring& from, const std::wstring& to) override
    {
        return rename ? rename(from, to) : FileCalls::Rename(from, to);
    }
    bool CopyNew(const std::wstring& from, const std::wstring& to, std::optional<FileIdentity>& read,
                 std::optional<FileIdentity>& made) override
    {
        return copyNew ? copyNew(from, to, read, made) : FileCalls::CopyNew(from, to, read, made);
    }
    bool Delete(const std::wstring& path) override { return remove ? remove(path) : FileCalls::Delete(path); }
    // The real ones, for the played calls to build on.
    FileCalls real;

private:
    FileCalls* m_previous;
};

bool AnotherVolume(const std::wstring&, const std::wstring&)
{
    SetLastError(ERROR_NOT_SAME_DEVICE);
    return false;
}

class FileMoves : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_root = std::string(temp) + "ks_moves_" + std::to_string(GetCurrentProcessId());
        ks_test::RunUnix("rm -rf '" + ks_test::UnixPath(m_root) + "'");
        CreateDirectoryA(m_root.c_str(), nullptr);
        m_area = m_root + "\\area";
        m_store = m_root + "\\store";
        CreateDirectoryA(m_area.c_str(), nullptr);
        CreateDirectoryA(m_store.c_str(), nullptr);
    }
    void TearDown() override { ks_test::RunUnix("rm -rf '" + ks_test::UnixPath(m_root) + "'"); }

public:
    std::string m_root;
    std::string m_area;
    std::string m_store;
};

TEST_F(FileMoves, AMoveIsWholeOrNothingAndOnlyEverRemovesACopyItMade)
{
    struct Case {
        const char* what;
        std::function<void(FileMoves&, PlayedFiles&)> arrange;
        bool moved;
        std::vector<std::string> area;   // "NAME=contents" afterwards
        std::vector<std::string> store;
    };
    const auto file = [](const std::string& dir, const std::string& name) { return dir + "\\" + name; };
    const std::vector<Case> cases = {
        {"a rename within the volume", [](FileMoves&, PlayedFiles&) {}, true, {}, {"setup.exe=the download"}},
        {"a file of that name at target is never touched",
         [&](FileMoves& t, PlayedFiles&) { PutBytes(file(t.m_store, "setup.exe"), "stored before"); }, false,
         {"setup.exe=the download"}, {"setup.exe=stored before"}},
        {"a name differing only in letter case still answers to the source's name",
         [&](FileMoves& t, PlayedFiles&) {
             // Only the Unix side can make the second name: Wine's own calls would open the first.
             ks_test::RunUnix("printf 'the other one' > '" + ks_test::UnixPath(t.m_area) + "/SETUP.EXE'");
         },
         true, {"SETUP.EXE=the other one"}, {"setup.exe=the download"}},
        {"a new download arrives under the source's name right after the move",
         [&](FileMoves&, PlayedFiles& files) {
             files.rename = [&files](const std::wstring& from, const std::wstring& to) {
                 const bool renamed = files.real.Rename(from, to);
                 PutBytes(Narrow(from), "the next download");
                 return renamed;
             };
         },
         true, {"setup.exe=the next download"}, {"setup.exe=the download"}},
        {"another volume, as documented: the copy made, the delete failed, success reported",
         [&](FileMoves&, PlayedFiles& files) {
             files.rename = [](const std::wstring& from, const std::wstring& to) {
                 return CopyFileW(from.c_str(), to.c_str(), TRUE) != FALSE;
             };
         },
         false, {"setup.exe=the download"}, {}},
        {"a failed move while someone else's file appeared at target",
         [&](FileMoves&, PlayedFiles& files) {
             files.rename = [](const std::wstring&, const std::wstring& to) {
                 PutBytes(Narrow(to), "someone else's");
                 SetLastError(ERROR_ACCESS_DENIED);
                 return false;
             };
         },
         false, {"setup.exe=the download"}, {"setup.exe=someone else's"}},
        {"another volume: copied, then the source removed",
         [&](FileMoves&, PlayedFiles& files) { files.rename = AnotherVolume; }, true, {}, {"setup.exe=the download"}},
        {"another volume: the copy fails half-way (the disk is full)",
         [&](FileMoves&, PlayedFiles& files) {
             files.rename = AnotherVolume;
             files.copyNew = [&files](auto& from, auto& to, auto& read, auto& made) {
                 read = files.real.Identity(from);
                 PutBytes(Narrow(to), "the dow");
                 made = files.real.Identity(to);
                 SetLastError(ERROR_DISK_FULL);
                 return false;
             };
         },
         false, {"setup.exe=the download"}, {}},
        {"another volume: the copy cannot even be made (a file took its name)",
         [&](FileMoves&, PlayedFiles& files) {
             files.rename = AnotherVolume;
             files.copyNew = [&files](auto& from, auto& to, auto& read, auto& made) {
                 PutBytes(Narrow(to), "someone else's");
                 return files.real.CopyNew(from, to, read, made);
             };
         },
         false, {"setup.exe=the download"}, {"setup.exe=someone else's"}},
        {"another volume: the read-only source cannot be removed, so its read-only copy goes",
         [&](FileMoves& t, PlayedFiles& files) {
             SetFileAttributesA(file(t.m_area, "setup.exe").c_str(), FILE_ATTRIBUTE_READONLY);
             files.rename = AnotherVolume;
             files.remove = [&files, &t](const std::wstring& path) {
                 if (Narrow(path).rfind(t.m_area, 0) == 0) {
                     SetLastError(ERROR_ACCESS_DENIED);
                     return false;
                 }
                 return files.real.Delete(path);
             };
         },
         false, {"setup.exe=the download"}, {}},
        {"another volume: meanwhile another program took the source away and a new file came",
         [&](FileMoves&, PlayedFiles& files) {
             files.rename = AnotherVolume;
             files.copyNew = [&files](auto& from, auto& to, auto& read, auto& made) {
                 const bool copied = files.real.CopyNew(from, to, read, made);
                 const std::wstring taken = from.substr(0, from.rfind(L'\\')) + L"\\TAKEN.EXE";
                 MoveFileW(from.c_str(), taken.c_str());
                 PutBytes(Narrow(from), "the next download");
                 return copied;
             };
         },
         true, {"TAKEN.EXE=the download", "setup.exe=the next download"}, {"setup.exe=the download"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        const std::string source = file(m_area, "setup.exe");
        PutBytes(source, "the download");
        PlayedFiles files;
        c.arrange(*this, files);
        EXPECT_EQ(MoveWholeFile(source, file(m_store, "setup.exe")), c.moved);
        const auto listed = [](const std::string& dir) {
            std::vector<std::string> shown;
            for (const std::string& name : ks_test::FilesIn(dir)) {
                SetFileAttributesA((dir + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                shown.push_back(name + "=" + ks_test::ReadFileText(dir + "\\" + name));
            }
            return shown;
        };
        EXPECT_EQ(listed(m_area), c.area);
        EXPECT_EQ(listed(m_store), c.store);
    }
}

TEST_F(FileMoves, ACopyToAnotherVolumeKeepsTheFilesDateAndMarks)
{
    const std::string source = m_area + "\\OLD.TXT";
    PutBytes(source, "written long ago");
    FILETIME written{};
    SYSTEMTIME day{1996, 1, 0, 5, 12, 0, 0, 0};
    SystemTimeToFileTime(&day, &written);
    HANDLE handle = CreateFileA(source.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(handle, nullptr, nullptr, &written);
    CloseHandle(handle);
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_HIDDEN);
    PlayedFiles files;
    files.rename = AnotherVolume;
    ASSERT_TRUE(MoveWholeFile(source, m_store + "\\OLD.TXT"));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA((m_store + "\\OLD.TXT").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &written), 0);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesA(source.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileMoves, FilesAndFoldersAreKnownByIdentityWhateverTheSpelling)
{
    PutBytes(m_store + "\\LONG NAME FILE.TXT", "x");
    CreateDirectoryA((m_root + "\\Long Folder Name").c_str(), nullptr);
    wchar_t shortPath[MAX_PATH]{};
    GetShortPathNameW(Widened(m_root + "\\Long Folder Name").c_str(), shortPath, MAX_PATH);
    const std::string folder8dot3 = Narrow(shortPath);
    ASSERT_NE(folder8dot3.find('~'), std::string::npos) << folder8dot3;
    const std::string unixRoot = ks_test::UnixPath(m_root);
    std::string zSpelling = "Z:" + unixRoot;
    for (char& ch : zSpelling)
        if (ch == '/')
            ch = '\\';
    struct Case {
        std::string a;
        std::string b;
        bool same;
    } cases[] = {
        {m_store, m_store + "\\", true},
        {m_store, m_root + "/STORE", true},
        {m_store, m_root + "\\area\\..\\store", true},
        {m_root + "\\Long Folder Name", folder8dot3, true},
        {m_store, zSpelling + "\\store", true},  // another drive letter for the same folder
        {m_store, m_area, false},
        {m_store, m_root + "\\nowhere", false},
        {m_root + "\\nowhere", m_root + "\\NOWHERE\\", true},  // a folder that is not there: by its canonical path
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameDirectory(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(DirectoryKey(c.a) == DirectoryKey(c.b), c.same) << c.a << " / " << c.b;
    }
    EXPECT_TRUE(SameFile(m_store + "\\LONG NAME FILE.TXT", m_store + "\\long name file.txt"));
    EXPECT_FALSE(SameFile(m_store + "\\LONG NAME FILE.TXT", m_store + "\\OTHER.TXT"));
    // Only an ordinary file is a plain file: not a folder, nor a name that leads to one.
    EXPECT_TRUE(IsPlainFile(m_store + "\\LONG NAME FILE.TXT"));
    for (const std::string& folderName : {m_store, m_store + "\\", m_store + "\\.", m_store + "\\.."})
        EXPECT_FALSE(IsPlainFile(folderName)) << folderName;
}

}  // namespace

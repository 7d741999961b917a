// CheckFindings: what a check of the catalogue against the disk finds (missing files, stored files without a
// record, records sharing a file), worked out from the records walked and one listing per directory.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <string>
#include <vector>

enum class FindingKind { MissingFile, NoRecord, SameFile };

// "Missing file", "No record", "Same file".
const char* FindingKindText(FindingKind kind);

struct Finding {
    std::string name;
    FindingKind kind;
    std::string directory;
    std::int32_t recordNumber;  // -1 for a file without a record
};

// The list line: the file name, a tab, the kind, a tab, the directory.
std::string FindingLine(const Finding& finding);

class CheckFindings {
public:
    // The names of the plain files in a directory (no subdirectories); nothing when it cannot be read.
    using ListDirectory = std::function<std::optional<std::vector<std::string>>(const std::string& directory)>;
    // Makes a name or path comparable: names that the file system takes for one name fold to one text.
    using Fold = std::function<std::string(const std::string&)>;
    // A key equal for every spelling of one directory (8.3 names, slashes, another drive letter for it). Without
    // one, a directory's key is its folded text.
    using DirectoryKey = std::function<std::string(const std::string&)>;

    CheckFindings(std::string storeDirectory, ListDirectory list, Fold fold, DirectoryKey key = nullptr);

    // Room for this many records, when the walk knows how many it will meet.
    void Reserve(std::size_t records);
    // A record met by the walk. The directories records name are listed by Finish, each once: a walk need not
    // wait for a listing (KS_STORE's may be under way on another thread meanwhile).
    void AddRecord(std::int32_t number, const std::string& fileName, const std::string& location);
    // Gives every finding, ordered by name, kind, directory. With withStore, KS_STORE is listed (once: not
    // again when records named it) for its files without a record; a check that did not walk every record
    // leaves them out.
    std::vector<Finding> Finish(bool withStore = true);
    // How many directories were listed so far.
    std::size_t Listings() const { return m_listed.size(); }

private:
    // A directory as records write it (trimmed), its key and its listing; records name few directories (nearly
    // all KS_STORE), so each is worked out once, not once per record.
    struct Directory {
        std::string text;
        std::size_t key;  // index into m_directoryKeys: spellings of one directory share it
        const std::unordered_set<std::string>* files = nullptr;  // listed by Finish
    };
    struct Recorded {
        std::int32_t number;
        std::string name;
        std::string folded;     // the name as the file system compares it
        std::size_t directory;  // index into m_directories
        std::size_t path;       // index into m_pathUses
    };
    // A file's path as the file system compares it: its directory key's index and its folded name.
    struct PathKey {
        std::size_t directory;
        std::string name;
        bool operator==(const PathKey&) const = default;
    };
    struct PathHash {
        std::size_t operator()(const PathKey& key) const
        {
            return std::hash<std::string>{}(key.name) ^ (key.directory * 0x9E3779B97F4A7C15ull);
        }
    };
    // The folded names of a directory's files, listed on first use.
    const std::unordered_set<std::string>& FilesOf(const std::string& directory, const std::string& key);
    std::size_t DirectoryOf(const std::string& location);
    // The directory's key, worked out once per spelling met.
    const std::string& KeyOf(const std::string& directory);
    static std::string Trimmed(const std::string& directory);

    std::string m_store;
    ListDirectory m_list;
    Fold m_fold;
    DirectoryKey m_key;
    std::unordered_map<std::string, std::string> m_keys;                  // directory as written -> its key
    std::unordered_map<std::string, std::unordered_set<std::string>> m_listed;  // directory key -> folded names
    std::vector<Directory> m_directories;
    std::unordered_map<std::string, std::size_t> m_directoryOf;     // location as a record holds it -> index
    std::unordered_map<std::string, std::size_t> m_directoryKeys;   // directory key -> its index
    std::unordered_map<PathKey, std::size_t, PathHash> m_paths;     // -> index into m_pathUses
    std::vector<std::uint32_t> m_pathUses;                           // records naming each path
    std::vector<Recorded> m_records;
    std::string m_lastLocation;
    std::size_t m_lastDirectory = 0;
    std::optional<std::vector<std::string>> m_storeNames;  // KS_STORE's files as listed
};

// Folds ASCII letters to upper case; other bytes stay.
std::string FoldAscii(const std::string& text);

// CheckFindings: what a check of the catalogue against the disk finds (missing files, stored files without a
// record, records sharing a file), worked out from the records walked and one listing per directory.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
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

    // A record met by the walk. Its directory is listed the first time any record names it.
    void AddRecord(std::int32_t number, const std::string& fileName, const std::string& location);
    // Gives every finding, ordered by name, kind, directory. With withStore, KS_STORE is listed (once: not
    // again when records named it) for its files without a record; a check that did not walk every record
    // leaves them out.
    std::vector<Finding> Finish(bool withStore = true);
    // How many directories were listed so far.
    std::size_t Listings() const { return m_listed.size(); }

private:
    struct Recorded {
        std::int32_t number;
        std::string name;
        std::string directory;
    };
    // The folded names of a directory's files, listed on first use.
    const std::set<std::string>& FilesOf(const std::string& directory);
    // The directory's key, worked out once per spelling met.
    const std::string& KeyOf(const std::string& directory);
    static std::string Trimmed(const std::string& directory);

    std::string m_store;
    ListDirectory m_list;
    Fold m_fold;
    DirectoryKey m_key;
    std::map<std::string, std::string> m_keys;                     // directory as written -> its key
    std::map<std::string, std::set<std::string>> m_listed;        // directory key -> folded names
    std::map<std::string, std::vector<Recorded>> m_byPath;         // directory key, \x01, folded name -> records
    std::vector<Finding> m_missing;
    std::optional<std::vector<std::string>> m_storeNames;  // KS_STORE's files as listed
};

// Folds ASCII letters to upper case; other bytes stay.
std::string FoldAscii(const std::string& text);

// CheckFindings: listing each directory once, matching records to files, and the three kinds of finding.
#include "records/check_findings.h"

#include <algorithm>
#include <utility>

const char* FindingKindText(FindingKind kind)
{
    switch (kind) {
    case FindingKind::MissingFile:
        return "Missing file";
    case FindingKind::NoRecord:
        return "No record";
    case FindingKind::SameFile:
        return "Same file";
    }
    return "";
}

std::string FindingLine(const Finding& finding)
{
    return finding.name + "\t" + FindingKindText(finding.kind) + "\t" + finding.directory;
}

std::string FoldAscii(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return folded;
}

CheckFindings::CheckFindings(std::string storeDirectory, ListDirectory list, Fold fold, DirectoryKey key)
    : m_store(Trimmed(storeDirectory)), m_list(std::move(list)), m_fold(std::move(fold)), m_key(std::move(key))
{
    if (!m_key)
        m_key = m_fold;
}

const std::string& CheckFindings::KeyOf(const std::string& directory)
{
    auto found = m_keys.find(directory);
    if (found == m_keys.end())
        found = m_keys.emplace(directory, m_key(directory)).first;
    return found->second;
}

std::string CheckFindings::Trimmed(const std::string& directory)
{
    // Records keep their location without a trailing backslash; a root such as "C:\" keeps its own.
    std::string trimmed = directory;
    while (trimmed.size() > 3 && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.pop_back();
    return trimmed;
}

const std::unordered_set<std::string>& CheckFindings::FilesOf(const std::string& directory,
                                                               const std::string& key)
{
    auto found = m_listed.find(key);
    if (found != m_listed.end())
        return found->second;
    std::unordered_set<std::string> names;
    if (auto listing = m_list(directory)) {
        names.reserve(listing->size());
        for (const std::string& name : *listing)
            names.insert(m_fold(name));
        // KS_STORE's own names are kept for the files without a record: it is not listed a second time.
        if (key == KeyOf(m_store))
            m_storeNames = std::move(listing);
    }
    return m_listed.emplace(key, std::move(names)).first->second;
}

std::size_t CheckFindings::DirectoryOf(const std::string& location)
{
    if (!m_directories.empty() && location == m_lastLocation)
        return m_lastDirectory;
    auto found = m_directoryOf.find(location);
    if (found == m_directoryOf.end()) {
        Directory directory;
        directory.text = Trimmed(location);
        const std::string key = KeyOf(directory.text);
        directory.key = m_directoryKeys.emplace(key, m_directoryKeys.size()).first->second;
        m_directories.push_back(std::move(directory));
        found = m_directoryOf.emplace(location, m_directories.size() - 1).first;
    }
    m_lastLocation = location;
    m_lastDirectory = found->second;
    return found->second;
}

void CheckFindings::Reserve(std::size_t records)
{
    m_paths.reserve(records);
    m_pathUses.reserve(records);
    m_records.reserve(records);
}

void CheckFindings::AddRecord(std::int32_t number, const std::string& fileName, const std::string& location)
{
    const std::size_t index = DirectoryOf(location);
    std::string foldedName = m_fold(fileName);
    const auto path = m_paths.try_emplace(PathKey{m_directories[index].key, foldedName}, m_pathUses.size());
    if (path.second)
        m_pathUses.push_back(0);
    ++m_pathUses[path.first->second];
    m_records.push_back({number, fileName, std::move(foldedName), index, path.first->second});
}

std::vector<Finding> CheckFindings::Finish(bool withStore)
{
    std::vector<Finding> findings;
    for (const Recorded& r : m_records) {
        Directory& directory = m_directories[r.directory];
        if (!directory.files)
            directory.files = &FilesOf(directory.text, KeyOf(directory.text));
        if (r.name.empty() || !directory.files->count(r.folded))
            findings.push_back({r.name, FindingKind::MissingFile, directory.text, r.number});
    }
    for (const Recorded& r : m_records)
        if (m_pathUses[r.path] > 1)
            findings.push_back({r.name, FindingKind::SameFile, m_directories[r.directory].text, r.number});
    const std::string storeKey = KeyOf(m_store);
    if (withStore && !m_listed.count(storeKey)) {
        m_storeNames = m_list(m_store);
        m_listed.emplace(storeKey, std::unordered_set<std::string>{});
    }
    if (withStore && m_storeNames) {
        const auto store = m_directoryKeys.find(storeKey);
        for (const std::string& name : *m_storeNames)
            if (store == m_directoryKeys.end() || !m_paths.count(PathKey{store->second, m_fold(name)}))
                findings.push_back({name, FindingKind::NoRecord, m_store, -1});
    }
    // Each finding's sort key is folded once.
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(findings.size());
    for (std::size_t i = 0; i < findings.size(); ++i)
        keys.emplace_back(m_fold(findings[i].name) + '\x01' + static_cast<char>('0' + static_cast<int>(findings[i].kind)) +
                              m_fold(findings[i].directory),
                          i);
    std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first
                                  : findings[a.second].recordNumber < findings[b.second].recordNumber;
    });
    std::vector<Finding> ordered;
    ordered.reserve(findings.size());
    for (const auto& key : keys)
        ordered.push_back(std::move(findings[key.second]));
    return ordered;
}

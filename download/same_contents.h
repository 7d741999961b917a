// StoreContents: which file in KS_STORE, if any, has the same contents as a file about to be stored.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "download/sha256.h"

// KS_STORE's files are indexed by size once; only files of the source's size are read (SHA-256, in chunks).
// Store All keeps one index for its whole run and adds each file it stores.
class StoreContents {
public:
    explicit StoreContents(const std::string& storeDir);
    // The name of a stored file, other than the source itself, with the source's contents; empty when none.
    std::string SameAs(const std::wstring& source);
    // A file just stored under name (its path in KS_STORE is storeDir\name).
    void Added(const std::string& name);

private:
    struct Stored {
        std::wstring path;
        std::string shown;  // the name as the catalogue holds it
        std::optional<Sha256::Digest> digest;
    };
    std::wstring m_storeWide;
    std::multimap<std::uint64_t, Stored> m_bySize;
};

// The SHA-256 of a file, read in chunks so that a file of any size costs one chunk of memory; nothing when it
// cannot be read whole.
std::optional<Sha256::Digest> FileDigest(const std::wstring& path);

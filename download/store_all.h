// Store All: every file waiting in a download area (or every file of a drop) stored as the Storage Interface's
// OK would store it, described by the default assistant, without a window per file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "download/store_all_rules.h"

class KsClient;

// A file to store: its real full path, the name the catalogue holds it by (empty when it cannot hold its own
// name), and its size and last write as they were seen when it was listed.
struct WaitingFile {
    std::wstring path;
    std::string name;
    std::string directory;  // its directory in the ANSI code page (the record's Location before the store)
    std::uint64_t size = 0;
    FILETIME written{};
};

// The plain files of a directory, as the Download Interface lists them.
std::vector<WaitingFile> ListWaitingFiles(const std::string& directory);
// One file as a drop gives it; false when it is no plain file.
bool DescribeWaitingFile(const std::wstring& path, WaitingFile& file);

struct StoreAllOutcome {
    int stored = 0;
    struct Left {
        std::string name;
        LeftReason reason;
    };
    std::vector<Left> left;
};

// Stores the files on the walk's progress window (Abort ends it after the current file; the rest wait) and
// shows the outcome: one box, or the list of files left with their reasons. Each store is whole or nothing:
// a file is in KS_STORE with its record, or where it was without one.
StoreAllOutcome StoreAll(KsClient& client, std::vector<WaitingFile> files);

// Command 313: the files of the active Download Interface's area, or of the default area, after one question.
void CmStoreAllWaiting(KsClient& client);

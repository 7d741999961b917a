// Files dropped from Explorer onto the main window or a Download Interface: one question, then the Storage
// Interface for one file or Store All for several.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

class KsClient;
namespace ks {
class TWindow;
}

// Takes the drop (and frees it). from is the Download Interface's dialog the files were dropped on, or null.
void StoreDroppedFiles(KsClient& client, HDROP drop, ks::TWindow* from);
// The same for paths already taken from a drop.
void StoreDroppedPaths(KsClient& client, const std::vector<std::wstring>& paths, ks::TWindow* from);

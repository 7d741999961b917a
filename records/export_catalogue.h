// ExportCatalogue: command 314 writes the catalogue's records, or the records a Search Interface lists, as a
// CSV file a spreadsheet reads (UTF-8 with a byte-order mark).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class KsClient;

// Asks where to write (KESTRUM.CSV proposed), then walks on the progress window and writes every record, or
// only the records of `listed` in that order when a Search Interface is active. The file appears under the
// chosen name only when it was written whole: a failed or aborted export leaves that name as it was.
void ExportCatalogue(KsClient& client, const std::optional<std::vector<std::int32_t>>& listed);

// The header row's fields, in the order every row gives them.
inline constexpr const char* kExportHeader[] = {"File Name", "Download Date", "Title",
                                                "Keywords",  "Location",      "Abstract"};

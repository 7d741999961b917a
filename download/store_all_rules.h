// What Store All decides without the system: which names are partial downloads, and the texts of its outcome.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// A name as a browser gives a download it is still writing (.part, .crdownload, .download, .tmp, in any case).
bool IsPartialDownloadName(std::string_view name);

// Why Store All left a file in its area; each has its sentence in the list of files left.
enum class LeftReason {
    PartialDownload,  // named as a partial download
    StillWritten,     // held open by another program, or its size or time still changing
    NameNotHeld,      // its name has characters the catalogue cannot hold, or is too long, or is no plain name
    NameTaken,        // a file of that name lies in KS_STORE, or a record has that name
    SameContents,     // a stored file has the same contents
    MoveFailed,       // it could not be moved into KS_STORE
    RecordRefused,    // the engine refused its record, so it was moved back
    NotReached,       // Store All was stopped before it
};
std::string LeftReasonText(LeftReason reason);

// "<N> files stored, <M> left in the area." ("1 file stored" for one).
std::string StoreAllSummary(int stored, int left);
// The question before Store All over an area (named by its alias and path), and before storing a drop.
std::string StoreAllQuestion(std::size_t files, const std::string& area);
std::string DropQuestion(std::size_t files);

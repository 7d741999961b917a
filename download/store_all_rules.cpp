// Store All's partial-download names and its texts.
#include "download/store_all_rules.h"

#include <array>
#include <cctype>

namespace {
bool EndsWithNoCase(std::string_view text, std::string_view tail)
{
    if (text.size() < tail.size())
        return false;
    text.remove_prefix(text.size() - tail.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != tail[i])
            return false;
    return true;
}
}  // namespace

bool IsPartialDownloadName(std::string_view name)
{
    constexpr std::array<std::string_view, 4> kTails = {".part", ".crdownload", ".download", ".tmp"};
    for (std::string_view tail : kTails)
        if (name.size() > tail.size() && EndsWithNoCase(name, tail))
            return true;
    return false;
}

std::string LeftReasonText(LeftReason reason)
{
    switch (reason) {
    case LeftReason::PartialDownload:
        return "named as a download still in progress";
    case LeftReason::StillWritten:
        return "still being written";
    case LeftReason::NameNotHeld:
        return "the catalogue cannot hold its name";
    case LeftReason::NameTaken:
        return "its name is in use in KS_STORE or the catalogue";
    case LeftReason::SameContents:
        return "a stored file has the same contents";
    case LeftReason::MoveFailed:
        return "it could not be moved into KS_STORE";
    case LeftReason::RecordRefused:
        return "the record could not be added";
    case LeftReason::NotReached:
        return "Store All was stopped before it";
    }
    return {};
}

std::string StoreAllSummary(int stored, int left)
{
    return std::to_string(stored) + (stored == 1 ? " file stored, " : " files stored, ") + std::to_string(left) +
           " left in the area.";
}

std::string StoreAllQuestion(std::size_t files, const std::string& area)
{
    return files == 1 ? "Store the 1 file waiting in " + area + "? It will be moved into KS_STORE."
                      : "Store the " + std::to_string(files) + " files waiting in " + area +
                            "? They will be moved into KS_STORE.";
}

std::string DropQuestion(std::size_t files)
{
    return files == 1 ? std::string("Store 1 file in the catalogue? It will be moved into KS_STORE.")
                      : "Store " + std::to_string(files) + " files in the catalogue? They will be moved into KS_STORE.";
}

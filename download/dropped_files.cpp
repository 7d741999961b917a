// StoreDroppedFiles: what may be stored of a drop, the question, and the store.
#include "download/dropped_files.h"


#include "app/ks_app.h"
#include "app/ks_client.h"
#include "controls/calendar_date.h"
#include "controls/date_text.h"
#include "download/data_store.h"
#include "download/file_moves.h"
#include "download/store_all.h"
#include "download/store_all_rules.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "records/walk.h"

namespace {

constexpr char kCaption[] = "Store Dropped Files";

std::wstring DirectoryOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash == 2 ? 3 : slash);
}

// The Storage Interface for one dropped file, as the Download Interface opens it for a listed one.
void StoreOne(const WaitingFile& file, ks::TWindow& parent)
{
    std::string name = file.name;
    std::wstring wideSource;
    if (name.empty()) {
        // Offered under its short name, moved by its real one.
        wchar_t shortPath[MAX_PATH * 2]{};
        if (GetShortPathNameW(file.path.c_str(), shortPath, MAX_PATH * 2))
            name = ShownFileName(shortPath);
        wideSource = file.path;
    }
    SYSTEMTIME day{};
    FileTimeToSystemTime(&file.written, &day);
    const std::string date = FormatDate(MakeDate(day.wDay, day.wMonth, day.wYear));
    DataStore store(&parent, file.directory.c_str(), name.c_str(), date.c_str());
    if (!wideSource.empty())
        store.SetWideSource(wideSource);
    store.Execute();
}

}  // namespace

void StoreDroppedFiles(KsClient& client, HDROP drop, ks::TWindow* from)
{
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(length);
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    StoreDroppedPaths(client, paths, from);
}

void StoreDroppedPaths(KsClient& client, const std::vector<std::wstring>& paths, ks::TWindow* from)
{
    const KsApp* app = KsApp::Get();
    // Nothing is stored while a walk runs: the drop is refused as every other command is.
    if (!app || WalkMark::Refused(from ? from->GetHandle() : client.GetHandle()))
        return;
    const std::wstring store = Widened(std::string(app->ProgramDir) + "\\KS_STORE");
    std::vector<WaitingFile> files;
    std::string refused;
    for (const std::wstring& path : paths) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            refused += "\r" + ShownFileName(path) + " is a folder: only files can be stored.";
            continue;
        }
        if (SameFile(DirectoryOf(path), store)) {
            refused += "\r" + ShownFileName(path) + " is in KS_STORE already.";
            continue;
        }
        WaitingFile file;
        if (DescribeWaitingFile(path, file))
            files.push_back(std::move(file));
    }
    HWND owner = from ? from->GetHandle() : client.GetHandle();
    if (!refused.empty()) {
        ks::Beep(MB_ICONEXCLAMATION);
        const std::string text = "These cannot be stored:" + refused;
        ks::ShowMessage(owner, text.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
    }
    if (files.empty())
        return;
    const std::string question = DropQuestion(files.size());
    if (ks::ShowMessage(owner, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (files.size() == 1)
        StoreOne(files.front(), from ? *from : static_cast<ks::TWindow&>(client));
    else
        StoreAll(client, std::move(files));
}

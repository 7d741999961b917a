// Store All: listing what waits, the checks the Storage Interface makes (skipping where it would ask), the
// default assistant, the move and ENG_ADD with the move undone on a refusal, and the outcome.
#include "download/store_all.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "assist/assistants.h"
#include "controls/calendar_date.h"
#include "controls/date_text.h"
#include "download/area_settings.h"
#include "download/data_store.h"
#include "download/file_moves.h"
#include "download/file_name_rules.h"
#include "download/files_left.h"
#include "download/ks_child.h"
#include "download/ks_manage.h"
#include "download/same_contents.h"
#include "engine/file_record.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "records/ks_abort.h"
#include "records/walk.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kCaption[] = "Store All Waiting Files";
// A file written this recently may still be growing: it waits for the next Store All.
constexpr ULONGLONG kSettledTicks = 2ULL * 10'000'000ULL;  // 2 s in FILETIME units


ULONGLONG Ticks(const FILETIME& time) { return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

void Describe(const std::wstring& path, const WIN32_FIND_DATAW& data, WaitingFile& file)
{
    file.path = path;
    file.name = AnsiOf(data.cFileName).value_or(std::string());
    const std::size_t slash = path.find_last_of(L'\\');
    const std::wstring directory = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    file.directory = AnsiOf(directory.c_str()).value_or(std::string());
    file.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    file.written = data.ftLastWriteTime;
}

// Still being written: held open for writing by another program, changed since it was listed, or written
// moments ago.
bool StillWritten(const WaitingFile& file)
{
    WIN32_FILE_ATTRIBUTE_DATA now{};
    if (!GetFileAttributesExW(file.path.c_str(), GetFileExInfoStandard, &now))
        return true;
    const std::uint64_t size = (static_cast<std::uint64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
    if (size != file.size || Ticks(now.ftLastWriteTime) != Ticks(file.written))
        return true;
    FILETIME clock{};
    GetSystemTimeAsFileTime(&clock);
    if (Ticks(clock) < Ticks(now.ftLastWriteTime) + kSettledTicks)
        return true;
    // Sharing only reading: the open fails while another program has the file open for writing.
    const ks::FileHandle probe(
        CreateFileW(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
}

// The file's own date, as the Download Interface shows it: its last write as the file system keeps it (UTC).
std::string FileDate(const FILETIME& written)
{
    SYSTEMTIME day{};
    FileTimeToSystemTime(&written, &day);
    return FormatDate(MakeDate(day.wDay, day.wMonth, day.wYear));
}

// One run: the checks and the store of each file, in list order.
class StoreAllRun {
public:
    StoreAllRun(KsClient& client, const KsApp& app)
        : m_client(client), m_storeDir(std::string(app.ProgramDir) + "\\KS_STORE"), m_contents(m_storeDir)
    {
    }
    // Stores one file; the reason it was left otherwise. Sets m_broken when the engine refused a record
    // (the run then ends: the next would be refused too).
    std::optional<LeftReason> Store(const WaitingFile& file);
    bool Broken() const { return m_broken; }

private:
    bool NameTaken(const std::string& name);

    KsClient& m_client;
    std::string m_storeDir;
    StoreContents m_contents;
    bool m_broken = false;
};

bool StoreAllRun::NameTaken(const std::string& name)
{
    if (GetFileAttributesW((Widened(m_storeDir) + L"\\" + Widened(name)).c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    SetFieldText(m_client.RecordBuffer.FileName, name);
    return m_client.SendEngineCommand(ENG_FIND_NAME, ENG_RECORD_NOT_FOUND) == 0;
}

std::optional<LeftReason> StoreAllRun::Store(const WaitingFile& file)
{
    // The checks come in the Storage Interface's order, each where it would ask the user.
    if (IsPartialDownloadName(ShownFileName(file.path)))
        return LeftReason::PartialDownload;
    if (file.name.empty() || file.directory.empty() || file.name.size() > static_cast<std::size_t>(DataStore::kMaxFileName) ||
        !PlainNameFault(file.name).empty())
        return LeftReason::NameNotHeld;
    if (StillWritten(file))
        return LeftReason::StillWritten;
    if (!m_contents.SameAs(file.path).empty())
        return LeftReason::SameContents;
    if (NameTaken(file.name))
        return LeftReason::NameTaken;

    // The assistant is given the name alone: the current directory is the file's.
    SetCurrentDirectoryW(Widened(file.directory).c_str());
    const std::optional<assist::Proposal> proposal = assist::ProposeWithDefault(m_client.GetHandle(), file.name);
    auto proposed = [&](const std::string assist::Proposal::*text) {
        // As in the Storage Interface, a text of one character or none is no proposal.
        return proposal && proposal->result > 0 && ((*proposal).*text).size() > 1 ? (*proposal).*text
                                                                                 : std::string();
    };

    const std::wstring target = Widened(m_storeDir) + L"\\" + Widened(file.name);
    if (!MoveWholeFile(file.path, target))
        return LeftReason::MoveFailed;
    FileRecord& record = m_client.RecordBuffer;
    SetFieldText(record.Location, m_storeDir);
    SetFieldText(record.FileName, file.name);
    SetFieldText(record.DownloadDate, FileDate(file.written));
    SetFieldText(record.Title, proposed(&assist::Proposal::title));
    SetFieldText(record.Keywords, proposed(&assist::Proposal::keywords));
    SetFieldText(record.Abstract, proposed(&assist::Proposal::abstract));
    if (m_client.SendEngineCommand(ENG_ADD, 0) != 0) {
        // The link has said why. A stored file without its record would be lost to the catalogue: it goes back.
        m_broken = true;
        if (!MoveWholeFile(target, file.path)) {
            const std::string text = "The record could not be added, and the file could not be moved back: it is in "
                                     "KS_STORE as " + file.name + ".";
            ks::ShowMessage(m_client.GetHandle(), text.c_str(), "File Move Error", MB_OK | MB_ICONSTOP);
        }
        return LeftReason::RecordRefused;
    }
    m_contents.Added(file.name);
    return std::nullopt;
}

// The current directory is put back when the run ends: the Download Interface that listed last owns it.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() { GetCurrentDirectoryW(MAX_PATH, m_dir); }
    ~CurrentDirectoryGuard() { SetCurrentDirectoryW(m_dir); }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

private:
    wchar_t m_dir[MAX_PATH]{};
};

}  // namespace

bool DescribeWaitingFile(const std::wstring& path, WaitingFile& file)
{
    WIN32_FIND_DATAW data{};
    const ks::FindHandle find(FindFirstFileExW(path.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    Describe(path, data, file);
    return true;
}

std::vector<WaitingFile> ListWaitingFiles(const std::string& directory)
{
    std::vector<WaitingFile> files;
    std::wstring dir = Widened(directory);
    if (!dir.empty() && dir.back() == L'\\')
        dir.pop_back();
    WIN32_FIND_DATAW data{};
    const ks::FindHandle find(
        FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        WaitingFile file;
        Describe(dir + L"\\" + data.cFileName, data, file);
        files.push_back(std::move(file));
    } while (FindNextFileW(find.Get(), &data));
    // In the order the Download Interface lists them.
    std::sort(files.begin(), files.end(),
              [](const WaitingFile& a, const WaitingFile& b) { return lstrcmpiW(a.path.c_str(), b.path.c_str()) < 0; });
    return files;
}

StoreAllOutcome StoreAll(KsClient& client, std::vector<WaitingFile> files)
{
    StoreAllOutcome outcome;
    const KsApp* app = KsApp::Get();
    if (!app || WalkMark::Refused(client.GetHandle()))
        return outcome;
    const CurrentDirectoryGuard keepDirectory;
    client.StopFlag = 0;
    {
        WalkScope scope(client, std::make_unique<KsAbort>(&client));
        KsAbort& progress = scope.ShowProgress();
        ks::TApplication* pump = ks::TApplication::Current();
        StoreAllRun run(client, *app);
        using Clock = std::chrono::steady_clock;
        Clock::time_point sliceEnd = Clock::now();
        for (std::size_t i = 0; i < files.size(); ++i) {
            const WaitingFile& file = files[i];
            const std::string shown = file.name.empty() ? ShownFileName(file.path) : file.name;
            if (client.StopFlag || run.Broken()) {
                outcome.left.push_back({shown, LeftReason::NotReached});
                continue;
            }
            if (Clock::now() >= sliceEnd) {
                progress.SetCaption(shown.c_str());
                progress.SetProgress(static_cast<int>(i * 100 / files.size()));
                if (pump)
                    pump->PumpWaitingMessages();
                sliceEnd = Clock::now() + kWalkSlice;
                if (client.StopFlag) {
                    outcome.left.push_back({shown, LeftReason::NotReached});
                    continue;
                }
            }
            // A file that has gone meanwhile is neither stored nor left.
            if (GetFileAttributesW(file.path.c_str()) == INVALID_FILE_ATTRIBUTES)
                continue;
            if (const std::optional<LeftReason> reason = run.Store(file))
                outcome.left.push_back({shown, *reason});
            else
                ++outcome.stored;
        }
    }
    const std::string summary = StoreAllSummary(outcome.stored, static_cast<int>(outcome.left.size()));
    if (outcome.left.empty()) {
        ks::ShowMessage(client.GetHandle(), summary.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
    } else {
        FilesLeft dialog(&client, summary, outcome.left);
        dialog.Execute();
    }
    return outcome;
}

void CmStoreAllWaiting(KsClient& client)
{
    if (WalkMark::Refused(client.GetHandle()))
        return;
    // The active Download Interface's area, else the default area.
    int area = DefaultAreaOf(GetRegistryNumber(kAreaSection, "Default"));
    std::string path;
    if (auto* child = dynamic_cast<KsChild*>(client.GetActiveChild())) {
        if (auto* manage = dynamic_cast<KsManage*>(child->GetClientWindow()); manage && manage->CurrentAreaPath()[0]) {
            area = DefaultAreaOf(manage->CurrentArea());
            path = manage->CurrentAreaPath();
        }
    }
    char text[261]{};
    if (path.empty() && GetRegistryString(kAreaSection, AreaPathName(area), text) && lstrcmpA(text, kNoPath) != 0)
        path = text;
    char alias[261]{};
    GetRegistryString(kAreaSection, AliasName(area), alias);
    const std::string named = alias[0] ? std::string(alias) + " (" + path + ")" : path;
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(client.GetHandle(),
                        "Path for download area not found, please check your settings in Preferences|Download.",
                        "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::vector<WaitingFile> files = ListWaitingFiles(path);
    if (files.empty()) {
        const std::string none = "No files are waiting in " + named + ".";
        ks::ShowMessage(client.GetHandle(), none.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::string question = StoreAllQuestion(files.size(), named);
    if (ks::ShowMessage(client.GetHandle(), question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    StoreAll(client, std::move(files));
}

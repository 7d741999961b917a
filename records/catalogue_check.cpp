// CatalogueCheck: the time-sliced check, the list of findings, Open Record, Find with its re-link, Store, Help.
#include "records/catalogue_check.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "controls/calendar_date.h"
#include "controls/date_text.h"
#include "download/area_settings.h"
#include "engine/record_walk.h"
#include "download/data_store.h"
#include "download/file_moves.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "records/ks_abort.h"
#include "records/walk.h"
#include "resources/resource_ids.h"

namespace {

// Posted by the set-up: the window is on the screen before its first check starts.
constexpr UINT WM_KS_CHECK_START = WM_APP + 0x20;

// A name from the wide file calls as the catalogue holds names: in the ANSI code page, or, when that cannot
// hold it, the short name (the one the Download Interface lists such a file by).
std::optional<std::string> AnsiName(const WIN32_FIND_DATAW& data)
{
    // Most names are plain ASCII, the same in every ANSI code page: taken over as they stand, without a
    // conversion call (a KS_STORE of a million files lists a million names).
    std::string ascii;
    for (const wchar_t* c = data.cFileName; *c; ++c) {
        if (*c >= 0x80) {
            ascii.clear();
            break;
        }
        ascii.push_back(static_cast<char>(*c));
    }
    if (!ascii.empty())
        return ascii;
    for (const wchar_t* name : {data.cFileName, data.cAlternateFileName}) {
        if (!*name)
            continue;
        BOOL lossy = FALSE;
        char text[MAX_PATH * 2]{};
        const int size =
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, text, sizeof text, nullptr, &lossy);
        if (size > 0 && !lossy)
            return std::string(text);
    }
    return std::nullopt;
}

// The plain files of a directory (subdirectories are not files of the catalogue); nothing when it cannot be read.
std::optional<std::vector<std::string>> ListFiles(const std::string& directory)
{
    std::string pattern = directory;
    if (pattern.empty() || pattern.back() != '\\')
        pattern += '\\';
    pattern += "*";
    WIN32_FIND_DATAW data{};
    const ks::FindHandle find(FindFirstFileExW(Widened(pattern).c_str(), FindExInfoStandard, &data,
                                               FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return std::nullopt;
    std::vector<std::string> names;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (auto name = AnsiName(data))
            names.push_back(std::move(*name));
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

// A directory's listing made on a thread of its own. Under Wine a listing takes some 6 us a file, longer than
// the walk of a record: KS_STORE is listed while the walk runs. The thread owns what it uses, so a check given
// up leaves it to end on its own.
std::future<std::optional<std::vector<std::string>>> ListAside(const std::string& directory)
{
    auto promise = std::make_shared<std::promise<std::optional<std::vector<std::string>>>>();
    auto listing = promise->get_future();
    try {
        std::thread([promise, directory] {
            try {
                promise->set_value(ListFiles(directory));
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
        }).detach();
    } catch (const std::system_error&) {
        promise->set_value(ListFiles(directory));
    }
    return listing;
}

// Names compared as the file system compares them: without regard to case, in the ANSI code page. In a code
// page of single bytes each byte folds on its own, so the system's folding of the 255 bytes is asked once and
// looked up after (it costs a conversion to and from UTF-16 per call, and a check folds every name it meets).
std::string FoldName(const std::string& text)
{
    static const std::optional<std::array<char, 256>> upper = []() -> std::optional<std::array<char, 256>> {
        CPINFO info{};
        if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1)
            return std::nullopt;
        std::array<char, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[static_cast<std::size_t>(c)] = static_cast<char>(c);
        CharUpperBuffA(table.data() + 1, 255);
        return table;
    }();
    std::string folded = text;
    if (upper) {
        for (char& c : folded)
            c = (*upper)[static_cast<unsigned char>(c)];
    } else if (!folded.empty()) {
        CharUpperBuffA(folded.data(), static_cast<DWORD>(folded.size()));
    }
    return folded;
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    return directory.empty() || directory.back() == '\\' ? directory + name : directory + "\\" + name;
}

// One key for every spelling of a file's path: its directory's key and its folded name.
std::string PathKey(const std::string& directory, const std::string& name)
{
    return DirectoryKey(directory) + '\x01' + FoldName(name);
}

// The record's location as findings hold it: without trailing backslashes (a drive's root keeps its own).
std::string TrimmedLocation(const FileRecord& record)
{
    std::string location(FieldText(record.Location));
    while (location.size() > 3 && (location.back() == '\\' || location.back() == '/'))
        location.pop_back();
    return location;
}

// A "Missing file" finding still holds for the record as it is now: same name, same place, and still no file.
bool StillMissing(const Finding& finding, const FileRecord& record)
{
    return std::string(FieldText(record.FileName)) == finding.name && TrimmedLocation(record) == finding.directory &&
           !IsPlainFile(JoinPath(finding.directory, finding.name));
}

constexpr char kStaleText[] =
    "The catalogue has changed since the check: this line no longer holds. The list now shows the record as it is.";

}  // namespace

const ks::TResponse<CatalogueCheck> CatalogueCheck::Responses[] = {
    ks::Command(IDC_CHECK_AGAIN, &CatalogueCheck::RunCheck),
    ks::Command(IDC_CHECK_OPEN, &CatalogueCheck::CmOpenRecord),
    ks::Notify(IDC_CHECK_FINDINGS, LBN_DBLCLK, &CatalogueCheck::CmOpenRecord),
    ks::Command(IDC_CHECK_FIND, &CatalogueCheck::CmFind),
    ks::Command(IDC_CHECK_STORE, &CatalogueCheck::CmStore),
    ks::Command(IDC_CHECK_HELP, &CatalogueCheck::CmHelp),
};

CatalogueCheck::CatalogueCheck(ks::TWindow* parent)
    : TDialog(parent, IDD_CATALOGUE_CHECK), m_list(*this, IDC_CHECK_FINDINGS)
{
}

bool CatalogueCheck::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void CatalogueCheck::SetupWindow()
{
    m_client = KsClient::Of(*this);
    // A long directory keeps its beginning and its end on the screen.
    m_list.SetColumns({100, 160}, {IDC_CHECK_HEAD_FILE, IDC_CHECK_HEAD_FINDING, IDC_CHECK_HEAD_DIR}, true);
    PostMessageA(m_hwnd, WM_KS_CHECK_START, 0, 0);
}

INT_PTR CatalogueCheck::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ABORTREQUEST) {
        StopFlag = 1;
        return TRUE;
    }
    if (msg == WM_KS_CHECK_START) {
        RunCheck();
        return TRUE;
    }
    return TDialog::DialogProc(msg, wParam, lParam);
}

bool CatalogueCheck::CanClose()
{
    const KsApp* app = KsApp::Get();
    return TDialog::CanClose() && !(app && app->Searching);
}

std::string CatalogueCheck::StoreDirectory() const
{
    const KsApp* app = KsApp::Get();
    return app ? std::string(app->ProgramDir) + "\\KS_STORE" : std::string();
}

void CatalogueCheck::RunCheck()
{
    // One walk at a time: the findings shown stay while another window walks.
    if (!m_client || !KsApp::Get() || WalkMark::Refused(m_hwnd))
        return;
    StopFlag = 0;
    m_findings.clear();
    m_list.ClearList();
    const std::string store = StoreDirectory();
    const std::string storeKey = DirectoryKey(store);
    auto storeListing = ListAside(store);
    auto list = [&](const std::string& directory) {
        if (storeListing.valid() && DirectoryKey(directory) == storeKey)
            return storeListing.get();
        return ListFiles(directory);
    };
    CheckFindings check(store, list, FoldName, DirectoryKey);
    {
        WalkScope scope(*m_client, std::make_unique<KsAbort>(this));
        KsAbort& progress = scope.Progress();
        if (progress.Create()) {
            progress.SetProgress(0);
            ShowWindow(progress.GetHandle(), SW_SHOW);
        }
        ks::TApplication* pump = ks::TApplication::Current();
        using Clock = std::chrono::steady_clock;
        // The first record gets a turn at once: the progress dialog is painted and Abort works from the start.
        Clock::time_point sliceEnd = Clock::now();
        const std::int32_t total =
            m_client->SendEngineCommand(ENG_COUNT, 0) == 0 ? m_client->RecordBuffer.RecordCount : 0;
        check.Reserve(static_cast<std::size_t>(std::max(total, 0)));
        RecordWalk walk(*m_client);
        FileRecord record{};
        for (std::int64_t n = 1; StopFlag == 0 && walk.Next(record); ++n) {
            check.AddRecord(record.RecordNumber, std::string(FieldText(record.FileName)),
                            std::string(FieldText(record.Location)));
            if (n % kWalkClockEvery == 1 && Clock::now() >= sliceEnd) {
                progress.SetCaption(std::string(FieldText(record.FileName)).c_str());
                if (total > 0)
                    progress.SetProgress(static_cast<int>(static_cast<double>(n) / total * 100.0));
                if (pump)
                    pump->PumpWaitingMessages();
                walk.Refresh();
                sliceEnd = Clock::now() + kWalkSlice;
                if (StopFlag)
                    break;
            }
        }
        // A walk the engine broke off (it has said why) lists nothing: its missing records would be wrong.
        if (walk.Failed())
            return;
    }
    // An aborted check keeps what it found among the records walked; without every record, files in KS_STORE
    // cannot be said to lack one.
    const bool aborted = StopFlag != 0;
    m_findings = check.Finish(!aborted);
    ShowFindings();
    if (m_findings.empty() && !aborted)
        ks::ShowMessage(m_hwnd, kNothingFound, "Catalogue Check", MB_OK | MB_ICONINFORMATION);
}

void CatalogueCheck::ShowFindings()
{
    const ListFill fill(m_list);
    m_list.ClearList();
    for (std::size_t i = 0; i < m_findings.size(); ++i) {
        const int index = m_list.AddString(FindingLine(m_findings[i]).c_str());
        if (index < 0)
            break;
        m_list.Send(LB_SETITEMDATA, index, static_cast<LPARAM>(i));
    }
}

const Finding* CatalogueCheck::SelectedFinding(const char* wrongKindText, FindingKind kind, FindingKind other)
{
    const int selected = m_list.GetSelIndex();
    const auto slot = selected < 0 ? m_findings.size() : static_cast<std::size_t>(m_list.Send(LB_GETITEMDATA, selected));
    if (slot >= m_findings.size()) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Please select a line of the list.", "Error", MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    const Finding& finding = m_findings[slot];
    if (finding.kind != kind && finding.kind != other) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, wrongKindText, "Error", MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    return &finding;
}

Finding* CatalogueCheck::FindingAt(int line)
{
    const auto slot = static_cast<std::size_t>(m_list.Send(LB_GETITEMDATA, line));
    return line >= 0 && slot < m_findings.size() ? &m_findings[slot] : nullptr;
}

std::optional<FileRecord> CatalogueCheck::ReadRecord(std::int32_t number)
{
    // The shared record may be an open Record Interface's: it is put back after the read.
    const RecordBufferGuard keep(m_client->RecordBuffer);
    m_client->RecordBuffer.RecordNumber = number;
    if (m_client->SendEngineCommand(ENG_READ, ENG_RECORD_NOT_FOUND) != 0)
        return std::nullopt;
    return m_client->RecordBuffer;
}

void CatalogueCheck::RefreshRecord(std::int32_t number)
{
    if (!m_client || number < 0)
        return;
    // Only lines of that record, and lines of files without a record (the record may now name one), can change.
    bool concerned = false;
    for (int line = 0; line < m_list.GetCount() && !concerned; ++line)
        if (const Finding* f = FindingAt(line))
            concerned = f->recordNumber == number || f->kind == FindingKind::NoRecord;
    if (!concerned)
        return;
    const std::optional<FileRecord> record = ReadRecord(number);
    const std::string name = record ? std::string(FieldText(record->FileName)) : std::string();
    const std::string location = record ? TrimmedLocation(*record) : std::string();
    const std::string recordKey = record ? PathKey(location, name) : std::string();
    const int selected = m_list.GetSelIndex();
    std::vector<std::string> brokenPairs;
    // From the bottom up, so that the lines still to look at keep their indexes.
    for (int line = m_list.GetCount() - 1; line >= 0; --line) {
        Finding* f = FindingAt(line);
        if (!f)
            continue;
        if (f->kind == FindingKind::NoRecord) {
            if (record && PathKey(f->directory, f->name) == recordKey)
                m_list.DeleteString(line);
            continue;
        }
        if (f->recordNumber != number)
            continue;
        if (f->kind == FindingKind::SameFile) {
            if (!record || PathKey(f->directory, f->name) != recordKey) {
                brokenPairs.push_back(PathKey(f->directory, f->name));
                m_list.DeleteString(line);
            }
            continue;
        }
        // A missing file: the line goes when the record went or its file is there now; otherwise it shows the
        // record's name and place as they are.
        const LRESULT slot = m_list.Send(LB_GETITEMDATA, line);
        m_list.DeleteString(line);
        if (!record || (!name.empty() && IsPlainFile(JoinPath(location, name))))
            continue;
        f->name = name;
        f->directory = location;
        const int at = static_cast<int>(m_list.Send(LB_INSERTSTRING, line, reinterpret_cast<LPARAM>(FindingLine(*f).c_str())));
        if (at >= 0) {
            m_list.Send(LB_SETITEMDATA, at, slot);
            if (line == selected)
                m_list.SetSelIndex(at);
        }
    }
    // A record that no longer shares its file leaves its partner alone with it: that line goes too.
    for (const std::string& pair : brokenPairs) {
        int left = -1;
        int count = 0;
        for (int line = 0; line < m_list.GetCount(); ++line)
            if (const Finding* f = FindingAt(line);
                f && f->kind == FindingKind::SameFile && PathKey(f->directory, f->name) == pair) {
                left = line;
                ++count;
            }
        if (count == 1)
            m_list.DeleteString(left);
    }
}

void CatalogueCheck::DropSelectedLine()
{
    // Lines keep their findings' indexes as item data: the finding stays in m_findings, only its line goes.
    const int selected = m_list.GetSelIndex();
    if (selected >= 0)
        m_list.DeleteString(selected);
}

void CatalogueCheck::CmOpenRecord()
{
    const Finding* finding = SelectedFinding("Open Record needs a \"Missing file\" or \"Same file\" line: a file "
                                             "without a record has no record to open.",
                                             FindingKind::MissingFile, FindingKind::SameFile);
    if (!finding)
        return;
    const KsApp* app = KsApp::Get();
    if (app && app->RecordOpen) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Sorry, You may only modify a single record at a time.", "Warning",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_client)
        PostMessageA(m_client->GetHandle(), WM_OPENRECORD, static_cast<WPARAM>(finding->recordNumber), 0);
}

void CatalogueCheck::CmFind()
{
    const Finding* selected = SelectedFinding("Find looks for a missing file: please select a \"Missing file\" line.",
                                              FindingKind::MissingFile, FindingKind::MissingFile);
    if (!selected || !m_client)
        return;
    // The finding is kept by value: a refresh while a box is up may change the list's findings.
    const Finding kept = *selected;
    const Finding* finding = &kept;
    const KsApp* app = KsApp::Get();
    // The engine has one open record, and an open Record Interface owns it: a re-link here would end it.
    if (app && app->RecordOpen) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd,
                        "Please close the Record Interface first: while a record is open, no other record can be "
                        "re-linked.",
                        "Warning", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The record may have changed since the check (re-linked, renamed, deleted, its file back): Find acts only on
    // a finding that still holds, and otherwise shows the record as it is now.
    const auto stale = [&] {
        ks::ShowMessage(m_hwnd, kStaleText, "Find", MB_OK | MB_ICONINFORMATION);
        RefreshRecord(finding->recordNumber);
    };
    if (const std::optional<FileRecord> now = ReadRecord(finding->recordNumber); !now || !StillMissing(*finding, *now)) {
        stale();
        return;
    }
    std::vector<std::string> places;
    for (int area = 1; area <= 4; ++area) {
        char path[261]{};
        if (GetRegistryString(kAreaSection, AreaPathName(area), path) && lstrcmpiA(path, kNoPath) != 0 && *path)
            places.push_back(path);
    }
    places.push_back(StoreDirectory());
    std::string found;
    for (const std::string& place : places)
        if (IsPlainFile(JoinPath(place, finding->name))) {
            found = place;
            break;
        }
    // Records keep their location without a trailing backslash, and it must fit the field whole.
    while (found.size() > 3 && found.back() == '\\')
        found.pop_back();
    if (found.empty() || found.size() >= kLocationSize) {
        const std::string text = finding->name + " was not found in the download areas or in KS_STORE.";
        ks::ShowMessage(m_hwnd, text.c_str(), "Find", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const std::string question = finding->name + " was found in " + found + ". Link the record to it?";
    if (ks::ShowMessage(m_hwnd, question.c_str(), "Find", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    const std::int32_t number = finding->recordNumber;
    {
        const RecordBufferGuard keep(m_client->RecordBuffer);
        FileRecord& record = m_client->RecordBuffer;
        record.RecordNumber = number;
        // The open record is ended on every way out, also after a failed ENG_OPEN.
        bool updated = false;
        bool changed = false;
        if (m_client->SendEngineCommand(ENG_OPEN, 0) == 0) {
            // The record opened is the one the finding was about, as it was when the user was asked.
            changed = !StillMissing(*finding, record);
            if (!changed) {
                SetFieldText(record.Location, found);
                updated = m_client->SendEngineCommand(ENG_UPDATE, 0) == 0;
            }
        }
        m_client->SendEngineCommand(ENG_CLOSE, 0);
        if (changed) {
            stale();
            return;
        }
        if (!updated)
            return;
    }
    DropSelectedLine();
    // Search windows listing the record show its new place.
    PostMessageA(m_client->GetHandle(), WM_RECORDCHANGED, static_cast<WPARAM>(number), 0);
}

void CatalogueCheck::CmStore()
{
    const Finding* finding = SelectedFinding("Store needs a \"No record\" line: the other lines have a record.",
                                             FindingKind::NoRecord, FindingKind::NoRecord);
    if (!finding)
        return;
    std::string name = finding->name;
    const std::string directory = finding->directory;
    // The date offered is the file's last write, as the Download Interface offers it.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    std::string date;
    if (GetFileAttributesExA(JoinPath(directory, name).c_str(), GetFileExInfoStandard, &data)) {
        SYSTEMTIME written{};
        FileTimeToSystemTime(&data.ftLastWriteTime, &written);
        date = FormatDate(MakeDate(written.wDay, written.wMonth, written.wYear));
    }
    DataStore store(this, directory.c_str(), name.c_str(), date.c_str());
    // A file listed by its short name (its own is outside the code page) is stored by its real name: the user
    // confirms the name it keeps, and it is never compared with itself.
    WIN32_FIND_DATAW real{};
    const std::wstring path = Widened(JoinPath(directory, name));
    if (const ks::FindHandle find(FindFirstFileExW(path.c_str(), FindExInfoStandard, &real, FindExSearchNameMatch,
                                                   nullptr, 0));
        find && lstrcmpiW(real.cFileName, Widened(name).c_str()) != 0)
        store.SetWideSource(Widened(directory + "\\") + real.cFileName);
    if (store.Execute() == IDOK)
        DropSelectedLine();
}

void CatalogueCheck::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_CATALOGUE_CHECK);
}

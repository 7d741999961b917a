// KsClient: engine link, splash, first-run area check, child windows and the record-message relay.
#include "app/ks_client.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>
#include <string>

#include "app/splash.h"
#include "assist/assist_install.h"
#include "assist/prefs_assist.h"
#include "download/dropped_files.h"
#include "download/ks_child.h"
#include "download/store_all.h"
#include "download/ks_prefs.h"
#include "records/check_child.h"
#include "records/data_search.h"
#include "records/export_catalogue.h"
#include "records/rec_child.h"
#include "records/srch_child.h"
#include "records/walk.h"
#include "engine/engine_errors.h"
#include "engine/record_batch.h"
#include "framework/application.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "resources/resource_ids.h"

namespace {

// Posted by the set-up: the splash and the area check wait until the main window is on the screen, so that
// the splash is not hidden behind a frame shown after it.
constexpr UINT WM_KS_STARTUP = WM_APP + 0x10;

// "Table is corrupted": the engine's answer for a damaged table, which a repair can mend.
constexpr std::int32_t kTableDamaged = 6;
// "General System error": a batch of records that does not hold what its reply says.
constexpr std::int32_t kBatchDamaged = 126;

constexpr char kNoAreasText[] =
    "You donot seem to have any Directory Preferences set up in the Registry for your Download Areas. You will now "
    "get the opportunity to set up these areas.You can change these areas at any time from the Main Menu "
    "(Preferences then Download Areas).";

}  // namespace

const ks::TResponse<KsClient> KsClient::Responses[] = {
    ks::Command(CM_FILES_DOWNLOADED, &KsClient::CmFilesDownloaded),
    ks::Command(CM_STORED_FILES, &KsClient::CmStoredFiles),
    ks::Command(CM_DOWNLOAD_AREAS, &KsClient::CmDownloadAreas),
    ks::Command(CM_CONVERT, &KsClient::ConvertVersion1),
    ks::Command(CM_ASSIST_INSTALL, &KsClient::CmAssistInstall),
    ks::Command(CM_ASSIST_CONFIGURE, &KsClient::CmAssistConfigure),
    ks::Command(CM_CHECK_CATALOGUE, &KsClient::CmCheckCatalogue),
    ks::Command(CM_EXPORT_CATALOGUE, &KsClient::CmExportCatalogue),
    ks::Command(CM_STORE_ALL, &KsClient::CmStoreAll),
};

const char* EngineErrorText(std::int32_t code)
{
    static char text[128];
    const std::string oem = EngineErrorTextOem(code);
    lstrcpynA(text, oem.c_str(), sizeof text);
    OemToCharA(text, text);
    return text;
}

KsClient::KsClient() : m_splash(std::make_unique<Splash>(this))
{
    EngineLink::Start start = m_link.Establish();
    if (start == EngineLink::Start::TableRefused && m_link.Refusal() == kTableDamaged && OfferRepair())
        start = m_link.Establish();
    switch (start) {
    case EngineLink::Start::Ready:
        m_linkReady = true;
        break;
    case EngineLink::Start::SpawnFailed:
    case EngineLink::Start::NoWindow:
        // An engine that started but never showed its window cannot be used either; the user sees one message.
        ks::ShowMessage(nullptr, "Could not spawn process", "Create Process Error", MB_OK | MB_ICONWARNING);
        break;
    case EngineLink::Start::TableRefused:
        if (!m_repairDeclined)
            ks::ShowMessage(nullptr, TableRefusedText(m_link.Refusal()).c_str(), "Paradox Error",
                            MB_OK | MB_ICONSTOP);
        break;
    }
}

std::string KsClient::TableRefusedText(std::int32_t code) const
{
    return "The catalogue table " + m_link.TablePath() + " could not be opened: " + EngineErrorText(code) + ".";
}

bool KsClient::OfferRepair()
{
    const std::string question = TableRefusedText(kTableDamaged) +
                                 "\r\rRepair the catalogue now? A copy of the damaged file is kept.";
    if (ks::ShowMessage(nullptr, question.c_str(), "Paradox Error", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        m_repairDeclined = true;
        return false;
    }
    const EngineLink::RepairResult repaired = m_link.RepairTable();
    if (repaired.code != 0) {
        const std::string text = "The catalogue table " + m_link.TablePath() +
                                  " could not be repaired: " + EngineErrorText(repaired.code) + ".";
        ks::ShowMessage(nullptr, text.c_str(), "Paradox Error", MB_OK | MB_ICONSTOP);
        m_repairDeclined = true;  // told already
        return false;
    }
    char counts[128];
    std::snprintf(counts, sizeof counts, "The catalogue was repaired: %lld records kept, %lld entries lost.",
                  repaired.kept, repaired.lost);
    const std::string text = std::string(counts) + "\rThe damaged file is kept as " + repaired.damagedCopy + ".";
    ks::ShowMessage(nullptr, text.c_str(), "Repair", MB_OK | MB_ICONINFORMATION);
    return true;
}

KsClient::~KsClient() { EndLink(); }

void KsClient::EndLink()
{
    if (!m_linkReady)
        return;
    SendEngineCommand(ENG_SHUTDOWN, 0);
    m_linkReady = false;
}

KsClient* KsClient::Of(const ks::TWindow& childDialog)
{
    ks::TWindow* child = childDialog.GetParentObject();
    return child ? dynamic_cast<KsClient*>(child->GetParentObject()) : nullptr;
}

std::int32_t KsClient::SendEngineCommand(std::int32_t command, std::int32_t expected)
{
    FileRecord transfer = RecordBuffer;
    ++m_commandsSent;
    const std::int32_t result = m_linkReady ? m_link.Transact(command, transfer) : ENG_NOT_DELIVERED;
    if (!Delivered(result))
        return ENG_NOT_DELIVERED;
    RecordBuffer = transfer;
    return Reported(result, expected);
}

namespace {

FileRecord BatchRequest(std::int32_t after, std::int32_t most)
{
    FileRecord request{};
    request.RecordNumber = after;
    request.RecordCount = most;
    return request;
}

}  // namespace

std::int32_t KsClient::SendEngineBatch(std::int32_t after, std::int32_t most, std::vector<std::uint8_t>& batch,
                                       std::int32_t next)
{
    FileRecord request = BatchRequest(after, most);
    ++m_commandsSent;
    std::int32_t result = m_linkReady ? m_link.Transact(ENG_NEXT_BATCH, request, batch) : ENG_NOT_DELIVERED;
    if (!Delivered(result)) {
        batch.clear();
        return ENG_NOT_DELIVERED;
    }
    // A reply that does not hold what it says is an engine fault, shown as one: the walk ends.
    if (result == 0 && !BatchAnswers(batch, after, most, request.RecordCount, request.RecordNumber))
        result = kBatchDamaged;
    if (result != 0)
        batch.clear();
    else if (next >= 0)
        m_link.Prefetch(ENG_NEXT_BATCH, BatchRequest(request.RecordNumber, next));
    return Reported(result, ENG_END_OF_TABLE);
}

bool KsClient::Delivered(std::int32_t result)
{
    if (result != ENG_NOT_DELIVERED || m_link.Ready())
        return true;
    // Once down, the link stays down: later commands (the closing ENG_SHUTDOWN too) are not sent.
    const bool firstFailure = m_linkReady;
    m_linkReady = false;
    if (firstFailure) {
        ks::ShowMessage(m_hwnd, "Could not send data to Engine Interface.", "Engine Offline", MB_OK | MB_ICONWARNING);
        PostQuitMessage(-1);
    }
    return false;
}

std::int32_t KsClient::Reported(std::int32_t result, std::int32_t expected)
{
    if (result != 0 && result != expected) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, EngineErrorText(result), "Paradox Error", MB_OK | MB_ICONSTOP);
    }
    return result;
}

void KsClient::SetupWindow()
{
    if (HWND frame = GetParent(m_hwnd))
        ks::CentreOnDesktop(frame);
    PostMessageA(m_hwnd, WM_KS_STARTUP, 0, 0);
    // Files dropped from Explorer on the workspace (the frame passes its own drops on) are offered for storing.
    DragAcceptFiles(m_hwnd, TRUE);
    if (HWND frame = GetParent(m_hwnd))
        DragAcceptFiles(frame, TRUE);
}

void KsClient::FirstRunAreaCheck()
{
    char area[261]{};
    if (GetRegistryString("Download Directorys", "Area One", area))
        return;
    ks::ShowMessage(m_hwnd, kNoAreasText, "Setup", MB_OK | MB_ICONINFORMATION);
    for (const char* name : {"Area One", "Area Two", "Area Three", "Area Four"})
        WriteRegistryString("Download Directorys", name, "No Path");
    for (const char* name : {"Alias One", "Alias Two", "Alias Three", "Alias Four"})
        WriteRegistryString("Download Directorys", name, "");
    WriteRegistryNumber("Download Directorys", "Default", 1);
    CmDownloadAreas();
}

bool KsClient::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TMDIClient::OnCommand(id, notify, control);
}

bool KsClient::HandlesCommand(UINT id) const
{
    // The commands that start a walk are greyed while one runs (menu and control bar alike).
    if ((id == CM_CONVERT || id == CM_CHECK_CATALOGUE || id == CM_STORE_ALL || id == CM_EXPORT_CATALOGUE) &&
        WalkMark::Running())
        return false;
    return ks::Handles(Responses, id) || TMDIClient::HandlesCommand(id);
}

void KsClient::OpenChild(std::unique_ptr<ks::TMDIChild> child, int iconId)
{
    child->SetIconResource(GetModuleHandleA(nullptr), iconId);
    CreateChild(std::move(child));
}

void KsClient::CmFilesDownloaded()
{
    char title[48];
    std::snprintf(title, sizeof title, "Download Interface - %d", static_cast<int>(m_downloadCount++));
    OpenChild(std::make_unique<KsChild>(*this, title), IDI_DOWNLOAD_CHILD);
}

void KsClient::CmStoredFiles()
{
    char title[48];
    std::snprintf(title, sizeof title, "Search Interface - %d", static_cast<int>(m_searchCount++));
    OpenChild(std::make_unique<SrchChild>(*this, title), IDI_SEARCH_CHILD);
}

void KsClient::CmCheckCatalogue()
{
    if (WalkMark::Refused(m_hwnd))
        return;
    // One Catalogue Check at a time: a second command brings the open one forward.
    for (ks::TMDIChild* child : GetChildren())
        if (dynamic_cast<CheckChild*>(child) && child->GetHandle()) {
            if (IsIconic(child->GetHandle()))
                SendMessageA(m_hwnd, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
            SendMessageA(m_hwnd, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
            return;
        }
    OpenChild(std::make_unique<CheckChild>(*this), IDI_SEARCH_CHILD);
}

void KsClient::CmStoreAll() { CmStoreAllWaiting(*this); }

void KsClient::CmExportCatalogue()
{
    // A Search Interface in front exports what it lists; one that lists nothing, like no window, everything.
    std::optional<std::vector<std::int32_t>> listed;
    if (auto* search = dynamic_cast<SrchChild*>(GetActiveChild()); search && search->Search()) {
        std::vector<std::int32_t> numbers = search->Search()->ListedRecords();
        if (!numbers.empty())
            listed = std::move(numbers);
    }
    ExportCatalogue(*this, listed);
}

void KsClient::CmDownloadAreas()
{
    ksPrefs prefs(this);
    prefs.Execute();
}

void KsClient::CmAssistInstall() { assist::InstallAssistant(*this); }

void KsClient::CmAssistConfigure()
{
    PrefsAssist prefs(this);
    prefs.Execute();
}

void KsClient::AreasChanged()
{
    m_areaWatch.Start(m_hwnd);
    // What changed while nothing watched (an area's new path, files that came meanwhile) is shown now.
    for (int area = 1; area <= 4; ++area)
        SendAreaChanged(area);
    ShowWaitingFiles();
}

void KsClient::SendAreaChanged(int area)
{
    for (ks::TMDIChild* child : GetChildren())
        if (ks::TDialog* dialog = child->GetClientWindow(); dialog && dialog->GetHandle())
            SendMessageA(dialog->GetHandle(), WM_AREACHANGED, static_cast<WPARAM>(area), 0);
}

void KsClient::ShowWaitingFiles()
{
    const ks::TApplication* app = ks::TApplication::Current();
    if (ks::TStatusBar* status = app && app->GetMainWindow() ? app->GetMainWindow()->GetStatusBar() : nullptr)
        status->SetPaneText(WaitingText(m_areaWatch.WaitingFiles()).c_str());
}

void KsClient::RelayAreasChanged()
{
    for (const int area : m_areaWatch.TakeChanged())
        SendAreaChanged(area);
    ShowWaitingFiles();
}

void KsClient::RelayRecordChanged(WPARAM recordNumber)
{
    // Each window's successor is taken before sending to it: a window that closes while it handles the
    // message does not stop the broadcast.
    HWND child = GetWindow(m_hwnd, GW_CHILD);
    while (child) {
        HWND next = GetWindow(child, GW_HWNDNEXT);
        SendMessageA(child, WM_REFRESHRECORD, recordNumber, 0);
        child = next;
    }
}

LRESULT KsClient::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_RECORDCHANGED) {
        RelayRecordChanged(wParam);
        return 1;
    }
    if (msg == WM_OPENRECORD) {
        // Every request opens a window: keeping to one open record is the Search Interface's check.
        OpenChild(std::make_unique<RecChild>(*this, static_cast<std::int32_t>(wParam), "Record Interface"),
                  IDI_RECORD_CHILD);
        return 1;
    }
    if (msg == WM_DROPFILES) {
        StoreDroppedFiles(*this, reinterpret_cast<HDROP>(wParam), nullptr);
        return 0;
    }
    if (msg == WM_ABORTREQUEST) {
        StopFlag = 1;
        return 0;
    }
    if (msg == WM_KS_STARTUP) {
        if (m_splash->Create())
            ShowWindow(m_splash->GetHandle(), SW_SHOW);
        FirstRunAreaCheck();
        AreasChanged();
        return 0;
    }
    if (msg == WM_TIMER && wParam == AreaWatch::kTimerId) {
        RelayAreasChanged();
        return 0;
    }
    return TMDIClient::WindowProc(msg, wParam, lParam);
}

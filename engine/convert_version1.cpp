// KsClient::ConvertVersion1: brings a version-1 installation's catalogue and stored files into this one.
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "download/file_moves.h"
#include "engine/convert_status.h"
#include "engine/record_walk.h"
#include "framework/file_dialog.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "records/walk.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kTableFiles[] = {"filstore.db", "filstore.px", "filstore.mb"};

// File names compare as the file system compares them: without regard to letter case.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return lstrcmpiA(a.c_str(), b.c_str()) < 0; }
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Whether a record's location is the old store, however it is spelled (letter case, 8.3 names, slashes, another
// drive letter): decided once per distinct location, since a table's records share a few.
class OldStoreTest {
public:
    explicit OldStoreTest(std::string oldStore) : m_oldStore(std::move(oldStore)) {}
    bool operator()(const std::string& location)
    {
        if (lstrcmpiA(location.c_str(), m_oldStore.c_str()) == 0)
            return true;
        const auto known = m_seen.find(location);
        if (known != m_seen.end())
            return known->second;
        return m_seen[location] = !location.empty() && SameDirectory(location, m_oldStore);
    }

private:
    std::string m_oldStore;
    std::map<std::string, bool> m_seen;
};

void Pump()
{
    if (KsApp* app = KsApp::Get())
        app->PumpWaitingMessages();
}

// The status window for one run, closed and destroyed on every way out.
class StatusScope {
public:
    explicit StatusScope(ks::TWindow* parent) : m_status(std::make_unique<ConvertStatus>(parent))
    {
        if (m_status->Create()) {
            SetWindowTextA(m_status->GetHandle(), "Converting Old Kestrum Files");
            ShowWindow(m_status->GetHandle(), SW_SHOW);
            UpdateWindow(m_status->GetHandle());
        }
    }
    ~StatusScope() { Close(); }
    StatusScope(const StatusScope&) = delete;
    StatusScope& operator=(const StatusScope&) = delete;

    const ConvertStatus& operator*() const { return *m_status; }
    const ConvertStatus* operator->() const { return m_status.get(); }
    void Close()
    {
        if (m_status) {
            m_status->Destroy();
            m_status.reset();
        }
    }

private:
    std::unique_ptr<ConvertStatus> m_status;
};

}  // namespace

ConvertStatus::ConvertStatus(ks::TWindow* parent) : TDialog(parent, IDD_CONVERT_STATUS) {}

void ConvertStatus::SetupWindow()
{
    ks::TWindow* parent = GetParentObject();
    HWND frame = parent ? GetAncestor(parent->GetHandle(), GA_ROOT) : nullptr;
    if (frame)
        ks::CentreOverWindow(m_hwnd, frame);
}

void ConvertStatus::Show(const char* step, const char* item) const
{
    SetItemText(IDC_CONVERT_STEP, step);
    SetItemText(IDC_CONVERT_ITEM, item);
    // Copying and the import run without waiting messages being processed: paint each step as it starts.
    UpdateWindow(m_hwnd);
}

void ConvertStatus::ShowItem(const char* item) const { SetItemText(IDC_CONVERT_ITEM, item); }

void KsClient::ConvertVersion1()
{
    KsApp* app = KsApp::Get();
    if (app && app->RecordOpen) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Sorry, You may not convert files whilst you have an open data record.", "Warning",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (WalkMark::Refused(m_hwnd))
        return;

    ks::TOpenSaveData data;
    data.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    data.Filter = "Kestrum (v1.x) (Kestrum.exe)|Kestrum.exe|";
    // The extension alone: "Kestrum" typed in the name field finds Kestrum.exe.
    data.DefExt = "exe";
    ks::TFileOpenDialog picker(this, data, 0, "Select the Path to the Previous Version of Kestrum");
    if (picker.Execute() != IDOK) {
        if (data.Error != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "Error #%ld occurred.", static_cast<long>(data.Error));
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(m_hwnd, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
        }
        return;
    }
    const std::string chosen = data.FileName;
    const std::string oldDir = chosen.substr(0, chosen.rfind('\\') == std::string::npos ? 0 : chosen.rfind('\\'));
    const std::string newDir = app ? app->ProgramDir : oldDir;

    // From here to the end the conversion is the one walk of the engine: no search, check or second conversion
    // starts meanwhile, and the MDI client takes no input.
    const WalkMark walking(*this);
    // The walk below uses the shared record; whatever another window left there comes back afterwards.
    const FileRecord saved = RecordBuffer;
    struct Restore {
        KsClient& client;
        const FileRecord& saved;
        ~Restore() { client.RecordBuffer = saved; }
    } restore{*this, saved};

    StatusScope status(this);
    for (std::size_t i = 0; i < std::size(kTableFiles); ++i) {
        if (i > 0)
            status->Clear();
        status->Show("Copying Database Records:", kTableFiles[i]);
        // A file that cannot be copied (the old installation had no memo file, say) is not reported: the
        // engine's import tells whether what arrived can be read.
        CopyFileA((oldDir + "\\" + kTableFiles[i]).c_str(), (newDir + "\\" + kTableFiles[i]).c_str(), FALSE);
    }

    SetCurrentDirectoryA(newDir.c_str());
    status->Clear();
    status->Show("Transferring Data Records:", "Kestrum16 to Kestrum32");
    if (SendEngineCommand(ENG_IMPORT_V1, 0) != 0) {
        status.Close();
        ks::ShowMessage(m_hwnd, "Sorry, There was a problem converting your data files.", "Conversion Error",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    for (const char* name : kTableFiles)
        DeleteFileA(name);
    Pump();

    const std::string oldStore = oldDir + "\\KS_STORE";
    const std::string newStore = newDir + "\\KS_STORE";
    status->Clear();
    status->Show("Moving Files:", "Stored Files");
    if (!Exists(newStore))
        CreateDirectoryA(newStore.c_str(), nullptr);

    // Files that could not be moved (a file of that name is in the new store already, say) stay where they
    // are, and so do their records: pointed at the new store they would describe another file.
    std::set<std::string, NoCaseLess> leftBehind;
    {
        WIN32_FIND_DATAA entry;
        ks::FindHandle find(FindFirstFileA((oldStore + "\\*.*").c_str(), &entry));
        if (!find) {
            status.Close();
            ks::ShowMessage(m_hwnd, "Invalid File Handle, Sorry, conversion aborted.", "File Error",
                            MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        do {
            if (entry.cFileName[0] == '.')
                continue;
            status->ShowItem(entry.cFileName);
            const std::string from = oldStore + "\\" + entry.cFileName;
            // A move is whole or nothing, decided by the file itself (another volume too): what did not move
            // stayed behind.
            if (!MoveWholeFile(from, newStore + "\\" + entry.cFileName))
                leftBehind.insert(entry.cFileName);
            Pump();
        } while (FindNextFileA(find.Get(), &entry));
    }

    status->ShowItem("");
    status->Show("Updating Database records:", "");
    // The walk keeps its record to itself: the messages let other windows use RecordBuffer in between.
    RecordWalk walk(*this);
    FileRecord current{};
    OldStoreTest inOldStore(oldStore);
    while (walk.Next(current)) {
        const std::string name(FieldText(current.FileName));
        if (!inOldStore(std::string(FieldText(current.Location))) || leftBehind.count(name))
            continue;
        status->ShowItem(name.c_str());
        SetFieldText(current.Location, newStore);
        const std::int32_t result = walk.UpdateCurrent(current);
        // The engine has said why; a conversion that could not finish is not reported as successful. A record
        // deleted meanwhile has nothing left to point elsewhere.
        if (result != 0 && result != ENG_RECORD_NOT_FOUND)
            return;
        Pump();
    }
    if (walk.Failed())
        return;

    status.Close();
    ks::ShowMessage(m_hwnd, "Conversion Successful", "Finished Converting", MB_OK | MB_ICONINFORMATION);
}

// DataDisplay: loading the record, the close check and SaveRecord, the location colouring, and the file
// operations Move, Copy, Re-Link and Delete.
#include "records/data_display.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "download/file_moves.h"
#include "download/file_name_rules.h"
#include "examine/examine.h"
#include "examine/path_select.h"
#include "framework/file_dialog.h"
#include "framework/ui.h"
#include "records/del_stat.h"
#include "resources/resource_ids.h"

namespace {

// What each field of the record holds, less its terminator. The whole width is read back, so a
// ten-character date or a full abstract survives a save.
constexpr int kFileNameChars = static_cast<int>(kFileNameSize) - 1;
constexpr int kDateChars = static_cast<int>(kDownloadDateSize) - 1;
constexpr int kTitleChars = static_cast<int>(kTitleSize) - 1;
constexpr int kKeywordsChars = static_cast<int>(kKeywordsSize) - 1;
constexpr int kAbstractChars = static_cast<int>(kAbstractSize) - 1;
constexpr int kLocationChars = static_cast<int>(kLocationSize) - 1;
// The typed name is read wider than the record so that a difference is never hidden by a cut.
constexpr int kNameFieldChars = 512;

constexpr char kLocatedAt[] = "File is Located at:";
constexpr char kNotLocated[] = "Could Not Locate File at specified location :";
constexpr char kNotWhereRecorded[] = "Sorry, your file on the hard disk is not where it is recorded as being !";
constexpr char kAlreadyInDirectory[] = "This file already exists in that directory";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string JoinPath(const std::string& dir, const std::string& name)
{
    return !dir.empty() && dir.back() == '\\' ? dir + name : dir + "\\" + name;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Deletes a file to the recycle bin without asking; true when the shell did it. Only an ordinary file is ever
// handed to the shell: a record without a name, or with "." or a folder's name, would have it take the folder.
bool DeleteToRecycleBin(HWND owner, const std::string& path)
{
    if (!IsPlainFile(path))
        return false;
    std::string from = path;
    from.push_back('\0');  // the shell's list of names ends with an empty one
    SHFILEOPSTRUCTA op{};
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

}  // namespace

const ks::TResponse<DataDisplay> DataDisplay::Responses[] = {
    ks::Command(IDC_RECORD_COPY, &DataDisplay::CmCopy),       ks::Command(IDC_RECORD_MOVE, &DataDisplay::CmMove),
    ks::Command(IDC_RECORD_RELINK, &DataDisplay::CmRelink),   ks::Command(IDC_RECORD_DELETE, &DataDisplay::CmDelete),
    ks::Command(IDC_RECORD_EXAMINE, &DataDisplay::CmExamine), ks::Command(IDC_RECORD_HELP, &DataDisplay::CmHelp),
};

// The name edit holds at most what the record can: a longer name would be renamed on disk but stored cut.
DataDisplay::DataDisplay(ks::TWindow* parent, std::int32_t recordNumber)
    : TDialog(parent, IDD_RECORD), RecordNumber(recordNumber), m_fileName(*this, IDC_RECORD_FILENAME, kFileNameChars),
      m_title(*this, IDC_RECORD_TITLE, kTitleChars), m_keywords(*this, IDC_RECORD_KEYWORDS, kKeywordsChars),
      m_date(*this, IDC_RECORD_DATE, kDateChars), m_abstract(*this, IDC_RECORD_ABSTRACT, kAbstractChars)
{
}

FileRecord& DataDisplay::Record() const { return m_client->RecordBuffer; }

bool DataDisplay::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void DataDisplay::SetupWindow()
{
    if (KsApp* app = KsApp::Get())
        app->RecordOpen = 1;
    m_client = KsClient::Of(*this);
    if (!m_client) {
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        return;
    }
    LoadRecord();
}

void DataDisplay::CleanupWindow()
{
    if (KsApp* app = KsApp::Get())
        app->RecordOpen = 0;
    if (m_client)
        m_client->SendEngineCommand(ENG_CLOSE, 0);
}

void DataDisplay::LoadRecord()
{
    const ks::WaitCursor wait;
    Record().RecordNumber = RecordNumber;
    if (m_client->SendEngineCommand(ENG_OPEN, 0) != 0) {
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        return;
    }
    const FileRecord& r = Record();
    m_fileName.SetText(r.FileName);
    m_keywords.SetText(r.Keywords);
    m_date.SetText(r.DownloadDate);
    m_title.SetText(r.Title);
    SetItemText(IDC_RECORD_LOCATION, r.Location);
    m_abstract.SetText(r.Abstract);
    if (!FileFound())
        SetItemText(IDC_RECORD_LOCATED_AT, kNotLocated);
}

std::string DataDisplay::NameField() const { return m_fileName.GetText(kNameFieldChars); }

bool DataDisplay::NameUnchanged() const { return NameField() == Record().FileName; }

bool DataDisplay::FileFound() const
{
    if (!m_client)
        return false;
    // A folder is no file of the record's, whatever name leads to it.
    return IsPlainFile(JoinPath(Record().Location, NameUnchanged() ? std::string(Record().FileName) : NameField()));
}

std::string DataDisplay::RecordedPath() const { return JoinPath(Record().Location, Record().FileName); }

void DataDisplay::RecordChanged() const
{
    PostMessageA(m_client->GetHandle(), WM_RECORDCHANGED, static_cast<WPARAM>(RecordNumber), 0);
}

INT_PTR DataDisplay::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CTLCOLORSTATIC) {
        // A file that is not where the record says shows its location in red; asked at every repaint.
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if ((id == IDC_RECORD_LOCATED_AT || id == IDC_RECORD_LOCATION) && !FileFound()) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
    }
    return TDialog::DialogProc(msg, wParam, lParam);
}

bool DataDisplay::CanClose()
{
    bool result = TDialog::CanClose();
    KsApp* app = KsApp::Get();
    if (app && app->Searching)
        return false;
    if (m_date.GetText(kDateChars).size() < 5) {
        ks::ShowMessage(m_hwnd, "Please enter a valid date.", "Error", MB_OK | MB_ICONEXCLAMATION);
        m_date.Focus();
        return false;
    }
    // While an examined file's program runs the window stays; the examine workflow offers to end it.
    if (app && app->Examining) {
        ExamineExitGuard(m_hwnd);
        return false;
    }
    // The program has ended but this window's examine run is still finishing further down the call stack:
    // the close check runs again once it is over.
    if (m_examineUnderWay) {
        m_checkAfterExamine = true;
        return false;
    }
    if (!m_client)
        return result;
    const bool changed = m_title.IsModified() || m_date.IsModified() || m_keywords.IsModified() ||
                         m_abstract.IsModified() || (m_fileName.IsModified() && !NameUnchanged());
    if (changed) {
        ks::Beep();
        if (ks::ShowMessage(m_hwnd, "Changes have been made. Do you wish to update your database ?", "Question",
                            MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        // A typed name is a plain file name, or the rename would move the file elsewhere; the window keeps the
        // name in its field for the user to mend.
        if (m_fileName.IsModified() && !NameUnchanged()) {
            if (const std::string fault = PlainNameFault(NameField()); !fault.empty()) {
                ks::ShowMessage(m_hwnd, fault.c_str(), "Error", MB_OK | MB_ICONEXCLAMATION);
                m_fileName.Focus();
                return false;
            }
        }
        result = SaveRecord();
        if (!result)
            m_fileName.SetText(Record().FileName);
    }
    if (result)
        RecordChanged();
    return result;
}

bool DataDisplay::SaveRecord()
{
    FileRecord& r = Record();
    // What the buffer held goes back when the engine refuses the change.
    RecordBufferGuard unsaved(r);
    std::string renamedFrom;
    std::string renamedTo;
    // A name field touched but showing the stored name again is no rename: the record itself has the name.
    if (m_fileName.IsModified() && !NameUnchanged()) {
        const std::string newName = NameField();
        const std::string oldName = r.FileName;
        SetFieldText(r.FileName, newName);
        const std::int32_t found = m_client->SendEngineCommand(ENG_FIND_NAME_OPEN, ENG_RECORD_NOT_FOUND);
        SetFieldText(r.FileName, oldName);
        if (found == 0) {
            ks::Beep();
            ks::ShowMessage(m_hwnd, "This filename already exists within your database.", "Error",
                            MB_OK | MB_ICONHAND);
            return false;
        }
        const std::string location = GetItemText(IDC_RECORD_LOCATION, MAX_PATH - 1);
        const std::string newPath = JoinPath(location, newName);
        if (Exists(newPath)) {
            ks::Beep();
            ks::ShowMessage(m_hwnd, "This filename already exists in the specified directory on your disk.", "Error",
                            MB_OK | MB_ICONHAND);
            return false;
        }
        // A file missing from its place is not renamed: only the record takes the new name. A folder that the old
        // name leads to is no file of the record's.
        const std::string oldPath = JoinPath(location, oldName);
        if (IsPlainFile(oldPath)) {
            if (!MoveFileA(oldPath.c_str(), newPath.c_str())) {
                ks::ShowMessage(m_hwnd, "Error renaming file, changes will NOT be processed !", "File Error",
                                MB_OK | MB_ICONHAND);
                return false;
            }
            renamedFrom = oldPath;
            renamedTo = newPath;
        }
        SetFieldText(r.FileName, newName);
    }
    SetFieldText(r.Abstract, m_abstract.GetText(kAbstractChars));
    SetFieldText(r.DownloadDate, m_date.GetText(kDateChars));
    SetFieldText(r.Title, m_title.GetText(kTitleChars));
    SetFieldText(r.Keywords, m_keywords.GetText(kKeywordsChars));
    if (m_client->SendEngineCommand(ENG_UPDATE, 0) != 0) {
        // The link has shown why. The file keeps the name its record still has.
        if (!renamedTo.empty()) {
            const bool back = MoveFileA(renamedTo.c_str(), renamedFrom.c_str()) != FALSE;
            const std::string text = back ? std::string("The record could not be changed, so the file keeps its old name.")
                                          : "The record could not be changed, and the file could not be given its old "
                                            "name back: it is now " + renamedTo + ".";
            ks::ShowMessage(m_hwnd, text.c_str(), "File Error", MB_OK | (back ? MB_ICONEXCLAMATION : MB_ICONHAND));
        }
        return false;
    }
    unsaved.Keep();
    return true;
}

void DataDisplay::CmCancel()
{
    KsApp* app = KsApp::Get();
    if (!app) {
        ks::ShowMessage(m_hwnd,
                        "There has been an internal error creating a pointer to the application.Changes will not be "
                        "processed.",
                        "Error", MB_OK | MB_ICONHAND);
        return;
    }
    // While an examined file's program runs the window stays; the examine workflow offers to end it. Once it
    // has ended, a run still finishing further down the call stack closes the window when it is over.
    if (app->Examining)
        ExamineExitGuard(m_hwnd);
    else if (m_examineUnderWay)
        m_closeAfterExamine = true;
    else
        Destroy(IDCANCEL);
}

void DataDisplay::CmExamine()
{
    if (!m_client)
        return;
    const std::string location = Record().Location;
    const std::string name = Record().FileName;
    const bool nameUnchanged = NameUnchanged();
    const bool found = IsPlainFile(JoinPath(location, name));
    HWND owner = m_hwnd;
    // The run waits with this window live; a close without the check (after Delete) waits for it to end.
    m_examineUnderWay = true;
    ExamineFile(owner, location.c_str(), name.c_str(), [owner, nameUnchanged, found] {
        const char* problem = !nameUnchanged ? "The filename on disk is different to the filename in the database."
                               : !found      ? "The file on the disk could not be located."
                                             : nullptr;
        if (!problem)
            return true;
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(owner, problem, "Processing Problem", MB_OK | MB_ICONEXCLAMATION);
        return false;
    });
    m_examineUnderWay = false;
    if (m_closeAfterExamine)
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
    else if (m_checkAfterExamine)
        PostMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void DataDisplay::EvClose()
{
    // Destroying the window now would free this object under the waiting examine run.
    if (m_examineUnderWay) {
        m_closeAfterExamine = true;
        return;
    }
    Destroy(IDCANCEL);
}

std::string DataDisplay::BrowseDirectory(const char* title)
{
    ks::TOpenSaveData data;
    data.Flags = OFN_HIDEREADONLY | OFN_NOVALIDATE;
    data.Filter = PathSelect::kFilter;
    data.InitialDir = Record().Location;
    PathSelect browser(this, data, title);
    if (browser.Execute() == IDOK)
        return browser.ChosenDirectory;
    ReportBrowseError(m_hwnd, data);
    return {};
}

std::string DataDisplay::ChooseTarget(const char* refusedCaption, const char* browserTitle)
{
    if (!FileFound()) {
        ks::Beep();
        ks::ShowMessage(m_hwnd, kNotWhereRecorded, refusedCaption, MB_OK | MB_ICONHAND);
        return {};
    }
    const std::string directory = BrowseDirectory(browserTitle);
    if (directory.empty())
        return {};
    std::string target = JoinPath(directory, Record().FileName);
    if (Exists(target)) {
        ks::Beep();
        ks::ShowMessage(m_hwnd, kAlreadyInDirectory, "Copy Error", MB_OK | MB_ICONEXCLAMATION);
        return {};
    }
    return target;
}

void DataDisplay::CmMove()
{
    if (!m_client)
        return;
    const std::string target = ChooseTarget("Cannot Move File", "Choose Location to move file To");
    if (target.empty())
        return;
    // The new location must fit the record, or the record would point at a directory that is not it.
    // Another volume is allowed: the file is then copied and its original removed.
    const std::string newLocation = target.substr(0, target.rfind('\\'));
    const std::string source = RecordedPath();
    if (newLocation.size() > static_cast<std::size_t>(kLocationChars) || !MoveWholeFile(source, target)) {
        ks::ShowMessage(m_hwnd, "Error moving file.Changes will NOT be processed.", "File Error",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    RecordBufferGuard unsaved(Record());
    SetFieldText(Record().Location, newLocation);
    if (m_client->SendEngineCommand(ENG_UPDATE, 0) != 0) {
        // The link has shown why. The file goes back where its record still says it is.
        const bool back = MoveWholeFile(target, source);
        const std::string text = back ? std::string("The record could not be changed, so the file has been moved back.")
                                      : "The record could not be changed, and the file could not be moved back: it is "
                                        "now " + target + ".";
        ks::ShowMessage(m_hwnd, text.c_str(), "File Error", MB_OK | (back ? MB_ICONEXCLAMATION : MB_ICONHAND));
        return;
    }
    unsaved.Keep();
    SetItemText(IDC_RECORD_LOCATION, Record().Location);
}

void DataDisplay::CmCopy()
{
    if (!m_client)
        return;
    const std::string target = ChooseTarget("Cannot Copy File", "Choose Destination for Copied File");
    if (target.empty())
        return;
    const std::string source = RecordedPath();
    if (source == target) {
        ks::Beep();
        ks::ShowMessage(m_hwnd, "You cannot Copy a file onto itself, changes will NOT be processed !", "File Error",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!CopyFileA(source.c_str(), target.c_str(), TRUE)) {
        ks::Beep();
        ks::ShowMessage(m_hwnd, "Error copying file, changes will NOT be processed !", "File Error",
                        MB_OK | MB_ICONHAND);
    }
}

void DataDisplay::CmRelink()
{
    if (!m_client)
        return;
    FileRecord& r = Record();
    // The file the record describes; a name typed but not saved names no file of the record's.
    const std::string oldPath = RecordedPath();
    ks::TOpenSaveData data;
    data.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    data.Filter = "All Files (*.*)|*.*|";
    data.InitialDir = r.Location;
    ks::TFileOpenDialog picker(this, data, 0, "Link record to a different file");
    if (picker.Execute() != IDOK)
        return;
    const std::size_t cut = data.FileName.rfind('\\');
    if (cut == std::string::npos)
        return;
    const std::string directory = data.FileName.substr(0, cut);
    const std::string name = data.FileName.substr(cut + 1);
    // The record must hold the chosen place whole, or it would point at a file that is not it.
    if (directory.size() > static_cast<std::size_t>(kLocationChars) ||
        name.size() > static_cast<std::size_t>(kFileNameChars)) {
        ks::ShowMessage(m_hwnd, "This file's path is too long for the database. Changes will NOT be processed.",
                        "File Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The record is linked to an ordinary file only.
    if (!IsPlainFile(data.FileName)) {
        ks::ShowMessage(m_hwnd, "This is not a file that a record can be linked to. Changes will NOT be processed.",
                        "File Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    const std::string oldName = r.FileName;
    SetFieldText(r.FileName, name);
    const std::int32_t found = m_client->SendEngineCommand(ENG_FIND_NAME_OPEN, ENG_RECORD_NOT_FOUND);
    SetFieldText(r.FileName, oldName);
    if (found == 0 && !SameIgnoringCase(name, NameField())) {
        std::string upper = name;
        CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
        char text[kNameFieldChars + 128];
        std::snprintf(text, sizeof text,
                      "%s - already exists in your database. Sorry, cannot duplicate a link to an existing record.",
                      upper.c_str());
        ks::Beep(MB_ICONHAND);
        ks::ShowMessage(m_hwnd, text, "Error", MB_OK | MB_ICONHAND);
        return;
    }
    const std::string newPath = JoinPath(directory, name);
    bool deleteOld = false;
    // Deleting is offered for an ordinary file that is not the one chosen, however the two paths are spelled.
    if (IsPlainFile(oldPath) && !SameFile(newPath, oldPath)) {
        ks::Beep();
        const int answer = ks::ShowMessage(
            m_hwnd, "Would you like the old file deleted.", "Question", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return;
        deleteOld = answer == IDYES;
    }
    RecordBufferGuard unsaved(r);
    SetFieldText(r.Location, directory);
    SetFieldText(r.FileName, name);
    // The old file goes only once the record points at the new one.
    if (m_client->SendEngineCommand(ENG_UPDATE, 0) != 0)
        return;
    unsaved.Keep();
    if (deleteOld)
        DeleteToRecycleBin(m_hwnd, oldPath);
    SetItemText(IDC_RECORD_LOCATION, r.Location);
    m_fileName.SetText(r.FileName);
    SetItemText(IDC_RECORD_LOCATED_AT, kLocatedAt);
    RecordChanged();
}

void DataDisplay::CmDelete()
{
    if (!m_client)
        return;
    DelStat options(this, FileFound() ? 1 : 0);
    if (options.Execute() != IDOK)
        return;
    if (options.DeleteFileChecked) {
        // The file deleted is the record's own, and it must be an ordinary file (the field may show another name).
        if (!DeleteToRecycleBin(m_hwnd, RecordedPath())) {
            ks::Beep();
            ks::ShowMessage(m_hwnd, "Sorry, Could not delete the file from the drive.", "File Error",
                            MB_OK | MB_ICONEXCLAMATION);
        }
        InvalidateRect(m_hwnd, nullptr, TRUE);
    }
    if (options.DeleteRecordChecked) {
        m_client->SendEngineCommand(ENG_DELETE, 0);
        RecordChanged();
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
    }
}

void DataDisplay::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_RECORD);
}

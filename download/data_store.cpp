// DataStore: the close check, StoreFile with its name-conflict loop, the move into KS_STORE and ENG_ADD.
#include "download/data_store.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "assist/assistants.h"
#include "controls/date_text.h"
#include "download/file_moves.h"
#include "download/file_name_rules.h"
#include "download/same_contents.h"
#include "engine/file_record.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "resources/resource_ids.h"

namespace {

// Widths of the record's fields less their terminators.
constexpr int kDateChars = static_cast<int>(kDownloadDateSize) - 1;
constexpr int kTitleChars = static_cast<int>(kTitleSize) - 1;
// The title and keyword edits accept 79 characters; all of them are stored.
constexpr int kTitleEditChars = 79;
constexpr int kAbstractChars = static_cast<int>(kAbstractSize) - 1;

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Where a file of that name lies in KS_STORE.
std::string StorePath(const KsApp& app, const std::string& name)
{
    return std::string(app.ProgramDir) + "\\KS_STORE\\" + name;
}

}  // namespace

const ks::TResponse<DataStore> DataStore::Responses[] = {
    ks::Command(IDC_STORE_HELP, &DataStore::CmHelp),
    ks::Command(IDC_STORE_DEFAULT, &DataStore::CmDefaultAssistant),
    ks::Command(IDC_STORE_CHOOSE, &DataStore::CmChooseAssistant),
};

DataStore::DataStore(ks::TWindow* parent, const char* areaPath, const char* fileName, const char* dateText)
    : TDialog(parent, IDD_STORAGE), m_areaPath(areaPath), m_fileName(fileName), m_dateText(dateText),
      m_fileNameEdit(*this, IDC_STORE_FILENAME, 256), m_title(*this, IDC_STORE_TITLE, kTitleEditChars),
      m_keywords(*this, IDC_STORE_KEYWORDS, kTitleEditChars), m_abstract(*this, IDC_STORE_ABSTRACT, kAbstractChars),
      m_date(*this, IDC_STORE_DATE)
{
    // The caller's texts have fixed widths: 260, 512 and 19 characters.
    m_areaPath.resize(std::min<std::size_t>(m_areaPath.size(), 260));
    m_fileName.resize(std::min<std::size_t>(m_fileName.size(), 512));
    m_dateText.resize(std::min<std::size_t>(m_dateText.size(), 19));
}

KsClient* DataStore::Client() const
{
    // Opened from a Download Interface (or the Catalogue Check) the client is found through the parent chain;
    // opened for a file dropped on the main window, the parent is the client itself.
    if (KsClient* client = GetParentObject() ? KsClient::Of(*GetParentObject()) : nullptr)
        return client;
    if (auto* client = dynamic_cast<KsClient*>(GetParentObject()))
        return client;
    return nullptr;
}

void DataStore::SetupWindow()
{
    if (GetParentObject())
        ks::CentreOverWindow(m_hwnd, GetParentObject()->GetHandle());
    m_fileNameEdit.SetText(m_fileName.c_str());
    m_date.SetText(m_dateText.c_str());
    SetText("Storage Interface");
}

bool DataStore::CanClose()
{
    // The whole field is read: a ten-character date such as 12/25/1996 must not lose its last digit.
    const std::string date = GetItemText(IDC_STORE_DATE, kDateChars);
    if (ParseDate(date) == 0) {
        ks::ShowMessage(m_hwnd, "Please enter a valid date.", "Error", MB_OK | MB_ICONEXCLAMATION);
        SetFocus(GetItem(IDC_STORE_DATE));
        return false;
    }
    if (m_assistantBusy)
        return false;
    return TDialog::CanClose();
}

void DataStore::CmOk() { StoreFile(); }

void DataStore::CmCancel()
{
    if (CanClose())
        Destroy(IDCANCEL);
}

void DataStore::EvClose() { CmCancel(); }

bool DataStore::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void DataStore::CmDefaultAssistant()
{
    if (CanClose())
        assist::RunDefaultAssistant(*this, m_assistantBusy);
}

void DataStore::CmChooseAssistant()
{
    if (CanClose())
        assist::RunChosenAssistant(*this, m_assistantBusy);
}

void DataStore::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_STORAGE);
}

bool DataStore::NameAllowed(const std::string& name)
{
    // A typed name is a plain file name: a path would move the file out of KS_STORE while its record says it
    // is there.
    const std::string fault = PlainNameFault(name);
    if (!fault.empty()) {
        ks::ShowMessage(m_hwnd, fault.c_str(), "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (name.size() <= kMaxFileName)
        return true;
    ks::ShowMessage(m_hwnd,
                    "This filename is too long for the database. Please use a name of at most 255 characters.",
                    "Error", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool DataStore::ResolveNameConflict(KsClient& client, const KsApp& app, std::string& name)
{
    // A name is taken when the record could not hold it or it is no plain name, when a file of that name lies in KS_STORE, or when a
    // record has it; the engine is asked only when the disk has no such file.
    auto taken = [&] {
        if (name.size() > kMaxFileName || !PlainNameFault(name).empty())
            return true;
        SetFieldText(client.RecordBuffer.FileName, name);
        // A file stored in place lies in KS_STORE under its own name already: that file is not in the way.
        const bool itself = m_inPlace && SameFile(Widened(StorePath(app, name)), m_source);
        return (!itself && FileExists(StorePath(app, name))) ||
               client.SendEngineCommand(ENG_FIND_NAME, ENG_RECORD_NOT_FOUND) == 0;
    };
    while (taken()) {
        ks::Beep(MB_ICONHAND);
        ks::TInputDialog rename(this, "File Exists on Disk or Database", "This Filename is in use, Please rename:",
                                name, 510);
        if (rename.Execute() != IDOK)
            return false;
        name = rename.GetText();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
        NameAllowed(name);
    }
    return true;
}

bool DataStore::ConfirmHeldName(std::string& name)
{
    ks::TInputDialog rename(this, "Rename File",
                            "This file's name has characters the catalogue cannot hold. Store it as:", name, 510);
    if (rename.Execute() != IDOK)
        return false;
    name = rename.GetText();
    return NameAllowed(name);
}

void DataStore::StoreFile()
{
    if (!CanClose())
        return;
    KsClient* client = Client();
    const KsApp* app = KsApp::Get();
    if (!client || !app)
        return;
    // The caller's record is put back on every way out. The file name member keeps the arrival name (the
    // file's name in its area) until the file has been stored under the new one.
    const RecordBufferGuard keepRecord(client->RecordBuffer);
    std::string name = m_fileNameEdit.GetText(512);
    if (!NameAllowed(name))
        return;
    // A file whose own name the catalogue cannot hold arrives under its short name: the user confirms the
    // name it is stored under, and the file is moved by its real name.
    if (!m_sourceWide.empty() && !ConfirmHeldName(name))
        return;
    const std::wstring source = m_sourceWide.empty() ? Widened(m_areaPath + "\\" + m_fileName) : m_sourceWide;
    m_source = source;
    // A file already in KS_STORE (stored from the Catalogue Check) stays where it is.
    const std::string storeDir = std::string(app->ProgramDir) + "\\KS_STORE";
    m_inPlace = SameDirectory(m_areaPath, storeDir);
    // Before anything moves: a file whose contents are in the store already is stored again only when the user
    // says so.
    const std::string same = StoreContents(storeDir).SameAs(source);
    if (!same.empty()) {
        const std::string text = same + " in the store has the same contents. Store this file anyway?";
        if (ks::ShowMessage(m_hwnd, text.c_str(), "Same File Already Stored", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    if (!ResolveNameConflict(*client, *app, name))
        return;
    const std::wstring target = Widened(StorePath(*app, name));
    // Stored in place under the name it has, the file stays where it is.
    const bool moves = !(m_inPlace && SameFile(target, source));
    if (moves && !MoveWholeFile(source, target)) {
        ks::ShowMessage(m_hwnd,
                        "Sorry, there has been an error moving the source file into your KS_STORE subdirectory.",
                        "File Move Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    FileRecord& record = client->RecordBuffer;
    SetFieldText(record.Location, std::string(app->ProgramDir) + "\\KS_STORE");
    SetFieldText(record.FileName, name);
    SetFieldText(record.DownloadDate, GetItemText(IDC_STORE_DATE, kDateChars));
    SetFieldText(record.Title, m_title.GetText(kTitleChars));
    SetFieldText(record.Keywords, m_keywords.GetText(kTitleChars));
    SetFieldText(record.Abstract, m_abstract.GetText(kAbstractChars));
    if (client->SendEngineCommand(ENG_ADD, 0) != 0) {
        // The link has shown why. A file in KS_STORE without its record would be lost to the catalogue: it goes
        // back to its area, and the window stays open. A file stored in place never left.
        if (!moves)
            return;
        if (MoveWholeFile(target, source)) {
            ks::ShowMessage(m_hwnd, "The record could not be added, so the file has been moved back to its download area.",
                            "File Move Error", MB_OK | MB_ICONEXCLAMATION);
        } else {
            const std::string text = "The record could not be added, and the file could not be moved back: it is in "
                                     "KS_STORE as " + name + ".";
            ks::ShowMessage(m_hwnd, text.c_str(), "File Move Error", MB_OK | MB_ICONSTOP);
        }
        return;
    }
    m_fileName = name;
    CloseWindow(IDOK);
}

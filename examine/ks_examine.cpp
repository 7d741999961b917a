// KsExamine: set-up, ExamineSelected with the compressed-file question, CopySelected with the overwrite
// question and the install branch.
#include "examine/ks_examine.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/ks_app.h"
#include "examine/examine.h"
#include "examine/gp_install.h"
#include "examine/launch_text.h"
#include "examine/path_select.h"
#include "examine/shell_links.h"
#include "framework/dialog.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kSelectOne[] = "You must select at least one file.";
constexpr char kReplacementPrompt[] = "Please supply a replacement character:";
constexpr char kOverwriteQuestion[] = "A File of this name already exists, would you like to overwrite it ?";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Expands a compressed source into target through a new file of our own beside it, which takes target's place
// only once the expansion is complete and checked: a failed expansion leaves whatever was at target as it was,
// and no file the copy did not create is ever deleted. With replace clear, a file at target is never replaced.
// LZcopyfile's result (negative on failure; -2 when no file could be made).
std::int32_t ExpandInto(const std::string& source, const std::string& target, bool replace)
{
    const std::string::size_type cut = target.rfind('\\');
    const std::string directory = cut == std::string::npos ? std::string(".") : target.substr(0, cut + 1);
    char part[MAX_PATH + 1]{};
    if (!GetTempFileNameA(directory.c_str(), "ks", 0, part))
        return -2;
    const std::int32_t result = LZcopyfile(source.c_str(), part);
    if (result < 0) {
        DeleteFileA(part);
        return result;
    }
    if (!MoveFileExA(part, target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
        DeleteFileA(part);
        return -2;
    }
    return 0;
}

std::string CurrentDirectory()
{
    char dir[MAX_PATH + 1]{};
    const DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    return n > 0 && n < sizeof dir ? dir : "";
}

bool EndsCompressed(const std::string& name) { return !name.empty() && name.back() == '_'; }

// Asks for the missing last character of a compressed file's name. False when cancelled; empty answers are
// the caller's to refuse.
bool AskReplacement(ks::TWindow* parent, const std::string& caption, std::string& answer)
{
    ks::TInputDialog input(parent, caption, kReplacementPrompt, "_", 1);
    if (input.Execute() != IDOK)
        return false;
    answer = input.GetText();
    return true;
}

}  // namespace

const ks::TResponse<KsExamine> KsExamine::Responses[] = {
    ks::Command(IDC_EXAMINE_EXAMINE, &KsExamine::CmExamine),
    ks::Command(IDC_EXAMINE_COPY, &KsExamine::CmCopy),
    ks::Command(IDC_EXAMINE_INSTALL, &KsExamine::CmCopyInstall),
    ks::Command(IDC_EXAMINE_HELP, &KsExamine::CmHelp),
};

KsExamine::KsExamine(ks::TWindow* parent, const char* directory, const char* title)
    : TFileOpenDialog(parent, Data, IDD_EXAMINE, title), m_com(CoInitialize(nullptr))
{
    Data.Filter = kFilter;
    Data.InitialDir = directory ? directory : "";
    Data.Flags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_NOVALIDATE;
}

KsExamine::~KsExamine()
{
    if (SUCCEEDED(m_com))
        CoUninitialize();
}

bool KsExamine::OnCommand(UINT id, UINT notify, HWND)
{
    if (ks::Dispatch(*this, Responses, id, notify))
        return true;
    switch (id) {
    case IDOK:
        // Enter in the dialog: nothing happens; the dialog ends only by Close.
        return true;
    case IDCANCEL:
        CmClose();
        return false;  // the file dialog ends itself
    case IDC_EXAMINE_FILE_LIST:
        // A double click would choose the file and end the dialog.
        return notify == LBN_DBLCLK;
    default:
        return false;
    }
}

void KsExamine::SetupWindow()
{
    HWND parent = GetParentObject() ? GetParentObject()->GetHandle() : nullptr;
    ks::CentreOverWindow(m_hwnd, parent ? parent : GetDesktopWindow());
    // Nothing was left to offer: the dialog closes as soon as it opens.
    if (SendDlgItemMessageA(m_hwnd, IDC_EXAMINE_FILE_LIST, LB_GETCOUNT, 0, 0) <= 0) {
        MayClose = true;
        PostMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

void KsExamine::CmClose() { MayClose = true; }

void KsExamine::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_EXAMINE_FILE);
}

void KsExamine::CmCopyInstall()
{
    Installing = true;
    CopySelected(true);
    Installing = false;
}

std::vector<std::string> KsExamine::SelectedNames() const
{
    std::vector<std::string> names;
    HWND list = GetDlgItem(m_hwnd, IDC_EXAMINE_FILE_LIST);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (SendMessageA(list, LB_GETSEL, i, 0) <= 0)
            continue;
        char text[513]{};
        if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        names.emplace_back(text);
    }
    return names;
}

void KsExamine::ExamineSelected()
{
    const std::size_t selected = SelectedNames().size();
    if (selected != 1) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, selected == 0 ? kSelectOne : "You can only examine a single file at a time.",
                        "Warning", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The file examined is the one selected, wherever the caret stands.
    std::string name = SelectedNames().front();
    if (EndsCompressed(name)) {
        ks::Beep(MB_ICONHAND);
        std::string answer;
        if (!AskReplacement(this, "This is possibly a Windows compressed file", answer))
            return;
        if (answer.empty()) {
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(m_hwnd, "You must supply a replacement or keep the original character.", "Warning",
                            MB_OK | MB_ICONHAND);
            return;
        }
        const std::string expanded = examine::CompletedName(name, answer[0]);
        // Keeping "_" examines the file as it is; otherwise a failed expansion leaves nothing to open. A file
        // that has the completed name already is replaced only when the user says so.
        if (expanded != name) {
            const bool there = Exists(expanded);
            if (there && ks::ShowMessage(m_hwnd, kOverwriteQuestion, expanded.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
                return;
            if (ExpandInto(examine::JoinPath(CurrentDirectory(), name), examine::JoinPath(CurrentDirectory(), expanded),
                           there) < 0) {
                ks::Beep(MB_ICONEXCLAMATION);
                ks::ShowMessage(m_hwnd, "Error copying file !", "File Error", MB_OK | MB_ICONHAND);
                return;
            }
        }
        name = expanded;
    }
    const std::string directory = CurrentDirectory();
    if (!LaunchAssociated(m_hwnd, directory.c_str(), name.c_str(), false))
        RunQuickView(directory.c_str(), name.c_str(), m_hwnd);
}

void KsExamine::CopySelected(bool installing)
{
    const std::string remembered = CurrentDirectory();
    const std::vector<std::string> names = SelectedNames();
    if (names.empty()) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, kSelectOne, "Warning", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The directory browser moves the current directory; the dialog keeps showing the remembered one.
    struct RestoreDirectory {
        const std::string& dir;
        ~RestoreDirectory() { SetCurrentDirectoryA(dir.c_str()); }
    } restore{remembered};

    ks::TOpenSaveData browse;
    browse.Flags = OFN_HIDEREADONLY | OFN_NOVALIDATE;
    browse.Filter = PathSelect::kFilter;
    browse.InitialDir = remembered;
    PathSelect browser(this, browse, "Choose Destination for file(s)");
    if (browser.Execute() != IDOK) {
        ReportBrowseError(m_hwnd, browse);
        return;
    }
    lstrcpynA(Destination, browser.ChosenDirectory, sizeof Destination);
    const std::string destination = Destination;

    InstallChoice choice;
    std::string shortcutFolder;
    if (installing) {
        GpInstall options(this);
        if (options.Execute() != IDOK)
            return;
        choice = options.Choice;
        const bool newFolder = choice.NewFolder != 0;
        const bool underDesktop = choice.StartMenu == 0;
        if (!ChooseShellFolder(m_hwnd, newFolder, choice.FolderName.c_str(),
                               newFolder ? "Select Location for New Program Folder"
                                         : "Select Location for Item Shortcuts",
                               underDesktop ? CSIDL_DESKTOPDIRECTORY : CSIDL_STARTMENU,
                               underDesktop ? BIF_RETURNONLYFSDIRS : 0, shortcutFolder))
            return;
        lstrcpynA(ShortcutFolder, shortcutFolder.c_str(), sizeof ShortcutFolder);
    }

    for (const std::string& listed : names) {
        const std::string source = examine::JoinPath(remembered, listed);
        std::string name = listed;
        if (EndsCompressed(listed)) {
            ks::Beep(MB_ICONHAND);
            std::string answer;
            do {
                if (!AskReplacement(this, listed, answer))
                    return;  // the whole command ends, without Explorer
            } while (answer.empty());
            name = examine::UpperCase(examine::CompletedName(listed, answer[0]));
            const std::string target = examine::JoinPath(destination, name);
            // An expanded file is asked about as a plain one is before it replaces a file of its name.
            const bool there = Exists(target);
            if (there) {
                const int overwrite =
                    ks::ShowMessage(m_hwnd, kOverwriteQuestion, name.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
                if (overwrite == IDCANCEL)
                    break;
                if (overwrite == IDNO)
                    continue;
            }
            if (ExpandInto(source, target, there) < 0) {
                ks::Beep(MB_ICONEXCLAMATION);
                ks::ShowMessage(m_hwnd, "Error copying file !", "File Error", MB_OK | MB_ICONHAND);
            }
        } else {
            const std::string target = examine::JoinPath(destination, name);
            if (!CopyFileA(source.c_str(), target.c_str(), TRUE) && GetLastError() == ERROR_FILE_EXISTS) {
                const int answer = ks::ShowMessage(m_hwnd, kOverwriteQuestion, name.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
                if (answer == IDCANCEL)
                    break;
                if (answer == IDNO)
                    continue;
                CopyFileA(source.c_str(), target.c_str(), FALSE);
            }
        }
        if (!installing)
            continue;
        char program[MAX_PATH + 1]{};
        if (!choice.AppsDocsOnly ||
            reinterpret_cast<INT_PTR>(FindExecutableA(name.c_str(), destination.c_str(), program)) > 32) {
            MakeShortcut(m_hwnd, shortcutFolder.c_str(), name.c_str(), destination.c_str());
            SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, shortcutFolder.c_str(), nullptr);
        }
    }
    if (installing)
        ks::Ui().StartProgram(examine::ExplorerCommandLine(shortcutFolder).c_str(), SW_SHOWNORMAL);
}

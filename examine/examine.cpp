// The examine workflow: ExamineFile, LaunchAssociated, RunQuickView, EmptyScratch and ExamineExitGuard.
#include "examine/examine.h"

#include <shellapi.h>

#include <cstring>

#include "app/ks_app.h"
#include "examine/ks_examine.h"
#include "examine/launch_text.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kscf/kscf.h"

namespace {

constexpr char kStillRunningText[] =
    "There appears to be an open file in the system that you have been examining.\rIf you exit without closing "
    "it down manually, your system may become unstable \rdepending on the type of application.Force Application "
    "to Exit Anyway ?";
constexpr char kNoChangeToScratch[] = "Sorry, Could not change to KS_TEMP directory.";
constexpr char kWordPadKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\WORDPAD.EXE";
constexpr DWORD kClearedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string CurrentDirectory()
{
    char dir[MAX_PATH + 1]{};
    const DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    return n > 0 && n < sizeof dir ? dir : "";
}

// Makes ProgramDrive the current drive (at that drive's own current directory).
void SelectProgramDrive(const KsApp& app)
{
    const char drive[3] = {static_cast<char>('A' + app.ProgramDrive), ':', '\0'};
    SetCurrentDirectoryA(drive);
}

std::string FinalPath(const std::string& path);

// WordPad's path from its App Paths entry; empty when the key or value cannot be read. A REG_EXPAND_SZ value
// ("%ProgramFiles%\...") is expanded, and quotes around the path are taken off: it is the program's path itself.
std::string WordPadPath()
{
    ks::RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWordPadKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return {};
    char path[261]{};
    DWORD size = 260;
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || path[0] == '\0')
        return {};
    std::string program = path;
    if (type == REG_EXPAND_SZ) {
        char expanded[MAX_PATH + 1]{};
        const DWORD n = ExpandEnvironmentStringsA(path, expanded, sizeof expanded);
        if (n == 0 || n > sizeof expanded)
            return {};
        program = expanded;
    }
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        program = program.substr(1, program.size() - 2);
    return program;
}

// KS_TEMP is a folder of its own in the program's folder: a link (a junction, a symbolic link) would have the
// emptying delete whatever it leads to. Wine shows a Unix link to a folder as a reparse point; where a link does
// not say so, where it really leads shows it (measured against where its parent really is, which may be reached
// through links of its own).
bool IsOwnFolder(const std::string& parent, const std::string& name)
{
    const std::string path = parent + "\\" + name;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    const std::string parentFinal = FinalPath(parent);
    const std::string final = FinalPath(path);
    return parentFinal.empty() || final.empty() ||
           lstrcmpiA(final.c_str(), examine::JoinPath(parentFinal, name).c_str()) == 0;
}

// Where a handle really leads, as a DOS path without the "\\?\" prefix; empty when unknown.
std::string FinalPath(HANDLE handle)
{
    char path[MAX_PATH * 2]{};
    const DWORD n = GetFinalPathNameByHandleA(handle, path, sizeof path, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= sizeof path)
        return {};
    return std::strncmp(path, "\\\\?\\", 4) == 0 ? path + 4 : path;
}

std::string FinalPath(const std::string& path)
{
    ks::FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file ? FinalPath(file.Get()) : std::string();
}

// A junction or symbolic link. Windows marks them as reparse points. Wine shows a Unix link to a directory as a
// reparse point too, but a link to a file as an ordinary file and opens the target even when asked for the
// link; so an entry that leads anywhere but to its own place in the directory counts as a link as well.
bool IsLink(const WIN32_FIND_DATAA& entry, const std::string& path, const std::string& directoryFinal)
{
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    if (directoryFinal.empty())
        return false;
    const std::string final = FinalPath(path);
    return !final.empty() && lstrcmpiA(final.c_str(), examine::JoinPath(directoryFinal, entry.cFileName).c_str()) != 0;
}

// Deletes everything below directory except names beginning with "."; a link is removed as a link (where the
// platform cannot do that it stays), never followed and its attributes (which are its target's) left alone.
void EmptyTree(const std::string& directory)
{
    const std::string directoryFinal = FinalPath(directory);
    WIN32_FIND_DATAA entry;
    ks::FindHandle find(FindFirstFileA(examine::JoinPath(directory, "*.*").c_str(), &entry));
    if (!find)
        return;
    do {
        if (entry.cFileName[0] == '.')
            continue;
        const std::string path = examine::JoinPath(directory, entry.cFileName);
        const bool isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (IsLink(entry, path, directoryFinal)) {
            if (isDirectory)
                RemoveDirectoryA(path.c_str());
            else
                DeleteFileA(path.c_str());
            continue;
        }
        if (entry.dwFileAttributes & kClearedAttributes)
            SetFileAttributesA(path.c_str(), entry.dwFileAttributes & ~kClearedAttributes);
        if (isDirectory) {
            EmptyTree(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find.Get(), &entry));
}

// Waits for the process to end while the application's windows stay live. Reading the exit code again and again
// between message dispatches would keep a processor busy; waiting for a message or the process's end gives the
// same order of events without that. False when the exit code cannot be read.
bool WaitWhileRunning(KsApp& app, HANDLE process)
{
    for (;;) {
        DWORD code = 0;
        if (!GetExitCodeProcess(process, &code))
            return false;
        // A program may end with the very code that means "still active": its signalled handle tells.
        if (code != STILL_ACTIVE || WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return true;
        app.PumpWaitingMessages();
        MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    }
}

}  // namespace

std::string ScratchDirectory()
{
    const KsApp* app = KsApp::Get();
    return app ? std::string(app->ProgramDir) + "\\KS_TEMP" : std::string();
}

bool LaunchAssociated(HWND owner, const char* directory, const char* name, bool wait)
{
    if (!name || !name[0])
        return false;
    std::string dir = directory ? directory : "";
    if (!dir.empty() && dir.back() == '\\')
        dir.pop_back();

    char found[MAX_PATH + 1]{};
    const INT_PTR result = reinterpret_cast<INT_PTR>(FindExecutableA(name, dir.c_str(), found));
    if (result <= 32) {
        if (result == ERROR_BAD_FORMAT)  // 11: not a valid program image
            ks::ShowMessage(owner, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).", "Error",
                            MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    std::string program = examine::UpperCase(found);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA(examine::JoinPath(dir, name).c_str(), GetFileExInfoStandard, &data) &&
        examine::TooLargeForNotepad(program, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                                 data.nFileSizeLow)) {
        if (ks::ShowMessage(owner,
                            "This file is too large for notepad to open.\rWould you like to use WordPad to read "
                            "this file ?",
                            "Error", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        program = WordPadPath();
        if (program.empty())
            return false;
    }

    std::string commandLine = examine::AssociatedCommandLine(program, dir, name);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // The program is named as well as quoted on its command line: a stray "C:\Program.exe" never runs instead.
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        ks::ShowMessage(owner, "Could not spawn process", "Create Process Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    ks::KernelHandle process(info.hProcess);
    ks::KernelHandle thread(info.hThread);
    KsApp* app = KsApp::Get();
    if (!wait || !app)
        return true;

    app->ExamineProcess = process.Get();
    Sleep(500);
    const bool ended = WaitWhileRunning(*app, process.Get());
    app->ExamineProcess = nullptr;
    if (!ended) {
        ks::ShowMessage(owner, "Error obtaining exit code of spawned process.", "Spawn Error", MB_OK | MB_ICONHAND);
        return false;
    }
    return true;
}

void RunQuickView(const char* directory, const char* name, HWND owner)
{
    char system[MAX_PATH + 1]{};
    GetSystemDirectoryA(system, MAX_PATH);
    std::string viewer = std::string(system) + "\\viewers\\quikview";
    // Where the system has no QuickView, our own read-only viewer beside the program shows the file.
    if (!Exists(viewer + ".exe")) {
        const KsApp* app = KsApp::Get();
        if (!app)
            return;
        viewer = std::string(app->ProgramDir) + "\\" + kViewerProgram;
    }
    if (ks::Ui().StartProgram(examine::ViewerCommandLine(viewer, directory, name).c_str(), SW_SHOWNORMAL))
        return;
    // Otherwise nothing at all would answer the user's Examine.
    ks::Beep(MB_ICONEXCLAMATION);
    const std::string text = "Sorry, Could not start the viewer " + viewer + " to show " + name + ".";
    ks::ShowMessage(owner, text.c_str(), "Viewer Error", MB_OK | MB_ICONEXCLAMATION);
}

bool EmptyScratch(HWND owner)
{
    KsApp* app = KsApp::Get();
    if (!app)
        return false;
    const std::string previous = CurrentDirectory();
    SelectProgramDrive(*app);
    const std::string scratch = ScratchDirectory();
    // A KS_TEMP removed since the start is made again here, before the step that would need it.
    if (GetFileAttributesA(scratch.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA(scratch.c_str(), nullptr);
    if (!SetCurrentDirectoryA(scratch.c_str())) {
        SetCurrentDirectoryA(previous.c_str());
        ks::ShowMessage(owner, kNoChangeToScratch, "Warning", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // Nothing is deleted unless the directory we stand in is KS_TEMP itself, and a folder of its own.
    if (CurrentDirectory() != scratch || !IsOwnFolder(app->ProgramDir, "KS_TEMP")) {
        SetCurrentDirectoryA(previous.c_str());
        ks::ShowMessage(owner, "Sorry, the current working directory does not match the KS_TEMP directory.",
                        "Warning", MB_OK | MB_ICONHAND);
        return false;
    }
    {
        ks::WaitCursor busy;
        WIN32_FIND_DATAA probe;
        ks::FindHandle listing(FindFirstFileA(examine::JoinPath(scratch, "*.*").c_str(), &probe));
        if (!listing)
            ks::ShowMessage(owner, "Invalid File Handle", "File Error", MB_OK | MB_ICONEXCLAMATION);
        else
            EmptyTree(scratch);
    }
    SetCurrentDirectoryA(previous.c_str());
    return true;
}

bool ExamineExitGuard(HWND owner)
{
    KsApp* app = KsApp::Get();
    if (!app || !app->Examining)
        return true;
    ks::Beep(MB_ICONEXCLAMATION);
    if (ks::ShowMessage(owner, kStillRunningText, "Record Interface Exit Warning", MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return false;
    if (TerminateProcess(app->ExamineProcess, static_cast<UINT>(-1)))
        app->Examining = 0;
    else
        ks::ShowMessage(owner, "Sorry, could not force the open application to terminate.", "Terminate Process Error",
                        MB_OK | MB_ICONEXCLAMATION);
    // The waiting examine run sees the program end and carries on; a second close finds it finished.
    return false;
}

void ExamineFile(HWND owner, const char* directory, const char* name, const std::function<bool()>& callerChecks)
{
    KsApp* app = KsApp::Get();
    if (!app)
        return;
    if (app->Examining) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(owner,
                        "You are already examining something. Please close it down before attempting to examine "
                        "another",
                        "Warning", MB_OK | MB_ICONHAND);
        return;
    }
    if (callerChecks && !callerChecks())
        return;
    if (!EmptyScratch(owner))
        return;

    const std::string source = std::string(directory) + "\\" + name;
    const std::string scratch = ScratchDirectory();
    if (!SetCurrentDirectoryA(scratch.c_str()) && !CreateDirectoryA(scratch.c_str(), nullptr)) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(owner, "Could not create KS_TEMP directory", "Directory Error", MB_OK | MB_ICONHAND);
        return;
    }
    const std::string copy = scratch + "\\" + name;
    if (!CopyFileA(source.c_str(), copy.c_str(), TRUE)) {
        ks::ShowMessage(owner, "Sorry, Couldn't copy the source file to the KS_TEMP directory", "Copy Error",
                        MB_OK | MB_ICONHAND);
        return;
    }
    SelectProgramDrive(*app);
    if (!SetCurrentDirectoryA(scratch.c_str())) {
        ks::ShowMessage(owner, kNoChangeToScratch, "Warning", MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    app->Examining = 1;
    const bool ended = LaunchAssociated(owner, scratch.c_str(), name, true);
    if (!ended) {
        RunQuickView(scratch.c_str(), name, owner);
        app->Examining = 0;
        return;
    }
    app->Examining = 0;
    if (NumFilesDir(scratch.c_str()) >= 1) {
        // The copy keeps the source's attributes; a read-only one must still go.
        SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(copy.c_str());
    }
    const std::string title = std::string("Examining File - ") + name;
    KsExamine dialog(ks::TWindow::FromHandle(owner), scratch.c_str(), title.c_str());
    dialog.Execute();
}

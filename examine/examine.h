// The examine workflow: a file copied into KS_TEMP and opened with its program while the window waits, the
// viewer for files no program takes, emptying KS_TEMP, and the close check of the windows that start a run.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// ProgramDir + "\KS_TEMP"; empty without an application object.
std::string ScratchDirectory();

// Examines directory\name: empties KS_TEMP, copies the file there, opens it with its program and waits; then
// offers what the program left in the Examine File dialog. callerChecks runs after the check for a run under
// way and before anything changes; it shows its own message and gives false to stop.
void ExamineFile(HWND owner, const char* directory, const char* name, const std::function<bool()>& callerChecks);

// Starts the program associated with directory\name (Notepad, WordPad, WinZip or any other). With wait, the
// process is kept in the application's ExamineProcess while the application's messages are dispatched, until
// it ends. True when a program was started (and, with waiting, has ended).
bool LaunchAssociated(HWND owner, const char* directory, const char* name, bool wait);

// Shows directory\name read-only in the system's QuickView or, where there is none, in our own viewer;
// nothing waits for it. A viewer that cannot be started is said so in a box over owner.
void RunQuickView(const char* directory, const char* name, HWND owner = nullptr);

// Empties KS_TEMP after checking that it really is the current directory; entries whose names begin with "."
// stay, and a link is removed as a link, never followed. True when KS_TEMP was verified and walked.
bool EmptyScratch(HWND owner);

// The close check of the Download and Record Interfaces: true when no examined program is running; otherwise
// offers to end it (the window stays open this time either way).
bool ExamineExitGuard(HWND owner);

// The file name of our own read-only viewer, started where the system has no QuickView.
constexpr char kViewerProgram[] = "ksview.exe";

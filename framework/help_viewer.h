// The program's own help viewer: answers WinHelp-style requests with a window that reads KSHELP32.HLP.
#pragma once

#include <windows.h>

namespace ks {
// Answers a WinHelp-style request from our own viewer. command: HELP_CONTEXT (1), HELP_QUIT (2), HELP_INDEX (3).
// Returns false when the file cannot be read or the context is unknown (the viewer then shows the contents with a note).
bool ShowHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
// True while the viewer window exists (tests use this).
bool HelpViewerOpen();
HWND HelpViewerWindow();
}

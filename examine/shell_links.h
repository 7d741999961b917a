// Shortcuts and shell folders for installing files: the Start Menu or Desktop folder the user picks (optionally
// with a new folder in it) and the .lnk files written there through the shell-link object.
#pragma once
#include <windows.h>

#include <string>

// Shows the shell's folder browser under the current user's Start Menu (CSIDL_STARTMENU) or Desktop
// (CSIDL_DESKTOPDIRECTORY) with the title and browse flags. With makeNew, the folder newName is made inside
// the chosen one. The chosen (or new) folder's path goes to folder; 1 when chosen, 0 when cancelled.
int ChooseShellFolder(HWND owner, bool makeNew, const char* newName, const char* title, int rootFolder, UINT flags,
                      std::string& folder);

// Writes shortcutFolder\name.lnk leading to directory\name, with an empty description. The shell's result
// (negative on failure); a failed save, and a shortcut path too long to hold whole (260 characters or more), shows
// "Error creating shortcut or folder." and saves nothing. COM must be initialised.
HRESULT MakeShortcut(HWND owner, const char* shortcutFolder, const char* name, const char* directory);

// Installed assistants as the registry records them, and calling an assistant's library: RunAssistant for the
// Storage Interface (its Default and Choose buttons) and configuring one through its own window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"

namespace assist {

// The key holding one sub-key per installed assistant, under HKEY_CURRENT_USER.
constexpr char kAssistantsKey[] = "Software\\Brackenfold\\Kestrum32\\Assistants";
// The longest assistant name an install file gives, and what the dialogs take of a list entry.
constexpr int kNameChars = 48;
constexpr int kSelectionChars = 49;

// The library file name recorded for an assistant; false when it cannot be read.
bool ReadLibraryFile(const std::string& assistantName, std::string& file);
// "Default Assistant", with "None" when the value is missing.
std::string DefaultAssistantName();
// A library's full path in the program's folder, or empty when the recorded name is not a plain file name.
std::string LibraryPath(const std::string& file);

// Fills a list with the installed assistants' names (the list sorts them). When the key cannot be opened or
// created it shows "Could not create Registry Key." with errorCaption and gives false.
bool ListAssistants(const ks::TListBox& list, HWND owner, const char* errorCaption);
// The box a dialog shows over an empty list.
void ShowNoAssistants(HWND owner);
// Selects the default assistant in a list of them, or the first when the default is not listed.
void SelectDefaultOrFirst(const ks::TListBox& list);

// Runs a library's _StartAssist on the Storage Interface's file and takes the proposed texts over into its
// edits. busy is the Storage Interface's assistant busy flag, set exactly for the call.
void RunAssistant(ks::TDialog& store, int& busy, const std::string& libraryFile);
// The Default button: the default assistant.
void RunDefaultAssistant(ks::TDialog& store, int& busy);
// The Choose button: an assistant picked in "Choose Assistant".
void RunChosenAssistant(ks::TDialog& store, int& busy);
// What an assistant proposed: its result and the three texts, each cut to its buffer.
struct Proposal {
    std::int32_t result = 0;
    std::string abstract;
    std::string keywords;
    std::string title;
};
// Runs the default assistant on fileName (no directory: the current directory is the file's) without showing
// anything; nothing when there is no default assistant or its library cannot be loaded or called. Store All
// describes its files with it.
std::optional<Proposal> ProposeWithDefault(HWND owner, const std::string& fileName);

// Calls the named assistant's _SetupAssistant with owner as its parent window.
void ConfigureAssistant(HWND owner, const std::string& assistantName);

}  // namespace assist

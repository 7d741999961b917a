// The texts the examine workflow builds: program command lines, joined paths, completed compressed-file
// names and the read-only viewer's rendering of a file. Portable: no <windows.h>.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace examine {

// Notepad opens files of at most this many bytes; larger ones are offered to WordPad.
constexpr std::uint64_t kNotepadLimit = 64000;

std::string UpperCase(std::string text);

// directory + "\" + name, without a second backslash when the directory already ends with one.
std::string JoinPath(const std::string& directory, const std::string& name);

// Notepad (the upper-case program path names NOTEPAD.EXE) cannot open a file of this size.
bool TooLargeForNotepad(const std::string& programUpper, std::uint64_t fileSize);

// The associated program's command line "program directory\name". A path holding a blank is quoted, so that
// neither the program nor the file is taken for a shorter path ("C:\Program" for "C:\Program Files\..."); the
// file's path is quoted always when the program's upper-case path names WinZip or WordPad.
std::string AssociatedCommandLine(const std::string& program, const std::string& directory,
                                  const std::string& name);

// Explorer opening a folder: "explorer folder", the folder quoted when it holds a blank.
std::string ExplorerCommandLine(const std::string& folder);

// A path as a command line holds it: in double quotes when it holds a blank, as it stands otherwise.
std::string QuotedIfSpaced(const std::string& path);

// The viewer's command line "viewer directory\name". A program path or file path holding a blank is quoted,
// so a program folder whose path has spaces still reaches the viewer whole; other paths stay as they are.
std::string ViewerCommandLine(const std::string& viewer, const std::string& directory, const std::string& name);

// A compressed file's name ("SETUP.EX_") with its last character replaced by the user's answer.
std::string CompletedName(const std::string& name, char last);

// What the read-only viewer shows for a file's bytes: text as text (lines ending in CR LF), anything else as a
// hex dump of 16 bytes a line with offset and printable characters. `truncatedFrom` > bytes.size() notes that
// only the first part of a larger file is shown.
bool LooksLikeText(std::string_view bytes);
std::string ViewText(std::string_view bytes, std::uint64_t truncatedFrom = 0);

}  // namespace examine

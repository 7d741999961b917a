// Moving a file as one step: to another volume too, and never half done.
#pragma once
#include <windows.h>

#include <string>

// Moves a file; on another volume it copies and then deletes the source. Afterwards the file is either at target
// and gone from source (true), or where it was with nothing of it at target (false, GetLastError says why). A file
// that was at target already is never touched.
bool MoveWholeFile(const std::wstring& source, const std::wstring& target);
bool MoveWholeFile(const std::string& source, const std::string& target);

// A path in the ANSI code page, widened for the wide file calls.
std::wstring Widened(const std::string& path);
// The name part of a wide path as far as the ANSI code page shows it ("?" for what it lacks): for texts only,
// never to open the file by.
std::string ShownFileName(const std::wstring& path);

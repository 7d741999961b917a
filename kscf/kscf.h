// The exports of kscf.dll: settings in the registry under HKCU\Software\Brackenfold\Kestrum32\<section>,
// an LZ-expanding file copy, a directory entry count and a line joiner.
// Texts are zero-terminated ANSI strings in buffers the caller owns; nothing crosses the boundary to be freed.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// Stores `text` (with its terminating zero) as REG_SZ value `name` of `section`, creating the key if needed.
// 1 when stored; 0 when the key could not be created or opened, or the value could not be set.
std::int32_t WINAPI WriteRegistryString(const char* section, const char* name, const char* text);

// Reads text value `name` of `section` into `buffer`, which must hold at least 260 bytes.
// 1 when read (zero-terminated); 0 when the key or value is absent or longer than 260 bytes.
// An absent key or value leaves the buffer untouched; a read never creates a key.
std::int32_t WINAPI GetRegistryString(const char* section, const char* name, char* buffer);

// Stores `number` as REG_DWORD value `name` of `section`. 1 when stored, else 0.
std::int32_t WINAPI WriteRegistryNumber(const char* section, const char* name, std::uint32_t number);

// The stored number of value `name` of `section`, or -1 when it is absent or unreadable
// (a stored 4294967295 reads as -1 too, so callers treat -1 as absent).
std::int32_t WINAPI GetRegistryNumber(const char* section, const char* name);

// Copies `source` to `destination`, expanding an LZ-compressed (SZDD) source.
// 0 on success; -1 source could not be opened; -2 destination could not be created (or is the source
// itself); -3 write error; -4 any other expansion or copy error. A failed copy leaves no destination file.
std::int32_t WINAPI LZcopyfile(const char* source, const char* destination);

// The number of entries of `directory` (files and subdirectories) whose names do not begin with ".".
// When the directory cannot be listed it shows "Invalid File Handle" (caption "File Error") and gives 0.
std::int32_t WINAPI NumFilesDir(const char* directory);

// Joins the lines of `text` into one line, in place (see kscf/strip_lf.h). The main program does not use it.
void WINAPI StripLF(char* text);

}  // extern "C"

// Checks on what an assistant install file names: the library must be a plain file name in the folder the
// install file lies in, and the assistant name must make one registry sub-key. Portable.
#pragma once
#include <string_view>

namespace assist {

// A file name without a drive, a directory or a parent reference: installing it can only place the library
// in the program's folder.
bool IsPlainFileName(std::string_view name);

// An assistant name that makes exactly one sub-key: not empty, no backslash.
bool IsPlainAssistantName(std::string_view name);

}  // namespace assist

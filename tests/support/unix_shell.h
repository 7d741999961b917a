// Reaching the Unix side from a Windows test under Wine: a Windows path's Unix path, and a shell command's output.
#pragma once
#include <string>

namespace ks_test {

// Runs a Unix command line through the shell (Wine starts Unix programs given by their Z: path); its output.
std::string RunUnix(const std::string& shellCommand);
// The Unix path of a Windows path, or empty.
std::string UnixPath(const std::string& windowsPath);

}  // namespace ks_test

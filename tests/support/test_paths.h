// Where the Windows test programs run: bin/, beside kscf.dll, kspdx.exe and the program.
#pragma once
#include <windows.h>

#include <string>

namespace ks_test {

// The directory of the running test program, without a trailing backslash.
inline std::string BinDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.rfind('\\'));
}

}  // namespace ks_test

// For the Windows tests of the shipped assistant: the sample files made by independent tools (in the build's
// samples folder beside bin), and record texts in the system's ANSI page read as UTF-8 for comparing.
#pragma once
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/test_paths.h"

namespace ks_test {

// A sample's bytes, by its path under the samples folder ("pdf\\classic.pdf"); empty when it is missing.
inline std::string SampleBytes(const std::string& name)
{
    std::ifstream in(BinDir() + "\\..\\samples\\" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An ANSI text as UTF-8.
inline std::string Utf8(const std::string& ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    std::string out(wide.size() * 4, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

}  // namespace ks_test

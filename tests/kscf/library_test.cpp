// kscf.dll as shipped: the names it exports, its version resource, and StripLF through the export.
#include "kscf/kscf.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

HMODULE Library()
{
    return GetModuleHandleA("kscf.dll");
}

// The names in the loaded library's export directory.
std::set<std::string> ExportedNames(HMODULE module)
{
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> result;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        result.insert(reinterpret_cast<const char*>(base + names[i]));
    return result;
}

std::string VersionString(const std::vector<char>& info, const char* name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return "(absent)";
    return value;
}

TEST(Library, ExportsTheSevenFunctionsByPlainName)
{
    ASSERT_NE(Library(), nullptr);
    EXPECT_EQ(ExportedNames(Library()),
              (std::set<std::string>{"GetRegistryNumber", "GetRegistryString", "LZcopyfile", "NumFilesDir", "StripLF",
                                     "WriteRegistryNumber", "WriteRegistryString"}));
}

TEST(Library, DescribesItselfInItsVersionResource)
{
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(Library(), path, sizeof path), 0u);
    DWORD handle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path, &handle));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(info.size()), info.data()));
    EXPECT_EQ(VersionString(info, "FileDescription"), "Common Functions Library for Kestrum32");
    EXPECT_EQ(VersionString(info, "FileVersion"), "1.00");
    EXPECT_EQ(VersionString(info, "InternalName"), "Kestrum32 Common Functions Library");
    EXPECT_EQ(VersionString(info, "OriginalFilename"), "KSCF");
}

TEST(Library, StripLFJoinsLinesInPlace)
{
    char text[] = "Shareware archive\r\nof sample files\r\n";
    StripLF(text);
    EXPECT_STREQ(text, "Shareware archive of sample files");
}

}  // namespace

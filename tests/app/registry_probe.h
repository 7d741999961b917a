// Reads and clears the program's settings straight from the registry, independently of kscf.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace ks_test {

constexpr char kProgramKey[] = "Software\\Brackenfold\\Kestrum32";

inline void DeleteProgramSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey); }

inline std::optional<std::string> RegString(const char* section, const char* name)
{
    const std::string key = std::string(kProgramKey) + "\\" + section;
    char buffer[1024]{};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, &type, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(buffer);
}

inline std::optional<DWORD> RegNumber(const char* section, const char* name)
{
    const std::string key = std::string(kProgramKey) + "\\" + section;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline void SetRegString(const char* section, const char* name, const char* value)
{
    const std::string key = std::string(kProgramKey) + "\\" + section;
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value, lstrlenA(value) + 1);
}

inline void SetRegNumber(const char* section, const char* name, DWORD value)
{
    const std::string key = std::string(kProgramKey) + "\\" + section;
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

}  // namespace ks_test

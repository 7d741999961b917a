// Settings through kscf.dll: what is stored under HKCU\Software\Brackenfold\Kestrum32 and what reads give back.
#include "kscf/kscf.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr char kRoot[] = "Software\\Brackenfold\\Kestrum32";

std::string KeyPath(const std::string& section)
{
    return std::string(kRoot) + "\\" + section;
}

// The wide registry calls take longer key paths than the ANSI ones, so the test sees keys the library cannot.
std::wstring WideKeyPath(const std::string& section)
{
    const std::string path = KeyPath(section);
    return std::wstring(path.begin(), path.end());
}

bool KeyExists(const std::string& section)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, WideKeyPath(section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A value as it lies in the registry.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<unsigned char> bytes;
};

RawValue ReadRaw(const std::string& section, const char* name)
{
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        ADD_FAILURE() << "no key " << section;
        return value;
    }
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size), ERROR_SUCCESS);
    value.bytes.resize(size);
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &value.type, value.bytes.data(), &size), ERROR_SUCCESS);
    value.bytes.resize(size);
    RegCloseKey(key);
    return value;
}

// Writes a value the way another tool might.
void WriteRaw(const std::string& section, const char* name, DWORD type, const std::string& bytes)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, WideKeyPath(section).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// Every test starts without our key tree, so none depends on another.
class Settings : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kRoot); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kRoot); }
};

// A caller's buffer with room beyond the 260 bytes the library may fill, to see what it touches.
struct Buffer {
    Buffer() { bytes.fill('#'); }
    std::string Text() const { return bytes.data(); }
    bool UntouchedFrom(std::size_t from) const
    {
        for (std::size_t i = from; i < bytes.size(); ++i)
            if (bytes[i] != '#')
                return false;
        return true;
    }
    std::array<char, 400> bytes{};
};

TEST_F(Settings, TextIsStoredAsRegSzWithItsTerminator)
{
    EXPECT_EQ(WriteRegistryString("Initialisation", "Interceptors", "Disabled"), 1);
    EXPECT_EQ(WriteRegistryString("Initialisation", "Interceptors", "OK"), 1);

    const RawValue raw = ReadRaw("Initialisation", "Interceptors");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.bytes, (std::vector<unsigned char>{'O', 'K', '\0'}));

    Buffer buffer;
    EXPECT_EQ(GetRegistryString("Initialisation", "Interceptors", buffer.bytes.data()), 1);
    EXPECT_EQ(buffer.Text(), "OK");
}

TEST_F(Settings, EmptyTextIsStoredAsOneZeroByte)
{
    EXPECT_EQ(WriteRegistryString("Download Directorys", "Alias One", ""), 1);

    const RawValue raw = ReadRaw("Download Directorys", "Alias One");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.bytes, std::vector<unsigned char>{'\0'});

    Buffer buffer;
    EXPECT_EQ(GetRegistryString("Download Directorys", "Alias One", buffer.bytes.data()), 1);
    EXPECT_EQ(buffer.Text(), "");
}

TEST_F(Settings, ReadingAnAbsentSettingChangesNothing)
{
    Buffer buffer;
    EXPECT_EQ(GetRegistryString("Initialisation", "Setup", buffer.bytes.data()), 0);
    EXPECT_TRUE(buffer.UntouchedFrom(0));
    EXPECT_EQ(GetRegistryNumber("Download Directorys", "Default"), -1);
    EXPECT_FALSE(KeyExists("Initialisation")) << "a read must not create the key";
    EXPECT_FALSE(KeyExists("Download Directorys"));

    // The section exists, the value does not.
    ASSERT_EQ(WriteRegistryString("Initialisation", "Start Directory", "C:\\KS"), 1);
    EXPECT_EQ(GetRegistryString("Initialisation", "Setup", buffer.bytes.data()), 0);
    EXPECT_TRUE(buffer.UntouchedFrom(0));
    EXPECT_EQ(GetRegistryNumber("Initialisation", "Default"), -1);
}

TEST_F(Settings, TextsUpTo260BytesAreRead)
{
    const std::string longest(259, 'x');  // 260 bytes with its zero
    ASSERT_EQ(WriteRegistryString("Download Directorys", "Area One", longest.c_str()), 1);
    Buffer buffer;
    EXPECT_EQ(GetRegistryString("Download Directorys", "Area One", buffer.bytes.data()), 1);
    EXPECT_EQ(buffer.Text(), longest);
    EXPECT_TRUE(buffer.UntouchedFrom(260));

    const std::string too_long(260, 'y');  // 261 bytes
    ASSERT_EQ(WriteRegistryString("Download Directorys", "Area Two", too_long.c_str()), 1);
    Buffer refused;
    EXPECT_EQ(GetRegistryString("Download Directorys", "Area Two", refused.bytes.data()), 0);
    EXPECT_TRUE(refused.UntouchedFrom(260)) << "the library reads at most 260 bytes";
}

TEST_F(Settings, AValueWithoutTerminatorIsReadAsATerminatedText)
{
    // Written by another tool, or not a text at all: the caller still gets a zero-terminated text.
    WriteRaw("Initialisation", "Setup", REG_BINARY, "OKAY");
    Buffer buffer;
    EXPECT_EQ(GetRegistryString("Initialisation", "Setup", buffer.bytes.data()), 1);
    EXPECT_EQ(buffer.Text(), "OKAY");

    // 260 bytes and no room for the zero: refused, like a longer text.
    WriteRaw("Initialisation", "Setup", REG_BINARY, std::string(260, 'z'));
    Buffer full;
    EXPECT_EQ(GetRegistryString("Initialisation", "Setup", full.bytes.data()), 0);
    EXPECT_TRUE(full.UntouchedFrom(260));
}

TEST_F(Settings, NumbersAreStoredAsRegDword)
{
    EXPECT_EQ(WriteRegistryNumber("Download Directorys", "Default", 1), 1);
    EXPECT_EQ(WriteRegistryNumber("Download Directorys", "Default", 3), 1);
    const RawValue raw = ReadRaw("Download Directorys", "Default");
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw.bytes, (std::vector<unsigned char>{3, 0, 0, 0}));
    EXPECT_EQ(GetRegistryNumber("Download Directorys", "Default"), 3);

    // All bits set is indistinguishable from an absent number.
    EXPECT_EQ(WriteRegistryNumber("Intercepts", "WinCIM", 4294967295u), 1);
    EXPECT_EQ(GetRegistryNumber("Intercepts", "WinCIM"), -1);
    EXPECT_EQ(WriteRegistryNumber("Intercepts", "WinCIM", 0x80000000u), 1);
    EXPECT_EQ(GetRegistryNumber("Intercepts", "WinCIM"), INT32_MIN);
}

TEST_F(Settings, AValueLongerThanANumberIsNotANumber)
{
    WriteRaw("Download Directorys", "Default", REG_SZ, std::string("2\0", 2));
    EXPECT_EQ(GetRegistryNumber("Download Directorys", "Default"), 0x32);  // the type is not checked
    WriteRaw("Download Directorys", "Default", REG_SZ, std::string("Area One", 9));
    EXPECT_EQ(GetRegistryNumber("Download Directorys", "Default"), -1);
}

TEST_F(Settings, ASectionWithABackslashIsASubkey)
{
    EXPECT_EQ(WriteRegistryString("Assistants\\Summariser", "Filename", "C:\\ASSIST\\SUMMARY.DLL"), 1);
    EXPECT_TRUE(KeyExists("Assistants"));
    EXPECT_TRUE(KeyExists("Assistants\\Summariser"));
    Buffer buffer;
    EXPECT_EQ(GetRegistryString("Assistants\\Summariser", "Filename", buffer.bytes.data()), 1);
    EXPECT_EQ(buffer.Text(), "C:\\ASSIST\\SUMMARY.DLL");
}

TEST_F(Settings, ASectionWhoseKeyPathWouldNotFitIsRefused)
{
    // "Software\Brackenfold\Kestrum32\" is 31 bytes and the whole path must stay below 264. The ANSI
    // registry calls themselves take paths of up to 260 characters (measured under Wine).
    const std::string fits(229, 's');
    EXPECT_EQ(WriteRegistryNumber(fits.c_str(), "Default", 2), 1);
    EXPECT_EQ(GetRegistryNumber(fits.c_str(), "Default"), 2);

    const std::string too_long(233, 't');
    EXPECT_EQ(WriteRegistryString(too_long.c_str(), "Filename", "x"), 0);
    EXPECT_EQ(WriteRegistryNumber(too_long.c_str(), "Default", 2), 0);
    EXPECT_FALSE(KeyExists(too_long));
    WriteRaw(too_long, "Filename", REG_SZ, std::string("x", 2));  // present, yet out of the library's reach
    Buffer buffer;
    EXPECT_EQ(GetRegistryString(too_long.c_str(), "Filename", buffer.bytes.data()), 0);
    EXPECT_TRUE(buffer.UntouchedFrom(0));
    EXPECT_EQ(GetRegistryNumber(too_long.c_str(), "Filename"), -1);
}

}  // namespace

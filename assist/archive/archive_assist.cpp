// The "Archive Description" assistant library: its two entry points, its configuration window, the settings it
// keeps under the program's key, and the system's code pages handed to the portable readers. It only reads the
// file it is given.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "assist/archive/description.h"
#include "resources/resource_ids.h"

namespace {

HINSTANCE g_module = nullptr;

constexpr char kSettingsKey[] = "Software\\Brackenfold\\Kestrum32\\Archive Description";

struct SourceSetting {
    const char* value;
    bool arcdesc::Sources::*member;
    int control;
};
constexpr SourceSetting kSettings[] = {
    {"Read FILE_ID.DIZ", &arcdesc::Sources::fileIdDiz, IDC_ARCDESC_DIZ},
    {"Read DESCRIPT.ION", &arcdesc::Sources::descriptIon, IDC_ARCDESC_ION},
    {"Read README", &arcdesc::Sources::readme, IDC_ARCDESC_README},
    {"Read Text Files", &arcdesc::Sources::plainText, IDC_ARCDESC_TEXT},
    {"Read Programs", &arcdesc::Sources::programs, IDC_ARCDESC_PROGRAMS},
    {"Read Installers", &arcdesc::Sources::installers, IDC_ARCDESC_INSTALLERS},
    {"Read PDF Documents", &arcdesc::Sources::documents, IDC_ARCDESC_DOCUMENTS},
    {"Read MP3 Music", &arcdesc::Sources::music, IDC_ARCDESC_MUSIC},
    {"Read Pictures", &arcdesc::Sources::pictures, IDC_ARCDESC_PICTURES},
    {"Read Archives", &arcdesc::Sources::archives, IDC_ARCDESC_ARCHIVES},
};
// The sources inside archives, which mean nothing while archives are not read.
constexpr int kArchiveSources[] = {IDC_ARCDESC_DIZ, IDC_ARCDESC_ION, IDC_ARCDESC_README};

// Every source is read unless the user switched it off.
arcdesc::Sources LoadSources()
{
    arcdesc::Sources sources;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return sources;
    for (const SourceSetting& s : kSettings) {
        DWORD value = 1;
        DWORD size = sizeof value;
        DWORD type = 0;
        if (RegQueryValueExA(key, s.value, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
            type == REG_DWORD)
            sources.*s.member = value != 0;
    }
    RegCloseKey(key);
    return sources;
}

bool SaveSources(const arcdesc::Sources& sources)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const SourceSetting& s : kSettings) {
        const DWORD value = sources.*s.member ? 1 : 0;
        ok = RegSetValueExA(key, s.value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                 ERROR_SUCCESS && ok;
    }
    RegCloseKey(key);
    return ok;
}

// A code page of the system as the portable readers take it: the character of each byte, as the system
// converts it. A multi-byte page (whose lead bytes no single-byte table describes) is used for ASCII only, so
// that nothing written into a record can split one of its characters.
arcdesc::CodePage SystemCodePage(UINT number)
{
    CPINFO info{};
    if (!GetCPInfo(number, &info) || info.MaxCharSize != 1)
        return arcdesc::CodePage::AsciiOnly(number);
    arcdesc::CodePage::High high{};
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t c = 0;
        if (MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, &byte, 1, &c, 1) == 1)
            high[b - 0x80] = c;
    }
    return arcdesc::CodePage(number, high);
}

// The record's code page is the system's ANSI page, in which the program stores its texts; old descriptions
// are in its DOS page; a file may name any other. The tables are made for each run, another page's only when a
// file names it.
class SystemCodePages {
public:
    SystemCodePages() : m_record(SystemCodePage(GetACP())), m_dos(SystemCodePage(GetOEMCP()))
    {
        m_pages.record = &m_record;
        m_pages.dos = &m_dos;
        m_pages.other = [this](unsigned number) -> const arcdesc::CodePage* {
            if (!IsValidCodePage(number))
                return nullptr;
            auto it = m_other.find(number);
            if (it == m_other.end())
                it = m_other.emplace(number, SystemCodePage(number)).first;
            return &it->second;
        };
    }
    SystemCodePages(const SystemCodePages&) = delete;
    SystemCodePages& operator=(const SystemCodePages&) = delete;
    const arcdesc::CodePages& Pages() const { return m_pages; }

private:
    arcdesc::CodePage m_record;
    arcdesc::CodePage m_dos;
    std::map<unsigned, arcdesc::CodePage> m_other;
    arcdesc::CodePages m_pages;
};

// The file being stored, opened for reading only; others may keep reading and writing it meanwhile.
class FileSource : public arcdesc::ByteSource {
public:
    explicit FileSource(const char* name)
        : m_file(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        LARGE_INTEGER size{};
        if (m_file != INVALID_HANDLE_VALUE && GetFileSizeEx(m_file, &size))
            m_size = static_cast<std::uint64_t>(size.QuadPart);
    }
    ~FileSource() override
    {
        if (m_file != INVALID_HANDLE_VALUE)
            CloseHandle(m_file);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool Open() const { return m_file != INVALID_HANDLE_VALUE; }
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t n) const override
    {
        auto* at = static_cast<char*>(out);
        while (n > 0) {
            OVERLAPPED where{};
            where.Offset = static_cast<DWORD>(offset);
            where.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD chunk = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
            DWORD got = 0;
            if (!ReadFile(m_file, at, chunk, &got, &where) || got == 0)
                return false;
            at += got;
            offset += got;
            n -= got;
        }
        return true;
    }

private:
    HANDLE m_file;
    std::uint64_t m_size = 0;
};

void Put(char* buffer, std::size_t size, const std::string& text)
{
    const std::size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

bool NamedZip(const char* name)
{
    const std::size_t n = std::strlen(name);
    return n >= 4 && lstrcmpiA(name + n - 4, ".ZIP") == 0;
}

void GreyArchiveSources(HWND dialog)
{
    const BOOL archives = IsDlgButtonChecked(dialog, IDC_ARCDESC_ARCHIVES) == BST_CHECKED;
    for (int id : kArchiveSources)
        EnableWindow(GetDlgItem(dialog, id), archives);
}

INT_PTR CALLBACK SetupProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const arcdesc::Sources sources = LoadSources();
        for (const SourceSetting& s : kSettings)
            CheckDlgButton(dialog, s.control, sources.*s.member ? BST_CHECKED : BST_UNCHECKED);
        GreyArchiveSources(dialog);
        // Centred over the window that asked for it.
        RECT owner{}, self{};
        if (GetWindowRect(GetParent(dialog), &owner) && GetWindowRect(dialog, &self)) {
            const int w = self.right - self.left, h = self.bottom - self.top;
            SetWindowPos(dialog, nullptr, owner.left + (owner.right - owner.left) / 2 - w / 2,
                         owner.top + (owner.bottom - owner.top) / 2 - h / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ARCDESC_ARCHIVES && HIWORD(wParam) == BN_CLICKED) {
            GreyArchiveSources(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            arcdesc::Sources sources;
            for (const SourceSetting& s : kSettings)
                sources.*s.member = IsDlgButtonChecked(dialog, s.control) == BST_CHECKED;
            if (!SaveSources(sources)) {
                MessageBoxA(dialog, "Could not save the settings.", "Archive Description", MB_OK | MB_ICONEXCLAMATION);
                return TRUE;
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = module;
    return TRUE;
}

// Exported as _StartAssist: proposes abstract, keywords and title for the file named (relative to the
// current directory, the download area), recognising the file by its contents. Never writes to the file.
std::int32_t WINAPI StartAssist(HWND, char* fileName, char* abstract, char* keywords, char* title, std::int32_t)
{
    if (!fileName || !abstract || !keywords || !title)
        return arcdesc::kCannotOpen;
    char name[513];
    Put(name, sizeof name, std::string(fileName, strnlen(fileName, sizeof name - 1)));
    FileSource file(name);
    if (!file.Open())
        return arcdesc::kCannotOpen;
    arcdesc::Proposal proposal;
    int result = arcdesc::kCannotOpen;
    try {
        const SystemCodePages pages;
        result = arcdesc::ProposeForFile(file, NamedZip(name), LoadSources(), pages.Pages(), proposal);
    } catch (...) {
        return arcdesc::kOutOfMemory;  // memory ran out: no exception crosses into the program
    }
    if (result > 0) {
        Put(abstract, 800, proposal.abstract);
        Put(keywords, 81, proposal.keywords);
        Put(title, 81, proposal.title);
    }
    return result;
}

// Exported as _SetupAssistant: the window in which the user chooses which sources are read.
std::int32_t WINAPI SetupAssistant(HWND owner, std::int32_t)
{
    return static_cast<std::int32_t>(
        DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_ARCDESC_SETUP), owner, SetupProc, 0));
}

}  // extern "C"

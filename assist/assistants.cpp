// Calling assistants: the registry records, loading a library by its full path for one call, the four buffers
// of _StartAssist and what the Storage Interface takes over from them, and _SetupAssistant.
#include "assist/assistants.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "app/ks_app.h"
#include "assist/assist_choose.h"
#include "assist/install_names.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "resources/resource_ids.h"

namespace assist {

namespace {

using StartAssistFn = std::int32_t(WINAPI*)(HWND, char*, char*, char*, char*, std::int32_t);
using SetupAssistantFn = std::int32_t(WINAPI*)(HWND, std::int32_t);

constexpr std::size_t kFileNameSize = 513;
constexpr std::size_t kAbstractSize = 800;
constexpr std::size_t kKeywordsSize = 81;
constexpr std::size_t kTitleSize = 81;

// Loads a library by its full path; the libraries it needs are looked for beside it first.
ks::ModuleHandle LoadByPath(const std::string& path)
{
    if (path.empty())
        return ks::ModuleHandle{};
    // A damaged library or one for another machine must fail quietly: our own box reports it.
    DWORD previous = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    ks::ModuleHandle module(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    SetThreadErrorMode(previous, nullptr);
    return module;
}

template <class Fn>
Fn Export(const ks::ModuleHandle& module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.Get(), name)));
}

// Clears the busy flag on every way out of the call.
class BusyScope {
public:
    explicit BusyScope(int& flag) : m_flag(flag) { m_flag = 1; }
    ~BusyScope() { m_flag = 0; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int& m_flag;
};

std::unique_ptr<char[]> Buffer(std::size_t size)
{
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
    if (buffer)
        buffer[0] = '\0';
    return buffer;
}

std::string GetItemText(HWND dialog, int id)
{
    char text[kFileNameSize]{};
    GetDlgItemTextA(dialog, id, text, static_cast<int>(kFileNameSize));
    return text;
}

// The four buffers of one _StartAssist call, the call, and the texts cut at each buffer's last byte (a
// misbehaving assistant may leave one unterminated). Nothing when the buffers cannot be had.
std::optional<Proposal> CallStartAssist(StartAssistFn start, HWND owner, const std::string& name)
{
    auto fileName = Buffer(kFileNameSize);
    auto abstract = Buffer(kAbstractSize);
    auto keywords = Buffer(kKeywordsSize);
    auto title = Buffer(kTitleSize);
    if (!fileName || !abstract || !keywords || !title)
        return std::nullopt;
    lstrcpynA(fileName.get(), name.c_str(), static_cast<int>(kFileNameSize));
    Proposal proposal;
    proposal.result = start(owner, fileName.get(), abstract.get(), keywords.get(), title.get(), 0);
    abstract[kAbstractSize - 1] = '\0';
    keywords[kKeywordsSize - 1] = '\0';
    title[kTitleSize - 1] = '\0';
    proposal.abstract = abstract.get();
    proposal.keywords = keywords.get();
    proposal.title = title.get();
    return proposal;
}

}  // namespace

bool ReadLibraryFile(const std::string& assistantName, std::string& file)
{
    char buffer[261]{};
    if (!GetRegistryString(("Assistants\\" + assistantName).c_str(), "Filename", buffer))
        return false;
    file = buffer;
    return true;
}

std::string DefaultAssistantName()
{
    char buffer[261]{};
    if (!GetRegistryString("Initialisation", "Default Assistant", buffer))
        return "None";
    return buffer;
}

std::string LibraryPath(const std::string& file)
{
    // A record edited by hand could name a library elsewhere; only the program's folder is searched.
    const KsApp* app = KsApp::Get();
    if (!IsPlainFileName(file) || !app)
        return {};
    std::string path = app->ProgramDir;
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path + file;
}

bool ListAssistants(const ks::TListBox& list, HWND owner, const char* errorCaption)
{
    ks::RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kAssistantsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS) {
        ks::ShowMessage(owner, "Could not create Registry Key.", errorCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    char name[256];
    for (DWORD index = 0; RegEnumKeyA(key.Get(), index, name, sizeof name) == ERROR_SUCCESS; ++index)
        list.AddString(name);
    return true;
}

void SelectDefaultOrFirst(const ks::TListBox& list)
{
    const std::string name = DefaultAssistantName();
    const LRESULT found = list.Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    list.SetSelIndex(found == LB_ERR ? 0 : static_cast<int>(found));
}

void ShowNoAssistants(HWND owner)
{
    ks::ShowMessage(owner,
                    "You donot seem to have any assistants installed on your system.\r"
                    "Assistants will automatically fill in the data about your file for you.\r"
                    "You can download a variety of Assistants for Kestrum32 from the same location that\r"
                    " you obtained Kestrum from. Search for the Keyword KESTRUM32.\r"
                    "When you have downloaded an Assistant, simply Unzip it and place it in a temporary\r"
                    " directory, startup Kestrum32 and select ( Preferences | Assistants | Install ) from\r"
                    " the main menu.",
                    "No Assistansts Installed", MB_OK | MB_ICONINFORMATION);
}

void RunAssistant(ks::TDialog& store, int& busy, const std::string& libraryFile)
{
    const HWND owner = store.GetHandle();
    const std::string path = LibraryPath(libraryFile);
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ks::ShowMessage(owner, "Sorry, Cannot locate Assistant DLL in your Kestrum Directory.", "File Access Error",
                        MB_OK | MB_ICONSTOP);
        return;
    }
    StartAssistFn start = nullptr;
    // The library is loaded for this run only: whatever way the run ends, it is freed.
    ks::ModuleHandle library;
    {
        std::optional<ks::WaitCursor> wait(std::in_place);
        library = LoadByPath(path);
        if (!library) {
            wait.reset();  // the arrow is back before the box
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(owner, "Could not load requested assistant DLL", "DLL Loading Problem",
                            MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        start = Export<StartAssistFn>(library, "_StartAssist");
        if (!start) {
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(owner, "Problem Loading Function Address - StartAssist", "Error", MB_OK);
            return;
        }
    }
    std::optional<Proposal> proposal;
    {
        BusyScope scope(busy);
        proposal = CallStartAssist(start, owner, GetItemText(owner, IDC_STORE_FILENAME));
    }
    if (!proposal) {
        ks::ShowMessage(owner, "Out of memory assigning abstract buffer", "Memory Error", MB_OK | MB_ICONSTOP);
        return;
    }
    const std::int32_t result = proposal->result;
    if (result < 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        const std::string text = "There has been a error within your DLL, Error Number : " + std::to_string(result);
        ks::ShowMessage(owner, text.c_str(), "DLL Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (result > 0) {
        // A text of one character or none leaves its edit as the user typed it.
        if (proposal->abstract.size() > 1)
            SetDlgItemTextA(owner, IDC_STORE_ABSTRACT, proposal->abstract.c_str());
        if (proposal->keywords.size() > 1)
            SetDlgItemTextA(owner, IDC_STORE_KEYWORDS, proposal->keywords.c_str());
        if (proposal->title.size() > 1)
            SetDlgItemTextA(owner, IDC_STORE_TITLE, proposal->title.c_str());
    }
}

std::optional<Proposal> ProposeWithDefault(HWND owner, const std::string& fileName)
{
    const std::string name = DefaultAssistantName();
    std::string file;
    if (name == "None" || !ReadLibraryFile(name, file))
        return std::nullopt;
    // Loaded for this one call, as for the Storage Interface's Default.
    const ks::ModuleHandle library = LoadByPath(LibraryPath(file));
    const auto start = library ? Export<StartAssistFn>(library, "_StartAssist") : nullptr;
    if (!start)
        return std::nullopt;
    return CallStartAssist(start, owner, fileName);
}

void RunDefaultAssistant(ks::TDialog& store, int& busy)
{
    const std::string name = DefaultAssistantName();
    if (name == "None") {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(store.GetHandle(), "There is no Assistant selected as a default.", "Error",
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::string file;
    if (!ReadLibraryFile(name, file)) {
        ks::ShowMessage(store.GetHandle(), "Sorry, Could not retrieve the filename for this Assistant",
                        "Registry Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    RunAssistant(store, busy, file);
}

void RunChosenAssistant(ks::TDialog& store, int& busy)
{
    std::string file;
    {
        AssistChoose choose(&store);
        if (choose.Execute() != IDOK)
            return;
        if (!ReadLibraryFile(choose.ChosenName, file)) {
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(store.GetHandle(), "Could not extract DLL Name for assistant from Registry.",
                            "Registry Problem", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    RunAssistant(store, busy, file);
}

void ConfigureAssistant(HWND owner, const std::string& assistantName)
{
    std::string file;
    ks::ModuleHandle library;
    SetupAssistantFn setup = nullptr;
    {
        ks::WaitCursor wait;
        if (ReadLibraryFile(assistantName, file))
            library = LoadByPath(LibraryPath(file));
        if (!library) {
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(owner, "Sorry, Could not load requested assistant DLL.", "DLL Loading Problem",
                            MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        setup = Export<SetupAssistantFn>(library, "_SetupAssistant");
        if (!setup) {
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(owner, "Problem Loading Function Address from DLL - SetupAssistant.", "Error", MB_OK);
            return;
        }
    }
    setup(owner, 0);
}

}  // namespace assist

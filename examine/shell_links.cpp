// ChooseShellFolder and MakeShortcut: the shell's folder browser and the shell-link object.
#include "examine/shell_links.h"

#include <shlobj.h>

#include "examine/launch_text.h"
#include "framework/ui.h"

namespace {

// Releases a COM interface when it goes out of scope.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_p)
            m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    void** Put() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};

}  // namespace

int ChooseShellFolder(HWND owner, bool makeNew, const char* newName, const char* title, int rootFolder, UINT flags,
                      std::string& folder)
{
    PIDLIST_ABSOLUTE root = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, rootFolder, &root)))
        root = nullptr;
    char display[MAX_PATH]{};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = root;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = flags;
    PIDLIST_ABSOLUTE chosen = ks::Ui().BrowseForFolder(info);
    if (root)
        CoTaskMemFree(root);
    if (!chosen)
        return 0;
    char path[MAX_PATH]{};
    const BOOL named = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    if (!named)
        return 0;
    std::string result = path;
    if (makeNew) {
        result = examine::JoinPath(result, newName ? newName : "");
        // An existing folder of that name is used as it is.
        if (CreateDirectoryA(result.c_str(), nullptr))
            SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, result.c_str(), nullptr);
    }
    folder = result;
    return 1;
}

HRESULT MakeShortcut(HWND owner, const char* shortcutFolder, const char* name, const char* directory)
{
    const std::string shortcut = examine::JoinPath(shortcutFolder, name) + ".lnk";
    const std::string target = examine::JoinPath(directory, name);
    // A shortcut's path must fit whole: cut to the path limit it would be saved under another name, perhaps over
    // another file.
    wchar_t wide[MAX_PATH]{};
    if (shortcut.size() >= MAX_PATH ||
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, shortcut.c_str(), -1, wide, MAX_PATH) == 0) {
        ks::ShowMessage(owner, "Error creating shortcut or folder.", "Link Error", MB_OK | MB_ICONEXCLAMATION);
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }

    ComPtr<IShellLinkA> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Put());
    if (FAILED(hr))
        return hr;
    link->SetPath(target.c_str());
    link->SetDescription("");
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.Put());
    if (SUCCEEDED(hr))
        hr = file->Save(wide, TRUE);
    if (FAILED(hr))
        ks::ShowMessage(owner, "Error creating shortcut or folder.", "Link Error", MB_OK | MB_ICONEXCLAMATION);
    return hr;
}

// PathSelect: set-up, OK taking the current directory, and making a new directory inside the one shown.
#include "examine/path_select.h"

#include <shlobj.h>

#include <cstdio>
#include <string>

#include "download/file_name_rules.h"
#include "framework/dialog.h"
#include "framework/ui.h"
#include "resources/resource_ids.h"

const ks::TResponse<PathSelect> PathSelect::Responses[] = {
    ks::Command(IDC_BROWSE_MAKE_DIR, &PathSelect::CmMakeDirectory),
};

PathSelect::PathSelect(ks::TWindow* parent, ks::TOpenSaveData& data, const char* title)
    : TFileOpenDialog(parent, data, IDD_PATH_SELECT, title)
{
}

bool PathSelect::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TFileOpenDialog::OnCommand(id, notify, control);
}

void PathSelect::SetupWindow()
{
    HWND parent = GetParentObject() ? GetParentObject()->GetHandle() : nullptr;
    ks::CentreOverWindow(m_hwnd, parent ? parent : GetDesktopWindow());
}

void PathSelect::CmOk()
{
    // The file dialog keeps the process's current directory on the directory the user has opened.
    const DWORD n = GetCurrentDirectoryA(sizeof ChosenDirectory, ChosenDirectory);
    if (n == 0 || n >= sizeof ChosenDirectory)
        ChosenDirectory[0] = '\0';
}

void PathSelect::CmMakeDirectory()
{
    // The name is asked again, as typed, until it is a plain name: a path would make the directory elsewhere.
    std::string name;
    for (;;) {
        ks::TInputDialog input(this, "Create Directory", "Enter the name for the new directory (NOT path)", name,
                               255);
        if (input.Execute() != IDOK)
            return;
        name = input.GetText();
        const std::string fault = PlainNameFault(name);
        if (fault.empty())
            break;
        ks::ShowMessage(m_hwnd, fault.c_str(), "Error", MB_OK | MB_ICONEXCLAMATION);
    }
    char current[MAX_PATH + 1]{};
    GetCurrentDirectoryA(sizeof current, current);
    std::string path = current;
    // A drive's root already ends with a backslash.
    if (path.empty() || path.back() != '\\')
        path += '\\';
    path += name;
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
        ks::ShowMessage(m_hwnd, "Unable to create directory, Sorry", "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHA, path.c_str(), nullptr);

    // The new name goes just after the selected entry, in the list's own form: Wine's list shows
    // directories as "[name]", the Windows dialog as plain names.
    HWND list = GetDlgItem(m_hwnd, IDC_BROWSE_DIR_LIST);
    const int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    std::string entry = name;
    char first[MAX_PATH + 3]{};
    if (SendMessageA(list, LB_GETTEXTLEN, 0, 0) < static_cast<LRESULT>(sizeof first) &&
        SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first)) != LB_ERR && first[0] == '[')
        entry = "[" + entry + "]";
    SendMessageA(list, LB_INSERTSTRING, selected < 0 ? 0 : selected + 1, reinterpret_cast<LPARAM>(entry.c_str()));
}

void ReportBrowseError(HWND owner, const ks::TOpenSaveData& data)
{
    if (data.Error == 0)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "Error #%ld occurred.", static_cast<long>(data.Error));
    ks::ShowMessage(owner, text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

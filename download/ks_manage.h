// KsManage: the Download Interface's dialog (template 1): the files waiting in one download area, the
// selected file's date and size, the four area buttons, Store, Examine and Help.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/dialog.h"

// Lists the current area's files (current area: the default one, then the one whose button was clicked) and keeps
// the process's current directory on the area it listed last.
class KsManage : public ks::TDialog {
public:
    explicit KsManage(ks::TWindow* parent);

    // Lists the files of area n (2, 3, 4; any other number is area 1) and shows the selected one.
    void ShowArea(int area);
    // Shows the date and size of the selected file, or clears them.
    void ShowFileInfo();
    // The files of area n changed on disk: when this window lists that area, it lists it again with the
    // selection on the same file, without a box and without moving the current directory.
    void FollowArea(int area);

    // The line of a file listed by its short name (the catalogue cannot hold its own name): the short name the
    // program uses for it, and its real name so that the user can tell which file it is.
    static std::wstring ShortNameLine(const std::string& shortName, const std::wstring& realName);

    int CurrentArea() const { return m_area; }
    const char* CurrentAreaPath() const { return m_areaPath; }

    bool OnCommand(UINT id, UINT notify, HWND control) override;
    // The close check: a window whose examined program still runs offers to end it and stays open.
    bool CanClose() override;

protected:
    void SetupWindow() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Escape: the window ends without the close check, unless an examined program still runs. While this
    // window's examine run is still ending further down the call stack, the window closes once it is over.
    void CmCancel() override;

private:
    void CmArea(int area);
    void CmStore();
    void CmExamine();
    void CmHelp();
    void ClearFileInfo();
    // Fills the list with the files of the current area path; false when the directory cannot be listed.
    bool ListFiles();

    // A listed file: the name the program uses for it, and its full path with its real name.
    struct ListedFile {
        std::string name;
        std::wstring fullPath;
        bool shortName = false;  // listed by its short name
    };
    // The selected line's file, found through the line's item data.
    const ListedFile* SelectedFile() const;

    // Closing now would free this object under its examine run: the close waits for the run's end.
    bool Deferred();

    std::vector<ListedFile> m_listed;
    bool m_examineUnderWay = false;
    bool m_closeAfterExamine = false;
    int m_area = 1;
    char m_areaPath[261]{};
    ks::TListBox m_files;
    ks::TStatic m_size;
    ks::TStatic m_date;
    ks::TRadioButton m_areaButton[4];

    static const ks::TResponse<KsManage> Responses[];
};

// The size text of the file information: "%ld Bytes." with the whole 64-bit size.
std::string SizeText(std::uint64_t bytes);

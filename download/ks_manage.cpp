// KsManage: set-up from the area settings, listing an area, the file information, Store and Help.
#include "download/ks_manage.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/ks_app.h"
#include "controls/calendar_date.h"
#include "controls/date_text.h"
#include "download/area_settings.h"
#include "download/area_watch.h"
#include "download/data_store.h"
#include "download/file_moves.h"
#include "download/ks_prefs.h"
#include "examine/examine.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "resources/resource_ids.h"

namespace {
constexpr char kNoAreasText[] =
    "Sorry, You donot have any Download Areas set up.You will need to setup the paths to the areas you expect to "
    "receive downloads from.";
constexpr char kAreaNotFoundText[] =
    "Path for download area not found, please check your settings in Preferences|Download.";

}  // namespace

const ks::TResponse<KsManage> KsManage::Responses[] = {
    ks::Command(IDC_DOWNLOAD_AREA1, &KsManage::CmArea, 1),
    ks::Command(IDC_DOWNLOAD_AREA2, &KsManage::CmArea, 2),
    ks::Command(IDC_DOWNLOAD_AREA3, &KsManage::CmArea, 3),
    ks::Command(IDC_DOWNLOAD_AREA4, &KsManage::CmArea, 4),
    ks::Notify(IDC_DOWNLOAD_FILES, LBN_SELCHANGE, &KsManage::ShowFileInfo),
    ks::Command(IDC_DOWNLOAD_STORE, &KsManage::CmStore),
    ks::Command(IDC_DOWNLOAD_EXAMINE, &KsManage::CmExamine),
    ks::Command(IDC_DOWNLOAD_HELP, &KsManage::CmHelp),
};

std::wstring KsManage::ShortNameLine(const std::string& shortName, const std::wstring& realName)
{
    return Widened(shortName) + L"  (short name of " + realName + L")";
}

std::string SizeText(std::uint64_t bytes)
{
    // A file of 2 GB or more keeps its true size: the whole 64-bit number is shown.
    char text[48];
    std::snprintf(text, sizeof text, "%" PRIu64 " Bytes.", bytes);
    return text;
}

KsManage::KsManage(ks::TWindow* parent)
    : TDialog(parent, IDD_DOWNLOAD), m_files(*this, IDC_DOWNLOAD_FILES), m_size(*this, IDC_DOWNLOAD_SIZE),
      m_date(*this, IDC_DOWNLOAD_DATE),
      m_areaButton{{*this, IDC_DOWNLOAD_AREA1}, {*this, IDC_DOWNLOAD_AREA2}, {*this, IDC_DOWNLOAD_AREA3},
                   {*this, IDC_DOWNLOAD_AREA4}}
{
}

bool KsManage::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void KsManage::SetupWindow()
{
    // The list takes its lines through the wide calls, so that a file listed by its short name can show its real
    // name whole; the dialog's own ANSI calls still reach it (the platform converts them).
    if (HWND list = m_files.GetHandle())
        SetWindowLongPtrW(list, GWLP_WNDPROC, GetWindowLongPtrW(list, GWLP_WNDPROC));
    bool anyArea = false;
    for (int area = 1; area <= 4; ++area) {
        char alias[261]{};
        char path[261]{};
        GetRegistryString(kAreaSection, AliasName(area), alias);
        GetRegistryString(kAreaSection, AreaPathName(area), path);
        if (alias[0]) {
            m_areaButton[area - 1].SetText(alias);
            anyArea = true;
        }
        if (!alias[0] || std::strcmp(path, kNoPath) == 0)
            m_areaButton[area - 1].Enable(false);
    }
    if (!anyArea) {
        ks::ShowMessage(m_hwnd, kNoAreasText, "Warning", MB_OK | MB_ICONINFORMATION);
        ksPrefs prefs(this);
        prefs.Execute();
        // The window closes; a new Download Interface reads the areas as they are now.
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
        return;
    }
    const int value = GetRegistryNumber(kAreaSection, "Default");
    m_areaButton[DefaultAreaOf(value) - 1].SetCheck(true);
    m_area = value;
    ShowArea(m_area);
}

void KsManage::ClearFileInfo()
{
    m_size.SetText("");
    m_date.SetText("");
}

void KsManage::ShowArea(int area)
{
    const int selected = m_files.GetSelIndex();
    m_files.ClearList();
    ClearFileInfo();

    char path[261]{};
    GetRegistryString(kAreaSection, AreaPathName(area), path);
    // The current directory stays on the area: assistants are given the file name without a directory.
    if (!SetCurrentDirectoryA(path)) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, kAreaNotFoundText, "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::strcpy(m_areaPath, path);
    if (!ListFiles()) {
        ks::ShowMessage(m_hwnd, "Invalid File Handle", "File Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (selected < 0 || !m_files.SetSelIndex(selected))
        m_files.SetSelIndex(0);
    ShowFileInfo();
}

bool KsManage::ListFiles()
{
    // Listed through the wide calls: a name the ANSI code page cannot hold would come back from the ANSI ones
    // with question marks, which other calls then take for wildcards.
    m_listed.clear();
    m_files.ClearList();
    const std::wstring dir = Widened(m_areaPath);
    const std::wstring pattern = dir + ((!dir.empty() && dir.back() == L'\\') ? L"*.*" : L"\\*.*");
    WIN32_FIND_DATAW entry;
    HANDLE first = FindFirstFileW(pattern.c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE)
        return false;
    const ks::FindHandle find(first);
    // Filling a long list with redrawing off is far quicker.
    m_files.Send(WM_SETREDRAW, FALSE);
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        ListedFile file;
        file.fullPath = dir + ((!dir.empty() && dir.back() == L'\\') ? L"" : L"\\") + entry.cFileName;
        if (const auto name = AnsiOf(entry.cFileName)) {
            file.name = *name;
        } else {
            // Its short name is one the program can hold; the line says it is not the full name.
            const auto shortName = AnsiOf(entry.cAlternateFileName);
            if (!shortName || shortName->empty())
                continue;
            file.name = *shortName;
            file.shortName = true;
        }
        const std::wstring line = file.shortName ? ShortNameLine(file.name, entry.cFileName) : std::wstring(entry.cFileName);
        const int index =
            static_cast<int>(SendMessageW(m_files.GetHandle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str())));
        if (index >= 0) {
            m_files.Send(LB_SETITEMDATA, index, static_cast<LPARAM>(m_listed.size()));
            m_listed.push_back(std::move(file));
        }
    } while (FindNextFileW(find.Get(), &entry));
    m_files.Send(WM_SETREDRAW, TRUE);
    InvalidateRect(m_files.GetHandle(), nullptr, TRUE);
    return true;
}

void KsManage::FollowArea(int area)
{
    char path[261]{};
    if (!m_areaPath[0] || !GetRegistryString(kAreaSection, AreaPathName(area), path) ||
        !SameDirectory(path, m_areaPath))
        return;
    const ListedFile* file = SelectedFile();
    const std::wstring kept = file ? file->fullPath : std::wstring();
    const int selected = m_files.GetSelIndex();
    const LRESULT top = m_files.Send(LB_GETTOPINDEX);
    // A directory that has gone lists nothing; the user is told when he lists the area himself.
    if (!ListFiles())
        m_files.ClearList();

    int index = -1;
    for (int i = 0, count = m_files.GetCount(); i < count && !kept.empty(); ++i) {
        const auto slot = static_cast<std::size_t>(m_files.Send(LB_GETITEMDATA, i));
        if (slot < m_listed.size() && lstrcmpiW(m_listed[slot].fullPath.c_str(), kept.c_str()) == 0) {
            index = i;
            break;
        }
    }
    m_files.Send(LB_SETTOPINDEX, static_cast<WPARAM>(top));
    if (index >= 0)
        m_files.SetSelIndex(index);
    else if (selected < 0 || !m_files.SetSelIndex(selected))
        m_files.SetSelIndex(0);
    ShowFileInfo();
}

INT_PTR KsManage::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_AREACHANGED) {
        FollowArea(static_cast<int>(wParam));
        return TRUE;
    }
    return TDialog::DialogProc(msg, wParam, lParam);
}

const KsManage::ListedFile* KsManage::SelectedFile() const
{
    const int selected = m_files.GetSelIndex();
    if (selected < 0)
        return nullptr;
    const auto slot = static_cast<std::size_t>(m_files.Send(LB_GETITEMDATA, selected));
    return slot < m_listed.size() ? &m_listed[slot] : nullptr;
}

void KsManage::ShowFileInfo()
{
    const ListedFile* file = SelectedFile();
    WIN32_FILE_ATTRIBUTE_DATA data{};
    // The file is asked for by its full name, never by a pattern.
    if (!file || !GetFileAttributesExW(file->fullPath.c_str(), GetFileExInfoStandard, &data)) {
        ClearFileInfo();
        return;
    }
    m_size.SetText(SizeText((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow).c_str());
    // The date is the last write as the file system keeps it (UTC), not converted to local time.
    SYSTEMTIME written{};
    FileTimeToSystemTime(&data.ftLastWriteTime, &written);
    m_date.SetText(FormatDate(MakeDate(written.wDay, written.wMonth, written.wYear)).c_str());
}

void KsManage::CmArea(int area)
{
    m_area = area;
    ShowArea(area);
}

void KsManage::CmStore()
{
    if (m_files.GetSelIndex() < 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "Please select a file to store.", "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const ListedFile* file = SelectedFile();
    if (!file)
        return;
    std::string name = file->name;
    name.resize(std::min<std::size_t>(name.size(), 260));
    // The date shown for the file is the download date the record is offered.
    const std::string date = m_date.GetText(18);
    DataStore store(this, m_areaPath, name.c_str(), date.c_str());
    if (file->shortName)
        store.SetWideSource(file->fullPath);
    if (store.Execute() == IDOK)
        ShowArea(m_area);
}

void KsManage::CmExamine()
{
    // The file is the one the line stands for, by the name the program can hold (its short name when its own
    // name is outside the code page), never the line's text.
    const ListedFile* file = m_files.GetSelIndex() < 0 ? nullptr : SelectedFile();
    std::string name = file ? file->name : std::string();
    name.resize(std::min<std::size_t>(name.size(), 512));
    const std::string directory = m_areaPath;
    const bool selected = file != nullptr;
    HWND owner = m_hwnd;
    m_examineUnderWay = true;
    // Only window handles and copies are used from here on: the run waits, and this window stays live meanwhile.
    ExamineFile(owner, directory.c_str(), name.c_str(), [owner, selected] {
        if (selected)
            return true;
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(owner, "Please select a file to examine.", "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    });
    m_examineUnderWay = false;
    if (m_closeAfterExamine)
        PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
}

bool KsManage::Deferred()
{
    if (!m_examineUnderWay)
        return false;
    m_closeAfterExamine = true;
    return true;
}

bool KsManage::CanClose() { return TDialog::CanClose() && ExamineExitGuard(m_hwnd) && !Deferred(); }

void KsManage::CmCancel()
{
    // Destroying the window while its examine run waits would free this object under that run.
    if (!ExamineExitGuard(m_hwnd) || Deferred())
        return;
    TDialog::CmCancel();
}

void KsManage::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_DOWNLOAD);
}

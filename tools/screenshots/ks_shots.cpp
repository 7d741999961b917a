// Sets up a small catalogue and drives the running program into the windows the README pictures show.
//   ks_shots seed PROGRAM_DIR AREA_DIR   a table with a few records, their files in KS_STORE, files in the area
//   ks_shots open-children               main window with a Download Interface and a Search Interface that lists
//                                        every stored file; prints the main window's rectangle
//   ks_shots shot-search                 the Search Interface's rectangle (it lists every stored file)
//   ks_shots open-store-default          Store on the selected waiting file, then Default: the Storage Interface
//                                        as the default assistant fills it; prints its rectangle
//   ks_shots open-check                  the Catalogue Check with its findings; prints its rectangle
//   ks_shots close-child TITLE           closes the program's window of that title (an MDI child)
//   ks_shots open-record                 opens the first found record in the Record Interface
//   ks_shots open-command ID             posts a menu command (a modal dialog such as About) and waits for it
//   ks_shots dismiss                     cancels the modal dialog over the main window
//   ks_shots close                       closes the program
// Each step prints "x y width height" of the main window (or of the window it names), for cropping the
// screenshot.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/file_record.h"
#include "kspdx/engine_core.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kMainCaption[] = "Filewarden (For Windows 95)";

struct Sample {
    const char* name;
    const char* date;
    const char* title;
    const char* keywords;
    const char* abstract;
    int size;
};

constexpr Sample kStored[] = {
    {"CALTOOLS.ZIP", "03/14/97", "Calendar tools for Windows 95", "calendar dates utility",
     "A small set of calendar utilities: a perpetual calendar, a date calculator and a reminder list.", 48213},
    {"FONTPK12.ZIP", "11/02/96", "TrueType font pack, volume 12", "fonts truetype",
     "Twelve display faces for headings and posters.", 251904},
    {"NETFAQ.TXT", "01/21/97", "Frequently asked questions about dial-up networking", "faq networking modem",
     "Answers to the questions most often asked about setting up dial-up networking.", 30417},
    {"ZIPVIEW.ZIP", "02/08/97", "Archive viewer", "archive viewer zip",
     "Lists and extracts the files of an archive without unpacking it first.", 120532},
    {"WXSAT.GIF", "03/02/97", "Weather satellite picture, March", "weather picture",
     "A satellite picture of the weather over the North Atlantic.", 88410},
};

constexpr Sample kWaiting[] = {
    {"BACKUP32.ZIP", "", "", "", "", 402118},
    {"MODEMINF.TXT", "", "", "", "", 12903},
    {"SOUNDS.ZIP", "", "", "", "", 187256},
};

// What the Catalogue Check finds in the seeded catalogue: a record whose file has gone, and a stored file that
// no record names.
constexpr Sample kGone = {"OLDLIST.TXT", "09/30/96", "Old list of bulletin boards", "bbs list",
                          "Telephone numbers of bulletin boards, as of September.", 0};
constexpr char kUnrecorded[] = "PATCH101.ZIP";

// The waiting text file the default assistant describes in the Storage Interface's picture.
constexpr char kModemText[] =
    "Modem initialisation strings for common 28.8 and 33.6 modems\r\n"
    "\r\n"
    "A list of tested initialisation strings for the modems most often asked about, with notes on\r\n"
    "error correction, compression and the settings that make a noisy line usable.\r\n";

void CopyField(char* field, std::size_t size, const char* text) { std::snprintf(field, size, "%s", text); }

bool WriteFileOfSize(const std::string& path, int size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::string line = "Sample contents of a downloaded file.\r\n";
    for (int written = 0; written < size; written += static_cast<int>(line.size()))
        std::fwrite(line.data(), 1, line.size(), f);
    return std::fclose(f) == 0;
}

int Seed(const std::string& programDir, const std::string& areaDir)
{
    const std::string store = programDir + "\\KS_STORE";
    CreateDirectoryA(store.c_str(), nullptr);
    CreateDirectoryA(areaDir.c_str(), nullptr);
    kspdx::EngineCore core;
    if (core.OpenPath(programDir + "\\kspdx.tbl") != 0) {
        std::fprintf(stderr, "cannot create the table in %s\n", programDir.c_str());
        return 1;
    }
    for (const Sample& s : kStored) {
        FileRecord record{};
        CopyField(record.FileName, sizeof record.FileName, s.name);
        CopyField(record.DownloadDate, sizeof record.DownloadDate, s.date);
        CopyField(record.Title, sizeof record.Title, s.title);
        CopyField(record.Keywords, sizeof record.Keywords, s.keywords);
        CopyField(record.Location, sizeof record.Location, store.c_str());
        CopyField(record.Abstract, sizeof record.Abstract, s.abstract);
        if (core.Execute(ENG_ADD, record) != 0 || !WriteFileOfSize(store + "\\" + s.name, s.size)) {
            std::fprintf(stderr, "cannot store %s\n", s.name);
            return 1;
        }
    }
    FileRecord gone{};
    CopyField(gone.FileName, sizeof gone.FileName, kGone.name);
    CopyField(gone.DownloadDate, sizeof gone.DownloadDate, kGone.date);
    CopyField(gone.Title, sizeof gone.Title, kGone.title);
    CopyField(gone.Keywords, sizeof gone.Keywords, kGone.keywords);
    CopyField(gone.Location, sizeof gone.Location, store.c_str());
    CopyField(gone.Abstract, sizeof gone.Abstract, kGone.abstract);
    if (core.Execute(ENG_ADD, gone) != 0 || !WriteFileOfSize(store + "\\" + kUnrecorded, 64512)) {
        std::fprintf(stderr, "cannot seed the catalogue check's findings\n");
        return 1;
    }
    FileRecord last{};
    core.Execute(ENG_SHUTDOWN, last);
    for (const Sample& s : kWaiting) {
        const std::string path = areaDir + "\\" + s.name;
        if (std::strcmp(s.name, "MODEMINF.TXT") == 0) {
            FILE* f = std::fopen(path.c_str(), "wb");
            if (!f || std::fputs(kModemText, f) < 0 || std::fclose(f) != 0)
                return 1;
        } else if (!WriteFileOfSize(path, s.size)) {
            return 1;
        }
    }
    return 0;
}

HWND WaitFor(HWND parent, const char* caption)
{
    for (int i = 0; i < 300; ++i) {
        HWND hwnd = parent ? FindWindowExA(parent, nullptr, nullptr, caption) : FindWindowA(nullptr, caption);
        if (hwnd)
            return hwnd;
        Sleep(100);
    }
    std::fprintf(stderr, "no window \"%s\"\n", caption);
    return nullptr;
}

HWND MdiClient(HWND main) { return FindWindowExA(main, nullptr, "MDICLIENT", nullptr); }

// The dialog that fills an MDI child's client area.
HWND ChildDialog(HWND child) { return FindWindowExA(child, nullptr, "#32770", nullptr); }

void PrintRect(HWND main)
{
    // Only what lies on the desktop.
    RECT r{}, window{}, desktop{};
    GetWindowRect(main, &window);
    GetWindowRect(GetDesktopWindow(), &desktop);
    IntersectRect(&r, &window, &desktop);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void Settle() { Sleep(1500); }

// A top-level window of the program's (a modal dialog) with this caption, enabled and visible.
HWND WaitForDialog(const char* caption)
{
    for (int i = 0; i < 300; ++i) {
        HWND hwnd = FindWindowA("#32770", caption);
        if (hwnd && IsWindowVisible(hwnd))
            return hwnd;
        Sleep(100);
    }
    std::fprintf(stderr, "no dialog \"%s\"\n", caption);
    return nullptr;
}

int ShotSearch()
{
    HWND main = WaitFor(nullptr, kMainCaption);
    HWND search = main ? WaitFor(MdiClient(main), "Search Interface - 0") : nullptr;
    if (!search)
        return 1;
    SendMessageA(MdiClient(main), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(search), 0);
    Settle();
    PrintRect(search);
    return 0;
}

int OpenStoreDefault()
{
    HWND main = WaitFor(nullptr, kMainCaption);
    HWND download = main ? WaitFor(MdiClient(main), "Download Interface - 0") : nullptr;
    HWND dialog = download ? ChildDialog(download) : nullptr;
    if (!dialog)
        return 1;
    SendMessageA(MdiClient(main), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(download), 0);
    HWND list = GetDlgItem(dialog, IDC_DOWNLOAD_FILES);
    const LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>("MODEMINF.TXT"));
    SendMessageA(list, LB_SETCURSEL, index == LB_ERR ? 0 : index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_FILES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    // Store runs the Storage Interface modally: posted, so that this step goes on while it is open.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_STORE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DOWNLOAD_STORE)));
    HWND store = WaitForDialog("Storage Interface");
    if (!store)
        return 1;
    Settle();
    PostMessageA(store, WM_COMMAND, MAKEWPARAM(IDC_STORE_DEFAULT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(store, IDC_STORE_DEFAULT)));
    Settle();
    PrintRect(store);
    return 0;
}

int OpenCheck()
{
    HWND main = WaitFor(nullptr, kMainCaption);
    if (!main)
        return 1;
    PostMessageA(main, WM_COMMAND, CM_CHECK_CATALOGUE, 0);
    HWND check = WaitFor(MdiClient(main), "Catalogue Check");
    if (!check)
        return 1;
    Settle();
    if (HWND dialog = ChildDialog(check))
        SendMessageA(GetDlgItem(dialog, IDC_CHECK_FINDINGS), LB_SETCURSEL, 0, 0);
    Settle();
    PrintRect(check);
    return 0;
}

int OpenChildren()
{
    HWND main = WaitFor(nullptr, kMainCaption);
    if (!main)
        return 1;
    SetForegroundWindow(main);
    // Room for both children side by side: nearly the whole 1024x768 desktop.
    SetWindowPos(main, nullptr, 16, 12, 992, 744, SWP_NOZORDER);
    Settle();
    HWND client = MdiClient(main);
    PostMessageA(main, WM_COMMAND, 1028, 0);
    HWND download = WaitFor(client, "Download Interface - 0");
    if (!download)
        return 1;
    // A selected file shows its date and size.
    if (HWND dialog = ChildDialog(download)) {
        HWND list = GetDlgItem(dialog, IDC_DOWNLOAD_FILES);
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DOWNLOAD_FILES, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    PostMessageA(main, WM_COMMAND, 1025, 0);
    HWND search = WaitFor(client, "Search Interface - 0");
    if (!search)
        return 1;
    if (HWND dialog = ChildDialog(search))
        SendMessageA(GetDlgItem(dialog, IDC_SEARCH_GO), BM_CLICK, 0, 0);
    Settle();
    // Side by side rather than both centred one over the other.
    RECT area{}, d{}, s{};
    GetClientRect(client, &area);
    GetWindowRect(download, &d);
    GetWindowRect(search, &s);
    SetWindowPos(download, nullptr, 8, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const int searchLeft = area.right - (s.right - s.left) - 8;
    const int searchTop = area.bottom - (s.bottom - s.top) - 8;
    SetWindowPos(search, HWND_TOP, searchLeft > 0 ? searchLeft : 0, searchTop > 0 ? searchTop : 0, 0, 0, SWP_NOSIZE);
    SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(search), 0);
    Settle();
    PrintRect(main);
    return 0;
}

int CloseChild(const char* title)
{
    HWND main = WaitFor(nullptr, kMainCaption);
    HWND child = main ? WaitFor(MdiClient(main), title) : nullptr;
    if (!child)
        return 1;
    SendMessageA(child, WM_CLOSE, 0, 0);
    for (int i = 0; i < 50 && IsWindow(child); ++i)
        Sleep(100);
    return IsWindow(child) ? 1 : 0;
}

int OpenRecord()
{
    HWND main = WaitFor(nullptr, kMainCaption);
    HWND search = main ? WaitFor(MdiClient(main), "Search Interface - 0") : nullptr;
    HWND dialog = search ? ChildDialog(search) : nullptr;
    if (!dialog)
        return 1;
    HWND list = GetDlgItem(dialog, IDC_SEARCH_RESULTS);
    SendMessageA(list, LB_SETSEL, TRUE, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SEARCH_RESULTS, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    if (!WaitFor(MdiClient(main), "Record Interface"))
        return 1;
    Settle();
    PrintRect(main);
    return 0;
}

int OpenCommand(int id)
{
    HWND main = WaitFor(nullptr, kMainCaption);
    if (!main)
        return 1;
    PostMessageA(main, WM_COMMAND, id, 0);
    // A modal dialog owned by the main window disables it.
    for (int i = 0; i < 100 && IsWindowEnabled(main); ++i)
        Sleep(100);
    Settle();
    PrintRect(main);
    return IsWindowEnabled(main) ? 1 : 0;
}

int Dismiss()
{
    HWND main = FindWindowA(nullptr, kMainCaption);
    if (!main)
        return 1;
    HWND dialog = nullptr;
    while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr) {
        if (GetWindow(dialog, GW_OWNER) == main && IsWindowVisible(dialog))
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    for (int i = 0; i < 50 && !IsWindowEnabled(main); ++i)
        Sleep(100);
    return IsWindowEnabled(main) ? 0 : 1;
}

int Close()
{
    HWND main = FindWindowA(nullptr, kMainCaption);
    if (main)
        PostMessageA(main, WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string step = argc > 1 ? argv[1] : "";
    if (step == "seed" && argc == 4)
        return Seed(argv[2], argv[3]);
    if (step == "open-children")
        return OpenChildren();
    if (step == "shot-search")
        return ShotSearch();
    if (step == "open-store-default")
        return OpenStoreDefault();
    if (step == "open-check")
        return OpenCheck();
    if (step == "close-child" && argc == 3)
        return CloseChild(argv[2]);
    if (step == "open-record")
        return OpenRecord();
    if (step == "open-command" && argc == 3)
        return OpenCommand(std::atoi(argv[2]));
    if (step == "dismiss")
        return Dismiss();
    if (step == "close")
        return Close();
    std::fprintf(stderr, "usage: ks_shots seed PROGRAM_DIR AREA_DIR | open-children | shot-search | "
                         "open-store-default | open-check | close-child TITLE | open-record | open-command ID | dismiss | "
                         "close\n");
    return 2;
}

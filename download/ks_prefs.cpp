// ksPrefs: reading the areas at set-up, choosing directories, writing on OK and the close check.
#include "download/ks_prefs.h"

#include <cstring>
#include <string>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "download/area_settings.h"
#include "examine/path_select.h"
#include "framework/ui.h"
#include "kscf/kscf.h"
#include "resources/resource_ids.h"

namespace {
constexpr const char* kBrowseTitles[] = {"Setup Path One", "Setup Path Two", "Setup Path Three", "Setup Path Four"};

// A directory as one spelling: full, without a trailing backslash, in capitals.
std::string Canonical(const char* directory)
{
    char full[MAX_PATH * 2]{};
    const DWORD n = GetFullPathNameA(directory, sizeof full, full, nullptr);
    std::string path = (n > 0 && n < sizeof full) ? full : directory;
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

bool Within(const std::string& inner, const std::string& outer)
{
    const std::string prefix = outer.back() == '\\' ? outer : outer + "\\";
    return inner.size() > prefix.size() && inner.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

const char* ksPrefs::AreaFault(const char* directory)
{
    if (!directory[0])
        return "No directory was chosen. Please choose the directory of the download area.";
    const KsApp* app = KsApp::Get();
    if (!app)
        return nullptr;
    // Storing moves files out of the area into KS_STORE: an area there would move catalogued files away from
    // their records.
    const std::string store = Canonical((std::string(app->ProgramDir) + "\\KS_STORE").c_str());
    const std::string area = Canonical(directory);
    if (area == store || Within(area, store) || Within(store, area))
        return "A download area cannot be KS_STORE, lie inside it or contain it: storing from it would move "
               "catalogued files away from their records.";
    return nullptr;
}

const ks::TResponse<ksPrefs> ksPrefs::Responses[] = {
    ks::Command(IDC_PREFS_BROWSE1, &ksPrefs::CmBrowse, 1),
    ks::Command(IDC_PREFS_BROWSE2, &ksPrefs::CmBrowse, 2),
    ks::Command(IDC_PREFS_BROWSE3, &ksPrefs::CmBrowse, 3),
    ks::Command(IDC_PREFS_BROWSE4, &ksPrefs::CmBrowse, 4),
    ks::Command(IDC_PREFS_HELP, &ksPrefs::CmHelp),
};

ksPrefs::ksPrefs(ks::TWindow* parent)
    : TDialog(parent, IDD_PATH_PREFS),
      m_default{{*this, IDC_PREFS_DEFAULT1}, {*this, IDC_PREFS_DEFAULT2}, {*this, IDC_PREFS_DEFAULT3},
                {*this, IDC_PREFS_DEFAULT4}},
      m_alias{{*this, IDC_PREFS_ALIAS1, kAliasWidth}, {*this, IDC_PREFS_ALIAS2, kAliasWidth},
              {*this, IDC_PREFS_ALIAS3, kAliasWidth}, {*this, IDC_PREFS_ALIAS4, kAliasWidth}},
      m_path{{*this, IDC_PREFS_PATH1}, {*this, IDC_PREFS_PATH2}, {*this, IDC_PREFS_PATH3}, {*this, IDC_PREFS_PATH4}}
{
    for (char* path : m_areaPath)
        std::strcpy(path, kNoPath);
}

bool ksPrefs::OnCommand(UINT id, UINT notify, HWND control)
{
    return ks::Dispatch(*this, Responses, id, notify) || TDialog::OnCommand(id, notify, control);
}

void ksPrefs::SetupWindow()
{
    // Over the window that holds the parent: the main frame for the client, the MDI child for its dialog.
    if (HWND parent = GetParentObject() ? GetParentObject()->GetHandle() : nullptr)
        ks::CentreOverWindow(m_hwnd, GetParent(parent) ? GetParent(parent) : parent);

    for (int area = 1; area <= 4; ++area) {
        // A missing value leaves the buffer as it was ("No Path"); an empty one leaves the static's "No Path".
        GetRegistryString(kAreaSection, AreaPathName(area), m_areaPath[area - 1]);
        if (m_areaPath[area - 1][0])
            m_path[area - 1].SetText(m_areaPath[area - 1]);
        char alias[261]{};
        GetRegistryString(kAreaSection, AliasName(area), alias);
        m_alias[area - 1].SetText(alias);
    }
    m_default[DefaultAreaOf(GetRegistryNumber(kAreaSection, "Default")) - 1].SetCheck(true);
}

void ksPrefs::CmBrowse(int area)
{
    ks::TOpenSaveData data;
    data.Flags = OFN_NOVALIDATE | OFN_HIDEREADONLY;
    data.Filter = PathSelect::kFilter;
    data.InitialDir = m_areaPath[area - 1];
    PathSelect browser(this, data, kBrowseTitles[area - 1]);
    if (browser.Execute() == IDOK) {
        if (const char* fault = AreaFault(browser.ChosenDirectory)) {
            ks::Beep(MB_ICONEXCLAMATION);
            ks::ShowMessage(m_hwnd, fault, "Error", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        lstrcpynA(m_areaPath[area - 1], browser.ChosenDirectory, sizeof m_areaPath[area - 1]);
        m_path[area - 1].SetText(m_areaPath[area - 1]);
        return;
    }
    ReportBrowseError(m_hwnd, data);
}

int ksPrefs::CheckedDefault() const
{
    for (int area = 1; area <= 3; ++area)
        if (m_default[area - 1].IsChecked())
            return area;
    return 4;
}

void ksPrefs::CmOk()
{
    // Everything is written first; the close check may still keep the dialog open.
    for (int area = 1; area <= 4; ++area)
        WriteRegistryString(kAreaSection, AreaPathName(area), m_areaPath[area - 1]);
    for (int area = 1; area <= 4; ++area)
        WriteRegistryString(kAreaSection, AliasName(area), m_alias[area - 1].GetText(kAliasWidth).c_str());
    WriteRegistryNumber(kAreaSection, "Default", static_cast<std::uint32_t>(CheckedDefault()));
    // The areas followed on disk are the ones just written.
    if (KsApp* app = KsApp::Get(); app && app->Client)
        app->Client->AreasChanged();
    TDialog::CmOk();
}

bool ksPrefs::CanClose()
{
    const int area = CheckedDefault();
    if (m_alias[area - 1].GetText(kAliasWidth).empty() || std::strcmp(m_areaPath[area - 1], kNoPath) == 0) {
        ks::Beep(MB_ICONEXCLAMATION);
        ks::ShowMessage(m_hwnd, "You must enter a path and an alias for the default area you have selected",
                        "Warning", MB_OK | MB_ICONSTOP);
        return false;
    }
    return TDialog::CanClose();
}

void ksPrefs::CmHelp()
{
    if (const KsApp* app = KsApp::Get())
        app->Help(m_hwnd, HELP_CONTEXT, HELP_CTX_PATH_PREFS);
}

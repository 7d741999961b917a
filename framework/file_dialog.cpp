// TFileOpenDialog: building OPENFILENAMEA, the run through the seam, and the hook that links the dialog to us.
#include "framework/file_dialog.h"

#include <exception>
#include <vector>

#include "framework/ui.h"

namespace ks {

namespace {
// The window property that links the dialog to its object; the common dialog keeps DWLP_USER for itself.
constexpr char kObjectProperty[] = "KsFileDialog";
}  // namespace

TFileOpenDialog::TFileOpenDialog(TWindow* parent, TOpenSaveData& data, int templateId, std::string title,
                                 HINSTANCE module)
    : TWindow(parent), m_data(data), m_templateId(templateId), m_title(std::move(title)),
      m_module(module ? module : GetModuleHandleA(nullptr))
{
}

TFileOpenDialog::~TFileOpenDialog()
{
    // The dialog belongs to the common-dialog code; ours is only the link to it.
    if (m_hwnd)
        RemovePropA(m_hwnd, kObjectProperty);
    m_hwnd = nullptr;
}

std::string TFileOpenDialog::FilterPairs(const std::string& filter)
{
    std::string pairs = filter;
    for (char& c : pairs)
        if (c == '|')
            c = '\0';
    // Two NULs end the list whether or not the text ended with '|'.
    pairs.append(2, '\0');
    return pairs;
}

INT_PTR TFileOpenDialog::Execute()
{
    const std::string filter = FilterPairs(m_data.Filter);
    std::vector<char> file(MAX_PATH + 1, '\0');
    lstrcpynA(file.data(), m_data.FileName.c_str(), MAX_PATH);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetParentObject() ? GetParentObject()->GetHandle() : nullptr;
    ofn.hInstance = m_module;
    ofn.lpstrFilter = m_data.Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = m_data.InitialDir.empty() ? nullptr : m_data.InitialDir.c_str();
    ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
    ofn.lpstrDefExt = m_data.DefExt.empty() ? nullptr : m_data.DefExt.c_str();
    ofn.Flags = m_data.Flags;
    if (m_templateId) {
        // The old-style dialog: our template and hook, without OFN_EXPLORER.
        ofn.Flags = (ofn.Flags & ~OFN_EXPLORER) | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
        ofn.lpTemplateName = MAKEINTRESOURCEA(m_templateId);
        ofn.lpfnHook = &TFileOpenDialog::HookProc;
        ofn.lCustData = reinterpret_cast<LPARAM>(this);
    }

    DWORD error = 0;
    const bool ok = m_data.Save ? Ui().SaveFileName(ofn, error) : Ui().OpenFileName(ofn, error);
    m_data.Error = ok ? 0 : error;
    if (ok)
        m_data.FileName = file.data();
    return ok ? IDOK : IDCANCEL;
}

bool TFileOpenDialog::OnCommand(UINT id, UINT notify, HWND)
{
    if (id == IDOK && notify == BN_CLICKED)
        CmOk();
    // The dialog's own handling always follows; derived classes answer their own controls.
    return false;
}

UINT_PTR CALLBACK TFileOpenDialog::HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    try {
        if (msg == WM_INITDIALOG) {
            // The old-style hook receives the caller's OPENFILENAMEA, which carries this object.
            auto* self = reinterpret_cast<TFileOpenDialog*>(reinterpret_cast<OPENFILENAMEA*>(lParam)->lCustData);
            SetPropA(hwnd, kObjectProperty, self);
            self->m_hwnd = hwnd;
            self->SetupWindow();
            return TRUE;
        }
        auto* self = static_cast<TFileOpenDialog*>(GetPropA(hwnd, kObjectProperty));
        if (!self)
            return FALSE;
        switch (msg) {
        case WM_COMMAND:
            return self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        case WM_DESTROY:
            self->CleanupWindow();
            RemovePropA(hwnd, kObjectProperty);
            self->m_hwnd = nullptr;
            return FALSE;
        default:
            return FALSE;
        }
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
    } catch (...) {
        OutputDebugStringA("unknown exception in a file dialog hook");
    }
    return FALSE;
}

}  // namespace ks

// TDialog and TInputDialog.
#include "framework/dialog.h"

#include <exception>

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/ui.h"
#include "resources/resource_ids.h"

namespace ks {

TDialog::TDialog(TWindow* parent, int resourceId, HINSTANCE module)
    : TWindow(parent), m_resourceId(resourceId), m_module(module ? module : GetModuleHandleA(nullptr))
{
}

TDialog::~TDialog()
{
    if (m_hwnd && IsWindow(m_hwnd)) {
        HWND hwnd = m_hwnd;
        Unlink();
        DestroyWindow(hwnd);
    }
}

INT_PTR TDialog::Execute() { return Ui().RunModal(*this); }

INT_PTR TDialog::DoExecute()
{
    m_modal = true;
    HWND owner = GetParentObject() ? GetParentObject()->GetHandle() : nullptr;
    m_result = DialogBoxParamA(m_module, MAKEINTRESOURCEA(m_resourceId), owner, &TDialog::StaticDialogProc,
                               reinterpret_cast<LPARAM>(this));
    return m_result;
}

HWND TDialog::Create()
{
    m_modal = false;
    HWND parent = GetParentObject() ? GetParentObject()->GetHandle() : nullptr;
    HWND hwnd = CreateDialogParamA(m_module, MAKEINTRESOURCEA(m_resourceId), parent, &TDialog::StaticDialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (hwnd && TApplication::Current())
        TApplication::Current()->RegisterModeless(hwnd);
    return hwnd;
}

void TDialog::CloseWindow(INT_PTR retValue)
{
    if (CanClose())
        Destroy(retValue);
}

void TDialog::Destroy(INT_PTR retValue)
{
    m_result = retValue;
    if (!m_hwnd)
        return;
    if (m_modal)
        EndDialog(m_hwnd, retValue);
    else
        DestroyWindow(m_hwnd);
}

std::string TDialog::GetItemText(int id, int maxChars) const
{
    std::string text(static_cast<size_t>(maxChars) + 1, '\0');
    const UINT n = GetDlgItemTextA(m_hwnd, id, text.data(), maxChars + 1);
    text.resize(n);
    return text;
}

bool TDialog::CanClose()
{
    for (TControl* control : m_controls)
        if (!control->CanClose())
            return false;
    return true;
}

INT_PTR TDialog::DialogProc(UINT, WPARAM, LPARAM) { return FALSE; }

bool TDialog::OnCommand(UINT id, UINT notify, HWND)
{
    if (notify != BN_CLICKED)
        return false;
    if (id == IDOK) {
        CmOk();
        return true;
    }
    if (id == IDCANCEL) {
        CmCancel();
        return true;
    }
    return false;
}

void TDialog::Unlink()
{
    for (TControl* control : m_controls)
        control->Unbind();
    SetWindowLongPtrA(m_hwnd, DWLP_USER, 0);
    if (!m_modal && TApplication::Current())
        TApplication::Current()->UnregisterModeless(m_hwnd);
    m_hwnd = nullptr;
}

INT_PTR TDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DRAWITEM:
    case WM_COMMAND:
        for (TControl* control : m_controls)
            if (control->ParentMessage(msg, wParam, lParam))
                return TRUE;
        if (msg == WM_DRAWITEM)
            return DialogProc(msg, wParam, lParam);
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))
            ? TRUE
            : DialogProc(msg, wParam, lParam);
    case WM_CLOSE:
        EvClose();
        return TRUE;
    case WM_KS_DIALOGREADY:
        Ui().DialogReady(*this);
        return TRUE;
    case WM_DESTROY:
        CleanupWindow();
        return DialogProc(msg, wParam, lParam);
    default:
        return DialogProc(msg, wParam, lParam);
    }
}

INT_PTR CALLBACK TDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    try {
        if (msg == WM_INITDIALOG) {
            self = reinterpret_cast<TDialog*>(lParam);
            self->m_hwnd = hwnd;
            SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
            for (TControl* control : self->m_controls)
                control->Bind(GetDlgItem(hwnd, control->GetId()));
            self->SetupWindow();
            if (Ui().WantsDialogReady())
                PostMessageA(hwnd, WM_KS_DIALOGREADY, 0, 0);
            // Focus goes to the first tab stop unless set-up put it somewhere in the dialog.
            HWND focus = GetFocus();
            return focus && (focus == hwnd || IsChild(hwnd, focus)) ? FALSE : TRUE;
        }
        if (!self)
            return FALSE;
        if (msg == WM_NCDESTROY) {
            self->Unlink();
            self->WindowGone();
            return FALSE;
        }
        return self->HandleMessage(msg, wParam, lParam);
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
    } catch (...) {
        OutputDebugStringA("unknown exception in a dialog procedure");
    }
    return FALSE;
}

TInputDialog::TInputDialog(TWindow* parent, std::string caption, std::string prompt, std::string text, int maxChars)
    : TDialog(parent, IDD_INPUT_DIALOG), m_caption(std::move(caption)), m_prompt(std::move(prompt)),
      m_text(std::move(text)), m_maxChars(maxChars)
{
}

void TInputDialog::SetupWindow()
{
    SetText(m_caption.c_str());
    SetItemText(IDC_INPUT_PROMPT, m_prompt.c_str());
    SendDlgItemMessageA(m_hwnd, IDC_INPUT_EDIT, EM_LIMITTEXT, m_maxChars, 0);
    SetItemText(IDC_INPUT_EDIT, m_text.c_str());
    CentreOverWindow(m_hwnd, GetParent(m_hwnd) ? GetParent(m_hwnd) : GetDesktopWindow());
}

void TInputDialog::CmOk()
{
    m_text = GetItemText(IDC_INPUT_EDIT, m_maxChars);
    TDialog::CmOk();
}

}  // namespace ks

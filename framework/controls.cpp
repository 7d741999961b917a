// Dialog controls bound by id.
#include "framework/controls.h"

#include "framework/dialog.h"

namespace ks {

TControl::TControl(TDialog& dialog, int id) : TWindow(&dialog), m_id(id) { dialog.AddControl(this); }

void TControl::Unbind()
{
    if (m_previousProc && m_hwnd) {
        SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
    }
    m_previousProc = nullptr;
    m_hwnd = nullptr;
}

TEdit::TEdit(TDialog& dialog, int id, int maxChars) : TControl(dialog, id), m_maxChars(maxChars) {}

void TEdit::Bind(HWND hwnd)
{
    TControl::Bind(hwnd);
    if (m_maxChars > 0)
        Send(EM_LIMITTEXT, m_maxChars);
}

void TEdit::SetText(const char* text)
{
    TWindow::SetText(text);
    ClearModify();
}

bool TEdit::CanClose()
{
    if (!m_validator)
        return true;
    const int length = GetWindowTextLengthA(m_hwnd);
    if (m_validator->IsValid(GetText(length).c_str()))
        return true;
    m_validator->Error(GetParent(m_hwnd));
    Focus();
    return false;
}

std::vector<int> TListBox::GetSelIndexes() const
{
    const int count = GetSelCount();
    std::vector<int> indexes(count > 0 ? count : 0);
    if (!indexes.empty())
        Send(LB_GETSELITEMS, indexes.size(), reinterpret_cast<LPARAM>(indexes.data()));
    return indexes;
}

std::string TListBox::GetString(int index) const
{
    const LRESULT length = Send(LB_GETTEXTLEN, index);
    if (length == LB_ERR)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT n = Send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
    return text;
}

}  // namespace ks

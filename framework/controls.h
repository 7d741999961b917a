// Controls of a dialog, bound by id: TEdit, TButton, TStatic, TListBox, TComboBox, TCheckBox, TRadioButton,
// TGauge, and the TValidator an edit can carry.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/window.h"

namespace ks {

class TDialog;

// A control named by its id in the dialog template. It registers with its dialog at construction and is
// bound to the control window when the dialog is set up. Controls that need messages subclass at Bind.
class TControl : public TWindow {
public:
    TControl(TDialog& dialog, int id);
    int GetId() const { return m_id; }
    virtual void Bind(HWND hwnd) { m_hwnd = hwnd; }
    // The dialog's window is going: forget ours without destroying it (the dialog does that).
    virtual void Unbind();
    void Enable(bool enable) const { EnableWindow(m_hwnd, enable); }
    void Focus() const { SetFocus(m_hwnd); }
    // A message the dialog got about its controls (a click, a drawing request), offered to each control before
    // the dialog's own handling; true when it was this control's and has been answered. The dialog hands them
    // over itself: a comctl32 subclass on the dialog would cost a window-property lookup (a wineserver call)
    // for every message the dialog gets, and an owner-drawn list sends one for every line it deletes.
    virtual bool ParentMessage(UINT, WPARAM, LPARAM) { return false; }

private:
    int m_id;
};

// Decides whether an edit's text is acceptable; shows its own message when it is not.
class TValidator {
public:
    virtual ~TValidator() = default;
    virtual bool IsValid(const char* text) = 0;
    virtual void Error(HWND owner) = 0;
};

class TEdit : public TControl {
public:
    // maxChars: how many characters the user may type; 0 for the control's own limit.
    TEdit(TDialog& dialog, int id, int maxChars = 0);
    void Bind(HWND hwnd) override;
    std::string GetText(int maxChars) const { return TWindow::GetText(maxChars); }
    // Setting the text by program clears the modified flag: only typing sets it.
    void SetText(const char* text);
    bool IsModified() const { return Send(EM_GETMODIFY) != 0; }
    void ClearModify() const { Send(EM_SETMODIFY, FALSE); }
    int GetMaxChars() const { return m_maxChars; }
    void SetValidator(std::unique_ptr<TValidator> validator) { m_validator = std::move(validator); }
    bool CanClose() override;

private:
    int m_maxChars;
    std::unique_ptr<TValidator> m_validator;
};

class TStatic : public TControl {
public:
    using TControl::TControl;
    void SetText(const char* text) { TWindow::SetText(text); }
    std::string GetText(int maxChars) const { return TWindow::GetText(maxChars); }
};

class TButton : public TControl {
public:
    using TControl::TControl;
};

class TCheckBox : public TControl {
public:
    using TControl::TControl;
    bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetCheck(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
};

class TRadioButton : public TCheckBox {
public:
    using TCheckBox::TCheckBox;
};

class TListBox : public TControl {
public:
    using TControl::TControl;
    // Returns the new line's index, or a negative LB_ERR/LB_ERRSPACE when the list refuses it.
    int AddString(const char* text) const
    {
        return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(int index) const { return static_cast<int>(Send(LB_DELETESTRING, index)); }
    void ClearList() const { Send(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    int GetSelIndex() const { return static_cast<int>(Send(LB_GETCURSEL)); }
    bool SetSelIndex(int index) const { return Send(LB_SETCURSEL, index) != LB_ERR || index < 0; }
    int GetSelCount() const { return static_cast<int>(Send(LB_GETSELCOUNT)); }
    std::vector<int> GetSelIndexes() const;
    std::string GetString(int index) const;
};

class TComboBox : public TControl {
public:
    using TControl::TControl;
    int AddString(const char* text) const
    {
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    void ClearList() const { Send(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int GetSelIndex() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void SetSelIndex(int index) const { Send(CB_SETCURSEL, index); }
};

// A progress gauge on a template's progress-bar control.
class TGauge : public TControl {
public:
    using TControl::TControl;
    void SetRange(int minimum, int maximum) const { Send(PBM_SETRANGE32, minimum, maximum); }
    void SetValue(int value) const { Send(PBM_SETPOS, value); }
    int GetValue() const { return static_cast<int>(Send(PBM_GETPOS)); }
};

}  // namespace ks

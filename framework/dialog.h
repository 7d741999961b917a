// TDialog: a dialog built from a numbered template, modal or modeless, with controls bound by id;
// TInputDialog: the framework's one-line input box.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/window.h"

namespace ks {

class TControl;

// Posted to a dialog after its set-up when the seam wants to drive it (tests).
constexpr UINT WM_KS_DIALOGREADY = WM_APP + 0x3F0;

class TDialog : public TWindow {
public:
    // module null: the program's own resources.
    TDialog(TWindow* parent, int resourceId, HINSTANCE module = nullptr);
    ~TDialog() override;

    // Runs the dialog modally through the UI seam; returns its end code (IDOK, IDCANCEL, ...).
    INT_PTR Execute();
    // The real modal run; only the seam calls this.
    INT_PTR DoExecute();
    // Creates the dialog modeless (pop-up, or child when the template says WS_CHILD). Null on failure.
    HWND Create();

    int GetResourceId() const { return m_resourceId; }
    bool IsModal() const { return m_modal; }
    INT_PTR GetResult() const { return m_result; }

    // Runs the close query and, when it allows, ends the dialog with retValue.
    void CloseWindow(INT_PTR retValue = IDCANCEL);
    // Ends the dialog with retValue without asking.
    void Destroy(INT_PTR retValue = IDCANCEL);

    HWND GetItem(int id) const { return GetDlgItem(m_hwnd, id); }
    std::string GetItemText(int id, int maxChars) const;
    void SetItemText(int id, const char* text) const { SetDlgItemTextA(m_hwnd, id, text); }
    // A dialog may close when every bound control agrees (validators).
    bool CanClose() override;

    // Controls register themselves at construction; they are bound to their windows at set-up.
    void AddControl(TControl* control) { m_controls.push_back(control); }

protected:
    void SetupWindow() override {}
    // Messages not handled here return FALSE so that the dialog manager does its default.
    virtual INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCommand(UINT id, UINT notify, HWND control) override;
    virtual void CmOk() { CloseWindow(IDOK); }
    virtual void CmCancel() { Destroy(IDCANCEL); }
    // A close request (system menu, WM_CLOSE): the ordinary cancel.
    virtual void EvClose() { CmCancel(); }

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Unlink();

    int m_resourceId;
    HINSTANCE m_module;
    bool m_modal = false;
    INT_PTR m_result = IDCANCEL;
    std::vector<TControl*> m_controls;
};

// Asks for one line of text: caption, prompt, initial text, at most maxChars characters.
class TInputDialog : public TDialog {
public:
    TInputDialog(TWindow* parent, std::string caption, std::string prompt, std::string text, int maxChars);
    // The text as entered; valid after the dialog ended with IDOK.
    const std::string& GetText() const { return m_text; }

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    std::string m_caption;
    std::string m_prompt;
    std::string m_text;
    int m_maxChars;
};

}  // namespace ks

// TCalendarEdit, the date edit, and TCalendarBtn, its drop-down button that opens the month calendar.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "controls/calendar_date.h"
#include "controls/popup_cal_win.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/handles.h"

namespace ks {

class TCalendarEdit;

// The button at the right of a date edit: id 0, owner-drawn from pictures 1029 (at rest) and 1032 (pressed),
// not a tab stop. It owns the edit's calendar and opens it when clicked.
class TCalendarBtn : public TButton {
public:
    TCalendarBtn(TDialog& host, TCalendarEdit& edit, HINSTANCE module);
    ~TCalendarBtn() override;

    // The button makes its own window (Create); the dialog's binding by id would find another id-0 control.
    void Bind(HWND) override {}
    void Unbind() override;
    // Creates the button beside the edit, placed by the edit.
    bool Create();
    void OpenCalendar() { m_calendar.Open(); }
    TPopupCalWin& Calendar() { return m_calendar; }
    // Size of picture 1029.
    SIZE FaceSize() const { return m_faceSize; }

private:
    // Clicks and drawing requests go to the edit's parent: a dialog hands them over (ParentMessage), and a hook
    // on any other parent does.
    bool ParentMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        return msg != WM_NCDESTROY && HandleParentMessage(msg, wParam, lParam);
    }
    static LRESULT CALLBACK ParentHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    // True when the message was the button's own and has been answered.
    bool HandleParentMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void DrawItem(const DRAWITEMSTRUCT& item) const;
    void Unhook();

    TCalendarEdit& m_edit;
    GdiObject m_faceUp;
    GdiObject m_faceDown;
    SIZE m_faceSize{23, 25};
    TPopupCalWin m_calendar;
    HWND m_hookedParent = nullptr;
};

namespace detail {
// Controls register with a dialog. A date edit made as a child of any other window registers with a dialog
// object of its own that never gets a window (declared first, so that it exists before the edit).
struct StandaloneHost {
    explicit StandaloneHost(std::unique_ptr<TDialog> host) : m_standaloneHost(std::move(host)) {}
    std::unique_ptr<TDialog> m_standaloneHost;
};
}  // namespace detail

// An edit for short date text with a drop-down calendar. Typed "+" and "-" are not inserted; the keypad's
// + and - step the date by a day, Down arrow opens the calendar; leaving the edit rewrites a valid date in
// the short date format and clears anything else.
class TCalendarEdit : private detail::StandaloneHost, public TEdit {
public:
    // Over an edit of the dialog's template.
    TCalendarEdit(TDialog& parent, int id, int textLimit = 0, HINSTANCE module = nullptr);
    // As a new child of any window (a dialog, a tool bar); its window is made by Create.
    TCalendarEdit(TWindow* parent, int id, const char* text, int x, int y, int width, int height, int textLimit = 0,
                  HINSTANCE module = nullptr);
    ~TCalendarEdit() override;

    // Creates the window of an edit of the second form (its parent's window must exist).
    bool Create();
    void Bind(HWND hwnd) override;
    void Unbind() override;

    // A date becomes the calendar's date and the text; 0 clears the text.
    void SetDate(CalendarDate date);
    // The date of the text in the short date format; invalid text clears the edit.
    void SetDate(const char* text);
    static int SetDateLanguage(int language) { return ::SetDateLanguage(language); }

    TCalendarBtn& Button() { return m_button; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Gives the right of the edit's window to the button and narrows the edit to what is left.
    void PlaceButton();
    void StepDate(int days);
    bool InToolBar() const;

    struct ChildForm {
        std::string text;
        int x, y, width, height;
        TWindow* parent;
    };
    std::unique_ptr<ChildForm> m_childForm;  // set for the second form only
    TCalendarBtn m_button;
    GdiObject m_toolBarFont;
};

}  // namespace ks

// TPopupCalWin: the month calendar that drops down under a date edit and writes every day moved to into it.
#pragma once
#include <windows.h>

#include "controls/calendar_date.h"
#include "controls/calendar_grid.h"
#include "framework/handles.h"
#include "framework/window.h"

namespace ks {

class TCalendarEdit;

// The drop-down month calendar of one date edit. The object lives as long as the edit; its window exists
// only while the calendar is open, and each opening starts again from the edit's text.
class TPopupCalWin : public TWindow {
public:
    static constexpr const char* kClassName = "KsPopupCalendar";
    // Room between the border and what the calendar shows: the arrows, the title and the day grid keep clear
    // of the border by this much at the sides, and by kTopMargin at the top.
    static constexpr int kSideMargin = 6;
    static constexpr int kTopMargin = 2;
    static constexpr int kGridLeft = kSideMargin;

    // parent: the edit's parent; module: where pictures 1030 and 1031 come from (null: the program).
    TPopupCalWin(TWindow* parent, TCalendarEdit& edit, HINSTANCE module);

    // Opens the calendar under the edit and gives it the focus; does nothing while it is open.
    void Open();
    // Destroys the window; the object stays for the next opening.
    void Close();
    bool IsOpen() const { return m_hwnd != nullptr; }

    // The date shown and marked.
    CalendarDate GetDate() const { return m_date; }
    // The edit calls this when its date is set, so that the calendar marks that date.
    void SetShownDate(CalendarDate date) { m_date = date; }

    // Layout, measured once from the normal font: cell size, top of the day grid, the arrows' rectangles.
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    int GridTop() const { return m_gridTop; }
    SIZE WindowSize() const { return {7 * m_cellWidth + 2 * kSideMargin, 8 * m_cellHeight + 6 + 2 * kTopMargin}; }
    const RECT& PreviousArrowRect() const { return m_previousRect; }
    const RECT& NextArrowRect() const { return m_nextRect; }
    // The grid cell under a point of the client area; false outside the grid.
    bool CellAt(POINT point, GridCell& cell) const;

protected:
    void SetupWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    RECT CellRect(GridCell cell) const;
    void Paint(HDC dc);
    // Writes the cell's day into the edit and moves the sunken frame to it; nothing for a cell without a day.
    void MarkCell(HDC dc, GridCell cell);
    // Shows another date: only the frame moves within the month, another month is repainted.
    void MoveTo(CalendarDate date);
    void KeyDown(WPARAM key);
    void ButtonDown(POINT point);
    void MouseMove(POINT point);
    void ButtonUp(POINT point);
    void KeepOnDesktop();
    // Puts the focus back into the edit and closes.
    void ReturnToEdit();

    TCalendarEdit& m_edit;
    HINSTANCE m_module;
    GdiObject m_font;
    GdiObject m_previousArrow;  // picture 1031
    GdiObject m_nextArrow;      // picture 1030
    RECT m_previousRect{};
    RECT m_nextRect{};
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_titleTop = 0;
    int m_weekdayTop = 0;
    int m_gridTop = 0;
    CalendarDate m_date = 0;
    bool m_tracking = false;
    bool m_hasMarked = false;
    RECT m_marked{};
};

// A font of the calendar: "MS Sans Serif" of 8 points.
GdiObject MakeCalendarFont(int weight);

}  // namespace ks

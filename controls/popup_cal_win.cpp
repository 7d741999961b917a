// TPopupCalWin: layout, painting, calendar keys and mouse tracking of the drop-down month calendar.
#include "controls/popup_cal_win.h"

#include <windowsx.h>

#include <cstdio>

#include "controls/calendar_edit.h"
#include "controls/date_text.h"
#include "resources/resource_ids.h"

namespace ks {

namespace {

constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kLight = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);

void FillLine(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    const RECT rect{left, top, right, bottom};
    GdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

SIZE BitmapSize(const GdiObject& bitmap)
{
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap.Get(), sizeof info, &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

void DrawBitmap(HDC dc, const GdiObject& bitmap, const RECT& at)
{
    if (!bitmap)
        return;
    HDC memory = CreateCompatibleDC(dc);
    {
        SelectObjectScope select(memory, bitmap.Get());
        BitBlt(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, memory, 0, 0, SRCCOPY);
    }
    DeleteDC(memory);
}

void DrawCentred(HDC dc, const char* text, RECT rect)
{
    DrawTextA(dc, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool Inside(const RECT& rect, POINT point) { return PtInRect(&rect, point) != FALSE; }

POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

GdiObject MakeCalendarFont(int weight)
{
    // Height 8 in points, the size of the dialogs' own "MS Sans Serif": eight pixels would be illegible and
    // shorter than the 11-pixel month arrows that share the title row.
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return GdiObject(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
}

TPopupCalWin::TPopupCalWin(TWindow* parent, TCalendarEdit& edit, HINSTANCE module)
    : TWindow(parent), m_edit(edit), m_module(module ? module : GetModuleHandleA(nullptr)),
      m_font(MakeCalendarFont(FW_NORMAL)),
      m_previousArrow(LoadImageA(m_module, MAKEINTRESOURCEA(IDB_CALENDAR_ARROW_LEFT), IMAGE_BITMAP, 0, 0, 0)),
      m_nextArrow(LoadImageA(m_module, MAKEINTRESOURCEA(IDB_CALENDAR_ARROW_RIGHT), IMAGE_BITMAP, 0, 0, 0))
{
    // Cells are as large as "Abc" in the normal font on the screen.
    HDC screen = GetDC(nullptr);
    SIZE abc{};
    {
        SelectObjectScope select(screen, m_font.Get());
        GetTextExtentPoint32A(screen, "Abc", 3, &abc);
    }
    ReleaseDC(nullptr, screen);
    m_cellWidth = abc.cx;
    m_cellHeight = abc.cy;
    // Every row a little below the border, and the arrows as far from the sides as the grid: two pixels from
    // the border the arrows seemed to touch it, and the first column did at four.
    m_titleTop = kTopMargin;
    m_weekdayTop = kTopMargin + m_cellHeight;
    m_gridTop = kTopMargin + 2 * m_cellHeight + 4;

    const SIZE previous = BitmapSize(m_previousArrow);
    const int arrowTop = kTopMargin + (m_cellHeight - previous.cy) / 2 > kTopMargin
                             ? kTopMargin + (m_cellHeight - previous.cy) / 2
                             : kTopMargin;
    m_previousRect = {kSideMargin, arrowTop, kSideMargin + previous.cx, arrowTop + previous.cy};
    const SIZE next = BitmapSize(m_nextArrow);
    const int nextLeft = WindowSize().cx - next.cx - kSideMargin;
    m_nextRect = {nextLeft, arrowTop, nextLeft + next.cx, arrowTop + next.cy};
}

void TPopupCalWin::Open()
{
    if (m_hwnd)
        return;
    RegisterFrameworkClass(kClassName, 0, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    HWND edit = m_edit.GetHandle();
    RECT below;
    GetWindowRect(edit, &below);
    const SIZE size = WindowSize();
    CreateWindowExA(0, kClassName, "", WS_POPUP | WS_VISIBLE | WS_BORDER, below.left, below.bottom, size.cx, size.cy,
                    GetParent(edit), nullptr, GetModuleHandleA(nullptr), this);
    if (m_hwnd)
        SetFocus(m_hwnd);
}

void TPopupCalWin::Close()
{
    m_tracking = false;
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

void TPopupCalWin::SetupWindow()
{
    m_date = ParseDate(m_edit.GetText(static_cast<int>(kDateTextWidth)));
    if (m_date == 0)
        m_date = TodayDate();
    m_tracking = false;
    m_hasMarked = false;
    KeepOnDesktop();
}

void TPopupCalWin::KeepOnDesktop()
{
    RECT desktop;
    RECT own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(m_hwnd, &own);
    int dx = 0;
    int dy = 0;
    if (own.left < desktop.left)
        dx = desktop.left - own.left;
    if (own.bottom > desktop.bottom)
        dy = desktop.bottom - own.bottom;
    if (own.right + dx > desktop.right)
        dx -= own.right + dx - desktop.right;
    if (dx || dy)
        SetWindowPos(m_hwnd, nullptr, own.left + dx, own.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TPopupCalWin::CellAt(POINT point, GridCell& cell) const
{
    const int right = kGridLeft + kGridColumns * m_cellWidth;
    const int bottom = m_gridTop + kGridRows * m_cellHeight;
    if (point.x < kGridLeft || point.x >= right || point.y < m_gridTop || point.y >= bottom)
        return false;
    cell = {(point.x - kGridLeft) / m_cellWidth, (point.y - m_gridTop) / m_cellHeight};
    return true;
}

RECT TPopupCalWin::CellRect(GridCell cell) const
{
    const int left = kGridLeft + cell.column * m_cellWidth;
    const int top = m_gridTop + cell.row * m_cellHeight;
    return {left, top, left + m_cellWidth, top + m_cellHeight};
}

void TPopupCalWin::Paint(HDC dc)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    // Raised edge.
    FillLine(dc, 0, 0, client.right, 1, kLight);
    FillLine(dc, 0, 0, 1, client.bottom, kLight);
    FillLine(dc, 0, client.bottom - 1, client.right, client.bottom, kShadow);
    FillLine(dc, client.right - 1, 0, client.right, client.bottom, kShadow);

    SetBkMode(dc, TRANSPARENT);
    DrawBitmap(dc, m_previousArrow, m_previousRect);
    DrawBitmap(dc, m_nextArrow, m_nextRect);

    const DateParts shown = SplitDate(m_date);
    GdiObject bold = MakeCalendarFont(FW_BOLD);
    SelectObjectScope selectFont(dc, bold.Get());
    char title[64];
    std::snprintf(title, sizeof title, "%s %d", MonthName(shown.month), shown.year);
    DrawCentred(dc, title, {0, m_titleTop, client.right, m_titleTop + m_cellHeight});

    SelectObject(dc, m_font.Get());
    for (int column = 0; column < kGridColumns; ++column) {
        const int left = kGridLeft + column * m_cellWidth;
        DrawCentred(dc, DayAbbrev(column + 1), {left, m_weekdayTop, left + m_cellWidth, m_weekdayTop + m_cellHeight});
    }

    // Etched line under the weekday names.
    const int etched = m_weekdayTop + m_cellHeight;
    FillLine(dc, 0, etched, client.right, etched + 1, kShadow);
    FillLine(dc, 0, etched + 1, client.right, etched + 2, kLight);

    const CalendarDate today = TodayDate();
    const int days = DaysInMonth(m_date);
    for (int day = 1; day <= days; ++day) {
        const CalendarDate date = MakeDate(day, shown.month, shown.year);
        SelectObject(dc, date == today ? bold.Get() : m_font.Get());
        char number[4];
        std::snprintf(number, sizeof number, "%d", day);
        DrawCentred(dc, number, CellRect(CellOfDate(date)));
    }
    SelectObject(dc, m_font.Get());
    MarkCell(dc, CellOfDate(m_date));
}

void TPopupCalWin::MarkCell(HDC dc, GridCell cell)
{
    const int day = DayInCell(m_date, cell);
    if (day == 0)
        return;
    const DateParts shown = SplitDate(m_date);
    m_edit.SetDate(MakeDate(day, shown.month, shown.year));
    if (m_hasMarked) {
        const RECT& r = m_marked;
        FillLine(dc, r.left, r.top, r.right, r.top + 1, kFace);
        FillLine(dc, r.left, r.top, r.left + 1, r.bottom, kFace);
        FillLine(dc, r.right - 1, r.top, r.right, r.bottom, kFace);
        FillLine(dc, r.left, r.bottom - 1, r.right, r.bottom, kFace);
    }
    const RECT r = CellRect(cell);
    FillLine(dc, r.left, r.top, r.right, r.top + 1, kShadow);
    FillLine(dc, r.left, r.top, r.left + 1, r.bottom, kShadow);
    FillLine(dc, r.right - 1, r.top, r.right, r.bottom, kLight);
    FillLine(dc, r.left, r.bottom - 1, r.right, r.bottom, kLight);
    m_marked = r;
    m_hasMarked = true;
}

void TPopupCalWin::MoveTo(CalendarDate date)
{
    if (date == 0 || !m_hwnd)
        return;
    const DateParts from = SplitDate(m_date);
    const DateParts to = SplitDate(date);
    if (from.month == to.month && from.year == to.year) {
        HDC dc = GetDC(m_hwnd);
        MarkCell(dc, CellOfDate(date));
        ReleaseDC(m_hwnd, dc);
        return;
    }
    m_edit.SetDate(date);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void TPopupCalWin::ReturnToEdit()
{
    // Taking the focus away closes the calendar as well; Close covers the case where the edit had it already.
    m_edit.Focus();
    Close();
}

void TPopupCalWin::KeyDown(WPARAM key)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
        m_edit.SetDate(m_date);
        ReturnToEdit();
        return;
    case VK_ESCAPE:
        ReturnToEdit();
        return;
    case VK_MULTIPLY:
        MoveTo(TodayDate());
        return;
    default:
        break;
    }
    struct KeyMove {
        WPARAM key;
        CalendarMove plain;
        CalendarMove withCtrl;
    };
    static constexpr KeyMove kMoves[] = {
        {VK_LEFT, CalendarMove::DayBack, CalendarMove::DayBack},
        {VK_RIGHT, CalendarMove::DayForward, CalendarMove::DayForward},
        {VK_UP, CalendarMove::WeekBack, CalendarMove::WeekBack},
        {VK_DOWN, CalendarMove::WeekForward, CalendarMove::WeekForward},
        {VK_PRIOR, CalendarMove::MonthBack, CalendarMove::YearBack},
        {VK_NEXT, CalendarMove::MonthForward, CalendarMove::YearForward},
        {VK_HOME, CalendarMove::MonthStart, CalendarMove::YearStart},
        {VK_END, CalendarMove::MonthEnd, CalendarMove::YearEnd},
    };
    for (const KeyMove& move : kMoves)
        if (move.key == key) {
            MoveTo(MoveDate(m_date, ctrl ? move.withCtrl : move.plain));
            return;
        }
    DefaultProc(WM_KEYDOWN, key, 0);
}

void TPopupCalWin::ButtonDown(POINT point)
{
    SetCapture(m_hwnd);
    // An arrow acts when the button is released over it.
    if (Inside(m_previousRect, point) || Inside(m_nextRect, point))
        return;
    m_tracking = true;
    MouseMove(point);
}

void TPopupCalWin::MouseMove(POINT point)
{
    GridCell cell;
    if (!m_tracking || !CellAt(point, cell))
        return;
    HDC dc = GetDC(m_hwnd);
    MarkCell(dc, cell);
    ReleaseDC(m_hwnd, dc);
}

void TPopupCalWin::ButtonUp(POINT point)
{
    ReleaseCapture();
    if (m_tracking) {
        m_tracking = false;
        // Only a release over a day of the grid picks it; beside or above the grid the integer division
        // would name a cell the pointer is not over.
        GridCell cell;
        if (!CellAt(point, cell))
            return;
        const int day = DayInCell(m_date, cell);
        if (day == 0)
            return;
        const DateParts shown = SplitDate(m_date);
        m_edit.SetDate(MakeDate(day, shown.month, shown.year));
        ReturnToEdit();
        return;
    }
    const bool previous = Inside(m_previousRect, point);
    if (!previous && !Inside(m_nextRect, point))
        return;
    MoveTo(MoveDate(m_date, previous ? CalendarMove::MonthBack : CalendarMove::MonthForward));
}

LRESULT TPopupCalWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        SetupWindow();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        // As on the screen, where the class's brush has filled the background first.
        RECT client;
        GetClientRect(m_hwnd, &client);
        FillLine(reinterpret_cast<HDC>(wParam), 0, 0, client.right, client.bottom, kFace);
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    case WM_KEYDOWN:
        KeyDown(wParam);
        return 0;
    case WM_KILLFOCUS:
        Close();
        return 0;
    case WM_LBUTTONDOWN:
        ButtonDown(PointOf(lParam));
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(PointOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        ButtonUp(PointOf(lParam));
        return 0;
    default:
        return TWindow::WindowProc(msg, wParam, lParam);
    }
}

}  // namespace ks

// The month calendar's arithmetic: where a day sits in the six-week grid and where each calendar key moves.
#pragma once

#include "controls/calendar_date.h"

// A cell of the day grid: column 0 is Monday, row 0 holds the 1st of the month.
struct GridCell {
    int column = 0;
    int row = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

inline constexpr int kGridColumns = 7;
inline constexpr int kGridRows = 6;

// The day of the date's month shown in a cell, or 0 when the cell is before the 1st, after the last day or
// outside the grid.
int DayInCell(CalendarDate date, GridCell cell);

// The cell that shows the date.
GridCell CellOfDate(CalendarDate date);

// The moves of the calendar keys.
enum class CalendarMove {
    DayBack, // Left
    DayForward, // Right
    WeekBack, // Up
    WeekForward, // Down
    MonthBack, // Page Up: same day, or the month's last day when it is shorter
    MonthForward, // Page Down
    YearBack, // Ctrl+Page Up: same day and month; 29 February becomes 28 February
    YearForward, // Ctrl+Page Down
    MonthStart, // Home
    MonthEnd, // End
    YearStart, // Ctrl+Home: 1 January; on 1 January already, that of the year before
    YearEnd, // Ctrl+End: 31 December; on 31 December already, that of the year after
};

// The date a move leads to. A move that would leave the dates a day number can hold for a year from 100 on
// (a smaller year would be read as 19xx) keeps the date as it is; no date stays no date.
CalendarDate MoveDate(CalendarDate date, CalendarMove move);

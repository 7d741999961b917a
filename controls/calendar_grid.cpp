// The month calendar's arithmetic: cells of the day grid and the calendar keys' moves.
#include "controls/calendar_grid.h"

#include <algorithm>

namespace {

// Column of the month's 1st (0 = Monday).
int FirstColumn(CalendarDate date) { return WeekDay(date, 1) - 1; }

// The day in another month and year, cut to that month's length; the date itself when the year cannot be
// written as a day number of its own.
CalendarDate SameDayIn(CalendarDate date, int day, int month, int year)
{
    if (year < 100)
        return date;
    const CalendarDate first = MakeDate(1, month, year);
    if (first == 0)
        return date;
    return MakeDate(std::min(day, DaysInMonth(first)), month, year);
}

} // namespace

int DayInCell(CalendarDate date, GridCell cell)
{
    if (date == 0 || cell.column < 0 || cell.column >= kGridColumns || cell.row < 0 || cell.row >= kGridRows)
        return 0;
    const int day = cell.column + kGridColumns * cell.row - FirstColumn(date) + 1;
    return day >= 1 && day <= DaysInMonth(date) ? day : 0;
}

GridCell CellOfDate(CalendarDate date)
{
    if (date == 0)
        return {};
    const int day = SplitDate(date).day;
    return {WeekDay(date) - 1, (day + FirstColumn(date) - 1) / kGridColumns};
}

namespace {

CalendarDate Moved(CalendarDate date, CalendarMove move)
{
    const DateParts p = SplitDate(date);
    switch (move) {
    case CalendarMove::DayBack:
        return date - 1;
    case CalendarMove::DayForward:
        return date + 1;
    case CalendarMove::WeekBack:
        return date - 7;
    case CalendarMove::WeekForward:
        return date + 7;
    case CalendarMove::MonthBack:
        return p.month == 1 ? SameDayIn(date, p.day, 12, p.year - 1) : SameDayIn(date, p.day, p.month - 1, p.year);
    case CalendarMove::MonthForward:
        return p.month == 12 ? SameDayIn(date, p.day, 1, p.year + 1) : SameDayIn(date, p.day, p.month + 1, p.year);
    case CalendarMove::YearBack:
        return SameDayIn(date, p.day, p.month, p.year - 1);
    case CalendarMove::YearForward:
        return SameDayIn(date, p.day, p.month, p.year + 1);
    case CalendarMove::MonthStart:
        return SameDayIn(date, 1, p.month, p.year);
    case CalendarMove::MonthEnd:
        return SameDayIn(date, DaysInMonth(date), p.month, p.year);
    case CalendarMove::YearStart:
        return SameDayIn(date, 1, 1, p.day == 1 && p.month == 1 ? p.year - 1 : p.year);
    case CalendarMove::YearEnd:
        return SameDayIn(date, 31, 12, p.day == 31 && p.month == 12 ? p.year + 1 : p.year);
    }
    return date;
}

} // namespace

CalendarDate MoveDate(CalendarDate date, CalendarMove move)
{
    if (date == 0)
        return 0;
    const CalendarDate moved = Moved(date, move);
    return moved != 0 && SplitDate(moved).year >= 100 ? moved : date;
}

// The calendar's grid and key moves: where days sit among the six weeks and where each key leads.
#include "controls/calendar_grid.h"

#include <gtest/gtest.h>

namespace {

CalendarDate D(int day, int month, int year) { return MakeDate(day, month, year); }

TEST(CalendarGrid, EveryDayOfEveryMonthSitsInItsCellAndBack)
{
    for (int year : {1995, 1996, 1997, 2000, 2100})
        for (int month = 1; month <= 12; ++month) {
            const CalendarDate first = D(1, month, year);
            int days = 0;
            for (int row = 0; row < kGridRows; ++row)
                for (int column = 0; column < kGridColumns; ++column) {
                    const int day = DayInCell(first, {column, row});
                    if (day == 0)
                        continue;
                    ++days;
                    const CalendarDate date = D(day, month, year);
                    EXPECT_EQ(CellOfDate(date), (GridCell {column, row})) << year << "-" << month << "-" << day;
                    EXPECT_EQ(WeekDay(date), column + 1); // columns are Monday to Sunday
                }
            EXPECT_EQ(days, DaysInMonth(first)) << year << "-" << month;
        }
}

TEST(CalendarGrid, MonthShapes)
{
    // September 1996 starts on a Sunday: the 1st is in the last column of the first row.
    EXPECT_EQ(DayInCell(D(15, 9, 1996), {6, 0}), 1);
    EXPECT_EQ(DayInCell(D(15, 9, 1996), {5, 0}), 0);
    // March 1997 starts on a Saturday and has 31 days: the sixth row holds the 31st.
    EXPECT_EQ(CellOfDate(D(31, 3, 1997)), (GridCell {0, 5}));
    // December 1996 starts on a Sunday: 30 and 31 in the sixth row.
    EXPECT_EQ(DayInCell(D(1, 12, 1996), {1, 5}), 31);
    // January 1996 starts on a Monday: first cell, and nothing after the 31st.
    EXPECT_EQ(DayInCell(D(1, 1, 1996), {0, 0}), 1);
    EXPECT_EQ(DayInCell(D(1, 1, 1996), {3, 4}), 0);
    // Outside the grid there is no day, whatever the arithmetic would say.
    EXPECT_EQ(DayInCell(D(1, 1, 1996), {7, 0}), 0);
    EXPECT_EQ(DayInCell(D(1, 1, 1996), {0, -1}), 0);
    EXPECT_EQ(DayInCell(D(1, 1, 1996), {0, 6}), 0);
    EXPECT_EQ(DayInCell(0, {0, 0}), 0);
}

struct MoveCase {
    CalendarDate from;
    CalendarMove move;
    CalendarDate to;
    int line;
};

TEST(CalendarGrid, KeyMoves)
{
    using M = CalendarMove;
    const MoveCase cases[] = {
        {D(1, 3, 1996), M::DayBack, D(29, 2, 1996), __LINE__},
        {D(31, 12, 1996), M::DayForward, D(1, 1, 1997), __LINE__},
        {D(3, 1, 1996), M::WeekBack, D(27, 12, 1995), __LINE__},
        {D(26, 2, 1996), M::WeekForward, D(4, 3, 1996), __LINE__},
        {D(31, 3, 1996), M::MonthBack, D(29, 2, 1996), __LINE__},
        {D(31, 3, 1997), M::MonthBack, D(28, 2, 1997), __LINE__},
        {D(15, 1, 1996), M::MonthBack, D(15, 12, 1995), __LINE__},
        {D(31, 1, 1996), M::MonthForward, D(29, 2, 1996), __LINE__},
        {D(31, 1, 1997), M::MonthForward, D(28, 2, 1997), __LINE__},
        {D(31, 12, 1996), M::MonthForward, D(31, 1, 1997), __LINE__},
        {D(29, 2, 1996), M::YearBack, D(28, 2, 1995), __LINE__},
        {D(29, 2, 1996), M::YearForward, D(28, 2, 1997), __LINE__},
        {D(10, 6, 1996), M::YearForward, D(10, 6, 1997), __LINE__},
        {D(17, 5, 1996), M::MonthStart, D(1, 5, 1996), __LINE__},
        {D(1, 5, 1996), M::MonthStart, D(1, 5, 1996), __LINE__},
        {D(2, 2, 1996), M::MonthEnd, D(29, 2, 1996), __LINE__},
        {D(30, 4, 1996), M::MonthEnd, D(30, 4, 1996), __LINE__},
        {D(17, 5, 1996), M::YearStart, D(1, 1, 1996), __LINE__},
        {D(1, 1, 1996), M::YearStart, D(1, 1, 1995), __LINE__},
        {D(17, 5, 1996), M::YearEnd, D(31, 12, 1996), __LINE__},
        {D(31, 12, 1996), M::YearEnd, D(31, 12, 1997), __LINE__},
        // The year 100 is the first a day number can name for itself: moves stop there.
        {D(1, 1, 100), M::YearStart, D(1, 1, 100), __LINE__},
        {D(1, 1, 100), M::DayBack, D(1, 1, 100), __LINE__},
        {D(15, 1, 100), M::MonthBack, D(15, 1, 100), __LINE__},
        {0, M::DayForward, 0, __LINE__},
    };
    for (const MoveCase& c : cases)
        EXPECT_EQ(MoveDate(c.from, c.move), c.to) << "case at line " << c.line;
}

} // namespace

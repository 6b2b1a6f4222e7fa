// The three lines of text that a day cell of the month page shows, shared by
// the main window's grid and the terminal calendar so that both agree.
#pragma once

#include <cstdint>
#include <string>

struct DayCell {
    std::string Day;   // the Gregorian day number, no leading zero
    std::string Lunar; // the lunar day's name, or the lunar month's name on its first day
    std::string Term;  // the solar term of the day, or empty
};

// Throws CalendarError for an impossible date or one outside 1901..2050.
DayCell MakeDayCell(int32_t Year, int32_t Month, int32_t Day);

// The cell's text as the grid holds it: the three lines joined by a carriage
// return (character 13, no line feed); both are always present.
std::string DayCellText(const DayCell& Cell);

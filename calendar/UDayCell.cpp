#include "UDayCell.h"

#include "UCalendar.h"

#include <chrono>

DayCell MakeDayCell(int32_t Year, int32_t Month, int32_t Day) {
    const LunarDate lunar = GregorianToLunar(Year, Month, Day);
    DayCell cell;
    cell.Day = std::to_string(Day);
    cell.Lunar = GetLunarDayName(lunar.Day);
    if (cell.Lunar == "初一") {
        cell.Lunar = GetLunarMonthName(lunar.Month, true);
    }
    const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(Year)},
                                           std::chrono::month{static_cast<unsigned>(Month)},
                                           std::chrono::day{static_cast<unsigned>(Day)}};
    cell.Term = GetSolarTermName(std::chrono::local_days{date});
    return cell;
}

std::string DayCellText(const DayCell& Cell) {
    return Cell.Day + '\r' + Cell.Lunar + '\r' + Cell.Term;
}

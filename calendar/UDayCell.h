// What a day cell of the month page shows, shared by the main window's grid
// and the terminal calendar so that both agree: the three lines of text, the
// one name of the cell's name line with its kind (for its colour), the 休/班
// mark, and the day's details for a tooltip.
#pragma once

#include "UHolidays.h"

#include <cstdint>
#include <string>
#include <vector>

// What the name line of a cell shows, so that the window can colour it.
enum class DayNameKind : uint8_t {
    None,              // no name on this day
    LunarFestival,     // 春节, 中秋节, 除夕, ..
    GregorianFestival, // a widely kept one: 元旦, 国庆节, 儿童节, ..
    SolarTerm,         // 立春, 清明, ..
};

struct DayCell {
    // The three lines of text (DayCellText).
    std::string Day;   // the Gregorian day number, no leading zero
    std::string Lunar; // the lunar day's name, or the lunar month's name on its first
                       // day: 　二月 for an ordinary month, 闰二月 for a leap month
    std::string Term;  // the solar term of the day, or empty

    bool LeapMonth = false;        // the day lies in a leap month
    std::string LunarFestivalName; // GetLunarFestivalName, or empty
    std::string KeptFestivalName;  // GetKeptFestivalName (the cell's short name), or empty

    // The one name the cell shows where several meet on a day: a lunar
    // festival before a Gregorian festival before a solar term. Empty (and
    // NameKind None) when the day has none; the details list them all.
    std::string Name;
    DayNameKind NameKind = DayNameKind::None;

    OfficialMark Mark = OfficialMark::None; // 休 or 班 from the holiday table
    std::string HolidayName;                // the holiday of the mark, empty for None
};

// The cell of a Gregorian date with the compiled-in holidays. Throws
// CalendarError for an impossible date or one outside 1901..2050.
DayCell MakeDayCell(int32_t Year, int32_t Month, int32_t Day);
// The same with a holiday table of the caller's (the compiled-in one merged
// with the user's Holidays.txt, see ReadHolidayFile).
DayCell MakeDayCell(int32_t Year, int32_t Month, int32_t Day, const THolidayTable& Holidays);

// The cell's text as the grid holds it: the three lines joined by a carriage
// return (character 13, no line feed); both are always present.
std::string DayCellText(const DayCell& Cell);

// The details of a day, one text per line, for the cell's tooltip:
//
//     2026年12月11日 星期五          the date and the weekday
//     农历丙午年十月廿三              the lunar date: the lunar year's GanZhi, 闰 where so
//     丙午年 庚子月 己未日 属马       year, month and day GanZhi with the zodiac; this
//                                    year begins at 立春, like its month
//     节气：大雪                      only on the day of a solar term
//     节日：春节、西方情人节           only with festivals: the lunar one and the one of
//                                    the Gregorian list (Festivals), by their full names
//     休：春节放假 / 班：春节调休上班   only on a day the holiday table names
//
// Throws CalendarError as MakeDayCell does.
std::vector<std::string> GetDayDetails(int32_t Year, int32_t Month, int32_t Day,
                                       const THolidayTable& Holidays);

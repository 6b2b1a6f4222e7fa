#include "UDayCell.h"

#include "UCalendar.h"

#include <array>
#include <chrono>
#include <string_view>

namespace {

std::chrono::local_days LocalDay(int32_t Year, int32_t Month, int32_t Day) {
    const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(Year)},
                                           std::chrono::month{static_cast<unsigned>(Month)},
                                           std::chrono::day{static_cast<unsigned>(Day)}};
    return std::chrono::local_days{date};
}

// The month's name without the padding of months 1 to 10: 十月, 闰二月, 十一月.
std::string PlainMonthName(const LunarDay& Lunar) {
    std::string name = GetLunarMonthName(Lunar.Date.Month, true, Lunar.LeapMonth);
    constexpr std::string_view pad = "　";
    if (name.starts_with(pad)) {
        name.erase(0, pad.size());
    }
    return name;
}

} // namespace

DayCell MakeDayCell(int32_t Year, int32_t Month, int32_t Day) {
    return MakeDayCell(Year, Month, Day, THolidayTable::Compiled());
}

DayCell MakeDayCell(int32_t Year, int32_t Month, int32_t Day, const THolidayTable& Holidays) {
    const LunarDay lunar = GregorianToLunarDay(Year, Month, Day);
    DayCell cell;
    cell.Day = std::to_string(Day);
    cell.LeapMonth = lunar.LeapMonth;
    cell.Lunar = lunar.Date.Day == 1 ? GetLunarMonthName(lunar.Date.Month, true, lunar.LeapMonth)
                                     : GetLunarDayName(lunar.Date.Day);
    cell.Term = GetSolarTermName(LocalDay(Year, Month, Day));
    cell.LunarFestivalName = GetLunarFestivalName(lunar);
    cell.KeptFestivalName = GetKeptFestivalName(Month, Day);
    if (!cell.LunarFestivalName.empty()) {
        cell.Name = cell.LunarFestivalName;
        cell.NameKind = DayNameKind::LunarFestival;
    } else if (!cell.KeptFestivalName.empty()) {
        cell.Name = cell.KeptFestivalName;
        cell.NameKind = DayNameKind::GregorianFestival;
    } else if (!cell.Term.empty()) {
        cell.Name = cell.Term;
        cell.NameKind = DayNameKind::SolarTerm;
    }
    OfficialDay official = Holidays.Find(Year, Month, Day);
    cell.Mark = official.Mark;
    cell.HolidayName = std::move(official.Name);
    return cell;
}

std::string DayCellText(const DayCell& Cell) {
    return Cell.Day + '\r' + Cell.Lunar + '\r' + Cell.Term;
}

std::vector<std::string> GetDayDetails(int32_t Year, int32_t Month, int32_t Day,
                                       const THolidayTable& Holidays) {
    static constexpr std::array<const char*, 7> weekdays = {"星期日", "星期一", "星期二", "星期三",
                                                            "星期四", "星期五", "星期六"};
    const LunarDay lunar = GregorianToLunarDay(Year, Month, Day);
    std::vector<std::string> lines;

    lines.push_back(std::to_string(Year) + "年" + std::to_string(Month) + "月" +
                    std::to_string(Day) + "日 " +
                    weekdays[static_cast<size_t>(GetWeekDay(Year, Month, Day) - 1)]);

    lines.push_back("农历" + GetGanZhiName(GetYearGanZhi(lunar.Date.Year)) + "年" +
                    PlainMonthName(lunar) + GetLunarDayName(lunar.Date.Day));

    const int32_t year = GetYearGanZhiOfDate(Year, Month, Day);
    lines.push_back(GetGanZhiName(year) + "年 " + GetGanZhiName(GetMonthGanZhi(Year, Month, Day)) +
                    "月 " + GetGanZhiName(GetDayGanZhi(Year, Month, Day)) + "日 属" +
                    GetZodiacName(year));

    const std::string term = GetSolarTermName(LocalDay(Year, Month, Day));
    if (!term.empty()) {
        lines.push_back("节气：" + term);
    }

    std::string festivals = GetLunarFestivalName(lunar);
    const std::string gregorian = GetHolidayName(LocalDay(Year, Month, Day));
    if (!gregorian.empty()) {
        festivals += (festivals.empty() ? "" : "、") + gregorian;
    }
    if (!festivals.empty()) {
        lines.push_back("节日：" + festivals);
    }

    const OfficialDay official = Holidays.Find(Year, Month, Day);
    if (official.Mark == OfficialMark::Off) {
        lines.push_back("休：" + official.Name + "放假");
    } else if (official.Mark == OfficialMark::Work) {
        lines.push_back("班：" + official.Name + "调休上班");
    }
    return lines;
}

// The Chinese lunar calendar for the Gregorian dates 1901-01-01 to 2050-12-31:
// compiled-in tables of lunar month lengths, leap months and solar-term days,
// conversion of a Gregorian date to a lunar date (with its leap-month flag),
// the names of years, lunar months and lunar days, the GanZhi of the year,
// the month and the day, the lunar festivals and a fixed list of Gregorian
// festivals. The official days off and working days are in UHolidays.h, the
// texts of a day cell and its details in UDayCell.h.
//
// Everything here is a pure function of its arguments and the constant
// tables. Texts are UTF-8; one "character position" is one Unicode character.
// Standard library only: no widget or Qt header may be included here.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

// An impossible Gregorian date (month 13, 30 February) or, for the lookups
// that need the tables, a date or lunar year that the tables do not cover.
class CalendarError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// A lunar date without a leap-month flag: a day of a leap month carries the
// number of the regular month that the leap month follows.
struct LunarDate {
    int32_t Year = 0;  // lunar year, 1900 to 2050
    int32_t Month = 0; // [1, 12]
    int32_t Day = 0;   // [1, 30]
    friend bool operator==(const LunarDate&, const LunarDate&) = default;
};

// A lunar date and, beside it, whether the day lies in a leap month. The
// leap month follows the regular month of the same number: 2023-03-22 is
// {{2023, 2, 1}, true}, 2023-02-20 is {{2023, 2, 1}, false}.
struct LunarDay {
    LunarDate Date;
    bool LeapMonth = false;
    friend bool operator==(const LunarDay&, const LunarDay&) = default;
};

// First and last lunar year described by the tables.
inline constexpr int32_t FirstLunarYear = 1901;
inline constexpr int32_t LastLunarYear = 2050;
inline constexpr int32_t LunarYearCount = LastLunarYear - FirstLunarYear + 1; // 150

// Bits 15..3: month lengths in calendar order, leap month included (1 = 30 days).
extern const std::array<uint16_t, LunarYearCount> LunarMonthTable;
// Two years a byte: the even year offset in the high nibble. 0 = no leap month.
extern const std::array<uint8_t, LunarYearCount / 2> LeapMonthTable;
// One byte per Gregorian month 1901-01 .. 2050-12: first term on 15 - high
// nibble, second term on 15 + low nibble.
extern const std::array<uint8_t, LunarYearCount * 12> SolarTermTable;

// Character lists, indexed by character position.
extern const std::array<const char*, 10> HeavenlyStems;   // 甲乙丙丁戊己庚辛壬癸
extern const std::array<const char*, 12> EarthlyBranches; // 子丑寅卯辰巳午未申酉戌亥
extern const std::array<const char*, 12> ZodiacAnimals;   // 鼠牛虎兔龙蛇马羊猴鸡狗猪
extern const std::array<const char*, 10> MonthNumerals;   // 正二三四五六七八九十
extern const std::array<const char*, 4> DayPrefixes;      // 初十廿三
extern const std::array<const char*, 10> DayDigits;       // 一二三四五六七八九十
extern const std::array<const char*, 24> SolarTermNames;  // 小寒 .. 冬至, term 1 first

struct Festival {
    int32_t Month;
    int32_t Day;
    const char* Name;
};
extern const std::array<Festival, 50> Festivals; // ordered by month and day

// The festivals of Festivals that are widely kept, the ones a day cell shows,
// each with the shorter name the cell shows it by (元旦节 is 元旦 in a cell).
struct KeptFestival {
    int32_t Month;
    int32_t Day;
    const char* Name;     // as in Festivals
    const char* CellName; // at most three characters
};
extern const std::array<KeptFestival, 11> KeptFestivals; // ordered by month and day

// The lunar festivals of fixed days, kept in ordinary (not leap) months only.
// 除夕, the last day of the lunar year (the 29th or the 30th), is not among
// them: GetLunarFestivalName finds it.
struct LunarFestival {
    int32_t Month; // lunar month
    int32_t Day;   // lunar day
    const char* Name;
};
extern const std::array<LunarFestival, 10> LunarFestivals; // 春节 .. 小年, in calendar order
inline constexpr const char* NewYearsEveName = "除夕";

// --- Gregorian dates (proleptic Gregorian calendar) ---

// 1 = Sunday .. 7 = Saturday. Throws CalendarError for an impossible date.
int32_t GetWeekDay(int32_t Year, int32_t Month, int32_t Day);
// 28 to 31, or 0 for a month number outside 1 to 12.
int32_t GetMonthDays(int32_t Year, int32_t Month) noexcept;
// Days from the second date to the first (first minus second).
// Throws CalendarError when either date is impossible.
int32_t GetDaysBetween(int32_t Year1, int32_t Month1, int32_t Day1, int32_t Year2, int32_t Month2,
                       int32_t Day2);

// --- Lunar tables ---

// 0, or the month that the year's leap month follows. Years 1901 to 2050.
int32_t GetLeapMonth(int32_t LunarYear);
// Low 16 bits: days of the regular month; high 16 bits: days of the leap month
// that follows it when LunarMonth is the year's leap month, else 0.
// Years before 1901 give 30 days and no leap month; years after 2050 throw.
uint32_t GetLunarMonthDays(int32_t LunarYear, int32_t LunarMonth);
// Days of the lunar year, leap month included. Years 1901 to 2050.
int32_t GetLunarYearDays(int32_t LunarYear);

// --- Conversion ---

// Days since 1901-01-01 (0 = 1901-01-01) up to the last day of lunar 2050 (2051-02-10).
LunarDate OffsetToLunar(int32_t Offset);
LunarDate GregorianToLunar(int32_t Year, int32_t Month, int32_t Day);
// The same conversions with the leap-month flag.
LunarDay OffsetToLunarDay(int32_t Offset);
LunarDay GregorianToLunarDay(int32_t Year, int32_t Month, int32_t Day);
// The way back: days since 1901-01-01 of a day of lunar years 1901 to 2050,
// in the leap month of that number where Day.LeapMonth is set. A day past
// the end of its month (the 30th of a 29-day month) or a leap month the year
// does not have is a CalendarError; LunarDayOfMonthDays tells the lengths.
int32_t LunarToOffset(const LunarDay& Day);
// The days of lunar month Month of LunarYear (the leap month of that number
// with Leap), or 0 when the year has no such leap month.
int32_t LunarDayOfMonthDays(int32_t LunarYear, int32_t Month, bool Leap);
// True on the last day of the lunar year, the day before 正月初一: the last
// day of month 12, or of the leap month after it where the year has one.
bool IsLastDayOfLunarYear(const LunarDay& Day);

// --- Names ---

// Stem, branch, zodiac animal and 年 of a Gregorian year number: 1984 gives 甲子鼠年.
std::string GetGanZhiYearName(int32_t Year);
// 　正月 .. 十二月 (months 1 to 10 padded with an ideographic space);
// with UseZheng false, month 1 is 　一月. Throws for a month outside 1 to 12.
std::string GetLunarMonthName(int32_t Month, bool UseZheng);
// With Leap true, 闰 and the month's name without padding: 闰二月, 闰六月,
// 闰十一月. With Leap false, the same as GetLunarMonthName(Month, UseZheng).
std::string GetLunarMonthName(int32_t Month, bool UseZheng, bool Leap);
// 初一 .. 三十. Throws for a day outside 1 to 30.
std::string GetLunarDayName(int32_t Day);

// --- GanZhi (sexagenary cycle) ---
//
// A pair is an index 0 to 59: its stem is HeavenlyStems[Index % 10], its
// branch EarthlyBranches[Index % 12]; 0 is 甲子, 1 乙丑, 59 癸亥.

// The two characters of a pair: 0 gives 甲子. Throws for an index outside 0 to 59.
std::string GetGanZhiName(int32_t Index);
// The zodiac animal of a pair's branch: 0 (甲子) gives 鼠.
std::string GetZodiacName(int32_t Index);
// The pair of a year number, the rule of GetGanZhiYearName: 1984 gives 0 (甲子).
int32_t GetYearGanZhi(int32_t Year) noexcept;
// The year pair of a Gregorian date, the year beginning at 立春: 2026-02-03
// is still 乙巳, 2026-02-04 is 丙午. Years 1901 to 2050.
int32_t GetYearGanZhiOfDate(int32_t Year, int32_t Month, int32_t Day);
// The month pair: it counts on by one on each of the twelve 节 (立春, 惊蛰,
// 清明, 立夏, 芒种, 小暑, 立秋, 白露, 寒露, 立冬, 大雪, 小寒), the day of the
// term belonging to the new month; the month from 立春 of a year whose stem
// is 甲 or 己 is 丙寅. 2026-12-11 gives 36 (庚子). Years 1901 to 2050.
int32_t GetMonthGanZhi(int32_t Year, int32_t Month, int32_t Day);
// The day pair: it counts on by one every day, 1949-10-01 being 甲子 (0).
// 2026-12-11 gives 55 (己未). Any real date.
int32_t GetDayGanZhi(int32_t Year, int32_t Month, int32_t Day);

// --- Solar terms and festivals ---

// Term number 1 to 24 of the Gregorian date, 0 when none falls on it.
// Years 1901 to 2050; throws for an impossible date or another year.
int32_t GetSolarTerm(int32_t Year, int32_t Month, int32_t Day);
// Only the date part of the value is used.
std::string GetSolarTermName(std::chrono::local_seconds DateTime);
// The festival of the date's month and day, or empty. Any date.
std::string GetHolidayName(std::chrono::local_seconds DateTime);
// The cell name of the widely kept festival on a Gregorian month and day
// (KeptFestivals), or empty: 10-01 gives 国庆节, 01-01 元旦, 03-05 nothing.
std::string GetKeptFestivalName(int32_t Month, int32_t Day);
// The lunar festival of a lunar day, or empty: one of LunarFestivals on its
// day of an ordinary month, or 除夕 on the last day of the lunar year.
std::string GetLunarFestivalName(const LunarDay& Day);
// The same for a Gregorian date (1901-01-01 to 2050-12-31).
std::string GetLunarFestivalName(int32_t Year, int32_t Month, int32_t Day);

// Converts every day from 1901-01-01 to 2050-12-31 and prints the time per
// conversion, the cost that each day cell of the month page pays; then builds
// whole 42-cell month pages with everything a cell and its tooltip show
// (cell, festivals, 休/班 from a table merged with a user's holidays file,
// and the day details) and prints the time per page.
#include "UCalendar.h"
#include "UDayCell.h"
#include "UHolidays.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <vector>

namespace chr = std::chrono;

int main() {
    constexpr int days = 54787;
    constexpr int rounds = 9;
    std::vector<double> lunarTimes, cellTimes;
    int64_t checksum = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = chr::steady_clock::now();
        for (int offset = 0; offset < days; ++offset) {
            const chr::year_month_day date{chr::sys_days{chr::year{1901} / 1 / 1} +
                                           chr::days{offset}};
            const LunarDate lunar = GregorianToLunar(int(date.year()), int(unsigned(date.month())),
                                                     int(unsigned(date.day())));
            checksum += lunar.Year + lunar.Month + lunar.Day;
        }
        lunarTimes.push_back(
            chr::duration<double, std::nano>(chr::steady_clock::now() - start).count() / days);

        start = chr::steady_clock::now();
        for (int offset = 0; offset < days; ++offset) {
            const chr::year_month_day date{chr::sys_days{chr::year{1901} / 1 / 1} +
                                           chr::days{offset}};
            checksum += static_cast<int64_t>(
                DayCellText(MakeDayCell(int(date.year()), int(unsigned(date.month())),
                                        int(unsigned(date.day()))))
                    .size());
        }
        cellTimes.push_back(
            chr::duration<double, std::nano>(chr::steady_clock::now() - start).count() / days);
    }
    // A holidays file as large as the whole compiled-in table, read once as
    // the program does at start.
    std::ostringstream file;
    for (const HolidayDay& day : CompiledHolidayDays) {
        char line[96];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d\t%s\t%s\n", static_cast<int>(day.Year),
                      static_cast<int>(day.Month), static_cast<int>(day.Day),
                      OfficialMarkText(day.Mark), day.Name);
        file << line;
    }
    const std::string text = file.str();
    std::vector<double> readTimes;
    THolidayTable holidays;
    for (int round = 0; round < rounds; ++round) {
        const auto start = chr::steady_clock::now();
        HolidayFileResult read = ReadHolidayText(text, "Holidays.txt", THolidayTable::Compiled());
        readTimes.push_back(
            chr::duration<double, std::micro>(chr::steady_clock::now() - start).count());
        holidays = std::move(read.Table);
    }

    // Every month page whose 42 cells (from the Sunday on or before the 1st)
    // lie inside the range: 1901-02 to 2050-11.
    std::vector<double> pageTimes;
    double slowestPage = 0;
    for (int round = 0; round < 3; ++round) {
        for (int year = 1901; year <= 2050; ++year) {
            for (int month = 1; month <= 12; ++month) {
                if ((year == 1901 && month == 1) || (year == 2050 && month == 12)) {
                    continue;
                }
                const auto start = chr::steady_clock::now();
                const chr::sys_days first{chr::year{year} / month / 1};
                const chr::sys_days sunday = first - (chr::weekday{first} - chr::Sunday);
                for (int cell = 0; cell < 42; ++cell) {
                    const chr::year_month_day date{sunday + chr::days{cell}};
                    const int y = int(date.year()), m = int(unsigned(date.month())),
                              d = int(unsigned(date.day()));
                    const DayCell made = MakeDayCell(y, m, d, holidays);
                    checksum += static_cast<int64_t>(DayCellText(made).size() + made.Name.size());
                    for (const std::string& line : GetDayDetails(y, m, d, holidays)) {
                        checksum += static_cast<int64_t>(line.size());
                    }
                }
                const double us =
                    chr::duration<double, std::micro>(chr::steady_clock::now() - start).count();
                pageTimes.push_back(us);
                slowestPage = std::max(slowestPage, us);
            }
        }
    }

    std::sort(lunarTimes.begin(), lunarTimes.end());
    std::sort(cellTimes.begin(), cellTimes.end());
    std::sort(readTimes.begin(), readTimes.end());
    std::sort(pageTimes.begin(), pageTimes.end());
    std::printf("days converted per round:      %d (median of %d rounds)\n", days, rounds);
    std::printf("GregorianToLunar:              %.1f ns per date\n", lunarTimes[rounds / 2]);
    std::printf("day cell (lunar, names, term): %.1f ns per date\n", cellTimes[rounds / 2]);
    std::printf("one month page of 31 cells:    %.1f us\n", cellTimes[rounds / 2] * 31 / 1000);
    std::printf("Holidays.txt of %zu lines read and merged: %.0f us\n", CompiledHolidayDays.size(),
                readTimes[rounds / 2]);
    std::printf("42-cell page, cells and details (%zu pages): median %.1f us, 99th percentile "
                "%.1f us, slowest %.1f us (goal: far under 2000 us)\n",
                pageTimes.size(), pageTimes[pageTimes.size() / 2],
                pageTimes[pageTimes.size() * 99 / 100], slowestPage);
    std::printf("(checksum %lld)\n", static_cast<long long>(checksum));
}

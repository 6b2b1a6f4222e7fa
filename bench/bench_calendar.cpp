// Converts every day from 1901-01-01 to 2050-12-31 and prints the time per
// conversion, the cost that each day cell of the month page pays.
#include "UCalendar.h"
#include "UDayCell.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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
    std::sort(lunarTimes.begin(), lunarTimes.end());
    std::sort(cellTimes.begin(), cellTimes.end());
    std::printf("days converted per round:      %d (median of %d rounds)\n", days, rounds);
    std::printf("GregorianToLunar:              %.1f ns per date\n", lunarTimes[rounds / 2]);
    std::printf("day cell (lunar, names, term): %.1f ns per date\n", cellTimes[rounds / 2]);
    std::printf("one month page of 31 cells:    %.1f us\n", cellTimes[rounds / 2] * 31 / 1000);
    std::printf("(checksum %lld)\n", static_cast<long long>(checksum));
}

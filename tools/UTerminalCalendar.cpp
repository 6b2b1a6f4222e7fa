#include "UTerminalCalendar.h"

#include "UCalendar.h"
#include "UDayCell.h"

#include <charconv>
#include <ostream>
#include <sstream>

namespace chr = std::chrono;

const char* const TerminalUsage =
    "usage: vorncal [YEAR MONTH]        print a month (1901-2050, 1-12; default: this month)\n"
    "       vorncal --tsv FROM TO       one tab-separated line per date, FROM and TO as "
    "yyyy-mm-dd\n"
    "       vorncal notes [--today] [FILE]  list the notes (default: the notes file of the "
    "calendar)\n"
    "       vorncal --help              print this help\n";

namespace {

constexpr int CellWidth = 8; // terminal columns per weekday column
constexpr const char* Accepted =
    "expected: vorncal [YEAR MONTH] | vorncal --tsv FROM TO (yyyy-mm-dd, 1901-01-01 to "
    "2050-12-31) | vorncal notes [--today] [FILE] | vorncal --help";

struct UsageError {
    std::string What;
};

std::string Centered(const std::string& Text, int Width) {
    const int pad = Width - DisplayWidth(Text);
    if (pad <= 0) {
        return Text;
    }
    const int left = pad / 2;
    return std::string(static_cast<size_t>(left), ' ') + Text +
           std::string(static_cast<size_t>(pad - left), ' ');
}

std::string TrimRight(std::string Line) {
    while (!Line.empty() && Line.back() == ' ') {
        Line.pop_back();
    }
    return Line;
}

bool AllDigits(const std::string& Text) {
    if (Text.empty()) {
        return false;
    }
    for (char c : Text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int ParseNumber(const std::string& Text, const char* What) {
    int value = 0;
    if (AllDigits(Text)) {
        const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
        if (ec == std::errc() && end == Text.data() + Text.size()) {
            return value;
        }
    }
    throw UsageError{std::string(What) + " '" + Text + "' is not a number"};
}

constexpr chr::year_month_day FirstDay{chr::year{1901}, chr::January, chr::day{1}};
constexpr chr::year_month_day LastDay{chr::year{2050}, chr::December, chr::day{31}};

// "yyyy-mm-dd", four, two and two digits.
chr::year_month_day ParseDate(const std::string& Text) {
    const bool shaped = Text.size() == 10 && Text[4] == '-' && Text[7] == '-' &&
                        AllDigits(Text.substr(0, 4)) && AllDigits(Text.substr(5, 2)) &&
                        AllDigits(Text.substr(8, 2));
    if (!shaped) {
        throw UsageError{"date '" + Text + "' is not of the form yyyy-mm-dd"};
    }
    const chr::year_month_day date{chr::year{std::stoi(Text.substr(0, 4))},
                                   chr::month{static_cast<unsigned>(std::stoi(Text.substr(5, 2)))},
                                   chr::day{static_cast<unsigned>(std::stoi(Text.substr(8, 2)))}};
    if (!date.ok()) {
        throw UsageError{"date " + Text + " does not exist"};
    }
    if (date < FirstDay || date > LastDay) {
        throw UsageError{"date " + Text + " is outside 1901-01-01 to 2050-12-31"};
    }
    return date;
}

void CheckMonth(int Year, int Month) {
    if (Year < 1901 || Year > 2050) {
        throw UsageError{"year " + std::to_string(Year) + " is outside 1901 to 2050"};
    }
    if (Month < 1 || Month > 12) {
        throw UsageError{"month " + std::to_string(Month) + " is outside 1 to 12"};
    }
}

int YearOf(chr::year_month_day Date) {
    return static_cast<int>(Date.year());
}
int MonthOf(chr::year_month_day Date) {
    return static_cast<int>(static_cast<unsigned>(Date.month()));
}
int DayOf(chr::year_month_day Date) {
    return static_cast<int>(static_cast<unsigned>(Date.day()));
}

} // namespace

int DisplayWidth(const std::string& Text) {
    int width = 0;
    for (size_t i = 0; i < Text.size();) {
        const auto lead = static_cast<unsigned char>(Text[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < Text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(Text[i + k]) & 0x3F);
        }
        // East Asian wide: Hangul Jamo, CJK symbols and ideographs, full-width forms.
        const bool wide =
            (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
            (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
            (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
            (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

std::string RenderMonth(int Year, int Month, std::optional<int> MarkDay) {
    std::ostringstream out;
    const std::string title =
        std::to_string(Year) + "年" + std::to_string(Month) + "月  " + GetGanZhiYearName(Year);
    out << TrimRight(Centered(title, 7 * CellWidth)) << '\n';
    std::string header;
    for (const char* name : {"日", "一", "二", "三", "四", "五", "六"}) {
        header += Centered(name, CellWidth);
    }
    out << TrimRight(header) << '\n';

    const int first = GetWeekDay(Year, Month, 1) - 1; // column of day 1, [0, 6]
    const int days = GetMonthDays(Year, Month);
    for (int row = 0; row < 6; ++row) {
        std::string lines[3];
        for (int column = 0; column < 7; ++column) {
            const int day = row * 7 + column - first + 1;
            DayCell cell;
            if (day >= 1 && day <= days) {
                cell = MakeDayCell(Year, Month, day);
            }
            const std::string* texts[3] = {&cell.Day, &cell.Lunar, &cell.Term};
            for (int k = 0; k < 3; ++k) {
                std::string text = Centered(*texts[k], CellWidth);
                if (MarkDay && *MarkDay == day) {
                    text = "\x1b[7m" + text + "\x1b[0m";
                }
                lines[k] += text;
            }
        }
        for (const std::string& line : lines) {
            out << TrimRight(line) << '\n';
        }
    }
    return out.str();
}

std::string RenderTsv(chr::year_month_day From, chr::year_month_day To) {
    std::ostringstream out;
    char iso[16];
    for (chr::sys_days d{From}; d <= chr::sys_days{To}; d += chr::days{1}) {
        const chr::year_month_day date{d};
        const int year = YearOf(date), month = MonthOf(date), day = DayOf(date);
        const LunarDate lunar = GregorianToLunar(year, month, day);
        const DayCell cell = MakeDayCell(year, month, day);
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
        out << iso << '\t' << lunar.Year << '\t' << lunar.Month << '\t' << lunar.Day << '\t'
            << cell.Lunar << '\t' << cell.Term << '\t'
            << GetHolidayName(chr::local_days{chr::sys_days{d}.time_since_epoch()}) << '\t'
            << GetGanZhiYearName(year) << '\t' << GetWeekDay(year, month, day) << '\n';
    }
    return out.str();
}

int RunTerminalCalendar(const std::vector<std::string>& Args, const TerminalOptions& Options,
                        std::ostream& Out, std::ostream& Err) {
    try {
        if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h")) {
            Out << TerminalUsage;
            return 0;
        }
        for (const std::string& arg : Args) {
            if (arg.size() > 1 && arg[0] == '-' && arg != "--tsv") {
                throw UsageError{"unknown option '" + arg + "'"};
            }
        }
        if (!Args.empty() && Args[0] == "--tsv") {
            if (Args.size() != 3) {
                throw UsageError{Args.size() < 3 ? "--tsv needs FROM and TO"
                                                 : "too many arguments after --tsv FROM TO"};
            }
            const chr::year_month_day from = ParseDate(Args[1]);
            const chr::year_month_day to = ParseDate(Args[2]);
            if (from > to) {
                throw UsageError{"FROM " + Args[1] + " is after TO " + Args[2]};
            }
            Out << RenderTsv(from, to);
            return 0;
        }
        for (const std::string& arg : Args) {
            if (arg == "--tsv") {
                throw UsageError{"--tsv must come first"};
            }
        }
        int year = YearOf(Options.Today);
        int month = MonthOf(Options.Today);
        if (Args.size() == 2) {
            year = ParseNumber(Args[0], "year");
            month = ParseNumber(Args[1], "month");
        } else if (Args.size() == 1) {
            throw UsageError{"a month needs YEAR and MONTH"};
        } else if (Args.size() > 2) {
            throw UsageError{"too many arguments"};
        } else if (year < 1901 || year > 2050) {
            Err << "vorncal: today lies outside 1901 to 2050; give YEAR and MONTH\n";
            return 1;
        }
        CheckMonth(year, month);
        std::optional<int> mark;
        if (Options.Highlight && year == YearOf(Options.Today) && month == MonthOf(Options.Today)) {
            mark = DayOf(Options.Today);
        }
        Out << RenderMonth(year, month, mark);
        return 0;
    } catch (const UsageError& error) {
        Err << "vorncal: " << error.What << "; " << Accepted << '\n';
        return 2;
    }
}

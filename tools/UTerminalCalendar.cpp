#include "UTerminalCalendar.h"

#include "UCalendar.h"
#include "UDayCell.h"

#include <charconv>
#include <fstream>
#include <ostream>
#include <sstream>

namespace chr = std::chrono;

const char* const TerminalUsage =
    "usage: vorncal [YEAR MONTH]        print a month (1901-2050, 1-12; default: this month)\n"
    "       vorncal --tsv FROM TO       one tab-separated line per date, FROM and TO as "
    "yyyy-mm-dd\n"
    "       vorncal notes [--today] [FILE]  list the notes (default: the notes file of the "
    "calendar)\n"
    "       vorncal notes add --title T --time HH:MM [--date YYYY-MM-DD] [--remind]\n"
    "                         [--content C] [--file FILE]   add or update a note\n"
    "       vorncal notes delete --title T [--date YYYY-MM-DD] [--file FILE]   delete one\n"
    "       vorncal --help              print this help\n"
    "\n"
    "A month shows for each day: its number with 休 (a day off of an official holiday)\n"
    "or 班 (a weekend day made a working day); the lunar day, or the lunar month on its\n"
    "first day (闰 before a leap month); the festival or, without one, the solar term.\n"
    "\n"
    "--tsv fields: 1 date, 2 lunar year, 3 lunar month, 4 lunar day, 5 lunar text,\n"
    "6 solar term, 7 Gregorian festival, 8 GanZhi name of the year, 9 weekday (1 =\n"
    "Sunday), 10 leap month (1 or 0), 11 lunar festival, 12 official day (休, 班 or\n"
    "empty), 13 GanZhi of the month, 14 GanZhi of the day.\n"
    "\n"
    "Official holidays are compiled in for 2004-2026. Holidays.txt in the data\n"
    "directory ($XDG_DATA_HOME/VORNCalendar or ~/.local/share/VORNCalendar) adds or\n"
    "corrects years, one line per day: date, 休 or 班, and the holiday's name,\n"
    "separated by tabs, e.g. \"2027-01-01<TAB>休<TAB>元旦\"; # starts a comment. The lines\n"
    "of a year replace that year's compiled-in days (25-31 December count to the next\n"
    "year). A line that cannot be read is reported on stderr and skipped.\n"
    "\n"
    "notes add writes into the day of --date (default today): a note of that day\n"
    "whose title equals T, ignoring case, gets the new time, reminder and content;\n"
    "otherwise a new note is added. notes delete removes the first note of that day\n"
    "whose title equals T, ignoring case. Both take the notes file's lock and check\n"
    "what they write, as the calendar window does, so they are safe beside it. Exit\n"
    "status: 0 when the file holds the change, 1 when it could not be read or\n"
    "written or holds no such note to delete (the file is then unchanged; one line\n"
    "on stderr says why), 2 for bad arguments. \"vorncal notes --help\" says more.\n";

namespace {

constexpr int CellWidth = 10; // terminal columns per weekday column
constexpr const char* Accepted =
    "expected: vorncal [YEAR MONTH] | vorncal --tsv FROM TO (yyyy-mm-dd, 1901-01-01 to "
    "2050-12-31) | vorncal notes [--today] [FILE] | vorncal notes add|delete ... | vorncal --help";

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

std::filesystem::path DataDirFromEnvironment(const char* XdgDataHome, const char* Home) {
#ifdef _WIN32
    (void)XdgDataHome;
    (void)Home;
    return "C:/VORNCalendar";
#else
    if (XdgDataHome != nullptr && *XdgDataHome != '\0') {
        return std::filesystem::path(XdgDataHome) / "VORNCalendar";
    }
    if (Home != nullptr && *Home != '\0') {
        return std::filesystem::path(Home) / ".local/share/VORNCalendar";
    }
    return {};
#endif
}

THolidayTable LoadHolidays(const std::filesystem::path& DataDir, std::ostream& Err) {
    if (DataDir.empty()) {
        return THolidayTable::Compiled();
    }
    const std::filesystem::path path = DataDir / "Holidays.txt";
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return THolidayTable::Compiled();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path, error)) {
        Err << "vorncal: " << path.string() << ": cannot be read; the compiled-in holidays apply\n";
        return THolidayTable::Compiled();
    }
    HolidayFileResult result = ReadHolidayFile(in, path.string(), THolidayTable::Compiled());
    for (const HolidayFileProblem& problem : result.Problems) {
        Err << "vorncal: " << problem.Message << '\n';
    }
    return std::move(result.Table);
}

std::string RenderMonth(int Year, int Month, std::optional<int> MarkDay,
                        const THolidayTable& Holidays) {
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
            std::string texts[3];
            OfficialMark mark = OfficialMark::None;
            if (day >= 1 && day <= days) {
                const DayCell cell = MakeDayCell(Year, Month, day, Holidays);
                texts[0] = cell.Day;
                texts[1] = cell.Lunar;
                texts[2] = cell.Name;
                mark = cell.Mark;
            }
            for (int k = 0; k < 3; ++k) {
                std::string text = Centered(texts[k], CellWidth);
                if (k == 0 && mark != OfficialMark::None) {
                    // The number keeps its place; 休 or 班 takes columns 7 and 8.
                    text = text.substr(0, 7) + OfficialMarkText(mark) + " ";
                }
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

std::string RenderTsv(chr::year_month_day From, chr::year_month_day To,
                      const THolidayTable& Holidays) {
    std::ostringstream out;
    char iso[16];
    for (chr::sys_days d{From}; d <= chr::sys_days{To}; d += chr::days{1}) {
        const chr::year_month_day date{d};
        const int year = YearOf(date), month = MonthOf(date), day = DayOf(date);
        const LunarDate lunar = GregorianToLunar(year, month, day);
        const DayCell cell = MakeDayCell(year, month, day, Holidays);
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
        out << iso << '\t' << lunar.Year << '\t' << lunar.Month << '\t' << lunar.Day << '\t'
            << cell.Lunar << '\t' << cell.Term << '\t'
            << GetHolidayName(chr::local_days{chr::sys_days{d}.time_since_epoch()}) << '\t'
            << GetGanZhiYearName(year) << '\t' << GetWeekDay(year, month, day) << '\t'
            << (cell.LeapMonth ? 1 : 0) << '\t' << cell.LunarFestivalName << '\t'
            << OfficialMarkText(cell.Mark) << '\t'
            << GetGanZhiName(GetMonthGanZhi(year, month, day)) << '\t'
            << GetGanZhiName(GetDayGanZhi(year, month, day)) << '\n';
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
            Out << RenderTsv(from, to, LoadHolidays(Options.DataDir, Err));
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
        Out << RenderMonth(year, month, mark, LoadHolidays(Options.DataDir, Err));
        return 0;
    } catch (const UsageError& error) {
        Err << "vorncal: " << error.What << "; " << Accepted << '\n';
        return 2;
    }
}

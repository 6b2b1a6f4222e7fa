#include "UHolidays.h"

#include "UCalendar.h"

#include <algorithm>
#include <istream>
#include <map>
#include <set>
#include <sstream>

namespace {

int32_t KeyOf(int32_t Year, int32_t Month, int32_t Day) {
    return Year * 10000 + Month * 100 + Day; // years 1901..2050 fit easily
}

int32_t NoticeYearOfKey(int32_t Key) {
    return HolidayNoticeYear(Key / 10000, Key / 100 % 100, Key % 100);
}

bool IsRealDateInRange(int32_t Year, int32_t Month, int32_t Day) {
    return Year >= FirstLunarYear && Year <= LastLunarYear && Month >= 1 && Month <= 12 &&
           Day >= 1 && Day <= GetMonthDays(Year, Month);
}

// Blanks around a field: spaces, and the ideographic space that a Chinese
// input method types.
std::string_view Trimmed(std::string_view Text) {
    constexpr std::string_view ideographicSpace = "　";
    for (bool again = true; again;) {
        again = false;
        while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t')) {
            Text.remove_prefix(1);
        }
        while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t')) {
            Text.remove_suffix(1);
        }
        if (Text.starts_with(ideographicSpace)) {
            Text.remove_prefix(ideographicSpace.size());
            again = true;
        }
        if (Text.ends_with(ideographicSpace)) {
            Text.remove_suffix(ideographicSpace.size());
            again = true;
        }
    }
    return Text;
}

bool IsUtf8(std::string_view Text) {
    for (size_t i = 0; i < Text.size();) {
        const auto lead = static_cast<unsigned char>(Text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x06 ? 2
                              : (lead >> 4) == 0x0E ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > Text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(Text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

bool IsDigits(std::string_view Text) {
    return !Text.empty() &&
           std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int32_t Number(std::string_view Digits) {
    int32_t value = 0;
    for (char c : Digits) {
        value = value * 10 + (c - '0'); // at most four digits
    }
    return value;
}

std::vector<std::string_view> SplitTabs(std::string_view Line) {
    std::vector<std::string_view> fields;
    for (size_t at = 0;;) {
        const size_t tab = Line.find('\t', at);
        fields.push_back(Line.substr(at, tab == std::string_view::npos ? tab : tab - at));
        if (tab == std::string_view::npos) {
            return fields;
        }
        at = tab + 1;
    }
}

struct ParsedLine {
    int32_t Year = 0, Month = 0, Day = 0;
    OfficialMark Mark = OfficialMark::None;
    std::string Name;
};

// The line's day, or the reason why it is not one (empty when parsed).
std::string ParseLine(std::string_view Line, ParsedLine& Out) {
    if (!IsUtf8(Line)) {
        return "the line is not UTF-8 text";
    }
    const std::vector<std::string_view> fields = SplitTabs(Line);
    if (fields.size() != 3) {
        return "expected three fields separated by tabs: the date, 休 or 班, and the "
               "holiday's name";
    }
    const std::string_view date = Trimmed(fields[0]);
    const bool shaped = date.size() == 10 && date[4] == '-' && date[7] == '-' &&
                        IsDigits(date.substr(0, 4)) && IsDigits(date.substr(5, 2)) &&
                        IsDigits(date.substr(8, 2));
    if (!shaped) {
        return "'" + std::string(date) + "' is not a date of the form yyyy-mm-dd";
    }
    Out.Year = Number(date.substr(0, 4));
    Out.Month = Number(date.substr(5, 2));
    Out.Day = Number(date.substr(8, 2));
    if (Out.Month < 1 || Out.Month > 12 || Out.Day < 1 ||
        Out.Day > GetMonthDays(Out.Year, Out.Month)) {
        return "the date " + std::string(date) + " does not exist";
    }
    if (!IsRealDateInRange(Out.Year, Out.Month, Out.Day)) {
        return "the date " + std::string(date) + " is outside 1901-01-01 to 2050-12-31";
    }
    const std::string_view mark = Trimmed(fields[1]);
    if (mark == "休") {
        Out.Mark = OfficialMark::Off;
    } else if (mark == "班") {
        Out.Mark = OfficialMark::Work;
    } else {
        return "'" + std::string(mark) + "' is neither 休 nor 班";
    }
    Out.Name = std::string(Trimmed(fields[2]));
    if (Out.Name.empty()) {
        return "the holiday's name is missing";
    }
    return {};
}

} // namespace

const char* OfficialMarkText(OfficialMark Mark) noexcept {
    switch (Mark) {
    case OfficialMark::Off:
        return "休";
    case OfficialMark::Work:
        return "班";
    case OfficialMark::None:
        break;
    }
    return "";
}

int32_t HolidayNoticeYear(int32_t Year, int32_t Month, int32_t Day) noexcept {
    return Month == 12 && Day >= 25 ? Year + 1 : Year;
}

const THolidayTable& THolidayTable::Compiled() {
    static const THolidayTable table = [] {
        THolidayTable made;
        made.FDays.reserve(CompiledHolidayDays.size());
        for (const HolidayDay& day : CompiledHolidayDays) {
            made.FDays.push_back({KeyOf(day.Year, day.Month, day.Day), day.Mark, day.Name});
        }
        // The generator writes the days in date order, one line per date.
        std::sort(made.FDays.begin(), made.FDays.end(),
                  [](const Entry& a, const Entry& b) { return a.Key < b.Key; });
        return made;
    }();
    return table;
}

OfficialDay THolidayTable::Find(int32_t Year, int32_t Month, int32_t Day) const {
    const int32_t key = KeyOf(Year, Month, Day);
    const auto at = std::lower_bound(FDays.begin(), FDays.end(), key,
                                     [](const Entry& entry, int32_t k) { return entry.Key < k; });
    if (at == FDays.end() || at->Key != key) {
        return {};
    }
    return {at->Mark, at->Name};
}

std::vector<int32_t> THolidayTable::Years() const {
    std::set<int32_t> years;
    for (const Entry& entry : FDays) {
        years.insert(NoticeYearOfKey(entry.Key));
    }
    return {years.begin(), years.end()};
}

bool THolidayTable::HasYear(int32_t Year) const {
    return std::any_of(FDays.begin(), FDays.end(),
                       [Year](const Entry& entry) { return NoticeYearOfKey(entry.Key) == Year; });
}

THolidayTable THolidayTable::WithYearsOf(const THolidayTable& Other) const {
    std::set<int32_t> replaced;
    for (const Entry& entry : Other.FDays) {
        replaced.insert(NoticeYearOfKey(entry.Key));
    }
    THolidayTable merged;
    merged.FDays.reserve(FDays.size() + Other.FDays.size());
    for (const Entry& entry : FDays) {
        if (!replaced.contains(NoticeYearOfKey(entry.Key))) {
            merged.FDays.push_back(entry);
        }
    }
    merged.FDays.insert(merged.FDays.end(), Other.FDays.begin(), Other.FDays.end());
    std::sort(merged.FDays.begin(), merged.FDays.end(),
              [](const Entry& a, const Entry& b) { return a.Key < b.Key; });
    return merged;
}

bool THolidayTable::Set(int32_t Year, int32_t Month, int32_t Day, OfficialMark Mark,
                        std::string Name) {
    if (!IsRealDateInRange(Year, Month, Day) || Mark == OfficialMark::None || Name.empty()) {
        return false;
    }
    const int32_t key = KeyOf(Year, Month, Day);
    const auto at = std::lower_bound(FDays.begin(), FDays.end(), key,
                                     [](const Entry& entry, int32_t k) { return entry.Key < k; });
    if (at != FDays.end() && at->Key == key) {
        at->Mark = Mark;
        at->Name = std::move(Name);
    } else {
        FDays.insert(at, Entry{key, Mark, std::move(Name)});
    }
    return true;
}

HolidayFileResult ReadHolidayFile(std::istream& In, const std::string& Name,
                                  const THolidayTable& Base) {
    HolidayFileResult result;
    THolidayTable own;
    std::map<int32_t, int32_t> lineOfDate; // date key -> the line that gave it
    const auto problem = [&](int32_t Line, const std::string& What) {
        result.Problems.push_back(
            {Line, Name + ":" + std::to_string(Line) + ": " + What + "; the line is skipped"});
    };

    std::string line;
    int32_t number = 0;
    while (std::getline(In, line)) {
        ++number;
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) {
            line.erase(0, 3); // the byte order mark that some editors write
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back(); // a file saved with CR LF line ends
        }
        const std::string_view text = Trimmed(line);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        ParsedLine day;
        const std::string what = ParseLine(line, day);
        if (!what.empty()) {
            problem(number, what);
            continue;
        }
        const int32_t key = KeyOf(day.Year, day.Month, day.Day);
        if (const auto given = lineOfDate.find(key); given != lineOfDate.end()) {
            problem(number, std::string(Trimmed(SplitTabs(line)[0])) +
                                " is given already on line " + std::to_string(given->second));
            continue;
        }
        if (!own.Set(day.Year, day.Month, day.Day, day.Mark, std::move(day.Name))) {
            problem(number, "the day cannot be stored"); // ParseLine let through what Set refuses
            continue;
        }
        lineOfDate.emplace(key, number);
    }
    if (In.bad()) {
        result.Problems.push_back({0, Name + ": reading stopped after line " +
                                          std::to_string(number) +
                                          "; the lines read until then apply"});
    }
    result.Table = Base.WithYearsOf(own);
    return result;
}

HolidayFileResult ReadHolidayText(std::string_view Text, const std::string& Name,
                                  const THolidayTable& Base) {
    std::istringstream in{std::string(Text)};
    return ReadHolidayFile(in, Name, Base);
}

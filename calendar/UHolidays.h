// The official days off (休) and adjusted working days (班) of the State
// Council's yearly holiday notices: a table compiled in for 2004 to the latest
// notice, and the user's own file Holidays.txt that adds or corrects years
// without a new release.
//
// Holidays.txt is plain UTF-8 text, one line per day:
//
//     2027-01-01<TAB>休<TAB>元旦
//     2027-02-07<TAB>班<TAB>春节
//
// the date as yyyy-mm-dd (1901-01-01 to 2050-12-31), 休 (a day off of the
// holiday period, weekend days inside the period included) or 班 (a weekend
// day made a working day), and the holiday's name. Blank lines and lines
// starting with # are comments; blanks around a field are ignored. The lines
// of a year replace every compiled-in day of that year. A year is the year of
// the notice: a day from 25 to 31 December belongs to the next year's notice,
// as the days of a new year's holiday that starts in December do; so adding
// the next year never removes the days of the current one. A malformed line
// is reported with its line number and skipped; the rest of the file still
// applies.
//
// Standard library only.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class OfficialMark : uint8_t {
    None, // an ordinary day: no notice names it
    Off,  // 休: a day off of a holiday period
    Work, // 班: a weekend day that the notice makes a working day
};

// "休", "班", or "" for None.
const char* OfficialMarkText(OfficialMark Mark) noexcept;

// One day of the compiled-in table.
struct HolidayDay {
    int32_t Year;
    int32_t Month;
    int32_t Day;
    OfficialMark Mark;
    const char* Name; // the holiday, as the notice names it: 春节, 国庆节、中秋节, ..
};

// The compiled-in notices, ordered by date (UHolidayTable.cpp, generated).
extern const std::span<const HolidayDay> CompiledHolidayDays;
extern const int32_t CompiledHolidayFirstYear; // 2004
extern const int32_t CompiledHolidayLastYear;  // the latest notice compiled in

// The year of the notice that a day belongs to: the date's year, or the next
// year for 25 to 31 December.
int32_t HolidayNoticeYear(int32_t Year, int32_t Month, int32_t Day) noexcept;

// What the table says of one date.
struct OfficialDay {
    OfficialMark Mark = OfficialMark::None;
    std::string Name; // the holiday the day is off or worked for; empty for None
    friend bool operator==(const OfficialDay&, const OfficialDay&) = default;
};

// A set of official days, looked up by date. Cheap to search (a sorted
// vector); copy it once, not per lookup.
class THolidayTable {
public:
    // A table without any official day.
    THolidayTable() = default;

    // The compiled-in notices, made once.
    static const THolidayTable& Compiled();

    // The mark and holiday of a date; Mark None for a date the table does not name.
    OfficialDay Find(int32_t Year, int32_t Month, int32_t Day) const;

    // The notice years that have at least one day in the table, ascending.
    std::vector<int32_t> Years() const;
    bool HasYear(int32_t Year) const;
    size_t Size() const noexcept { return FDays.size(); }

    // This table with every notice year of Other replaced by Other's days of
    // that year; the years Other does not name stay as they are.
    THolidayTable WithYearsOf(const THolidayTable& Other) const;

    // Adds or replaces the entry of one date. False (and nothing changed)
    // for an impossible date, a date outside 1901 to 2050, Mark None or an
    // empty name.
    [[nodiscard]] bool Set(int32_t Year, int32_t Month, int32_t Day, OfficialMark Mark,
                           std::string Name);

private:
    struct Entry {
        int32_t Key; // Year * 10000 + Month * 100 + Day
        OfficialMark Mark;
        std::string Name;
    };
    std::vector<Entry> FDays; // ascending by Key, one entry per date
};

// One line of a holidays file that was not applied.
struct HolidayFileProblem {
    int32_t Line = 0;    // 1 for the first line; 0 when the file as a whole failed
    std::string Message; // "Holidays.txt:3: ...; the line is skipped"
};

struct HolidayFileResult {
    THolidayTable Table;                      // Base with the file's years applied
    std::vector<HolidayFileProblem> Problems; // one per skipped line, in line order
};

// Reads a holidays file (see the top of this header) and applies its years
// over Base. Name is how the file is called in the messages (its path or its
// file name). A stream that fails before its end gives one problem with
// Line 0 and applies the lines read until then.
[[nodiscard]] HolidayFileResult ReadHolidayFile(std::istream& In, const std::string& Name,
                                                const THolidayTable& Base);
[[nodiscard]] HolidayFileResult ReadHolidayText(std::string_view Text, const std::string& Name,
                                                const THolidayTable& Base);

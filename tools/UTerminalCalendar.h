// The terminal calendar: a month page and a tab-separated day list printed
// from the lunar engine, with the same day texts that the main window shows.
// Standard library only (the notes command in vorncal_notes is separate).
#pragma once

#include "UHolidays.h"

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

struct TerminalOptions {
    // Today's date: "vorncal" without a month prints its month, and a month
    // page marks it in reverse video when Highlight is true.
    std::chrono::year_month_day Today;
    bool Highlight = false; // stdout is a terminal
    // The calendar's data directory (DataDirFromEnvironment). When a command
    // shows days, DataDir/Holidays.txt is applied over the compiled-in
    // holidays if it exists. Empty: the compiled-in holidays only.
    std::filesystem::path DataDir;
};

// The data directory as the calendar window finds it: "C:/VORNCalendar" on
// Windows; elsewhere VORNCalendar under XdgDataHome ($XDG_DATA_HOME) when it
// is set and not empty, else under Home/.local/share ($HOME); empty when
// neither is set. Either argument may be null.
std::filesystem::path DataDirFromEnvironment(const char* XdgDataHome, const char* Home);

// The compiled-in holidays with DataDir/Holidays.txt applied when that file
// exists. Each line of the file that is skipped is told once on Err, as one
// line "vorncal: <file>:<line>: <what>; the line is skipped".
THolidayTable LoadHolidays(const std::filesystem::path& DataDir, std::ostream& Err);

// Number of terminal columns that a UTF-8 text occupies (CJK characters are two wide).
int DisplayWidth(const std::string& Text);

// The month page: a title line, the weekday header and six week rows of three
// lines each: the day number with its 休 or 班 mark, the lunar text (闰二月 on
// the first day of a leap month) and the cell's name (a festival or a solar
// term, DayCell::Name). Each weekday column is ten terminal columns wide.
// MarkDay, when set, is shown in reverse video.
std::string RenderMonth(int Year, int Month, std::optional<int> MarkDay,
                        const THolidayTable& Holidays = THolidayTable::Compiled());

// One line per date from From to To, both included, fourteen tab-separated
// fields (see TerminalUsage).
std::string RenderTsv(std::chrono::year_month_day From, std::chrono::year_month_day To,
                      const THolidayTable& Holidays = THolidayTable::Compiled());

// Runs the terminal calendar on the arguments after the program name and
// returns the exit status: 0 done, 1 failure, 2 bad arguments (one line on Err).
int RunTerminalCalendar(const std::vector<std::string>& Args, const TerminalOptions& Options,
                        std::ostream& Out, std::ostream& Err);

extern const char* const TerminalUsage;

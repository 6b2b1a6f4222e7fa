// The terminal calendar: a month page and a tab-separated day list printed
// from the lunar engine, with the same day texts that the main window shows.
#pragma once

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

struct TerminalOptions {
    // Today's date: "vorncal" without a month prints its month, and a month
    // page marks it in reverse video when Highlight is true.
    std::chrono::year_month_day Today;
    bool Highlight = false; // stdout is a terminal
};

// Number of terminal columns that a UTF-8 text occupies (CJK characters are two wide).
int DisplayWidth(const std::string& Text);

// The month page: a title line, the weekday header and six week rows of three
// lines each (day number, lunar text, solar term). MarkDay, when set, is shown
// in reverse video.
std::string RenderMonth(int Year, int Month, std::optional<int> MarkDay);

// One line per date from From to To, both included, tab-separated.
std::string RenderTsv(std::chrono::year_month_day From, std::chrono::year_month_day To);

// Runs the terminal calendar on the arguments after the program name and
// returns the exit status: 0 done, 1 failure, 2 bad arguments (one line on Err).
int RunTerminalCalendar(const std::vector<std::string>& Args, const TerminalOptions& Options,
                        std::ostream& Out, std::ostream& Err);

extern const char* const TerminalUsage;

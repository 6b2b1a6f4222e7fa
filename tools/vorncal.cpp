// vorncal: the lunar calendar in the terminal.
#include "UTerminalCalendar.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#ifdef VORN_WITH_NOTES
#include "vorncal_notes.h"

#include <QStringList>
#endif

namespace {
std::chrono::year_month_day LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef VORN_WITH_NOTES
    if (!args.empty() && args[0] == "notes") {
        QStringList notesArgs;
        for (int i = 2; i < argc; ++i)
            notesArgs << QString::fromLocal8Bit(argv[i]);
        return RunNotesCommand(notesArgs);
    }
#else
    if (!args.empty() && args[0] == "notes") {
        std::cerr << "vorncal: this build has no notes support\n";
        return 2;
    }
#endif
    TerminalOptions options;
    options.Today = LocalToday();
    options.Highlight = isatty(fileno(stdout)) != 0;
    options.DataDir = DataDirFromEnvironment(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    const int status = RunTerminalCalendar(args, options, std::cout, std::cerr);
    std::cout.flush();
    return status;
}

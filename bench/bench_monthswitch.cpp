// The cost of a month switch in the main window, from the spinner's change to
// the repainted grid: the month page filled from the calendar engine, the
// month picture swapped and every cell painted. Prints the median, the 90th
// percentile and the worst case of warm switches (every picture seen once),
// and the first visit of each month apart. Goal: median under 2 ms.
// Needs a display (see run_gui_benchmarks.sh).
#include "UApplication.h"
#include "UDayGrid.h"
#include "UMain.h"
#include "USpinner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rounds = 40; // of 12 month switches and one year switch each

double percentile(std::vector<double> v, double P) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(P * double(v.size())))];
}

// Sets the spinner and waits for nothing: the change rebuilds the page, and
// repaint() paints the grid before it returns.
double timedSwitch(TfrmManyYear& Main, TSpinner* Spinner, int Value) {
    QElapsedTimer t;
    t.start();
    Spinner->SetValue(Value);
    Main.advDays->repaint();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    TApplication::InstallFontSubstitutions();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TfrmManyYear main(dir.path());
    main.show();
    main.activateWindow();
    QElapsedTimer wait;
    wait.start();
    while (main.FInitializing && wait.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // Without a window manager the window may never be activated.
    main.FormActivate();
    QCoreApplication::processEvents();

    main.rsYear->SetValue(2024);
    main.rsMonth->SetValue(1);
    main.advDays->repaint();

    // First visit of each month: its picture is decoded then.
    std::vector<double> cold;
    for (int m = 2; m <= 12; ++m)
        cold.push_back(timedSwitch(main, main.rsMonth, m));
    cold.push_back(timedSwitch(main, main.rsMonth, 1));

    const int fillsBefore = main.FillCount();
    std::vector<double> months;
    std::vector<double> years;
    for (int round = 0; round < Rounds; ++round) {
        for (int m = 2; m <= 12; ++m)
            months.push_back(timedSwitch(main, main.rsMonth, m));
        months.push_back(timedSwitch(main, main.rsMonth, 1));
        years.push_back(timedSwitch(main, main.rsYear, round % 2 ? 2024 : 2025));
        QCoreApplication::processEvents();
    }
    if (main.FillCount() - fillsBefore != int(months.size() + years.size())) {
        std::fprintf(stderr, "a switch did not rebuild the page\n");
        return 1;
    }

    const double med = percentile(months, 0.5);
    std::printf("month switch, spinner change to repainted grid (%zu warm switches)\n",
                months.size());
    std::printf("  median %.3f ms   p90 %.3f ms   worst %.3f ms\n", med, percentile(months, 0.9),
                percentile(months, 1.0));
    std::printf("year switch (%zu)\n  median %.3f ms   worst %.3f ms\n", years.size(),
                percentile(years, 0.5), percentile(years, 1.0));
    std::printf("first visit of a month (picture decoded, %zu)\n  median %.3f ms   worst %.3f ms\n",
                cold.size(), percentile(cold, 0.5), percentile(cold, 1.0));
    std::printf("goal: median under 2 ms: %s\n", med < 2.0 ? "met" : "NOT met");
    return 0;
}

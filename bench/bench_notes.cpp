// Walks a notes file of about 10,000 notes over 3,650 day nodes and prints
// the time of the all query and of the today query. Goal: 15 ms each.
#include "NotesFixture.h"
#include "UClock.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int Days = 3650;
constexpr int Notes = 10000;
constexpr int Runs = 25;

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    const QDate first(2015, 1, 1);
    const QDate last = first.addDays(Days - 1);

    const int made = WriteBenchNotesFile(path, first, Days, Notes);
    Clock::SetNowFunction([last] { return QDateTime(last, QTime(12, 0)); });

    auto time = [&](bool todayOnly, int& delivered, std::vector<double>& cpu) {
        std::vector<double> ms;
        for (int r = 0; r < Runs; ++r) {
            XmlDocument reader;
            int n = 0;
            QElapsedTimer t;
            const double cpu0 = cpuMs();
            t.start();
            const bool ok =
                ReadNotes(reader, path, todayOnly, !todayOnly, [&n](const NoteRecord& note) {
                    (void)note.Title();
                    (void)note.TimeText();
                    (void)note.FlagText();
                    (void)note.Content();
                    ++n;
                });
            ms.push_back(t.nsecsElapsed() / 1e6);
            cpu.push_back(cpuMs() - cpu0);
            if (!ok)
                std::fprintf(stderr, "walk failed\n");
            delivered = n;
        }
        return ms;
    };
    int allNotes = 0, todayNotes = 0;
    std::vector<double> allCpu, todayCpu;
    const auto all = time(false, allNotes, allCpu);
    const auto today = time(true, todayNotes, todayCpu);
    std::vector<double> loadCpu;
    for (int r = 0; r < Runs; ++r) {
        XmlDocument reader;
        const double cpu0 = cpuMs();
        reader.Load(path);
        loadCpu.push_back(cpuMs() - cpu0);
    }
    std::printf("notes file: %d day nodes, %d notes, %lld bytes\n", Days + 1, made,
                QFileInfo(path).size());
    // Wall time includes whatever else the machine runs; CPU time is this
    // thread's own work.
    std::printf("all query:   wall median %.2f ms, best %.2f ms; CPU median %.2f ms "
                "(%d notes delivered, %d runs)\n",
                median(all), *std::min_element(all.begin(), all.end()), median(allCpu), allNotes,
                Runs);
    std::printf("today query: wall median %.2f ms, best %.2f ms; CPU median %.2f ms "
                "(%d notes delivered, %d runs)\n",
                median(today), *std::min_element(today.begin(), today.end()), median(todayCpu),
                todayNotes, Runs);
    std::printf("of which loading the file alone: CPU median %.2f ms\n", median(loadCpu));
    std::printf("goal: at most 15 ms each\n");
    return 0;
}

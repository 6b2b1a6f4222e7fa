// The cost of the reminder timer's tick, which runs every second for as long
// as the program runs, on a notes file of about 10,000 notes over 3,650 day
// nodes: on an unchanged file, on a file changed before every tick (the same
// size and time stamp), and -- for comparison -- a fresh walk of the file.
// Goal: at most 1 ms per tick on the unchanged file.
//
// bench_reminders --write-notes FOLDER only writes the file (and a settings
// file with reminders on) into FOLDER, for the idle CPU script.
#include "NotesFixture.h"
#include "UClock.h"
#include "UMain.h"
#include "UNoteAlarms.h"
#include "USettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int Days = 3650;
constexpr int Notes = 10000;
const QDate First(2017, 1, 1);

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
    double median, mean, worst;
};

Figures figures(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    return {v[v.size() / 2], sum / v.size(), v.back()};
}

QDate lastDay() {
    return First.addDays(Days - 1);
}

int writeFolder(const QString& Folder) {
    QDir().mkpath(Folder);
    const int made = WriteBenchNotesFile(Folder + "/Notes.xml", First, Days, Notes);
    QFile config(Folder + "/Config.ini");
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    config.write("[NoteSet]\nPosition=3\nAlarm=1\nblend=8\n");
    std::printf("%d notes written to %s\n", made, qPrintable(Folder));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--write-notes") {
        QCoreApplication app(argc, argv);
        return writeFolder(QString::fromLocal8Bit(argv[2]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("Notes.xml");
    const int made = WriteBenchNotesFile(path, First, Days, Notes);
    // Noon of the last day: today's notes are flagged for the morning, so a
    // tick reads and compares but shakes nothing.
    Clock::SetNowFunction([] { return QDateTime(lastDay(), QTime(12, 0, 30)); });

    TfrmManyYear main(dir.path());
    main.tNoteAlarm->stop();
    Alarm = 1;

    constexpr int Ticks = 300;
    std::vector<double> unchanged;
    main.tNoteAlarmTimer(); // the first tick walks the file
    for (int i = 0; i < Ticks; ++i) {
        const double t0 = cpuMs();
        main.tNoteAlarmTimer();
        unchanged.push_back(cpuMs() - t0);
    }

    // Before every tick one character of a content changes, in place: the
    // file keeps its size, and its time stamp is put back.
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QByteArray bytes = file.readAll();
    file.close();
    const QDateTime stamp = QFileInfo(path).lastModified();
    // The number in the last note's title (the file is GB2312; the digits
    // are ASCII).
    const qsizetype at = bytes.lastIndexOf(QByteArray::number(made - 1));
    if (at < 0) {
        std::fprintf(stderr, "last title not found\n");
        return 1;
    }
    const int walksBefore = main.NotesFileWalks();
    std::vector<double> changed;
    constexpr int ChangedTicks = 40;
    for (int i = 0; i < ChangedTicks; ++i) {
        bytes[at] = char('0' + i % 10);
        QFile out(path);
        out.open(QIODevice::ReadWrite);
        out.write(bytes);
        out.setFileTime(stamp, QFileDevice::FileModificationTime);
        out.close();
        const double t0 = cpuMs();
        main.tNoteAlarmTimer();
        changed.push_back(cpuMs() - t0);
    }

    std::vector<double> fresh;
    for (int i = 0; i < ChangedTicks; ++i) {
        XmlDocument doc;
        TNoteAlarms alarms;
        const double t0 = cpuMs();
        if (!LoadNoteAlarms(doc, path, alarms)) {
            std::fprintf(stderr, "the benchmark's notes file does not read\n");
            return 1;
        }
        fresh.push_back(cpuMs() - t0);
    }

    const Figures u = figures(unchanged), c = figures(changed), f = figures(fresh);
    std::printf("notes file: %d day nodes, %d notes, %lld bytes\n", Days + 1, made,
                QFileInfo(path).size());
    std::printf(
        "tick, unchanged file: CPU median %.3f ms, mean %.3f ms, worst %.3f ms (%d ticks)\n",
        u.median, u.mean, u.worst, Ticks);
    std::printf("tick, file changed before each tick (same size and time stamp): CPU median "
                "%.2f ms, mean %.2f ms, worst %.2f ms (%d ticks, %d walks)\n",
                c.median, c.mean, c.worst, ChangedTicks, main.NotesFileWalks() - walksBefore);
    std::printf("a fresh walk of the whole file, for comparison: CPU median %.2f ms\n", f.median);
    std::printf("goal: at most 1 ms per tick on an unchanged file\n");
    return 0;
}

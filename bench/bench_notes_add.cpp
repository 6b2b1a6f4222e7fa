// "vorncal notes add" on a notes file of 10,000 notes over 3,650 day nodes:
// the median wall time of a whole add as a script runs it (the program
// starting, the lock, the load, the read-back check, the write and the flush
// to disk), and of the save path alone inside one process. Goal: 40 ms.
//
// usage: bench_notes_add VORNCAL [RUNS]
#include "NotesFixture.h"
#include "UNoteStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_notes_add VORNCAL [RUNS]\n");
        return 2;
    }
    const QString vorncal = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(3, std::atoi(argv[2])) : 25;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    const QDate first(2015, 1, 1);
    const int made = WriteBenchNotesFile(path, first, 3650, 10000);
    std::printf("notes file: %d notes over 3,650 day nodes, %lld bytes\n", made,
                QFileInfo(path).size());

    std::vector<double> whole;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const int status =
            QProcess::execute(vorncal, {QStringLiteral("notes"), QStringLiteral("add"),
                                        QStringLiteral("--file"), path, QStringLiteral("--date"),
                                        QStringLiteral("2024-12-31"), QStringLiteral("--title"),
                                        QStringLiteral("脚本%1").arg(i), QStringLiteral("--time"),
                                        QStringLiteral("08:00"), QStringLiteral("--remind")});
        whole.push_back(t.nsecsElapsed() / 1e6);
        if (status != 0) {
            std::fprintf(stderr, "vorncal notes add failed with %d\n", status);
            return 1;
        }
    }

    std::vector<double> inProcess;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const StoreResult r =
            EditDay(path, QDate(2024, 12, 30),
                    {{NoteEdit::Kind::SetByTitle,
                      {},
                      {QStringLiteral("进程内%1").arg(i), QStringLiteral("2024-12-30 09:00"),
                       QStringLiteral("是"), QString()}}});
        inProcess.push_back(t.nsecsElapsed() / 1e6);
        if (!r) {
            std::fprintf(stderr, "%s\n", qPrintable(r.Error));
            return 1;
        }
    }
    std::printf("vorncal notes add, whole command: median %.1f ms (goal 40 ms), slowest %.1f ms\n",
                median(whole), *std::max_element(whole.begin(), whole.end()));
    std::printf("the save path alone (lock, load, change, read-back check, write, flush): "
                "median %.1f ms\n",
                median(inProcess));
    return 0;
}

// The reminder's shake: a window jittered diagonally by one pixel either way,
// 26 moves 50 ms apart (about 1.3 s), driven by a timer. Nothing waits and no
// event loop is nested: every other window, timer and dialog runs meanwhile,
// and the window always ends where the shake found it.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QWidget;

class TWindowShaker : public QObject {
    Q_OBJECT
public:
    static constexpr int Moves = 26;

    explicit TWindowShaker(QObject* Parent = nullptr);

    // Starts shaking Window. A shake already running on it goes on for a full
    // shake from now (a reminder still due keeps the window shaking); its
    // resting place stays the one the first shake found.
    void Start(QWidget* Window);
    // Ends the shake at once and puts the window back.
    void Stop();
    bool IsRunning() const { return FTimer.isActive(); }

    // The time between moves, 50 ms; tests set 0, so that a shake takes no
    // time of theirs.
    static void SetMoveInterval(int Milliseconds);
    static int MoveInterval();

signals:
    // The shake ended, by itself or by Stop().
    void Finished();

private:
    void step();

    QTimer FTimer;
    QPointer<QWidget> FWindow;
    QPoint FRest;
    int FMove = 0;
};

#include "UWindowShaker.h"

#include <QWidget>

namespace {
int& moveInterval() {
    static int interval = 50;
    return interval;
}
} // namespace

void TWindowShaker::SetMoveInterval(int Milliseconds) {
    moveInterval() = Milliseconds;
}

int TWindowShaker::MoveInterval() {
    return moveInterval();
}

TWindowShaker::TWindowShaker(QObject* Parent) : QObject(Parent) {
    connect(&FTimer, &QTimer::timeout, this, &TWindowShaker::step);
}

void TWindowShaker::Start(QWidget* Window) {
    if (!Window)
        return;
    if (!IsRunning() || FWindow != Window) {
        Stop();
        FWindow = Window;
        FRest = Window->pos();
    }
    FMove = 0;
    FTimer.start(moveInterval());
}

void TWindowShaker::Stop() {
    const bool wasRunning = IsRunning();
    FTimer.stop();
    if (FWindow)
        FWindow->move(FRest);
    FWindow.clear();
    if (wasRunning)
        emit Finished();
}

void TWindowShaker::step() {
    // The user may close the window while it shakes.
    if (!FWindow) {
        Stop();
        return;
    }
    if (FMove >= Moves) {
        Stop();
        return;
    }
    ++FMove;
    const int d = (FMove % 2 == 1) ? 1 : -1;
    FWindow->move(FRest + QPoint(d, d));
}

#include "UWallClockWatch.h"

#ifdef Q_OS_LINUX
#include <QSocketNotifier>

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>
#endif

#ifdef Q_OS_WIN
// Windows tells every top-level window of a clock change (WM_TIMECHANGE) and
// of a wake-up (WM_POWERBROADCAST); the program's own windows are enough.
class TWallClockWatch::TNativeFilter : public QAbstractNativeEventFilter {
public:
    explicit TNativeFilter(TWallClockWatch* Watch) : FWatch(Watch) {}
    bool nativeEventFilter(const QByteArray& Type, void* Message, qintptr*) override {
        if (Type != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(Message);
        const bool resumed =
            msg->message == WM_POWERBROADCAST &&
            (msg->wParam == PBT_APMRESUMEAUTOMATIC || msg->wParam == PBT_APMRESUMESUSPEND);
        if (msg->message == WM_TIMECHANGE || resumed)
            QMetaObject::invokeMethod(FWatch, &TWallClockWatch::ClockChanged, Qt::QueuedConnection);
        return false;
    }

private:
    TWallClockWatch* FWatch;
};
#endif

TWallClockWatch::TWallClockWatch(QObject* Parent) : QObject(Parent) {
#ifdef Q_OS_LINUX
    // A wall-clock timer far in the future that the kernel cancels whenever
    // the clock is set, and also when the machine resumes from suspend.
    FTimerFd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (FTimerFd >= 0 && arm()) {
        FNotifier = new QSocketNotifier(FTimerFd, QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, &TWallClockWatch::onNotice);
        FWatching = true;
    }
#endif
#ifdef Q_OS_WIN
    FFilter = new TNativeFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(FFilter);
    FWatching = true;
#endif
}

TWallClockWatch::~TWallClockWatch() {
#ifdef Q_OS_LINUX
    delete FNotifier;
    if (FTimerFd >= 0)
        ::close(FTimerFd);
#endif
#ifdef Q_OS_WIN
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(FFilter);
    delete FFilter;
#endif
}

bool TWallClockWatch::arm() {
#ifdef Q_OS_LINUX
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    itimerspec far{};
    far.it_value.tv_sec = now.tv_sec + 10 * 365 * 24 * 3600; // [now, now + ten years]
    return timerfd_settime(FTimerFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) ==
           0;
#else
    return true;
#endif
}

void TWallClockWatch::onNotice() {
#ifdef Q_OS_LINUX
    quint64 expirations = 0;
    const ssize_t n = ::read(FTimerFd, &expirations, sizeof expirations);
    if (n < 0 && errno == EAGAIN)
        return;
    // ECANCELED: the clock was set. Either way the timer is set anew.
    const bool jumped = n < 0 && errno == ECANCELED;
    if (!arm()) {
        FNotifier->setEnabled(false);
        FWatching = false;
    }
    if (jumped)
        emit ClockChanged();
#endif
}

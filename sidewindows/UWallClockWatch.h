// Tells when the wall clock jumps: the user or the time service sets the
// clock, or the machine wakes from suspend. A timer that waits for a moment
// of the day (midnight, the next full hour) counts time that passes while the
// machine runs; after such a jump it has to be set again.
#pragma once

#include <QObject>

class QSocketNotifier;

class TWallClockWatch : public QObject {
    Q_OBJECT
public:
    explicit TWallClockWatch(QObject* Parent = nullptr);
    ~TWallClockWatch() override;

    // Whether this system tells of jumps at all (Linux and Windows do).
    bool IsWatching() const { return FWatching; }

signals:
    // The wall clock was set or the machine has woken up.
    void ClockChanged();

private:
    bool arm();
    void onNotice();

    bool FWatching = false;
#ifdef Q_OS_LINUX
    int FTimerFd = -1;
    QSocketNotifier* FNotifier = nullptr;
#endif
#ifdef Q_OS_WIN
    class TNativeFilter;
    TNativeFilter* FFilter = nullptr;
#endif
};

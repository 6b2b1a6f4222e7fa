// A notification area for GUI tests: started with trayer when the display
// has none, and stopped again afterwards.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QtTest>

class TTestTray {
public:
    ~TTestTray() { Stop(); }

    // True when a notification area is there (already, or started now).
    bool Need() {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            return true;
        const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
        if (trayer.isEmpty())
            return false;
        FTray = new QProcess;
        FTray->start(trayer, {"--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                              "--width", "200", "--height", "32"});
        if (!FTray->waitForStarted(3000))
            return false;
        return QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000);
    }

    // Stops a notification area that Need started; true when it is gone.
    bool Stop() {
        if (!FTray)
            return true;
        FTray->terminate();
        FTray->waitForFinished(3000);
        delete FTray;
        FTray = nullptr;
        return QTest::qWaitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 10000);
    }

private:
    QProcess* FTray = nullptr;
};

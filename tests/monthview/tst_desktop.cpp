// The real program on a desktop whose panel shows tray items the new way
// (a StatusNotifierWatcher on the session bus) and that has a notification
// server: the tray item's title, a left click (Activate) that brings the
// program back and puts it away again, and a reminder's notification tied to
// the program's desktop entry. Both services are stand-ins (fake_desktop) on
// a private session bus of the test's own.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

QStringList visibleMainWindows() {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                   QStringLiteral("--name"), QStringLiteral("^万年历$")});
    xdotool.waitForFinished(5000);
    return QString::fromLatin1(xdotool.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool writeFile(const QString& Path, const QByteArray& Bytes) {
    QFile f(Path);
    return f.open(QIODevice::WriteOnly) && f.write(Bytes) == Bytes.size();
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

    QProcess FBus;
    QProcess FDesktop;
    QString FAddress;
    QStringList FLines; // what the stand-in desktop printed

    // Waits until the stand-in desktop printed a line that starts with Prefix.
    QString waitForLine(const QString& Prefix, int TimeoutMs = 15000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < TimeoutMs) {
            while (FDesktop.canReadLine())
                FLines << QString::fromUtf8(FDesktop.readLine()).trimmed();
            for (const QString& line : std::as_const(FLines))
                if (line.startsWith(Prefix))
                    return line;
            FDesktop.waitForReadyRead(100);
        }
        return QString();
    }
    bool waitForWindows(int Count) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000) {
            if (visibleMainWindows().size() == Count)
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("dbus-daemon and xdotool are needed");
        FBus.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
        QVERIFY(FBus.waitForReadyRead(10000));
        FAddress = QString::fromLatin1(FBus.readLine()).trimmed();
        QVERIFY(!FAddress.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FAddress);
        FDesktop.setProcessEnvironment(env);
        FDesktop.start(QStringLiteral(FAKE_DESKTOP_PROGRAM));
        QVERIFY2(!waitForLine(QStringLiteral("ready")).isEmpty(), qPrintable(FLines.join('\n')));
    }
    void cleanupTestCase() {
        FDesktop.kill();
        FDesktop.waitForFinished();
        FBus.kill();
        FBus.waitForFinished();
    }

    void trayItemClickAndNotification();
};

void TestDesktop::trayItemClickAndNotification() {
    QTemporaryDir home;
    const QString data = home.filePath(QStringLiteral(".local/share/VORNCalendar"));
    QVERIFY(QDir().mkpath(data));
    const QString run = home.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(run));
    QVERIFY(::chmod(QFile::encodeName(run).constData(), 0700) == 0);
    // Reminders on, and a note due this very minute.
    QVERIFY(writeFile(data + QStringLiteral("/Config.ini"), "[NoteSet]\nAlarm=1\nPosition=0\n"));
    const QDateTime now = QDateTime::currentDateTime();
    const QString day = now.toString(QStringLiteral("yyyy-MM-dd"));
    QVERIFY(writeFile(data + QStringLiteral("/Notes.xml"),
                      QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><便签列表><Date%1>"
                                     "<标题>出门</标题><日期>%2</日期><提醒>是</提醒>"
                                     "<内容>带上钥匙</内容></Date%1></便签列表>")
                          .arg(day, now.toString(QStringLiteral("yyyy-MM-dd hh:mm")))
                          .toUtf8()));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FAddress);
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral(".local/share")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(VORNCALENDAR_PROGRAM));
    QVERIFY(program.waitForStarted());
    QVERIFY(waitForWindows(1));

    // The tray item, titled with the program's name.
    const QString item = waitForLine(QStringLiteral("item ")).mid(5);
    QVERIFY2(!item.isEmpty(), qPrintable(FLines.join('\n')));
    QDBusConnection bus = QDBusConnection::connectToBus(FAddress, QStringLiteral("test"));
    QVERIFY(bus.isConnected());
    QDBusMessage get = QDBusMessage::createMethodCall(
        item, QStringLiteral("/StatusNotifierItem"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Title");
    const QDBusReply<QDBusVariant> title = bus.call(get, QDBus::Block, 5000);
    QVERIFY2(title.isValid(), qPrintable(title.error().message()));
    QCOMPARE(title.value().variant().toString(), QStringLiteral("万年历"));

    // The reminder's notification: its note, tied to the desktop entry.
    const QString notice = waitForLine(QStringLiteral("notify "));
    QVERIFY2(!notice.isEmpty(), qPrintable(FLines.join('\n')));
    const QStringList fields = notice.mid(7).split(QLatin1Char('|'));
    QCOMPARE(fields.size(), 4);
    QCOMPARE(fields.at(0), QStringLiteral("万年历"));
    QCOMPARE(fields.at(1), QStringLiteral("出门"));
    QVERIFY2(fields.at(2).contains(QStringLiteral("带上钥匙")), qPrintable(fields.at(2)));
    QCOMPARE(fields.at(3), QStringLiteral("org.vorn.vorncalendar"));

    // A left click on the item: a minimised program comes back, a program in
    // front goes into the tray, and comes back again.
    auto activate = [&] {
        QDBusMessage call = QDBusMessage::createMethodCall(
            item, QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"));
        call << 0 << 0;
        bus.call(call, QDBus::Block, 5000);
    };
    const QString window = visibleMainWindows().first();
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), window});
    QVERIFY(waitForWindows(0));
    activate();
    QVERIFY(waitForWindows(1));
    QTest::qWait(300); // the window manager makes it the active one
    activate();
    QVERIFY(waitForWindows(0));
    activate();
    QVERIFY(waitForWindows(1));

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QDBusConnection::disconnectFromBus(QStringLiteral("test"));
}

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"

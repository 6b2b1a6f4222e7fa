// One calendar per user: the real program started twice at once, a second
// start that brings the first back, and what a dead instance leaves behind.
// Each case runs the program in a home and a runtime folder of its own.
#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The program's main windows (title exactly 万年历) now on the display.
QStringList windowIds(bool OnlyVisible) {
    QStringList args{QStringLiteral("search")};
    if (OnlyVisible)
        args << QStringLiteral("--onlyvisible");
    args << QStringLiteral("--name") << QStringLiteral("^万年历$");
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), args);
    xdotool.waitForFinished(5000);
    return QString::fromLatin1(xdotool.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir* FHome = nullptr;
    QList<QProcess*> FRunning;

    QString runtimeDir() const { return FHome->filePath(QStringLiteral("run")); }

    QProcess* start() {
        auto* p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), FHome->path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        env.insert(QStringLiteral("XDG_DATA_HOME"), FHome->filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), FHome->filePath(QStringLiteral("config")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p->setProcessEnvironment(env);
        p->setProgram(QStringLiteral(VORNCALENDAR_PROGRAM));
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FRunning << p;
        p->start();
        return p;
    }
    // Waits until the program shows WindowCount visible main windows.
    bool waitForWindows(int WindowCount, int TimeoutMs = 15000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < TimeoutMs) {
            if (windowIds(true).size() == WindowCount)
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private slots:
    void init() {
        FHome = new QTemporaryDir;
        QVERIFY(QDir().mkdir(runtimeDir()));
        QVERIFY(::chmod(QFile::encodeName(runtimeDir()).constData(), 0700) == 0);
    }
    void cleanup() {
        for (QProcess* p : std::as_const(FRunning)) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
        FRunning.clear();
        delete FHome;
    }

    void twoStartsAtOnceGiveOneProgram();
    void secondStartBringsTheFirstBack();
    void leftoversOfADeadInstanceDoNotBlock_data();
    void leftoversOfADeadInstanceDoNotBlock();
};

void TestSingleInstance::twoStartsAtOnceGiveOneProgram() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is needed to see the windows");
    QProcess* a = start();
    QProcess* b = start();
    // One of them asks the other and ends with 0; the other runs on.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 15000 && a->state() != QProcess::NotRunning &&
           b->state() != QProcess::NotRunning)
        QTest::qWait(50);
    QProcess* gone = a->state() == QProcess::NotRunning ? a : b;
    QProcess* running = gone == a ? b : a;
    QCOMPARE(gone->state(), QProcess::NotRunning);
    QCOMPARE(gone->exitStatus(), QProcess::NormalExit);
    QCOMPARE(gone->exitCode(), 0);
    QVERIFY(waitForWindows(1));
    QTest::qWait(500);
    QCOMPARE(running->state(), QProcess::Running);
    QCOMPARE(windowIds(false).size(), 1);
    // The rendezvous is in the user's private runtime folder.
    QVERIFY(QFile::exists(runtimeDir() + QStringLiteral("/vorncalendar.lock")));
    QVERIFY(QFileInfo(runtimeDir() + QStringLiteral("/vorncalendar.socket")).exists());
}

void TestSingleInstance::secondStartBringsTheFirstBack() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is needed to see the windows");
    QProcess* first = start();
    QVERIFY(waitForWindows(1));
    const QString window = windowIds(true).first();
    QProcess minimise;
    minimise.start(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), window});
    QVERIFY(minimise.waitForFinished(5000));
    QVERIFY(waitForWindows(0));

    QProcess* second = start();
    QVERIFY(second->waitForFinished(15000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    // The first is back on the screen, and still the only one.
    QVERIFY(waitForWindows(1));
    QCOMPARE(windowIds(true).first(), window);
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::leftoversOfADeadInstanceDoNotBlock_data() {
    QTest::addColumn<bool>("lock");
    QTest::addColumn<bool>("socket");
    QTest::newRow("lock of a dead instance") << true << false;
    QTest::newRow("socket of a dead instance") << false << true;
    QTest::newRow("both") << true << true;
}

void TestSingleInstance::leftoversOfADeadInstanceDoNotBlock() {
    QFETCH(bool, lock);
    QFETCH(bool, socket);
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xdotool is needed to see the windows");
    const QString lockPath = runtimeDir() + QStringLiteral("/vorncalendar.lock");
    const QString socketPath = runtimeDir() + QStringLiteral("/vorncalendar.socket");
    if (lock) {
        // An instance that died holding its lock, as a crash leaves it.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            QLockFile held(lockPath);
            held.setStaleLockTime(0);
            held.lock();
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(QFile::exists(lockPath));
    }
    if (socket) {
        // A socket bound and never removed: nobody answers at it.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(socketPath);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0);
        ::close(fd);
        QVERIFY(QFile::exists(socketPath));
    }
    QProcess* program = start();
    QVERIFY(waitForWindows(1));
    QCOMPARE(program->state(), QProcess::Running);
    // And it is the instance now: a second start finds it.
    QProcess* second = start();
    QVERIFY(second->waitForFinished(15000));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(windowIds(false).size(), 1);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"

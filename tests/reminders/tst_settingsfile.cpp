// The settings file: start-up read and the dialog's load into the process-wide
// values, and the dialog's save with what the file then holds.
#include "UFileIO.h"
#include "USettings.h"
#include "USettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <stdexcept>

namespace {

QByteArray readBytes(const QString& Path) {
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

void writeBytes(const QString& Path, const QByteArray& Bytes) {
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Bytes);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readAtStartup_data();
    void readAtStartup();
    void startupCreatesDataDirOnly();
    void loadDoesNotCreateDataDir();
    void loadPicksUpHandEdit();
    void saveWritesAllThreeInOrder();
    void saveKeepsOtherLines();
    void saveAlarm_data();
    void saveAlarm();
    void saveRefused_data();
    void saveRefused();
    void saveKeepsByteOrderMark();
    void fullDiskKeepsFileAndValues();
    void newAccountGetsItsFolders();
};

void TestSettingsFile::init() {
    Position = 77;
    Alarm = 77;
    blend = 77;
}

void TestSettingsFile::readAtStartup_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("alarm");
    QTest::addColumn<int>("blendValue");

    QTest::newRow("missing file") << false << QByteArray() << 0 << 0 << 10;
    QTest::newRow("empty file") << true << QByteArray() << 0 << 0 << 10;
    QTest::newRow("other section only")
        << true << QByteArray("[Other]\nPosition=3\nAlarm=1\nblend=4\n") << 0 << 0 << 10;
    QTest::newRow("all three") << true << QByteArray("[NoteSet]\nPosition=3\nAlarm=1\nblend=5\n")
                               << 3 << 1 << 5;
    QTest::newRow("letters read as default")
        << true << QByteArray("[NoteSet]\nPosition=abc\nAlarm=on\nblend=ten\n") << 0 << 0 << 10;
    QTest::newRow("0x3") << true << QByteArray("[NoteSet]\nPosition=0x3\n") << 3 << 0 << 10;
    QTest::newRow("$A") << true << QByteArray("[NoteSet]\nblend=$A\n") << 0 << 0 << 10;
    QTest::newRow("$9") << true << QByteArray("[NoteSet]\nblend=$9\n") << 0 << 0 << 9;
    QTest::newRow("Alarm 2 kept as read")
        << true << QByteArray("[NoteSet]\nAlarm=2\n") << 0 << 2 << 10;
    QTest::newRow("out-of-range numbers kept")
        << true << QByteArray("[NoteSet]\nPosition=7\nAlarm=-3\nblend=40\n") << 7 << -3 << 40;
    QTest::newRow("negative and zero")
        << true << QByteArray("[NoteSet]\nPosition=-1\nblend=0\n") << -1 << 0 << 0;
    QTest::newRow("names ignore case")
        << true << QByteArray("[noteset]\nPOSITION=1\nalarm=1\nBlend=2\n") << 1 << 1 << 2;
    QTest::newRow("comments") << true << QByteArray("; c\n[NoteSet]\n;Position=3\nAlarm=1\n") << 0
                              << 1 << 10;
    QTest::newRow("UTF-8 byte order mark")
        << true << QByteArray("\xEF\xBB\xBF[NoteSet]\r\nPosition=2\r\nAlarm=1\r\nblend=4\r\n") << 2
        << 1 << 4;
    QTest::newRow("UTF-16 with its byte order mark")
        << true
        << QByteArray("\377\376[\000N\000o\000t\000e\000S\000e\000t\000]"
                      "\000\012\000b\000l\000e\000n\000d\000=\0003\000\012\000",
                      38)
        << 0 << 0 << 3;
}

void TestSettingsFile::readAtStartup() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(int, position);
    QFETCH(int, alarm);
    QFETCH(int, blendValue);
    QTemporaryDir tmp;
    const QString dataDir = tmp.filePath(QStringLiteral("VORNCalendar"));
    const QString config = dataDir + QStringLiteral("/Config.ini");
    if (exists) {
        QVERIFY(QDir().mkdir(dataDir));
        writeBytes(config, content);
    }
    ReadNoteSettingsFile(dataDir, config);
    QCOMPARE(Position, position);
    QCOMPARE(Alarm, alarm);
    QCOMPARE(blend, blendValue);
    QVERIFY(QFileInfo(dataDir).isDir());
    QCOMPARE(QFile::exists(config), exists);
    if (exists)
        QCOMPARE(readBytes(config), content);
}

void TestSettingsFile::startupCreatesDataDirOnly() {
    QTemporaryDir tmp;
    const QString dataDir = tmp.filePath(QStringLiteral("VORNCalendar"));
    ReadNoteSettingsFile(dataDir, dataDir + QStringLiteral("/Config.ini"));
    QVERIFY(QFileInfo(dataDir).isDir());
    QVERIFY(QDir(dataDir).isEmpty());
}

void TestSettingsFile::loadDoesNotCreateDataDir() {
    QTemporaryDir tmp;
    const QString dataDir = tmp.filePath(QStringLiteral("VORNCalendar"));
    LoadNoteSettingsFile(dataDir + QStringLiteral("/Config.ini"));
    QCOMPARE(Position, 0);
    QCOMPARE(Alarm, 0);
    QCOMPARE(blend, 10);
    QVERIFY(!QFileInfo::exists(dataDir));
}

void TestSettingsFile::loadPicksUpHandEdit() {
    QTemporaryDir tmp;
    const QString config = tmp.filePath(QStringLiteral("Config.ini"));
    QVERIFY(QFile::copy(QStringLiteral(VORN_TEST_DATA "/handedited.ini"), config));
    LoadNoteSettingsFile(config);
    QCOMPARE(Position, 2);
    QCOMPARE(Alarm, 1);
    QCOMPARE(blend, 5);
}

void TestSettingsFile::saveWritesAllThreeInOrder() {
    QTemporaryDir tmp;
    const QString dataDir = tmp.filePath(QStringLiteral("VORNCalendar"));
    const QString config = dataDir + QStringLiteral("/Config.ini");
    QVERIFY(SaveNoteSettingsFile(dataDir, config, 1, false, 10).Ok);
    QCOMPARE(readBytes(config), QByteArray("[NoteSet]\nPosition=1\nAlarm=0\nblend=10\n"));
    QCOMPARE(Position, 1);
    QCOMPARE(Alarm, 0);
    QCOMPARE(blend, 10);
}

void TestSettingsFile::saveKeepsOtherLines() {
    QTemporaryDir tmp;
    const QString config = tmp.filePath(QStringLiteral("Config.ini"));
    QVERIFY(QFile::copy(QStringLiteral(VORN_TEST_DATA "/handedited.ini"), config));
    QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(SaveNoteSettingsFile(tmp.path(), config, 3, true, 7).Ok);
    QCOMPARE(readBytes(config),
             QByteArray("; Settings of the calendar, edited by hand\r\n[Window]\r\nLeft=100\r\n"
                        "\r\n[NOTESET]\r\n; corner of the note window\r\nposition=3\r\n"
                        "ALARM=1\r\nblend=7\r\n\r\n[Extra]\r\nblend=1\r\n"));
    LoadNoteSettingsFile(config);
    QCOMPARE(Position, 3);
    QCOMPARE(Alarm, 1);
    QCOMPARE(blend, 7);
}

void TestSettingsFile::saveAlarm_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("on over 2 writes 1") << QByteArray("[NoteSet]\nAlarm=2\n") << true
                                        << QByteArray("[NoteSet]\nAlarm=1\nPosition=0\nblend=4\n");
    QTest::newRow("off writes 0") << QByteArray("[NoteSet]\nAlarm=1\n") << false
                                  << QByteArray("[NoteSet]\nAlarm=0\nPosition=0\nblend=4\n");
}

void TestSettingsFile::saveAlarm() {
    QFETCH(QByteArray, before);
    QFETCH(bool, on);
    QFETCH(QByteArray, after);
    QTemporaryDir tmp;
    const QString config = tmp.filePath(QStringLiteral("Config.ini"));
    writeBytes(config, before);
    QVERIFY(SaveNoteSettingsFile(tmp.path(), config, 0, on, 4).Ok);
    QCOMPARE(readBytes(config), after);
    QCOMPARE(Alarm, on ? 1 : 0);
}

void TestSettingsFile::saveRefused_data() {
    QTest::addColumn<QString>("why");
    QTest::newRow("read-only file") << "readonly";
    QTest::newRow("folder cannot be created") << "nofolder";
}

void TestSettingsFile::saveRefused() {
    QFETCH(QString, why);
    QTemporaryDir tmp;
    QString dataDir = tmp.path();
    QString config = tmp.filePath(QStringLiteral("Config.ini"));
    const QByteArray before = "[NoteSet]\nPosition=1\nAlarm=1\nblend=3\n";
    if (why == QLatin1String("readonly")) {
        writeBytes(config, before);
        QVERIFY(QFile::setPermissions(config, QFile::ReadOwner | QFile::ReadGroup));
    } else {
        // The data folder's parent is a plain file, so the folder cannot be made.
        const QString blocker = tmp.filePath(QStringLiteral("blocker"));
        writeBytes(blocker, "x");
        dataDir = blocker + QStringLiteral("/VORNCalendar");
        config = dataDir + QStringLiteral("/Config.ini");
    }
    Position = 1;
    Alarm = 1;
    blend = 3;
    const StoreResult saved = SaveNoteSettingsFile(dataDir, config, 2, false, 9);
    QVERIFY(!saved.Ok);
    // The message says which file or folder and why, in Chinese.
    QVERIFY2(saved.Error.contains(QStringLiteral("无法")), qPrintable(saved.Error));
    QVERIFY2(saved.Error.contains(why == QLatin1String("readonly")
                                      ? QDir::toNativeSeparators(config)
                                      : QDir::toNativeSeparators(dataDir)),
             qPrintable(saved.Error));
    // Nothing of the save took effect: neither the file nor the running values.
    QCOMPARE(Position, 1);
    QCOMPARE(Alarm, 1);
    QCOMPARE(blend, 3);
    if (why == QLatin1String("readonly")) {
        QCOMPARE(readBytes(config), before);
        QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner);
    } else {
        QVERIFY(!QFileInfo::exists(config));
    }
}

void TestSettingsFile::saveKeepsByteOrderMark() {
    // A file saved by an editor that starts with a byte order mark: its
    // section is found, and a save adds no second mark and no second section.
    QTemporaryDir tmp;
    const QString config = tmp.filePath(QStringLiteral("Config.ini"));
    writeBytes(config, "\xEF\xBB\xBF[NoteSet]\r\nPosition=2\r\nAlarm=1\r\nblend=4\r\n");
    QVERIFY(SaveNoteSettingsFile(tmp.path(), config, 3, false, 6).Ok);
    QCOMPARE(readBytes(config),
             QByteArray("\xEF\xBB\xBF[NoteSet]\r\nPosition=3\r\nAlarm=0\r\nblend=6\r\n"));
}

void TestSettingsFile::fullDiskKeepsFileAndValues() {
    QTemporaryDir tmp;
    const QString config = tmp.filePath(QStringLiteral("Config.ini"));
    const QByteArray before = "[NoteSet]\nPosition=1\nAlarm=1\nblend=3\n";
    writeBytes(config, before);
    Position = 1;
    Alarm = 1;
    blend = 3;
    FileIOTesting::SetWriteFault(ENOSPC, 10);
    const StoreResult saved = SaveNoteSettingsFile(tmp.path(), config, 2, false, 9);
    FileIOTesting::SetWriteFault(0);
    QVERIFY(!saved.Ok);
    QVERIFY2(saved.Error.contains(QStringLiteral("磁盘空间不足")), qPrintable(saved.Error));
    QCOMPARE(readBytes(config), before);
    QCOMPARE(Position, 1);
    QCOMPARE(Alarm, 1);
    QCOMPARE(blend, 3);
}

void TestSettingsFile::newAccountGetsItsFolders() {
    // Where ~/.local/share does not exist yet, the data folder is made with
    // its parents, and the save works at once.
    QTemporaryDir home;
    const QString dataDir = home.filePath(QStringLiteral(".local/share/VORNCalendar"));
    const QString config = dataDir + QStringLiteral("/Config.ini");
    ReadNoteSettingsFile(dataDir, config);
    QVERIFY(QFileInfo(dataDir).isDir());
    QVERIFY(SaveNoteSettingsFile(dataDir, config, 2, true, 8).Ok);
    QCOMPARE(readBytes(config), QByteArray("[NoteSet]\nPosition=2\nAlarm=1\nblend=8\n"));
    QCOMPARE(QFile::permissions(config),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"

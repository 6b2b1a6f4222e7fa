// The INI reader and writer: what a read gives for a table of file contents,
// what the file holds after one write, and refused writes.
#include "UFileIO.h"
#include "UIniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeBytes(const QString& Path, const QByteArray& Bytes) {
    QFile f(Path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Bytes);
}

QByteArray readBytes(const QString& Path) {
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void readInteger_data();
    void readInteger();
    void readString_data();
    void readString();
    void writeInteger_data();
    void writeInteger();
    void writeRefused_data();
    void writeRefused();
    void parseInteger_data();
    void parseInteger();
};

void TestIniFile::readInteger_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("def");
    QTest::addColumn<int>("expected");

    QTest::newRow("missing file") << false << QByteArray() << "NoteSet"
                                  << "blend" << 10 << 10;
    QTest::newRow("empty file") << true << QByteArray() << "NoteSet"
                                << "blend" << 10 << 10;
    QTest::newRow("missing section") << true << QByteArray("[Other]\nblend=3\n") << "NoteSet"
                                     << "blend" << 10 << 10;
    QTest::newRow("missing key") << true << QByteArray("[NoteSet]\nAlarm=1\n") << "NoteSet"
                                 << "blend" << 10 << 10;
    QTest::newRow("decimal") << true << QByteArray("[NoteSet]\nblend=7\n") << "NoteSet"
                             << "blend" << 10 << 7;
    QTest::newRow("negative") << true << QByteArray("[NoteSet]\nPosition=-1\n") << "NoteSet"
                              << "Position" << 0 << -1;
    QTest::newRow("0x hex") << true << QByteArray("[NoteSet]\nPosition=0x3\n") << "NoteSet"
                            << "Position" << 0 << 3;
    QTest::newRow("$ hex") << true << QByteArray("[NoteSet]\nblend=$A\n") << "NoteSet"
                           << "blend" << 0 << 10;
    QTest::newRow("$ hex lower") << true << QByteArray("[NoteSet]\nblend=$1f\n") << "NoteSet"
                                 << "blend" << 0 << 31;
    QTest::newRow("letters") << true << QByteArray("[NoteSet]\nPosition=abc\n") << "NoteSet"
                             << "Position" << 0 << 0;
    QTest::newRow("letters, other default")
        << true << QByteArray("[NoteSet]\nPosition=abc\n") << "NoteSet"
        << "Position" << 5 << 5;
    QTest::newRow("trailing letters") << true << QByteArray("[NoteSet]\nblend=12abc\n") << "NoteSet"
                                      << "blend" << 10 << 10;
    QTest::newRow("empty value") << true << QByteArray("[NoteSet]\nblend=\n") << "NoteSet"
                                 << "blend" << 10 << 10;
    QTest::newRow("out of range kept") << true << QByteArray("[NoteSet]\nblend=99\n") << "NoteSet"
                                       << "blend" << 10 << 99;
    QTest::newRow("too big for 32 bits")
        << true << QByteArray("[NoteSet]\nblend=2147483648\n") << "NoteSet"
        << "blend" << 10 << 10;
    QTest::newRow("smallest 32-bit")
        << true << QByteArray("[NoteSet]\nblend=-2147483648\n") << "NoteSet"
        << "blend" << 10 << int(INT32_MIN);
    QTest::newRow("blanks around")
        << true << QByteArray("  [ NoteSet ]  \n  blend   =   4  \n") << "NoteSet"
        << "blend" << 10 << 4;
    QTest::newRow("names ignore case") << true << QByteArray("[noteset]\nBLEND=6\n") << "NoteSet"
                                       << "blend" << 10 << 6;
    QTest::newRow("key of another section")
        << true << QByteArray("[Other]\nblend=3\n[NoteSet]\nAlarm=1\n") << "NoteSet"
        << "blend" << 10 << 10;
    QTest::newRow("commented out")
        << true << QByteArray("[NoteSet]\n;blend=3\n#blend=4\n") << "NoteSet"
        << "blend" << 10 << 10;
    QTest::newRow("first of two keys")
        << true << QByteArray("[NoteSet]\nblend=3\nblend=4\n") << "NoteSet"
        << "blend" << 10 << 3;
    QTest::newRow("CRLF lines") << true << QByteArray("[NoteSet]\r\nAlarm=2\r\n") << "NoteSet"
                                << "Alarm" << 0 << 2;
    QTest::newRow("no line end at the end") << true << QByteArray("[NoteSet]\nAlarm=2") << "NoteSet"
                                            << "Alarm" << 0 << 2;
    QTest::newRow("quoted") << true << QByteArray("[NoteSet]\nAlarm=\"1\"\n") << "NoteSet"
                            << "Alarm" << 0 << 1;
}

void TestIniFile::readInteger() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, def);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    if (exists)
        writeBytes(path, content);
    const TIniFile ini(path);
    QCOMPARE(ini.ReadInteger(section, key, def), expected);
    // Reading never creates the file.
    QCOMPARE(QFile::exists(path), exists);
}

void TestIniFile::readString_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QByteArray("[S]\nk=hello world\n") << "hello world";
    QTest::newRow("utf-8") << QByteArray("[S]\nk=便签\n") << "便签";
    QTest::newRow("equals in value") << QByteArray("[S]\nk=a=b\n") << "a=b";
    QTest::newRow("missing") << QByteArray("[S]\nj=1\n") << "default";
}

void TestIniFile::readString() {
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    writeBytes(path, content);
    QCOMPARE(TIniFile(path).ReadString(QStringLiteral("S"), QStringLiteral("k"),
                                       QStringLiteral("default")),
             expected);
}

void TestIniFile::writeInteger_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("creates the file")
        << false << QByteArray() << "Position" << 3 << QByteArray("[NoteSet]\nPosition=3\n");
    QTest::newRow("replaces the value, keeps the rest")
        << true << QByteArray("; my settings\n[NoteSet]\nPosition=1\nAlarm=0\n\n[Other]\nx=1\n")
        << "Position" << 2
        << QByteArray("; my settings\n[NoteSet]\nPosition=2\nAlarm=0\n\n[Other]\nx=1\n");
    QTest::newRow("adds a key at the end of its section")
        << true << QByteArray("[NoteSet]\nPosition=1\n\n[Other]\nblend=7\n") << "blend" << 5
        << QByteArray("[NoteSet]\nPosition=1\nblend=5\n\n[Other]\nblend=7\n");
    QTest::newRow("adds the section at the end")
        << true << QByteArray("[Other]\nx=1\n") << "Alarm" << 1
        << QByteArray("[Other]\nx=1\n[NoteSet]\nAlarm=1\n");
    QTest::newRow("last line without line end")
        << true << QByteArray("[Other]\nx=1") << "Alarm" << 1
        << QByteArray("[Other]\nx=1\n[NoteSet]\nAlarm=1\n");
    QTest::newRow("names ignore case, spelling kept")
        << true << QByteArray("[noteset]\nBLEND = 3\n") << "blend" << 9
        << QByteArray("[noteset]\nBLEND=9\n");
    QTest::newRow("CRLF kept") << true << QByteArray("[NoteSet]\r\nPosition=1\r\n;c\r\n") << "Alarm"
                               << 0 << QByteArray("[NoteSet]\r\nPosition=1\r\n;c\r\nAlarm=0\r\n");
    QTest::newRow("negative value") << true << QByteArray("[NoteSet]\nPosition=1\n") << "Position"
                                    << -1 << QByteArray("[NoteSet]\nPosition=-1\n");
    QTest::newRow("a commented key is not the key")
        << true << QByteArray("[NoteSet]\n;blend=3\n") << "blend" << 4
        << QByteArray("[NoteSet]\n;blend=3\nblend=4\n");
    // A byte order mark is understood and kept, exactly once.
    QTest::newRow("UTF-8 byte order mark")
        << true << QByteArray("\xEF\xBB\xBF[NoteSet]\r\nPosition=1\r\n") << "Position" << 3
        << QByteArray("\xEF\xBB\xBF[NoteSet]\r\nPosition=3\r\n");
    QTest::newRow("UTF-8 byte order mark, new key")
        << true << QByteArray("\xEF\xBB\xBF[NoteSet]\nPosition=1\n") << "blend" << 6
        << QByteArray("\xEF\xBB\xBF[NoteSet]\nPosition=1\nblend=6\n");
    QTest::newRow("UTF-16 written back as UTF-16")
        << true
        << QByteArray("\377\376[\000N\000o\000t\000e\000S\000e\000t\000]\000\015\000\012\000a\000="
                      "\000-N\015\000\012\000",
                      34)
        << "Alarm" << 1
        << QByteArray("\377\376[\000N\000o\000t\000e\000S\000e\000t\000]\000\015\000\012\000a\000="
                      "\000-N\015\000\012\000A\000l\000a\000r\000m\000=\0001\000\015\000\012\000",
                      52);
    QTest::newRow("GBK comment kept byte for byte")
        << true << QByteArray("; \xB1\xE3\xC7\xA9\n[NoteSet]\nPosition=1\n") << "Position" << 2
        << QByteArray("; \xB1\xE3\xC7\xA9\n[NoteSet]\nPosition=2\n");
}

void TestIniFile::writeInteger() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(int, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    if (exists)
        writeBytes(path, before);
    TIniFile ini(path);
    ini.WriteInteger(QStringLiteral("NoteSet"), key, value);
    QCOMPARE(readBytes(path), after);
    QCOMPARE(ini.ReadInteger(QStringLiteral("NoteSet"), key, 12345), value);
}

void TestIniFile::writeRefused_data() {
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("message");
    QTest::newRow("read-only file") << "readonly" << QStringLiteral("没有写入权限");
    QTest::newRow("missing folder") << "nofolder" << QStringLiteral("无法");
    QTest::newRow("path is a folder") << "folder" << QStringLiteral("文件夹");
    QTest::newRow("an encoding the reader does not know")
        << "unknown" << QStringLiteral("编码无法识别");
}

void TestIniFile::writeRefused() {
    QFETCH(QString, why);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Config.ini"));
    const QByteArray before = "[NoteSet]\nPosition=1\n";
    if (why == QLatin1String("readonly")) {
        writeBytes(path, before);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    } else if (why == QLatin1String("nofolder")) {
        path = dir.filePath(QStringLiteral("no/such/Config.ini"));
    } else if (why == QLatin1String("unknown")) {
        // UTF-16 without its byte order mark: appending ASCII lines would
        // break it, so it is left alone (and reads as defaults).
        writeBytes(path, QByteArray("[\000N\000o\000t\000e\000S\000e\000t\000]\000\012\000", 20));
    } else {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Config.ini")));
    }
    const QByteArray kept = readBytes(path);
    TIniFile ini(path);
    try {
        ini.WriteInteger(QStringLiteral("NoteSet"), QStringLiteral("Position"), 3);
        QFAIL("the write must be refused");
    } catch (const FileError& e) {
        QVERIFY2(e.Message().contains(message), qPrintable(e.Message()));
    }
    if (why == QLatin1String("unknown")) {
        QCOMPARE(readBytes(path), kept);
        QCOMPARE(ini.ReadInteger(QStringLiteral("NoteSet"), QStringLiteral("Position"), 7), 7);
    }
    if (why == QLatin1String("readonly")) {
        QCOMPARE(readBytes(path), before);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    } else if (why == QLatin1String("nofolder")) {
        QVERIFY(!QFile::exists(path));
    }
    // No temporary file is left behind.
    // (The writers' lock file stays: it is empty, and taken by every save.)
    QStringList left =
        QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    left.removeAll(QStringLiteral("Config.ini.lock"));
    QCOMPARE(left, why == QLatin1String("nofolder") ? QStringList()
                                                    : QStringList{QStringLiteral("Config.ini")});
}

void TestIniFile::parseInteger_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("0") << "0" << true << 0;
    QTest::newRow("+5") << "+5" << true << 5;
    QTest::newRow("0x3") << "0x3" << true << 3;
    QTest::newRow("0X1F") << "0X1F" << true << 31;
    QTest::newRow("$A") << "$A" << true << 10;
    QTest::newRow("-$A") << "-$A" << true << -10;
    QTest::newRow("$FFFFFFFF") << "$FFFFFFFF" << true << -1;
    QTest::newRow("nine hex digits") << "$123456789" << false << 0;
    QTest::newRow("0x alone") << "0x" << false << 0;
    QTest::newRow("$ alone") << "$" << false << 0;
    QTest::newRow("$G") << "$G" << false << 0;
    QTest::newRow("2147483647") << "2147483647" << true << int(INT32_MAX);
    QTest::newRow("-2147483649") << "-2147483649" << false << 0;
    QTest::newRow("1.5") << "1.5" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("arabic-indic digit") << QString::fromUtf8("\u0663") << false << 0;
    QTest::newRow("full-width digit") << QString::fromUtf8("３") << false << 0;
}

void TestIniFile::parseInteger() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto parsed = TIniFile::ParseInteger(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"

// "vorncal notes": what it prints for the walk's cases, its exit status and
// its one line on stderr.
#include "UClock.h"
#include "vorncal_notes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

class TestVorncalNotes : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Clock::SetNowFunction([] { return QDateTime(QDate(2024, 5, 9), QTime(10, 0)); });
    }
    void cleanup() { Clock::SetNowFunction({}); }
    void run_data();
    void run();
    void onlyReads();
};

void TestVorncalNotes::run_data() {
    QTest::addColumn<QStringList>("args"); // "@" stands for the fixture folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errPart");

    QTest::newRow("all") << QStringList{"@two_days.xml"} << 0
                         << QStringLiteral(
                                "a1\t2024-05-07 08:00\t是\t甲\na2\t2024-05-07 09:00\t否\t乙\n"
                                "b1\t2024-05-09 10:00\t是\t丙\n")
                         << QString();
    QTest::newRow("today") << QStringList{"--today", "@two_days.xml"} << 0
                           << QStringLiteral("b1\t2024-05-09 10:00\t是\t丙\n") << QString();
    QTest::newRow("option after file")
        << QStringList{"@two_days.xml", "--today"} << 0
        << QStringLiteral("b1\t2024-05-09 10:00\t是\t丙\n") << QString();
    QTest::newRow("seed only") << QStringList{"@seed_only.xml"} << 0 << QString() << QString();
    QTest::newRow("escapes") << QStringList{"@escapes.xml"} << 0
                             << QStringLiteral("a\\\\b\tx\\ty\t是\tl1\\r\\nl2\n") << QString();
    QTest::newRow("short group")
        << QStringList{"@shifted.xml"} << 1
        << QStringLiteral("完整\t2024-05-08 08:00\t是\t一\n后来\t2024-05-09 09:00\t否\n")
        << QStringLiteral("lacks its content");
    QTest::newRow("not well-formed") << QStringList{"@truncated.xml"} << 1 << QString()
                                     << QStringLiteral("not well-formed XML at line 3");
    QTest::newRow("no such file") << QStringList{"@missing.xml"} << 1 << QString()
                                  << QStringLiteral("does not exist");
    QTest::newRow("unknown option")
        << QStringList{"--all"} << 2 << QString() << QStringLiteral("unknown option --all");
    QTest::newRow("two files") << QStringList{"@a.xml", "@b.xml"} << 2 << QString()
                               << QStringLiteral("more than one FILE");
}

void TestVorncalNotes::run() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, errPart);
    for (QString& a : args) {
        if (a.startsWith(QLatin1Char('@')))
            a = QStringLiteral(VORN_TEST_DATA "/") + a.mid(1);
    }
    QString outText, errText;
    QTextStream o(&outText), e(&errText);
    QCOMPARE(RunNotesCommand(args, o, e), status);
    QCOMPARE(outText, out);
    if (errPart.isEmpty()) {
        QCOMPARE(errText, QString());
    } else {
        QVERIFY2(errText.contains(errPart), qPrintable(errText));
        if (status == 1)
            QCOMPARE(errText.count(QLatin1Char('\n')), 1); // one line
    }
}

void TestVorncalNotes::onlyReads() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    QString outText, errText;
    QTextStream o(&outText), e(&errText);
    QCOMPARE(RunNotesCommand({path}, o, e), 1);
    QVERIFY(!QFile::exists(path)); // no seed document is written
}

QTEST_GUILESS_MAIN(TestVorncalNotes)
#include "tst_vorncal_notes.moc"

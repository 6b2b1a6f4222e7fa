// The terminal calendar, run as the user runs it: its output for a few months
// and date ranges against expected files, and its answers to bad arguments.
#include "UTerminalCalendar.h"

#include <QtTest>

#include <sstream>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run Vorncal(const QStringList& args) {
    QProcess process;
    process.start(VORNCAL_PATH, args);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QByteArray Expected(const QString& name) {
    QFile file(QStringLiteral(VORN_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "missing expected file" << file.fileName();
        return {};
    }
    return file.readAll();
}

} // namespace

class TestVorncal : public QObject {
    Q_OBJECT

private slots:
    void expectedOutput_data();
    void expectedOutput();
    void monthLayout();
    void todayByDefault();
    void todayInReverseVideo();
    void tsvFields();
    void help();
    void badArguments_data();
    void badArguments();
};

void TestVorncal::expectedOutput_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file");
    QTest::newRow("February 2015 starts on a Sunday")
        << QStringList{"2015", "2"} << "month-2015-02.txt";
    QTest::newRow("October 2022 starts on a Saturday")
        << QStringList{"2022", "10"} << "month-2022-10.txt";
    QTest::newRow("February 2024") << QStringList{"2024", "2"} << "month-2024-02.txt";
    QTest::newRow("January 1901") << QStringList{"1901", "1"} << "month-1901-01.txt";
    QTest::newRow("December 2050") << QStringList{"2050", "12"} << "month-2050-12.txt";
    QTest::newRow("tsv February 2024")
        << QStringList{"--tsv", "2024-02-01", "2024-02-29"} << "tsv-2024-02.txt";
    QTest::newRow("tsv start of the range")
        << QStringList{"--tsv", "1901-01-01", "1901-02-20"} << "tsv-1901-start.txt";
    QTest::newRow("tsv end of the range")
        << QStringList{"--tsv", "2050-12-20", "2050-12-31"} << "tsv-2050-end.txt";
}

void TestVorncal::expectedOutput() {
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    const Run run = Vorncal(args);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(QString::fromUtf8(run.out), QString::fromUtf8(Expected(file)));
}

// The columns line up in a terminal: every CJK character is two columns wide,
// so each day's texts are centred in an eight-column cell.
void TestVorncal::monthLayout() {
    const QStringList lines = QString::fromUtf8(Vorncal({"2024", "2"}).out).split('\n');
    QCOMPARE(lines.size(), 2 + 6 * 3 + 1); // title, header, six weeks of three lines, final newline
    QCOMPARE(lines[0].trimmed(), QString("2024年2月  甲辰龙年"));
    QCOMPARE(lines[1].simplified(), QString("日 一 二 三 四 五 六"));
    // Thursday 1 February: day number, lunar day and no term in column 4.
    const auto column = [](const QString& line, int c) {
        // Two columns per CJK character: walk the display columns.
        QString cell;
        int at = 0;
        for (QChar ch : line) {
            const int w = ch.unicode() >= 0x1100 ? 2 : 1;
            if (at >= c * 8 && at < c * 8 + 8) {
                cell += ch;
            }
            at += w;
        }
        while (cell.startsWith(' ')) {
            cell.remove(0, 1);
        }
        while (cell.endsWith(' ')) {
            cell.chop(1);
        }
        return cell;
    };
    QCOMPARE(column(lines[2], 4), QString("1"));
    QCOMPARE(column(lines[3], 4), QString("廿二"));
    QCOMPARE(column(lines[5], 0), QString("4"));
    QCOMPARE(column(lines[7], 0), QString("立春"));
    QCOMPARE(column(lines[6], 6), QString("　正月"));
    QCOMPARE(column(lines[14], 4), QString("29"));
    QCOMPARE(column(lines[15], 4), QString("二十"));
    QCOMPARE(DisplayWidth("　正月"), 6);
    QCOMPARE(DisplayWidth("29"), 2);
}

void TestVorncal::todayByDefault() {
    const QDate today = QDate::currentDate();
    const Run plain = Vorncal({});
    const Run month = Vorncal({QString::number(today.year()), QString::number(today.month())});
    if (QDate::currentDate() != today) {
        QSKIP("the date changed during the test");
    }
    QCOMPARE(plain.status, 0);
    QCOMPARE(plain.out, month.out);
    QVERIFY(!plain.out.contains("\x1b[")); // a pipe gets no escape sequences
}

void TestVorncal::todayInReverseVideo() {
    TerminalOptions options;
    options.Today = std::chrono::year{2024} / 2 / 19;
    options.Highlight = true;
    std::ostringstream out, err;
    QCOMPARE(RunTerminalCalendar({}, options, out, err), 0);
    const QString text = QString::fromStdString(out.str());
    QCOMPARE(text.count("\x1b[7m"), 3); // the day's three lines, nothing else
    QVERIFY(text.contains("\x1b[7m   19   \x1b[0m"));
    QVERIFY(text.contains("\x1b[7m  雨水  \x1b[0m"));

    // Another month than today's shows no mark.
    std::ostringstream other;
    QCOMPARE(RunTerminalCalendar({"2024", "3"}, options, other, err), 0);
    QVERIFY(!QString::fromStdString(other.str()).contains("\x1b["));
}

void TestVorncal::tsvFields() {
    const Run run = Vorncal({"--tsv", "2023-03-22", "2023-03-22"});
    QCOMPARE(run.status, 0);
    const QStringList fields = QString::fromUtf8(run.out).chopped(1).split('\t');
    QCOMPARE(fields, (QStringList{"2023-03-22", "2023", "2", "1", "　二月", "", "世界水日",
                                  "癸卯兔年", "4"}));
}

void TestVorncal::help() {
    const Run run = Vorncal({"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith("usage: vorncal"));
    QCOMPARE(run.err, QByteArray());
}

void TestVorncal::badArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("what");
    QTest::newRow("year before the range") << QStringList{"1900", "12"} << "year 1900";
    QTest::newRow("year after the range") << QStringList{"2051", "1"} << "year 2051";
    QTest::newRow("month 13") << QStringList{"2024", "13"} << "month 13";
    QTest::newRow("month 0") << QStringList{"2024", "0"} << "month 0";
    QTest::newRow("month not a number") << QStringList{"2024", "feb"} << "'feb'";
    QTest::newRow("negative month") << QStringList{"2024", "-2"} << "'-2'";
    QTest::newRow("huge year") << QStringList{"99999999999", "1"} << "'99999999999'";
    QTest::newRow("month missing") << QStringList{"2024"} << "YEAR and MONTH";
    QTest::newRow("extra argument") << QStringList{"2024", "2", "3"} << "too many";
    QTest::newRow("unknown option") << QStringList{"--year"} << "'--year'";
    QTest::newRow("tsv without TO") << QStringList{"--tsv", "2024-01-01"} << "FROM and TO";
    QTest::newRow("tsv extra") << QStringList{"--tsv", "2024-01-01", "2024-01-02", "x"}
                               << "too many";
    QTest::newRow("tsv impossible date")
        << QStringList{"--tsv", "2023-02-29", "2023-03-01"} << "2023-02-29 does not exist";
    QTest::newRow("tsv month 13") << QStringList{"--tsv", "2023-13-01", "2023-13-02"}
                                  << "2023-13-01 does not exist";
    QTest::newRow("tsv malformed")
        << QStringList{"--tsv", "2023-3-01", "2023-03-02"} << "yyyy-mm-dd";
    QTest::newRow("tsv before the range")
        << QStringList{"--tsv", "1900-12-31", "1901-01-01"} << "outside 1901-01-01 to 2050-12-31";
    QTest::newRow("tsv after the range")
        << QStringList{"--tsv", "2050-12-31", "2051-01-01"} << "outside 1901-01-01 to 2050-12-31";
    QTest::newRow("tsv reversed") << QStringList{"--tsv", "2024-01-02", "2024-01-01"} << "after";
    QTest::newRow("tsv not first") << QStringList{"2024", "--tsv"} << "--tsv";
}

void TestVorncal::badArguments() {
    QFETCH(QStringList, args);
    QFETCH(QString, what);
    const Run run = Vorncal(args);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QByteArray());
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.endsWith('\n') && err.contains(what), qPrintable(err));
    QVERIFY2(err.contains("expected: vorncal"), qPrintable(err)); // says what is accepted
}

QTEST_GUILESS_MAIN(TestVorncal)
#include "tst_vorncal.moc"

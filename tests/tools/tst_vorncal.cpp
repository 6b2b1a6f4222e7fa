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

// Runs vorncal with its data directory in an empty temporary folder, so that
// no Holidays.txt of the user's changes what it prints; Env adds to or
// overrides the environment ("NAME=value", or "NAME" alone to remove it).
Run Vorncal(const QStringList& args, const QStringList& env = {}) {
    static QTemporaryDir empty;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", empty.path());
    for (const QString& entry : env) {
        if (entry.contains('='))
            environment.insert(entry.section('=', 0, 0), entry.section('=', 1));
        else
            environment.remove(entry);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
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
    void tsvFields_data();
    void tsvFields();
    void holidaysFile_data();
    void holidaysFile();
    void holidaysFileUnreadable();
    void dataDirFromEnvironment_data();
    void dataDirFromEnvironment();
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
    QTest::newRow("March 2023 with the leap month's first day")
        << QStringList{"2023", "3"} << "month-2023-03.txt";
    QTest::newRow("December 2033 with 闰十一月")
        << QStringList{"2033", "12"} << "month-2033-12.txt";
    QTest::newRow("February 2026: 除夕, 春节, 休 and 班")
        << QStringList{"2026", "2"} << "month-2026-02.txt";
    QTest::newRow("tsv around the leap month of 2023")
        << QStringList{"--tsv", "2023-03-19", "2023-03-25"} << "tsv-2023-leap.txt";
    QTest::newRow("tsv 大雪 2026, month and day GanZhi")
        << QStringList{"--tsv", "2026-12-05", "2026-12-12"} << "tsv-2026-12.txt";
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
// so each day's texts are centred in a ten-column cell.
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
            if (at >= c * 10 && at < c * 10 + 10) {
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
    QCOMPARE(column(lines[4], 5), QString("小年"));
    QCOMPARE(column(lines[5], 0), QString("4  班")); // a working Sunday
    QCOMPARE(column(lines[7], 0), QString("立春"));
    QCOMPARE(column(lines[5], 5), QString("9"));
    QCOMPARE(column(lines[7], 5), QString("除夕"));
    QCOMPARE(column(lines[5], 6), QString("10 休"));
    QCOMPARE(column(lines[6], 6), QString("　正月"));
    QCOMPARE(column(lines[7], 6), QString("春节"));
    QCOMPARE(column(lines[11], 6), QString("24"));
    QCOMPARE(column(lines[13], 6), QString("元宵节"));
    QCOMPARE(column(lines[14], 4), QString("29"));
    QCOMPARE(column(lines[15], 4), QString("二十"));
    // Every line's characters start at a cell's column or inside it: no text
    // is wider than its cell.
    for (const QString& line : lines.mid(2)) {
        QVERIFY2(DisplayWidth(line.toStdString()) <= 70, qPrintable(line));
    }
    QCOMPARE(DisplayWidth("　正月"), 6);
    QCOMPARE(DisplayWidth("闰十一月"), 8);
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
    QVERIFY(text.contains("\x1b[7m    19    \x1b[0m"));
    QVERIFY(text.contains("\x1b[7m   初十   \x1b[0m"));
    QVERIFY(text.contains("\x1b[7m   雨水   \x1b[0m"));

    // A day with a mark keeps it inside the reverse video.
    options.Today = std::chrono::year{2024} / 2 / 18;
    std::ostringstream marked;
    QCOMPARE(RunTerminalCalendar({}, options, marked, err), 0);
    QVERIFY(QString::fromStdString(marked.str()).contains("\x1b[7m    18 班 \x1b[0m"));

    // Another month than today's shows no mark.
    std::ostringstream other;
    QCOMPARE(RunTerminalCalendar({"2024", "3"}, options, other, err), 0);
    QVERIFY(!QString::fromStdString(other.str()).contains("\x1b["));
}

// Each row is the line vorncal prints, its fields written with | for the tab.
void TestVorncal::tsvFields_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("line");
    QTest::newRow("leap month's first day")
        << "2023-03-22"
        << "2023-03-22|2023|2|1|闰二月||世界水日|癸卯兔年|4|1|||乙卯|己卯";
    QTest::newRow("the ordinary month before it")
        << "2023-02-20"
        << "2023-02-20|2023|2|1|　二月|||癸卯兔年|2|0|||甲寅|己酉";
    QTest::newRow("春节 2024, a day off")
        << "2024-02-10"
        << "2024-02-10|2024|1|1|　正月||国际气象节|甲辰龙年|7|0|春节|休|丙寅|甲辰";
    QTest::newRow("a working Saturday after National Day")
        << "2024-10-12"
        << "2024-10-12|2024|9|10|初十|||甲辰龙年|7|0||班|甲戌|己酉";
    QTest::newRow("2026-12-11") << "2026-12-11"
                                << "2026-12-11|2026|11|3|初三|||丙午马年|6|0|||庚子|己未";
    QTest::newRow("除夕 on a 29th")
        << "2026-02-16"
        << "2026-02-16|2025|12|29|廿九|||丙午马年|2|0|除夕|休|庚寅|辛酉";
}

void TestVorncal::tsvFields() {
    QFETCH(QString, date);
    QFETCH(QString, line);
    const Run run = Vorncal({"--tsv", date, date});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray());
    QVERIFY(run.out.endsWith('\n'));
    const QStringList fields = QString::fromUtf8(run.out).chopped(1).split('\t');
    QCOMPARE(fields.size(), 14);
    QCOMPARE(fields.join('|'), line);
}

// Holidays.txt in the data directory adds a year; a malformed line is told
// once on stderr with its line number, and the rest still applies.
void TestVorncal::holidaysFile_data() {
    QTest::addColumn<QString>("where"); // the environment variable that names the folder
    QTest::addColumn<bool>("withFile");
    QTest::newRow("under XDG_DATA_HOME") << "XDG_DATA_HOME" << true;
    QTest::newRow("under HOME without XDG_DATA_HOME") << "HOME" << true;
    QTest::newRow("no file") << "XDG_DATA_HOME" << false;
}

void TestVorncal::holidaysFile() {
    QFETCH(QString, where);
    QFETCH(bool, withFile);
    QTemporaryDir home;
    const QString dir = where == "HOME" ? home.path() + "/.local/share/VORNCalendar"
                                        : home.path() + "/VORNCalendar";
    QVERIFY(QDir().mkpath(dir));
    if (withFile) {
        QVERIFY(QFile::copy(VORN_TEST_DATA "/Holidays-2027.txt", dir + "/Holidays.txt"));
    }
    const QStringList env = where == "HOME" ? QStringList{"XDG_DATA_HOME", "HOME=" + home.path()}
                                            : QStringList{"XDG_DATA_HOME=" + home.path()};

    const Run month = Vorncal({"2027", "2"}, env);
    QCOMPARE(month.status, 0);
    const QString expected = withFile ? "month-2027-02-holidays.txt" : "month-2027-02.txt";
    QCOMPARE(QString::fromUtf8(month.out), QString::fromUtf8(Expected(expected)));

    const Run tsv = Vorncal({"--tsv", "2027-02-05", "2027-02-08"}, env);
    QCOMPARE(tsv.status, 0);
    QStringList marks;
    for (const QString& line : QString::fromUtf8(tsv.out).split('\n', Qt::SkipEmptyParts)) {
        marks << line.section('\t', 11, 11);
    }
    QCOMPARE(marks, withFile ? (QStringList{"", "休", "休", "休"}) : (QStringList{"", "", "", ""}));

    for (const Run* run : {&month, &tsv}) {
        const QString err = QString::fromUtf8(run->err);
        if (!withFile) {
            QCOMPARE(err, QString());
            continue;
        }
        QCOMPARE(err.count('\n'), 1); // once per run
        QCOMPARE(err, "vorncal: " + dir +
                          "/Holidays.txt:6: the date 2027-02-31 does not exist; "
                          "the line is skipped\n");
    }
}

// A Holidays.txt that cannot be read is told once; the compiled-in holidays apply.
void TestVorncal::holidaysFileUnreadable() {
    QTemporaryDir home;
    QVERIFY(QDir().mkpath(home.path() + "/VORNCalendar/Holidays.txt")); // a folder, not a file
    const Run run = Vorncal({"2026", "10"}, {"XDG_DATA_HOME=" + home.path()});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, Vorncal({"2026", "10"}).out);
    QVERIFY(run.out.contains("休"));
    QCOMPARE(QString::fromUtf8(run.err),
             "vorncal: " + home.path() +
                 "/VORNCalendar/Holidays.txt: cannot be read; the compiled-in holidays apply\n");
}

void TestVorncal::dataDirFromEnvironment_data() {
    QTest::addColumn<QString>("xdg"); // "-" for unset
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("dir");
    QTest::newRow("XDG_DATA_HOME") << "/data"
                                   << "/home/u"
                                   << "/data/VORNCalendar";
    QTest::newRow("empty XDG_DATA_HOME") << ""
                                         << "/home/u"
                                         << "/home/u/.local/share/VORNCalendar";
    QTest::newRow("only HOME") << "-"
                               << "/home/u"
                               << "/home/u/.local/share/VORNCalendar";
    QTest::newRow("neither") << "-"
                             << "-"
                             << "";
}

void TestVorncal::dataDirFromEnvironment() {
    QFETCH(QString, xdg);
    QFETCH(QString, home);
    QFETCH(QString, dir);
    const std::string x = xdg.toStdString(), h = home.toStdString();
    const auto path =
        DataDirFromEnvironment(xdg == "-" ? nullptr : x.c_str(), home == "-" ? nullptr : h.c_str());
    QCOMPARE(QString::fromStdString(path.generic_string()), dir);
}

void TestVorncal::help() {
    const Run run = Vorncal({"--help"});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.startsWith("usage: vorncal"));
    QCOMPARE(run.err, QByteArray());
    const QString text = QString::fromUtf8(run.out);
    for (const char* part : {"10 leap month (1 or 0)", "11 lunar festival", "12 official day",
                             "13 GanZhi of the month", "14 GanZhi of the day", "Holidays.txt",
                             "2027-01-01<TAB>休<TAB>元旦"}) {
        QVERIFY2(text.simplified().contains(QString(part).simplified()), part);
    }
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

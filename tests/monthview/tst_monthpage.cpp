// The month page in the main window's grid: cell texts and places for known
// months, the year label, the today mark, the festival line, the weekend
// header, the month picture and the start-up rebuild rule.
#include "UClock.h"
#include "UClockLabel.h"
#include "UDayGrid.h"
#include "UMain.h"
#include "UNoteList.h"
#include "USpinner.h"

#include <QAction>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

namespace {

const QColor Red(255, 0, 0);
const QColor Plum(221, 160, 221);

QString cr(const char* Day, const char* Lunar, const char* Term = "") {
    return QString::fromUtf8(Day) + QChar(13) + QString::fromUtf8(Lunar) + QChar(13) +
           QString::fromUtf8(Term);
}

// The grid cell (column, row) that holds day d of a month whose day 1 is in
// column first.
QPoint cellOf(int first, int d) {
    const int i = first + d - 1;
    return {i % 7, 1 + i / 7};
}

} // namespace

class TestMonthPage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cells_data();
    void cells();
    void emptyCells_data();
    void emptyCells();
    void yearLabel_data();
    void yearLabel();
    void weekdayHeader();
    void weekendHeaderAfterPartialPaints();
    void todayMarkFollowsMonth();
    void namesAndMarks_data();
    void namesAndMarks();
    void dayDetailsOnHover();
    void arrowsCrossMonths_data();
    void arrowsCrossMonths();
    void homeAndClockGoToToday();
    void typedYear();
    void userHolidaysFile();
    void todayFollowsTheClock_data();
    void todayFollowsTheClock();
    void noteWindowFollowsTheClock();
    void festivalLine_data();
    void festivalLine();
    void clockOutsideTables_data();
    void clockOutsideTables();
    void startupBuildsOnce();
    void spinnersRebuildOnlyAfterActivation();
    void monthPictureBehindCells();
    void todayCellRedOnScreen();

private:
    // A main window whose clock stands at Now, shown and activated unless told.
    TfrmManyYear* open(const QDateTime& Now, bool Activate = true);
    void showMonth(int Year, int Month);

    QTemporaryDir* FDir = nullptr;
    QPointer<TfrmManyYear> FMain;
};

void TestMonthPage::init() {
    FDir = new QTemporaryDir;
}

void TestMonthPage::cleanup() {
    delete FMain.data();
    delete FDir;
    FDir = nullptr;
    Clock::SetNowFunction({});
}

TfrmManyYear* TestMonthPage::open(const QDateTime& Now, bool Activate) {
    Clock::SetNowFunction([Now] { return Now; });
    FMain = new TfrmManyYear(FDir->path());
    if (Activate) {
        FMain->show();
        FMain->activateWindow();
        if (!QTest::qWaitForWindowActive(FMain))
            qWarning("main window not activated");
    }
    return FMain;
}

void TestMonthPage::showMonth(int Year, int Month) {
    FMain->rsYear->SetValue(Year);
    FMain->rsMonth->SetValue(Month);
}

void TestMonthPage::cells_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("first"); // column of day 1
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");

    QTest::newRow("2015-02 starts on Sunday") << 2015 << 2 << 0 << 1 << QString();
    QTest::newRow("2022-10-01 alone in row 1") << 2022 << 10 << 6 << 1 << QString();
    QTest::newRow("2024-02-04 立春") << 2024 << 2 << 4 << 4 << cr("4", "廿五", "立春");
    // The third line: the day's festival, before its solar term.
    QTest::newRow("2024-02-10 春节") << 2024 << 2 << 4 << 10 << cr("10", "　正月", "春节");
    QTest::newRow("2024-02-19 雨水") << 2024 << 2 << 4 << 19 << cr("19", "初十", "雨水");
    QTest::newRow("2024-02-29 二十") << 2024 << 2 << 4 << 29 << cr("29", "二十");
    QTest::newRow("1901-01-01 元旦") << 1901 << 1 << 2 << 1 << cr("1", "十一", "元旦");
    QTest::newRow("2024-09-17 中秋节") << 2024 << 9 << 0 << 17 << cr("17", "十五", "中秋节");
    QTest::newRow("1901-01-20 十二月") << 1901 << 1 << 2 << 20 << cr("20", "十二月");
    QTest::newRow("2023-02-20 　二月") << 2023 << 2 << 3 << 20 << cr("20", "　二月");
    QTest::newRow("2023-03-22 闰二月") << 2023 << 3 << 3 << 22 << cr("22", "闰二月");
    QTest::newRow("2050-12-31 last day") << 2050 << 12 << 4 << 31 << QString();
}

void TestMonthPage::cells() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, first);
    QFETCH(int, day);
    QFETCH(QString, text);
    open(QDateTime(QDate(2030, 6, 15), QTime(12, 0)));
    showMonth(year, month);
    const QPoint at = cellOf(first, day);
    const QString cell = FMain->advDays->Cell(at.x(), at.y());
    // Three lines joined by a single carriage return, no line feed.
    QCOMPARE(cell.count(QChar(13)), 2);
    QVERIFY(!cell.contains(QChar(10)));
    QCOMPARE(cell.section(QChar(13), 0, 0), QString::number(day));
    if (!text.isEmpty())
        QCOMPARE(cell, text);
    // The cell before day 1 is empty (when there is one).
    if (first > 0)
        QCOMPARE(FMain->advDays->Cell(first - 1, 1), QString());
}

void TestMonthPage::emptyCells_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QList<QPoint>>("filled");
    auto range = [](int first, int days) {
        QList<QPoint> l;
        for (int d = 1; d <= days; ++d)
            l.append(cellOf(first, d));
        return l;
    };
    QTest::newRow("2015-02: rows 1-4 full, 5-6 empty") << 2015 << 2 << range(0, 28);
    QTest::newRow("2022-10: 30 and 31 in row 6") << 2022 << 10 << range(6, 31);
    QTest::newRow("2024-02: row 6 and end of row 5 empty") << 2024 << 2 << range(4, 29);
}

void TestMonthPage::emptyCells() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QList<QPoint>, filled);
    open(QDateTime(QDate(2030, 6, 15), QTime(12, 0)));
    showMonth(year, month);
    for (int r = 1; r <= 6; ++r) {
        for (int c = 0; c < 7; ++c) {
            const bool expectFilled = filled.contains(QPoint(c, r));
            QVERIFY2(FMain->advDays->Cell(c, r).isEmpty() != expectFilled,
                     qPrintable(QStringLiteral("cell %1,%2").arg(c).arg(r)));
        }
    }
    if (year == 2022) {
        QVERIFY(FMain->advDays->Cell(0, 6).startsWith(QStringLiteral("30\r")));
        QVERIFY(FMain->advDays->Cell(1, 6).startsWith(QStringLiteral("31\r")));
        QVERIFY(FMain->advDays->Cell(6, 1).startsWith(QStringLiteral("1\r")));
    }
}

void TestMonthPage::yearLabel_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("label");
    QTest::newRow("1901-01") << 1901 << 1 << "辛丑牛年";
    QTest::newRow("2024-01: the Gregorian year") << 2024 << 1 << "甲辰龙年";
    QTest::newRow("1984-06") << 1984 << 6 << "甲子鼠年";
}

void TestMonthPage::yearLabel() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, label);
    open(QDateTime(QDate(2030, 6, 15), QTime(12, 0)));
    showMonth(year, month);
    QCOMPARE(FMain->lblNLYear->text(), label);
}

void TestMonthPage::weekdayHeader() {
    open(QDateTime(QDate(2024, 2, 10), QTime(12, 0)));
    const QStringList names = {"星期日", "星期一", "星期二", "星期三",
                               "星期四", "星期五", "星期六"};
    for (int c = 0; c < 7; ++c)
        QCOMPARE(FMain->advDays->Cell(c, 0), names[c]);
    FMain->advDays->repaint();
    QCOMPARE(FMain->advDays->CellColor(0, 0), Plum);
    QCOMPARE(FMain->advDays->CellColor(6, 0), Plum);
    for (int c = 1; c < 6; ++c)
        QVERIFY(!FMain->advDays->CellColor(c, 0).isValid());
    for (int r = 1; r <= 6; ++r) {
        QVERIFY(FMain->advDays->CellColor(0, r) != Plum);
        QVERIFY(FMain->advDays->CellColor(6, r) != Plum);
    }
    QCOMPARE(FMain->FWeekendCount, 2);
    QVERIFY(!FMain->FWeekendPending);
    // Month switches keep the header as it is.
    showMonth(2024, 3);
    FMain->advDays->repaint();
    QCOMPARE(FMain->advDays->Cell(0, 0), names[0]);
    QCOMPARE(FMain->FWeekendCount, 2);
}

void TestMonthPage::weekendHeaderAfterPartialPaints() {
    // A first paint that covers only the Sunday column, twice over (a window
    // uncovered bit by bit), must still leave both weekend headers coloured.
    open(QDateTime(QDate(2024, 2, 10), QTime(12, 0)), false);
    FMain->advDaysDrawCell(0, 3, FMain->advDays->CellRect(0, 3));
    FMain->advDaysDrawCell(0, 4, FMain->advDays->CellRect(0, 4));
    QCOMPARE(FMain->advDays->CellColor(0, 0), Plum);
    QVERIFY(FMain->FWeekendPending);
    FMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(FMain));
    FMain->advDays->repaint();
    QCOMPARE(FMain->advDays->CellColor(0, 0), Plum);
    QCOMPARE(FMain->advDays->CellColor(6, 0), Plum);
    QCOMPARE(FMain->FWeekendCount, 2);
    QVERIFY(!FMain->FWeekendPending);
    for (int c = 1; c < 6; ++c)
        QVERIFY(!FMain->advDays->CellColor(c, 0).isValid());
}

void TestMonthPage::namesAndMarks_data() {
    // A day's name line in the colour of its kind, and its 休/班 mark.
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("badge");
    const QColor lunar(204, 30, 30), gregorian(24, 92, 190), term(18, 128, 58);
    QTest::newRow("春节, a day off") << QDate(2024, 2, 10) << "春节" << lunar << "休";
    QTest::newRow("立春 on a worked Sunday") << QDate(2024, 2, 4) << "立春" << term << "班";
    QTest::newRow("国庆节, a day off") << QDate(2024, 10, 1) << "国庆节" << gregorian << "休";
    QTest::newRow("a weekend day of the holiday") << QDate(2024, 10, 5) << "" << QColor() << "休";
    QTest::newRow("除夕 on a 29th") << QDate(2025, 1, 28) << "除夕" << lunar << "休";
    QTest::newRow("an ordinary day") << QDate(2026, 12, 10) << "" << QColor() << "";
}

void TestMonthPage::namesAndMarks() {
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QFETCH(QColor, color);
    QFETCH(QString, badge);
    open(QDateTime(QDate(2030, 6, 15), QTime(12, 0)));
    showMonth(date.year(), date.month());
    const QPoint at = cellOf(QDate(date.year(), date.month(), 1).dayOfWeek() % 7, date.day());
    QCOMPARE(FMain->advDays->Cell(at.x(), at.y()).section(QChar(13), 2, 2), name);
    const TDayGrid::Decor& decor = FMain->advDays->CellDecor(at.x(), at.y());
    QCOMPARE(decor.LineColors.value(2), color);
    QCOMPARE(decor.Badge, badge);
}

void TestMonthPage::dayDetailsOnHover() {
    open(QDateTime(QDate(2026, 12, 11), QTime(12, 0)));
    // The mouse rests on 1 October 2026: 国庆节 and 中秋节 meet there.
    showMonth(2026, 10);
    const QPoint at = cellOf(4, 1);
    const QRect cell = FMain->advDays->CellRect(at.x(), at.y());
    QHelpEvent hover(QEvent::ToolTip, cell.center(), FMain->advDays->mapToGlobal(cell.center()));
    QApplication::sendEvent(FMain->advDays, &hover);
    QTRY_VERIFY(QToolTip::isVisible());
    const QString tip = QToolTip::text();
    QVERIFY2(tip.startsWith(QStringLiteral("2026年10月1日 星期四\n农历丙午年八月廿一")),
             qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("丙午年 丁酉月")) && tip.contains(QStringLiteral("属马")),
             qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("国庆节")) && tip.contains(QStringLiteral("休：")),
             qPrintable(tip));
    QCOMPARE(tip, FMain->DayDetails(QDate(2026, 10, 1)));
    // An empty cell tells nothing.
    const QRect empty = FMain->advDays->CellRect(0, 1);
    QHelpEvent onEmpty(QEvent::ToolTip, empty.center(),
                       FMain->advDays->mapToGlobal(empty.center()));
    QApplication::sendEvent(FMain->advDays, &onEmpty);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestMonthPage::arrowsCrossMonths_data() {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QDate>("to");
    QTest::newRow("right within the month")
        << QDate(2024, 2, 10) << int(Qt::Key_Right) << QDate(2024, 2, 11);
    QTest::newRow("right past the last day")
        << QDate(2024, 2, 29) << int(Qt::Key_Right) << QDate(2024, 3, 1);
    QTest::newRow("left before the first day")
        << QDate(2024, 3, 1) << int(Qt::Key_Left) << QDate(2024, 2, 29);
    QTest::newRow("down into the next month")
        << QDate(2024, 1, 28) << int(Qt::Key_Down) << QDate(2024, 2, 4);
    QTest::newRow("up into the last year")
        << QDate(2024, 1, 3) << int(Qt::Key_Up) << QDate(2023, 12, 27);
    QTest::newRow("not before 1901") << QDate(1901, 1, 1) << int(Qt::Key_Left) << QDate(1901, 1, 1);
    QTest::newRow("not after 2050")
        << QDate(2050, 12, 31) << int(Qt::Key_Down) << QDate(2050, 12, 31);
}

void TestMonthPage::arrowsCrossMonths() {
    QFETCH(QDate, from);
    QFETCH(int, key);
    QFETCH(QDate, to);
    open(QDateTime(QDate(2026, 12, 11), QTime(12, 0)));
    showMonth(from.year(), from.month());
    const QPoint at = cellOf(QDate(from.year(), from.month(), 1).dayOfWeek() % 7, from.day());
    QTest::mouseClick(FMain->advDays, Qt::LeftButton, {},
                      FMain->advDays->CellRect(at.x(), at.y()).center());
    QCOMPARE(FMain->SelectedDate(), from);
    QTest::keyClick(FMain->advDays, Qt::Key(key));
    QCOMPARE(FMain->SelectedDate(), to);
    QCOMPARE(FMain->rsYear->Value(), to.year());
    QCOMPARE(FMain->rsMonth->Value(), to.month());
    // The frame stands on the new day, and its details show for the keyboard.
    const QPoint now = cellOf(QDate(to.year(), to.month(), 1).dayOfWeek() % 7, to.day());
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), now);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), FMain->DayDetails(to));
}

void TestMonthPage::homeAndClockGoToToday() {
    open(QDateTime(QDate(2026, 12, 11), QTime(12, 0)));
    showMonth(2031, 4);
    QTest::keyClick(FMain, Qt::Key_Home);
    QCOMPARE(FMain->rsYear->Value(), 2026);
    QCOMPARE(FMain->rsMonth->Value(), 12);
    QCOMPARE(FMain->SelectedDate(), QDate(2026, 12, 11));
    QCOMPARE(FMain->advDays->SelectedRow() >= 1, true);
    showMonth(1999, 1);
    QTest::mouseDClick(FMain->lblTime, Qt::LeftButton);
    QCOMPARE(FMain->rsYear->Value(), 2026);
    QCOMPARE(FMain->rsMonth->Value(), 12);
}

void TestMonthPage::typedYear() {
    open(QDateTime(QDate(2026, 12, 11), QTime(12, 0)));
    FMain->rsYear->setFocus();
    QTest::keyClicks(FMain->rsYear, QStringLiteral("2033"));
    QCOMPARE(FMain->rsYear->Value(), 2026); // not taken before Enter
    QTest::keyClick(FMain->rsYear, Qt::Key_Return);
    QCOMPARE(FMain->rsYear->Value(), 2033);
    QCOMPARE(FMain->lblNLYear->text(), QStringLiteral("癸丑牛年"));
    // 2033's leap eleventh month begins on 22 December.
    QCOMPARE(FMain->advDays->Cell(4, 4).section(QChar(13), 1, 1), QStringLiteral("闰十一月"));
    QTest::keyClicks(FMain->rsYear, QStringLiteral("1888"));
    QTest::keyClick(FMain->rsYear, Qt::Key_Return);
    QCOMPARE(FMain->rsYear->Value(), 1901);
    QTest::keyClicks(FMain->rsYear, QStringLiteral("20"));
    QTest::keyClick(FMain->rsYear, Qt::Key_Escape);
    QCOMPARE(FMain->rsYear->Value(), 1901);
}

void TestMonthPage::userHolidaysFile() {
    // Holidays.txt adds 2027 and corrects 2026's 1 January; one line cannot
    // be read and is told once, with its number; the program starts all the
    // same.
    QFile file(FDir->filePath(QStringLiteral("Holidays.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# the 2027 notice\n2027-01-01\t休\t元旦\n2027-01-02\t休\t元旦\n"
               "2027-02-30\t休\t春节\n2026-01-01\t班\t试一试\n");
    file.close();
    open(QDateTime(QDate(2027, 1, 1), QTime(12, 0)));
    QVERIFY2(FMain->HolidayProblems().contains(QStringLiteral(":4:")),
             qPrintable(FMain->HolidayProblems()));
    QCOMPARE(FMain->HolidayProblems().count(QLatin1Char('\n')), 0);
    const QPoint jan1 = cellOf(5, 1);
    QCOMPARE(FMain->advDays->CellDecor(jan1.x(), jan1.y()).Badge, QStringLiteral("休"));
    showMonth(2026, 1);
    const QPoint old = cellOf(4, 1);
    QCOMPARE(FMain->advDays->CellDecor(old.x(), old.y()).Badge, QStringLiteral("班"));
    QVERIFY(FMain->DayDetails(QDate(2026, 1, 1)).contains(QStringLiteral("班：试一试")));
}

void TestMonthPage::todayMarkFollowsMonth() {
    open(QDateTime(QDate(2024, 2, 10), QTime(9, 30)));
    auto redCells = [this] {
        QList<QPoint> red;
        for (int r = 1; r <= 6; ++r)
            for (int c = 0; c < 7; ++c)
                if (FMain->advDays->CellColor(c, r) == Red)
                    red.append(QPoint(c, r));
        return red;
    };
    const QPoint today = cellOf(4, 10);
    QCOMPARE(redCells(), QList<QPoint>{today});
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), today);

    // On another month neither the mark nor a frame stands anywhere: a
    // frame at today's place would read as a second today.
    const QPoint none(-1, -1);
    showMonth(2024, 3);
    QVERIFY(redCells().isEmpty());
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), none);

    // Another year, same month: not today either.
    showMonth(2023, 2);
    QVERIFY(redCells().isEmpty());
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), none);

    // The user chooses a day there: it has the frame, on its own month only.
    QTest::mouseClick(FMain->advDays, Qt::LeftButton, {}, FMain->advDays->CellRect(1, 3).center());
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), QPoint(1, 3));
    QCOMPARE(FMain->SelectedDate(), QDate(2023, 2, 13));
    showMonth(2024, 2);
    QCOMPARE(redCells(), QList<QPoint>{today});
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), none);
    showMonth(2023, 2);
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), QPoint(1, 3));

    // An empty cell cannot be chosen: the frame stays on the chosen day.
    QTest::mouseClick(FMain->advDays, Qt::LeftButton, {}, FMain->advDays->CellRect(0, 1).center());
    QCOMPARE(QPoint(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow()), QPoint(1, 3));
    QCOMPARE(FMain->SelectedDate(), QDate(2023, 2, 13));
}

void TestMonthPage::todayFollowsTheClock_data() {
    // The program runs across a change of date; its page shows the month
    // Page (0 for today's). After the change the page shows PageAfter with
    // the today mark on MarkAfter (0 for none) and the festival line Line.
    QTest::addColumn<QDateTime>("before");
    QTest::addColumn<QDateTime>("after");
    QTest::addColumn<QDate>("page");
    QTest::addColumn<QDate>("pageAfter");
    QTest::addColumn<int>("markAfter");
    QTest::addColumn<QString>("line");
    const QDateTime sept29(QDate(2026, 9, 29), QTime(23, 59, 52));
    const QDateTime sept30(QDate(2026, 9, 30), QTime(23, 59, 52));
    const QDateTime oct1(QDate(2026, 10, 1), QTime(0, 0, 5));
    QTest::newRow("midnight, same month") << sept29 << QDateTime(QDate(2026, 9, 30), QTime(0, 0, 5))
                                          << QDate() << QDate(2026, 9, 1) << 30 << "";
    QTest::newRow("midnight into National Day")
        << sept30 << oct1 << QDate() << QDate(2026, 10, 1) << 1 << "今天是：国庆节";
    QTest::newRow("page turned elsewhere stays")
        << sept30 << oct1 << QDate(2027, 3, 1) << QDate(2027, 3, 1) << 0 << "今天是：国庆节";
    QTest::newRow("page on the new day's month already")
        << sept30 << oct1 << QDate(2026, 10, 1) << QDate(2026, 10, 1) << 1 << "今天是：国庆节";
    QTest::newRow("woken from suspend days later")
        << sept30 << QDateTime(QDate(2026, 12, 25), QTime(8, 0)) << QDate() << QDate(2026, 12, 1)
        << 25 << "";
    QTest::newRow("clock set back a day")
        << QDateTime(QDate(2026, 10, 1), QTime(0, 10))
        << QDateTime(QDate(2026, 9, 30), QTime(23, 10)) << QDate() << QDate(2026, 9, 1) << 30 << "";
}

void TestMonthPage::todayFollowsTheClock() {
    QFETCH(QDateTime, before);
    QFETCH(QDateTime, after);
    QFETCH(QDate, page);
    QFETCH(QDate, pageAfter);
    QFETCH(int, markAfter);
    QFETCH(QString, line);
    static QDateTime now;
    now = before;
    open(before);
    Clock::SetNowFunction([] { return now; });
    FMain->tNoteAlarm->stop(); // the test makes the ticks
    if (page.isValid())
        showMonth(page.year(), page.month());
    now = after;
    FMain->tNoteAlarmTimer(); // the next tick after the change
    QCOMPARE(FMain->rsYear->Value(), pageAfter.year());
    QCOMPARE(FMain->rsMonth->Value(), pageAfter.month());
    QCOMPARE(FMain->Today(), after.date());
    QList<int> red;
    for (int r = 1; r <= 6; ++r)
        for (int c = 0; c < 7; ++c)
            if (FMain->advDays->CellColor(c, r) == Red)
                red << FMain->advDays->Cell(c, r).section(QChar(13), 0, 0).toInt();
    QCOMPARE(red, markAfter ? QList<int>{markAfter} : QList<int>{});
    QCOMPARE(FMain->lblHolday->text(), line);
    // The frame that stood on the old today went with it.
    if (markAfter) {
        QCOMPARE(FMain->SelectedDate(), after.date());
        QCOMPARE(FMain->advDays->Cell(FMain->advDays->SelectedCol(), FMain->advDays->SelectedRow())
                     .section(QChar(13), 0, 0)
                     .toInt(),
                 markAfter);
    }
    QVERIFY2(FMain->TrayToolTip().contains(after.date().toString(QStringLiteral("yyyy年M月d日"))),
             qPrintable(FMain->TrayToolTip()));
}

void TestMonthPage::noteWindowFollowsTheClock() {
    // The note window shows yesterday's notes until midnight, today's after.
    static QDateTime now(QDate(2026, 9, 30), QTime(23, 59, 58));
    open(now);
    Clock::SetNowFunction([] { return now; });
    FMain->tNoteAlarm->stop();
    QFile file(FMain->NotesFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><便签列表>"
                              "<Date2026-09-30><标题>昨天的</标题><日期>2026-09-30 09:00</日期>"
                              "<提醒>否</提醒><内容/></Date2026-09-30>"
                              "<Date2026-10-01><标题>国庆</标题><日期>2026-10-01 09:00</日期>"
                              "<提醒>否</提醒><内容>升旗</内容></Date2026-10-01></便签列表>")
                   .toUtf8());
    file.close();
    FMain->N5->trigger();
    QVERIFY(frmNoteList);
    QVERIFY(frmNoteList->NoteText().startsWith(QStringLiteral("1.昨天的")));
    now = QDateTime(QDate(2026, 10, 1), QTime(0, 0, 1));
    FMain->tNoteAlarmTimer();
    QVERIFY2(frmNoteList->NoteText().startsWith(QStringLiteral("1.国庆")),
             qPrintable(frmNoteList->NoteText()));
    delete frmNoteList;
}

void TestMonthPage::festivalLine_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("line");
    QTest::newRow("National Day") << QDateTime(QDate(2024, 10, 1), QTime(8, 0)) << "今天是：国庆节";
    QTest::newRow("New Year") << QDateTime(QDate(2025, 1, 1), QTime(0, 0, 5)) << "今天是：元旦节";
    QTest::newRow("10 February") << QDateTime(QDate(2024, 2, 10), QTime(20, 0))
                                 << "今天是：国际气象节";
    QTest::newRow("25 December: none") << QDateTime(QDate(2024, 12, 25), QTime(20, 0)) << "";
    QTest::newRow("1 November: none") << QDateTime(QDate(2024, 11, 1), QTime(9, 0)) << "";
    QTest::newRow("ordinary day") << QDateTime(QDate(2024, 2, 11), QTime(20, 0)) << "";
}

void TestMonthPage::festivalLine() {
    QFETCH(QDateTime, now);
    QFETCH(QString, line);
    open(now);
    QCOMPARE(FMain->lblHolday->text(), line);
    // Navigating does not change it; the day changing does, at the next tick.
    showMonth(2030, 5);
    showMonth(2030, 6);
    QCOMPARE(FMain->lblHolday->text(), line);
    Clock::SetNowFunction([] { return QDateTime(QDate(2024, 10, 1), QTime(8, 0)); });
    FMain->tNoteAlarmTimer();
    QCOMPARE(FMain->lblHolday->text(),
             now.date() == QDate(2024, 10, 1) ? line : QStringLiteral("今天是：国庆节"));
}

void TestMonthPage::clockOutsideTables_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("festival");
    QTest::newRow("1899") << QDateTime(QDate(1899, 6, 15), QTime(12, 0)) << 1901 << 1 << "";
    QTest::newRow("1900-12-31") << QDateTime(QDate(1900, 12, 31), QTime(12, 0)) << 1901 << 1 << "";
    QTest::newRow("2051") << QDateTime(QDate(2051, 3, 4), QTime(12, 0)) << 2050 << 12 << "";
    QTest::newRow("2099 National Day")
        << QDateTime(QDate(2099, 10, 1), QTime(12, 0)) << 2050 << 12 << "今天是：国庆节";
}

void TestMonthPage::clockOutsideTables() {
    QFETCH(QDateTime, now);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QString, festival);
    open(now);
    QCOMPARE(FMain->rsYear->Value(), year);
    QCOMPARE(FMain->rsMonth->Value(), month);
    QCOMPARE(FMain->FTodayYear, now.date().year());
    QVERIFY(FMain->advDays->Cell(cellOf(year == 1901 ? 2 : 4, 1).x(), 1)
                .startsWith(QStringLiteral("1\r")));
    for (int r = 1; r <= 6; ++r)
        for (int c = 0; c < 7; ++c)
            QVERIFY(FMain->advDays->CellColor(c, r) != Red);
    QCOMPARE(FMain->lblHolday->text(), festival);
    // The spinners still work from there.
    FMain->rsMonth->SetValue(year == 1901 ? 2 : 11);
    QCOMPARE(FMain->advDays->Cell(cellOf(year == 1901 ? 5 : 2, 1).x(), 1).section(QChar(13), 0, 0),
             QStringLiteral("1"));
}

void TestMonthPage::startupBuildsOnce() {
    open(QDateTime(QDate(2024, 2, 10), QTime(12, 0)), false);
    QCOMPARE(FMain->FillCount(), 1);
    QVERIFY(FMain->FInitializing);
    QCOMPARE(FMain->rsYear->Value(), 2024);
    QCOMPARE(FMain->rsMonth->Value(), 2);
    QCOMPARE(FMain->advDays->Cell(4, 1), cr("1", "廿二"));
}

void TestMonthPage::spinnersRebuildOnlyAfterActivation() {
    open(QDateTime(QDate(2024, 2, 10), QTime(12, 0)), false);
    FMain->rsMonth->SetValue(3);
    QCOMPARE(FMain->FillCount(), 1);
    QCOMPARE(FMain->advDays->Cell(4, 1).section(QChar(13), 0, 0), QStringLiteral("1"));
    FMain->show();
    FMain->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FMain));
    QVERIFY(!FMain->FInitializing);
    QCOMPARE(FMain->FillCount(), 1);
    FMain->rsMonth->SetValue(4);
    QCOMPARE(FMain->FillCount(), 2);
    // April 2024 starts on a Monday.
    QCOMPARE(FMain->advDays->Cell(1, 1).section(QChar(13), 0, 0), QStringLiteral("1"));
    QCOMPARE(FMain->advDays->Cell(4, 1).section(QChar(13), 0, 0), QStringLiteral("4"));
    // A value that does not change rebuilds nothing.
    FMain->rsMonth->SetValue(4);
    QCOMPARE(FMain->FillCount(), 2);
}

void TestMonthPage::monthPictureBehindCells() {
    open(QDateTime(QDate(2024, 2, 10), QTime(12, 0)));
    for (int month : {2, 6, 12}) {
        showMonth(2024, month);
        const QPixmap expected(QStringLiteral(":/BITMAP_%1").arg(month));
        QVERIFY2(!expected.isNull(), "the month picture is not in the program's resources");
        QCOMPARE(FMain->advDays->Background().size(), expected.size());
        QCOMPARE(FMain->advDays->Background().toImage(), expected.toImage());
        QCOMPARE(expected.width(), month == 6 ? 412 : 410);
        QCOMPARE(expected.height(), 327);
    }
    // An empty day cell shows the picture pixel for pixel (first day row at its top).
    showMonth(2015, 2);
    const QImage shot = FMain->advDays->grab().toImage();
    const QImage picture = QPixmap(QStringLiteral(":/BITMAP_2")).toImage();
    const QRect cell = FMain->advDays->CellRect(3, 6);
    const QPoint p = cell.center();
    QCOMPARE(shot.pixelColor(p), picture.pixelColor(p - QPoint(0, 22)));
}

void TestMonthPage::todayCellRedOnScreen() {
    open(QDateTime(QDate(2024, 2, 10), QTime(12, 0)));
    const QImage shot = FMain->grab().toImage();
    const QRect cell = FMain->advDays->CellRect(6, 2).translated(FMain->advDays->pos());
    QCOMPARE(shot.pixelColor(cell.left() + 5, cell.center().y()), Red);
}

QTEST_MAIN(TestMonthPage)
#include "tst_monthpage.moc"

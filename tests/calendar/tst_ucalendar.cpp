#include "UCalendar.h"
#include "UDayCell.h"
#include "UHolidays.h"

#include <QtTest>

#include <fstream>
#include <set>

namespace chr = std::chrono;

Q_DECLARE_METATYPE(LunarDate)

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

chr::local_seconds At(int year, unsigned month, unsigned day, int hour = 0, int minute = 0) {
    return chr::local_days{chr::year{year} / chr::month{month} / chr::day{day}} + chr::hours{hour} +
           chr::minutes{minute};
}

// "2024-02-10" -> year, month, day.
std::array<int, 3> Ymd(const QString& date) {
    return {date.left(4).toInt(), date.mid(5, 2).toInt(), date.mid(8, 2).toInt()};
}

// What a table says of a date, as "休 春节", "班 春节" or "-".
QString Official(const THolidayTable& table, const QString& date) {
    const auto [y, m, d] = Ymd(date);
    const OfficialDay day = table.Find(y, m, d);
    if (day.Mark == OfficialMark::None) {
        return QStringLiteral("-");
    }
    return q(OfficialMarkText(day.Mark)) + ' ' + q(day.Name);
}

QString GanZhi(int index) {
    return q(GetGanZhiName(index));
}

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    void gregorianToLunar_data();
    void gregorianToLunar();
    void leapMonth_data();
    void leapMonth();
    void lunarMonthDays_data();
    void lunarMonthDays();
    void lunarYearDays_data();
    void lunarYearDays();
    void gregorianFunctions();
    void yearNames_data();
    void yearNames();
    void monthAndDayNames();
    void solarTerms_data();
    void solarTerms();
    void holidays_data();
    void holidays();
    void badInput_data();
    void badInput();
    void dayCells_data();
    void dayCells();
    void leapMonthCells_data();
    void leapMonthCells();
    void leapMonthNames();
    void lunarFestivals_data();
    void lunarFestivals();
    void ganZhi_data();
    void ganZhi();
    void lunarDaysThatDoNotExist_data();
    void lunarDaysThatDoNotExist();
    void cellNames_data();
    void cellNames();
    void officialDays_data();
    void officialDays();
    void compiledHolidayTable();
    void holidayFile_data();
    void holidayFile();
    void holidayFileUnreadable();
    void dayDetails_data();
    void dayDetails();
    void everyDay();
};

void TestCalendar::gregorianToLunar_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<LunarDate>("lunar");

    QTest::newRow("first day") << 1901 << 1 << 1 << LunarDate{1900, 11, 11};
    QTest::newRow("end of lunar 1900 month 11") << 1901 << 1 << 19 << LunarDate{1900, 11, 29};
    QTest::newRow("lunar 1900 month 12") << 1901 << 1 << 20 << LunarDate{1900, 12, 1};
    QTest::newRow("last day of lunar 1900") << 1901 << 2 << 18 << LunarDate{1900, 12, 30};
    QTest::newRow("first day of lunar 1901") << 1901 << 2 << 19 << LunarDate{1901, 1, 1};
    QTest::newRow("new year 2000") << 2000 << 2 << 5 << LunarDate{2000, 1, 1};
    QTest::newRow("new year 2024") << 2024 << 2 << 10 << LunarDate{2024, 1, 1};
    QTest::newRow("2024-01-01 in lunar 2023") << 2024 << 1 << 1 << LunarDate{2023, 11, 20};
    QTest::newRow("2023 regular month 2") << 2023 << 2 << 20 << LunarDate{2023, 2, 1};
    QTest::newRow("2023 leap month 2 starts") << 2023 << 3 << 22 << LunarDate{2023, 2, 1};
    QTest::newRow("2023 leap month 2 ends") << 2023 << 4 << 19 << LunarDate{2023, 2, 29};
    QTest::newRow("2023 month 3") << 2023 << 4 << 20 << LunarDate{2023, 3, 1};
    QTest::newRow("2033 regular month 11") << 2033 << 11 << 22 << LunarDate{2033, 11, 1};
    QTest::newRow("2033 month 11 day 30") << 2033 << 12 << 21 << LunarDate{2033, 11, 30};
    QTest::newRow("2033 leap month 11 starts") << 2033 << 12 << 22 << LunarDate{2033, 11, 1};
    QTest::newRow("2033 leap month 11 ends") << 2034 << 1 << 19 << LunarDate{2033, 11, 29};
    QTest::newRow("2033 month 12") << 2034 << 1 << 20 << LunarDate{2033, 12, 1};
    QTest::newRow("last day of the range") << 2050 << 12 << 31 << LunarDate{2050, 11, 18};
    QTest::newRow("last day of lunar 2050") << 2051 << 2 << 10 << LunarDate{2050, 12, 29};
    // Corrected month lengths: the published calendar's first days.
    QTest::newRow("1989 month 7 starts") << 1989 << 8 << 2 << LunarDate{1989, 7, 1};
    QTest::newRow("1989 month 6 still on 08-01") << 1989 << 8 << 1 << LunarDate{1989, 6, 30};
    QTest::newRow("2013 month 5 starts") << 2013 << 6 << 8 << LunarDate{2013, 5, 1};
    QTest::newRow("2013 month 4 ends on 06-07") << 2013 << 6 << 7 << LunarDate{2013, 4, 29};
    QTest::newRow("2025 month 4 starts") << 2025 << 4 << 28 << LunarDate{2025, 4, 1};
    QTest::newRow("2025 month 3 ends on 04-27") << 2025 << 4 << 27 << LunarDate{2025, 3, 30};
    QTest::newRow("2025 leap month 6 starts") << 2025 << 7 << 25 << LunarDate{2025, 6, 1};
    QTest::newRow("2026 new year") << 2026 << 2 << 17 << LunarDate{2026, 1, 1};
}

void TestCalendar::gregorianToLunar() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(LunarDate, lunar);
    const LunarDate got = GregorianToLunar(year, month, day);
    QCOMPARE(QString("%1-%2-%3").arg(got.Year).arg(got.Month).arg(got.Day),
             QString("%1-%2-%3").arg(lunar.Year).arg(lunar.Month).arg(lunar.Day));
    QCOMPARE(OffsetToLunar(GetDaysBetween(year, month, day, 1901, 1, 1)), lunar);
}

void TestCalendar::leapMonth_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("leap");
    QTest::newRow("1901") << 1901 << 0;
    QTest::newRow("1903") << 1903 << 5;
    QTest::newRow("1984") << 1984 << 10;
    QTest::newRow("2023") << 2023 << 2;
    QTest::newRow("2033") << 2033 << 11;
    QTest::newRow("2050") << 2050 << 3;
}

void TestCalendar::leapMonth() {
    QFETCH(int, year);
    QFETCH(int, leap);
    QCOMPARE(GetLeapMonth(year), leap);
}

void TestCalendar::lunarMonthDays_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("regular");
    QTest::addColumn<int>("leap");
    QTest::newRow("2023 month 2 with its leap month") << 2023 << 2 << 30 << 29;
    QTest::newRow("2023 month 3") << 2023 << 3 << 29 << 0;
    QTest::newRow("2033 month 11 with its leap month") << 2033 << 11 << 30 << 29;
    QTest::newRow("2033 month 12 after the leap month") << 2033 << 12 << 30 << 0;
    QTest::newRow("1989 month 6 (corrected)") << 1989 << 6 << 30 << 0;
    QTest::newRow("1989 month 7 (corrected)") << 1989 << 7 << 29 << 0;
    QTest::newRow("2013 month 4 (corrected)") << 2013 << 4 << 29 << 0;
    QTest::newRow("2013 month 5 (corrected)") << 2013 << 5 << 30 << 0;
    QTest::newRow("2025 month 3 (corrected)") << 2025 << 3 << 30 << 0;
    QTest::newRow("2025 month 4 (corrected)") << 2025 << 4 << 29 << 0;
    for (int m = 1; m <= 12; ++m) {
        QTest::addRow("1900 month %d", m) << 1900 << m << 30 << 0;
    }
    QTest::newRow("far before the tables") << -500 << 7 << 30 << 0;
}

void TestCalendar::lunarMonthDays() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, regular);
    QFETCH(int, leap);
    const uint32_t days = GetLunarMonthDays(year, month);
    QCOMPARE(int(days & 0xFFFF), regular);
    QCOMPARE(int(days >> 16), leap);
}

void TestCalendar::lunarYearDays_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::newRow("1901") << 1901 << 354;
    QTest::newRow("1903") << 1903 << 383;
    QTest::newRow("2023") << 2023 << 384;
    QTest::newRow("2024") << 2024 << 354;
}

void TestCalendar::lunarYearDays() {
    QFETCH(int, year);
    QFETCH(int, days);
    QCOMPARE(GetLunarYearDays(year), days);
}

void TestCalendar::gregorianFunctions() {
    QCOMPARE(GetWeekDay(2024, 1, 1), 2);
    QCOMPARE(GetWeekDay(1901, 1, 1), 3);
    QCOMPARE(GetWeekDay(1, 1, 1), 2);
    QCOMPARE(GetWeekDay(2015, 2, 1), 1);
    QCOMPARE(GetWeekDay(2022, 10, 1), 7);

    QCOMPARE(GetMonthDays(1900, 2), 28);
    QCOMPARE(GetMonthDays(2000, 2), 29);
    QCOMPARE(GetMonthDays(2024, 2), 29);
    QCOMPARE(GetMonthDays(2023, 2), 28);
    QCOMPARE(GetMonthDays(2023, 4), 30);
    QCOMPARE(GetMonthDays(2023, 12), 31);
    QCOMPARE(GetMonthDays(2023, 0), 0);
    QCOMPARE(GetMonthDays(2023, 13), 0);
    QCOMPARE(GetMonthDays(2023, -1), 0);

    QCOMPARE(GetDaysBetween(1901, 1, 1, 1901, 1, 1), 0);
    QCOMPARE(GetDaysBetween(1901, 2, 19, 1901, 1, 1), 49);
    QCOMPARE(GetDaysBetween(1901, 1, 1, 1901, 2, 19), -49);
    QCOMPARE(GetDaysBetween(2050, 12, 31, 1901, 1, 1), 54786);
}

void TestCalendar::yearNames_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("name");
    QTest::newRow("1901") << 1901 << "辛丑牛年";
    QTest::newRow("1984") << 1984 << "甲子鼠年";
    QTest::newRow("2000") << 2000 << "庚辰龙年";
    QTest::newRow("2023") << 2023 << "癸卯兔年";
    QTest::newRow("2024") << 2024 << "甲辰龙年";
    QTest::newRow("2050") << 2050 << "庚午马年";
    QTest::newRow("year 4") << 4 << "甲子鼠年";
    QTest::newRow("year 64, one cycle on") << 64 << "甲子鼠年";
}

void TestCalendar::yearNames() {
    QFETCH(int, year);
    QFETCH(QString, name);
    QCOMPARE(q(GetGanZhiYearName(year)), name);
}

void TestCalendar::monthAndDayNames() {
    const QStringList months = {"　正月", "　二月", "　三月", "　四月", "　五月", "　六月",
                                "　七月", "　八月", "　九月", "　十月", "十一月", "十二月"};
    for (int m = 1; m <= 12; ++m) {
        QCOMPARE(q(GetLunarMonthName(m, true)), months[m - 1]);
        QCOMPARE(q(GetLunarMonthName(m, true)).size(), 3);
    }
    QCOMPARE(q(GetLunarMonthName(1, false)), QString("　一月"));
    QCOMPARE(q(GetLunarMonthName(2, false)), QString("　二月"));
    QCOMPARE(q(GetLunarMonthName(1, true)).at(0), QChar(0x3000));

    const QString days = "初一初二初三初四初五初六初七初八初九初十"
                         "十一十二十三十四十五十六十七十八十九二十"
                         "廿一廿二廿三廿四廿五廿六廿七廿八廿九三十";
    for (int d = 1; d <= 30; ++d) {
        QCOMPARE(q(GetLunarDayName(d)), days.mid((d - 1) * 2, 2));
    }
}

void TestCalendar::solarTerms_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("term");
    QTest::addColumn<QString>("name");

    QTest::newRow("2000 小寒") << 2000 << 1 << 6 << 1 << "小寒";
    QTest::newRow("2000 大寒") << 2000 << 1 << 21 << 2 << "大寒";
    QTest::newRow("2000 立春") << 2000 << 2 << 4 << 3 << "立春";
    QTest::newRow("2000 冬至") << 2000 << 12 << 21 << 24 << "冬至";
    QTest::newRow("2000-01-07 none") << 2000 << 1 << 7 << 0 << "";
    QTest::newRow("1901 小寒") << 1901 << 1 << 6 << 1 << "小寒";
    QTest::newRow("1901 立春") << 1901 << 2 << 4 << 3 << "立春";
    QTest::newRow("2050 立春") << 2050 << 2 << 3 << 3 << "立春";
    QTest::newRow("2050 冬至") << 2050 << 12 << 22 << 24 << "冬至";
    QTest::newRow("2024 立春") << 2024 << 2 << 4 << 3 << "立春";
    QTest::newRow("2024 雨水") << 2024 << 2 << 19 << 4 << "雨水";

    // Corrected term days, and the neighbouring days they moved from.
    struct Fix {
        int year, month, day, wrongDay, term;
        const char* name;
    };
    const Fix fixes[] = {
        {1904, 10, 9, 8, 19, "寒露"},   {1912, 11, 22, 23, 22, "小雪"},
        {1913, 9, 23, 24, 18, "秋分"},  {1929, 10, 9, 8, 19, "寒露"},
        {1929, 11, 23, 22, 22, "小雪"}, {1949, 8, 23, 24, 16, "处暑"},
        {1954, 10, 24, 23, 20, "霜降"}, {1962, 1, 20, 21, 2, "大寒"},
        {1973, 2, 19, 20, 4, "雨水"},   {1976, 8, 23, 24, 16, "处暑"},
        {1977, 5, 5, 6, 9, "立夏"},     {1981, 11, 7, 8, 21, "立冬"},
        {1991, 5, 6, 7, 9, "立夏"},     {1995, 8, 23, 21, 16, "处暑"},
        {2033, 7, 22, 23, 14, "大暑"},  {2034, 8, 7, 8, 15, "立秋"},
        {2049, 4, 4, 5, 7, "清明"},     {2049, 4, 19, 20, 8, "谷雨"},
        {2050, 9, 7, 8, 17, "白露"},
    };
    for (const Fix& f : fixes) {
        QTest::addRow("%d-%02d-%02d %s", f.year, f.month, f.day, f.name)
            << f.year << f.month << f.day << f.term << QString(f.name);
        QTest::addRow("%d-%02d-%02d not %s", f.year, f.month, f.wrongDay, f.name)
            << f.year << f.month << f.wrongDay << 0 << QString();
    }
    for (int y : {1901, 1950, 2000, 2050}) {
        for (int m = 1; m <= 12; ++m) {
            QTest::addRow("%d-%02d-15", y, m) << y << m << 15 << 0 << QString();
        }
    }
}

void TestCalendar::solarTerms() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, term);
    QFETCH(QString, name);
    QCOMPARE(GetSolarTerm(year, month, day), term);
    QCOMPARE(q(GetSolarTermName(At(year, month, day, 23, 59))), name);
}

void TestCalendar::holidays_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<QString>("name");
    QTest::newRow("national day") << 2024 << 10 << 1 << 0 << "国庆节";
    QTest::newRow("national day, evening, far year") << 1901 << 10 << 1 << 23 << "国庆节";
    QTest::newRow("new year") << 2050 << 1 << 1 << 12 << "元旦节";
    QTest::newRow("longest name") << 2023 << 3 << 5 << 9 << "中国青年志愿者服务日";
    QTest::newRow("last entry") << 2023 << 12 << 21 << 9 << "国际篮球日";
    QTest::newRow("outside the engine's years") << 2100 << 5 << 4 << 9 << "中国青年节";
    QTest::newRow("25 December") << 2024 << 12 << 25 << 10 << "";
    QTest::newRow("1 November") << 2024 << 11 << 1 << 10 << "";
    QTest::newRow("29 February") << 2024 << 2 << 29 << 10 << "";
}

void TestCalendar::holidays() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(QString, name);
    QCOMPARE(q(GetHolidayName(At(year, month, day, hour))), name);
}

void TestCalendar::badInput_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("message");
    QTest::newRow("month 13") << "GetWeekDay(2023,13,1)"
                              << "2023-13-01";
    QTest::newRow("30 February") << "GregorianToLunar(2023,2,30)"
                                 << "2023-02-30";
    QTest::newRow("29 February 2023") << "GetDaysBetween(2023,2,29)"
                                      << "2023-02-29";
    QTest::newRow("day 0") << "GetSolarTerm(2023,5,0)"
                           << "2023-05-00";
    QTest::newRow("solar term month 13") << "GetSolarTerm(2023,13,1)"
                                         << "2023-13-01";
    QTest::newRow("before the range") << "GregorianToLunar(1900,12,31)"
                                      << "outside";
    QTest::newRow("after lunar 2050") << "GregorianToLunar(2051,2,11)"
                                      << "outside";
    QTest::newRow("negative offset") << "OffsetToLunar(-1)"
                                     << "outside";
    QTest::newRow("solar term 1900") << "GetSolarTerm(1900,6,6)"
                                     << "1900-06-06";
    QTest::newRow("solar term 2051") << "GetSolarTerm(2051,1,5)"
                                     << "2051-01-05";
    QTest::newRow("leap month 1900") << "GetLeapMonth(1900)"
                                     << "1900";
    QTest::newRow("leap month 2051") << "GetLeapMonth(2051)"
                                     << "2051";
    QTest::newRow("month days 2051") << "GetLunarMonthDays(2051,1)"
                                     << "2051";
    QTest::newRow("month days month 0") << "GetLunarMonthDays(2000,0)"
                                        << "month 0";
    QTest::newRow("month days month 13") << "GetLunarMonthDays(1800,13)"
                                         << "month 13";
    QTest::newRow("year days 1900") << "GetLunarYearDays(1900)"
                                    << "1900";
    QTest::newRow("month name 0") << "GetLunarMonthName(0)"
                                  << "month 0";
    QTest::newRow("month name 13") << "GetLunarMonthName(13)"
                                   << "month 13";
    QTest::newRow("day name 31") << "GetLunarDayName(31)"
                                 << "day 31";
    QTest::newRow("day name 0") << "GetLunarDayName(0)"
                                << "day 0";
    QTest::newRow("day cell 2051") << "MakeDayCell(2051,1,1)"
                                   << "2051";
}

void TestCalendar::badInput() {
    QFETCH(QString, call);
    QFETCH(QString, message);
    const std::map<QString, std::function<void()>> calls = {
        {"GetWeekDay(2023,13,1)", [] { GetWeekDay(2023, 13, 1); }},
        {"GregorianToLunar(2023,2,30)", [] { GregorianToLunar(2023, 2, 30); }},
        {"GetDaysBetween(2023,2,29)", [] { GetDaysBetween(2023, 2, 29, 1901, 1, 1); }},
        {"GetSolarTerm(2023,5,0)", [] { GetSolarTerm(2023, 5, 0); }},
        {"GetSolarTerm(2023,13,1)", [] { GetSolarTerm(2023, 13, 1); }},
        {"GregorianToLunar(1900,12,31)", [] { GregorianToLunar(1900, 12, 31); }},
        {"GregorianToLunar(2051,2,11)", [] { GregorianToLunar(2051, 2, 11); }},
        {"OffsetToLunar(-1)", [] { OffsetToLunar(-1); }},
        {"GetSolarTerm(1900,6,6)", [] { GetSolarTerm(1900, 6, 6); }},
        {"GetSolarTerm(2051,1,5)", [] { GetSolarTerm(2051, 1, 5); }},
        {"GetLeapMonth(1900)", [] { GetLeapMonth(1900); }},
        {"GetLeapMonth(2051)", [] { GetLeapMonth(2051); }},
        {"GetLunarMonthDays(2051,1)", [] { GetLunarMonthDays(2051, 1); }},
        {"GetLunarMonthDays(2000,0)", [] { GetLunarMonthDays(2000, 0); }},
        {"GetLunarMonthDays(1800,13)", [] { GetLunarMonthDays(1800, 13); }},
        {"GetLunarYearDays(1900)", [] { GetLunarYearDays(1900); }},
        {"GetLunarMonthName(0)", [] { GetLunarMonthName(0, true); }},
        {"GetLunarMonthName(13)", [] { GetLunarMonthName(13, true); }},
        {"GetLunarDayName(31)", [] { GetLunarDayName(31); }},
        {"GetLunarDayName(0)", [] { GetLunarDayName(0); }},
        {"MakeDayCell(2051,1,1)", [] { MakeDayCell(2051, 1, 1); }},
    };
    try {
        calls.at(call)();
        QFAIL("no exception");
    } catch (const CalendarError& error) {
        QVERIFY2(QString(error.what()).contains(message), error.what());
    }
}

void TestCalendar::dayCells_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("text");
    QTest::newRow("立春 2024") << 2024 << 2 << 4 << "4\r廿五\r立春";
    QTest::newRow("new year 2024") << 2024 << 2 << 10 << "10\r　正月\r";
    QTest::newRow("29 February 2024") << 2024 << 2 << 29 << "29\r二十\r";
    QTest::newRow("1 January 1901") << 1901 << 1 << 1 << "1\r十一\r";
    QTest::newRow("20 January 1901") << 1901 << 1 << 20 << "20\r十二月\r";
    QTest::newRow("leap month start 2023") << 2023 << 3 << 22 << "22\r闰二月\r";
    QTest::newRow("大寒 1901") << 1901 << 1 << 21 << "21\r初二\r大寒";
    QTest::newRow("regular month start 2023") << 2023 << 2 << 20 << "20\r　二月\r";
}

void TestCalendar::dayCells() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QString, text);
    QCOMPARE(q(DayCellText(MakeDayCell(year, month, day))), text);
}

// The first day of a leap month reads 闰 and the month's name; its other days,
// and the ordinary month before it, read as before.
void TestCalendar::leapMonthCells_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("lunar");
    QTest::addColumn<bool>("leap");
    QTest::newRow("2023 ordinary month 2") << "2023-02-20"
                                           << "　二月" << false;
    QTest::newRow("2023 ordinary month 2 day 2") << "2023-02-21"
                                                 << "初二" << false;
    QTest::newRow("2023 ordinary month 2 ends") << "2023-03-21"
                                                << "三十" << false;
    QTest::newRow("2023 leap month 2") << "2023-03-22"
                                       << "闰二月" << true;
    QTest::newRow("2023 leap month 2 day 2") << "2023-03-23"
                                             << "初二" << true;
    QTest::newRow("2023 leap month 2 ends") << "2023-04-19"
                                            << "廿九" << true;
    QTest::newRow("2023 month 3") << "2023-04-20"
                                  << "　三月" << false;
    QTest::newRow("2025 ordinary month 6") << "2025-06-25"
                                           << "　六月" << false;
    QTest::newRow("2025 ordinary month 6 ends") << "2025-07-24"
                                                << "三十" << false;
    QTest::newRow("2025 leap month 6") << "2025-07-25"
                                       << "闰六月" << true;
    QTest::newRow("2025 leap month 6 day 7") << "2025-07-31"
                                             << "初七" << true;
    QTest::newRow("2025 month 7") << "2025-08-23"
                                  << "　七月" << false;
    QTest::newRow("2033 ordinary month 11") << "2033-11-22"
                                            << "十一月" << false;
    QTest::newRow("2033 ordinary month 11 ends") << "2033-12-21"
                                                 << "三十" << false;
    QTest::newRow("2033 leap month 11") << "2033-12-22"
                                        << "闰十一月" << true;
    QTest::newRow("2033 leap month 11 ends") << "2034-01-19"
                                             << "廿九" << true;
    QTest::newRow("2033 month 12") << "2034-01-20"
                                   << "十二月" << false;
}

void TestCalendar::leapMonthCells() {
    QFETCH(QString, date);
    QFETCH(QString, lunar);
    QFETCH(bool, leap);
    const auto [y, m, d] = Ymd(date);
    const DayCell cell = MakeDayCell(y, m, d);
    QCOMPARE(q(cell.Lunar), lunar);
    QCOMPARE(cell.LeapMonth, leap);
    QCOMPARE(q(DayCellText(cell)).section('\r', 1, 1), lunar);
    const LunarDay day = GregorianToLunarDay(y, m, d);
    QCOMPARE(day.LeapMonth, leap);
    QCOMPARE(day.Date, GregorianToLunar(y, m, d)); // the flag beside the same date
}

void TestCalendar::leapMonthNames() {
    QCOMPARE(q(GetLunarMonthName(2, true, true)), QString("闰二月"));
    QCOMPARE(q(GetLunarMonthName(6, true, true)), QString("闰六月"));
    QCOMPARE(q(GetLunarMonthName(10, true, true)), QString("闰十月"));
    QCOMPARE(q(GetLunarMonthName(11, true, true)), QString("闰十一月"));
    QCOMPARE(q(GetLunarMonthName(12, true, true)), QString("闰十二月"));
    QCOMPARE(q(GetLunarMonthName(1, true, true)), QString("闰正月"));
    for (int m = 1; m <= 12; ++m) {
        QCOMPARE(GetLunarMonthName(m, true, false), GetLunarMonthName(m, true));
    }
}

void TestCalendar::lunarFestivals_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("春节 2024") << "2024-02-10"
                               << "春节";
    QTest::newRow("元宵节 2024") << "2024-02-24"
                                 << "元宵节";
    QTest::newRow("龙抬头 2024") << "2024-03-11"
                                 << "龙抬头";
    QTest::newRow("端午节 2024") << "2024-06-10"
                                 << "端午节";
    QTest::newRow("七夕节 2024") << "2024-08-10"
                                 << "七夕节";
    QTest::newRow("中元节 2024") << "2024-08-18"
                                 << "中元节";
    QTest::newRow("中秋节 2024") << "2024-09-17"
                                 << "中秋节";
    QTest::newRow("重阳节 2024") << "2024-10-11"
                                 << "重阳节";
    QTest::newRow("腊八节 2025") << "2025-01-07"
                                 << "腊八节";
    QTest::newRow("小年 2025") << "2025-01-22"
                               << "小年";
    QTest::newRow("除夕 on the 29th (2025)") << "2025-01-28"
                                             << "除夕";
    QTest::newRow("除夕 on the 30th (2024)") << "2024-02-09"
                                             << "除夕";
    QTest::newRow("除夕 on the 29th (2026)") << "2026-02-16"
                                             << "除夕";
    QTest::newRow("除夕 on the 30th (2023)") << "2023-01-21"
                                             << "除夕";
    QTest::newRow("29th of a 30-day twelfth month") << "2024-02-08"
                                                    << "";
    QTest::newRow("除夕 of lunar 1900") << "1901-02-18"
                                        << "除夕";
    QTest::newRow("腊八节 of lunar 1900") << "1901-01-27"
                                          << "腊八节";
    QTest::newRow("龙抬头 not in the leap month (2023)") << "2023-03-23"
                                                         << "";
    QTest::newRow("龙抬头 in the ordinary month (2023)") << "2023-02-21"
                                                         << "龙抬头";
    QTest::newRow("leap 6th month's 初七 is no 七夕节... (2025)") << "2025-07-31"
                                                                  << "";
    QTest::newRow("an ordinary day") << "2024-02-11"
                                     << "";
}

void TestCalendar::lunarFestivals() {
    QFETCH(QString, date);
    QFETCH(QString, name);
    const auto [y, m, d] = Ymd(date);
    QCOMPARE(q(GetLunarFestivalName(y, m, d)), name);
    QCOMPARE(q(MakeDayCell(y, m, d).LunarFestivalName), name);
}

void TestCalendar::ganZhi_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("year"); // beginning at 立春
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::newRow("the 甲子 day") << "1949-10-01"
                                  << "己丑"
                                  << "癸酉"
                                  << "甲子";
    QTest::newRow("2000-01-01, a 戊午 day") << "2000-01-01"
                                            << "己卯"
                                            << "丙子"
                                            << "戊午";
    QTest::newRow("2026-12-11") << "2026-12-11"
                                << "丙午"
                                << "庚子"
                                << "己未";
    QTest::newRow("day before 大雪 2026") << "2026-12-06"
                                          << "丙午"
                                          << "己亥"
                                          << "甲寅";
    QTest::newRow("大雪 2026") << "2026-12-07"
                               << "丙午"
                               << "庚子"
                               << "乙卯";
    QTest::newRow("day before 立春 2026") << "2026-02-03"
                                          << "乙巳"
                                          << "己丑"
                                          << "戊申";
    QTest::newRow("立春 2026 (丙 year: 庚寅)") << "2026-02-04"
                                               << "丙午"
                                               << "庚寅"
                                               << "己酉";
    QTest::newRow("day before 立春 2024") << "2024-02-03"
                                          << "癸卯"
                                          << "乙丑"
                                          << "丁酉";
    QTest::newRow("立春 2024 (甲 year: 丙寅)") << "2024-02-04"
                                               << "甲辰"
                                               << "丙寅"
                                               << "戊戌";
    QTest::newRow("立春 2029 (己 year: 丙寅)") << "2029-02-03"
                                               << "己酉"
                                               << "丙寅"
                                               << "甲子";
    QTest::newRow("day before 小寒 2025") << "2025-01-04"
                                          << "甲辰"
                                          << "丙子"
                                          << "癸酉";
    QTest::newRow("小寒 2025") << "2025-01-05"
                               << "甲辰"
                               << "丁丑"
                               << "甲戌";
    QTest::newRow("first day of the range") << "1901-01-01"
                                            << "庚子"
                                            << "戊子"
                                            << "己卯";
    QTest::newRow("last day of the range") << "2050-12-31"
                                           << "庚午"
                                           << "戊子"
                                           << "乙酉";
}

void TestCalendar::ganZhi() {
    QFETCH(QString, date);
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    const auto [y, m, d] = Ymd(date);
    QCOMPARE(GanZhi(GetYearGanZhiOfDate(y, m, d)), year);
    QCOMPARE(GanZhi(GetMonthGanZhi(y, m, d)), month);
    QCOMPARE(GanZhi(GetDayGanZhi(y, m, d)), day);
}

// Where names meet on a day, the cell shows a lunar festival before a widely
// kept Gregorian festival before a solar term.
void TestCalendar::cellNames_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    const int lunar = int(DayNameKind::LunarFestival),
              gregorian = int(DayNameKind::GregorianFestival), term = int(DayNameKind::SolarTerm),
              none = int(DayNameKind::None);
    QTest::newRow("除夕 and 立春") << "2019-02-04"
                                   << "除夕" << lunar;
    QTest::newRow("春节 and 立春") << "1992-02-04"
                                   << "春节" << lunar;
    QTest::newRow("中秋节 and 国庆节") << "2020-10-01"
                                       << "中秋节" << lunar;
    QTest::newRow("腊八节 and 元旦") << "2012-01-01"
                                     << "腊八节" << lunar;
    QTest::newRow("元宵节 and 情人节") << "2014-02-14"
                                       << "元宵节" << lunar;
    QTest::newRow("国庆节 alone") << "2024-10-01"
                                  << "国庆节" << gregorian;
    QTest::newRow("元旦 by its short name") << "2024-01-01"
                                            << "元旦" << gregorian;
    QTest::newRow("妇女节 by its short name") << "2024-03-08"
                                              << "妇女节" << gregorian;
    QTest::newRow("立春 alone") << "2024-02-04"
                                << "立春" << term;
    QTest::newRow("惊蛰 before a festival not widely kept") << "2024-03-05"
                                                            << "惊蛰" << term;
    QTest::newRow("a festival not widely kept") << "2024-03-22"
                                                << "" << none;
    QTest::newRow("nothing") << "2024-03-13"
                             << "" << none;
}

void TestCalendar::cellNames() {
    QFETCH(QString, date);
    QFETCH(QString, name);
    QFETCH(int, kind);
    const auto [y, m, d] = Ymd(date);
    const DayCell cell = MakeDayCell(y, m, d);
    QCOMPARE(q(cell.Name), name);
    QCOMPARE(int(cell.NameKind), kind);
}

// Days as the State Council's notices give them, written from the notices and
// not from the data the table was made from.
void TestCalendar::officialDays_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("official");
    const auto days = [](const char* from, int count, const char* what) {
        QDate day = QDate::fromString(from, Qt::ISODate);
        for (int i = 0; i < count; ++i, day = day.addDays(1)) {
            const QString date = day.toString(Qt::ISODate);
            QTest::addRow("%s %s", qPrintable(date), what) << date << QString(what);
        }
    };
    // 2008: 元旦 from 2007-12-30, and the first year of 清明, 端午 and 中秋.
    days("2007-12-29", 1, "班 元旦");
    days("2007-12-30", 3, "休 元旦");
    days("2008-02-02", 2, "班 春节");
    days("2008-02-06", 7, "休 春节");
    days("2008-04-04", 3, "休 清明节");
    days("2008-05-01", 3, "休 劳动节");
    days("2008-05-04", 1, "班 劳动节");
    days("2008-06-07", 3, "休 端午节");
    days("2008-09-13", 3, "休 中秋节");
    days("2008-09-27", 2, "班 国庆节");
    days("2008-09-29", 7, "休 国庆节");
    // 2015
    days("2015-01-01", 3, "休 元旦");
    days("2015-01-04", 1, "班 元旦");
    days("2015-02-15", 1, "班 春节");
    days("2015-02-18", 7, "休 春节");
    days("2015-02-28", 1, "班 春节");
    days("2015-09-03", 3, "休 抗战胜利纪念日");
    days("2015-09-06", 1, "班 抗战胜利纪念日");
    days("2015-10-10", 1, "班 国庆节");
    // 2020, with the Spring Festival holiday lengthened to 2 February.
    days("2020-01-19", 1, "班 春节");
    days("2020-01-24", 10, "休 春节");
    days("2020-04-26", 1, "班 劳动节");
    days("2020-05-01", 5, "休 劳动节");
    days("2020-05-09", 1, "班 劳动节");
    days("2020-09-27", 1, "班 国庆节、中秋节");
    days("2020-10-01", 8, "休 国庆节、中秋节");
    days("2020-10-10", 1, "班 国庆节、中秋节");
    // 2024
    days("2024-02-04", 1, "班 春节");
    days("2024-02-10", 8, "休 春节");
    days("2024-02-18", 1, "班 春节");
    days("2024-04-04", 3, "休 清明节");
    days("2024-04-07", 1, "班 清明节");
    days("2024-04-28", 1, "班 劳动节");
    days("2024-05-01", 5, "休 劳动节");
    days("2024-05-11", 1, "班 劳动节");
    days("2024-09-29", 1, "班 国庆节");
    days("2024-10-01", 7, "休 国庆节");
    days("2024-10-12", 1, "班 国庆节");
    // 2025
    days("2025-01-26", 1, "班 春节");
    days("2025-01-28", 8, "休 春节");
    days("2025-02-08", 1, "班 春节");
    days("2025-04-27", 1, "班 劳动节");
    days("2025-05-31", 3, "休 端午节");
    days("2025-09-28", 1, "班 国庆节、中秋节");
    days("2025-10-01", 8, "休 国庆节、中秋节");
    days("2025-10-11", 1, "班 国庆节、中秋节");
    // 2026
    days("2026-01-01", 3, "休 元旦");
    days("2026-01-04", 1, "班 元旦");
    days("2026-02-14", 1, "班 春节");
    days("2026-02-15", 9, "休 春节");
    days("2026-02-28", 1, "班 春节");
    days("2026-05-01", 5, "休 劳动节");
    days("2026-05-09", 1, "班 劳动节");
    days("2026-06-19", 3, "休 端午节");
    days("2026-09-20", 1, "班 国庆节");
    days("2026-09-25", 3, "休 中秋节");
    days("2026-10-01", 7, "休 国庆节");
    days("2026-10-10", 1, "班 国庆节");
    // Ordinary days: next to a holiday, before the table and after it.
    days("2024-02-09", 1, "-");
    days("2024-10-08", 1, "-");
    days("2026-10-08", 1, "-");
    days("2003-10-01", 1, "-");
    days("2027-10-01", 1, "-");
}

void TestCalendar::officialDays() {
    QFETCH(QString, date);
    QFETCH(QString, official);
    QCOMPARE(Official(THolidayTable::Compiled(), date), official);
    const auto [y, m, d] = Ymd(date);
    const DayCell cell = MakeDayCell(y, m, d);
    QCOMPARE(q(OfficialMarkText(cell.Mark)) + (cell.Mark == OfficialMark::None ? "-" : " ") +
                 q(cell.HolidayName),
             official);
}

// The whole compiled-in table: every year from 2004 to the last notice, each
// with its new year, Spring Festival and National Day off, and 班 only on
// weekend days.
void TestCalendar::compiledHolidayTable() {
    const THolidayTable& table = THolidayTable::Compiled();
    QCOMPARE(CompiledHolidayFirstYear, 2004);
    QCOMPARE(CompiledHolidayLastYear, 2026);
    std::vector<int32_t> years;
    for (int y = 2004; y <= 2026; ++y) {
        years.push_back(y);
    }
    QCOMPARE(table.Years(), years);
    QCOMPARE(table.Size(), CompiledHolidayDays.size());
    std::map<int, std::set<std::string>> offNames;
    for (const HolidayDay& day : CompiledHolidayDays) {
        QVERIFY(day.Mark != OfficialMark::None);
        QVERIFY(*day.Name != '\0');
        if (day.Mark == OfficialMark::Work) {
            const int weekday = GetWeekDay(day.Year, day.Month, day.Day);
            QVERIFY2(weekday == 1 || weekday == 7,
                     qPrintable(QString("%1-%2-%3 班").arg(day.Year).arg(day.Month).arg(day.Day)));
        } else {
            offNames[HolidayNoticeYear(day.Year, day.Month, day.Day)].insert(day.Name);
        }
        QCOMPARE(table.Find(day.Year, day.Month, day.Day).Mark, day.Mark);
    }
    for (int y = 2004; y <= 2026; ++y) {
        QVERIFY2(offNames[y].contains("元旦"), qPrintable(QString::number(y)));
        QVERIFY2(offNames[y].contains("春节"), qPrintable(QString::number(y)));
        const bool national = offNames[y].contains("国庆节") ||
                              offNames[y].contains("国庆节、中秋节") ||
                              offNames[y].contains("中秋节、国庆节");
        QVERIFY2(national, qPrintable(QString::number(y)));
    }
}

// One fixture file per row: the problems it reports (line number and a part
// of the message) and what the merged table then says of some days.
void TestCalendar::holidayFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<QStringList>("days"); // "date => 休 name" (or "-")

    QTest::newRow("adds a year") << "holidays-add-2027.txt" << QStringList{}
                                 << QStringList{
                                        "2027-01-01 => 休 元旦", // first line, after a BOM
                                        "2027-02-05 => 休 春节",   "2027-02-13 => 班 春节",
                                        "2027-10-01 => 休 国庆节", // blanks around the fields
                                        "2026-12-27 => 班 元旦",   // December of the next notice
                                        "2026-10-01 => 休 国庆节", // 2026 stays compiled
                                        "2026-02-14 => 班 春节",   "2024-02-10 => 休 春节",
                                        "2027-01-04 => -",
                                    };
    QTest::newRow("corrects a year")
        << "holidays-correct-2026.txt" << QStringList{}
        << QStringList{
               "2026-01-01 => 休 元旦",   "2026-10-08 => 休 国庆节", // CR LF line ends
               "2026-10-10 => 班 国庆节", "2026-10-01 => 休 国庆节",
               "2026-02-16 => -", // the compiled-in 2026 is replaced whole
               "2026-01-04 => -",         "2025-01-28 => 休 春节", // other years stay
           };
    QTest::newRow("malformed lines")
        << "holidays-malformed.txt"
        << QStringList{"4: expected three fields",
                       "5: the date 2027-02-30 does not exist",
                       "6: the date 2027-13-01 does not exist",
                       "7: '2027-1-05' is not a date of the form yyyy-mm-dd",
                       "8: '假' is neither 休 nor 班",
                       "9: the holiday's name is missing",
                       "10: 2027-01-01 is given already on line 3",
                       "11: the date 2051-01-01 is outside 1901-01-01 to 2050-12-31",
                       "12: the line is not UTF-8 text",
                       "14: expected three fields"}
        << QStringList{
               "2027-01-01 => 休 元旦", // the first of the two lines
               "2027-02-07 => 班 春节", // a line after the bad ones
               "2027-01-02 => -",       "2027-01-09 => -",
               "2027-02-08 => -",       "2026-10-01 => 休 国庆节",
           };
}

void TestCalendar::holidayFile() {
    QFETCH(QString, file);
    QFETCH(QStringList, problems);
    QFETCH(QStringList, days);
    const std::string path = (QStringLiteral(VORN_TEST_DATA "/") + file).toStdString();
    std::ifstream in(path, std::ios::binary);
    QVERIFY2(in, path.c_str());
    const HolidayFileResult result = ReadHolidayFile(in, "Holidays.txt", THolidayTable::Compiled());

    QStringList got;
    for (const HolidayFileProblem& problem : result.Problems) {
        got << q(problem.Message);
    }
    QCOMPARE(got.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        const int line = problems[i].section(':', 0, 0).toInt();
        QCOMPARE(result.Problems[size_t(i)].Line, line);
        QVERIFY2(got[i].startsWith("Holidays.txt:" + problems[i]), qPrintable(got[i]));
        QVERIFY2(got[i].endsWith("; the line is skipped"), qPrintable(got[i]));
    }
    for (const QString& day : days) {
        const QString date = day.section(" => ", 0, 0);
        QCOMPARE(date + " => " + Official(result.Table, date), day);
    }

    // The same text read from memory gives the same result.
    std::ifstream again(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(again), {}};
    const HolidayFileResult fromText =
        ReadHolidayText(text, "Holidays.txt", THolidayTable::Compiled());
    QCOMPARE(fromText.Problems.size(), result.Problems.size());
    QCOMPARE(fromText.Table.Size(), result.Table.Size());
    // A cell made with the merged table shows the file's mark.
    const auto [y, m, d] = Ymd(days.first().left(10));
    QCOMPARE(q(OfficialMarkText(MakeDayCell(y, m, d, result.Table).Mark)),
             days.first().section(" => ", 1).left(1));
}

// A stream that breaks off keeps what it read and says so once.
void TestCalendar::holidayFileUnreadable() {
    // Serves its text, then fails as a disk read error would.
    struct BreakingBuffer : std::streambuf {
        std::string Text;
        bool Served = false;
        int_type underflow() override {
            if (Served) {
                throw std::runtime_error("read error");
            }
            Served = true;
            setg(Text.data(), Text.data(), Text.data() + Text.size());
            return traits_type::to_int_type(Text.front());
        }
    } buffer;
    buffer.Text = "2027-01-01\t休\t元旦\n2027-01-02\t休\t元旦\n";
    std::istream in(&buffer);
    const HolidayFileResult result =
        ReadHolidayFile(in, "/home/user/Holidays.txt", THolidayTable::Compiled());
    QCOMPARE(result.Problems.size(), size_t(1));
    QCOMPARE(result.Problems[0].Line, 0);
    QCOMPARE(q(result.Problems[0].Message),
             QString("/home/user/Holidays.txt: reading stopped after line 2; the lines read "
                     "until then apply"));
    QCOMPARE(Official(result.Table, "2027-01-02"), QString("休 元旦"));
    QCOMPARE(Official(result.Table, "2026-10-01"), QString("休 国庆节"));
}

void TestCalendar::dayDetails_data() {
    QTest::addColumn<QString>("date");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("2026-12-11") << "2026-12-11"
                                << QStringList{"2026年12月11日 星期五", "农历丙午年十一月初三",
                                               "丙午年 庚子月 己未日 属马"};
    QTest::newRow("leap month start 2023")
        << "2023-03-22"
        << QStringList{"2023年3月22日 星期三", "农历癸卯年闰二月初一", "癸卯年 乙卯月 己卯日 属兔",
                       "节日：世界水日"};
    QTest::newRow("中秋节 on National Day 2020")
        << "2020-10-01"
        << QStringList{"2020年10月1日 星期四", "农历庚子年八月十五", "庚子年 乙酉月 丁丑日 属鼠",
                       "节日：中秋节、国庆节", "休：国庆节、中秋节放假"};
    QTest::newRow("a working Saturday on 情人节 2026")
        << "2026-02-14"
        << QStringList{"2026年2月14日 星期六", "农历乙巳年十二月廿七", "丙午年 庚寅月 己未日 属马",
                       "节日：西方情人节", "班：春节调休上班"};
    QTest::newRow("立春 2026, before the lunar new year")
        << "2026-02-04"
        << QStringList{"2026年2月4日 星期三", "农历乙巳年十二月十七", "丙午年 庚寅月 己酉日 属马",
                       "节气：立春"};
    QTest::newRow("除夕 and 立春 2019")
        << "2019-02-04"
        << QStringList{"2019年2月4日 星期一", "农历戊戌年十二月三十", "己亥年 丙寅月 壬申日 属猪",
                       "节气：立春",          "节日：除夕",           "休：春节放假"};
    QTest::newRow("first day of the range")
        << "1901-01-01"
        << QStringList{"1901年1月1日 星期二", "农历庚子年十一月十一", "庚子年 戊子月 己卯日 属鼠",
                       "节日：元旦节"};
}

void TestCalendar::dayDetails() {
    QFETCH(QString, date);
    QFETCH(QStringList, lines);
    const auto [y, m, d] = Ymd(date);
    QStringList got;
    for (const std::string& line : GetDayDetails(y, m, d, THolidayTable::Compiled())) {
        got << q(line);
    }
    QCOMPARE(got, lines);
}

// Walks every day of the range and checks what must hold for each.
void TestCalendar::everyDay() {
    const chr::sys_days first{chr::year{1901} / 1 / 1};
    const chr::sys_days last{chr::year{2050} / 12 / 31};
    int previousWeekday = GetWeekDay(1900, 12, 31);
    LunarDate previous{1900, 11, 10};
    int previousMonthLength = 29; // lunar 1900's eleventh month
    bool inLeapMonth = false;
    std::map<int, int> yearDays; // lunar year -> days counted
    int termDays = 0;
    int offset = 0;
    // 1900-12-31 lies in the 子 month (after 大雪) of 庚子 (1900), on a 戊寅 day.
    int previousDayPair = GetDayGanZhi(1900, 12, 31);
    int previousMonthPair = 24; // 戊子
    int previousYearPair = GetYearGanZhi(1900);
    int monthPairChanges = 0;
    std::map<std::pair<int, QString>, int> festivalsOfYear; // (lunar year, name) -> days
    bool previousWasNewYearsEve = false;
    for (chr::sys_days d = first; d <= last; d += chr::days{1}, ++offset) {
        const chr::year_month_day date{d};
        const int y = int(date.year()), m = int(unsigned(date.month())),
                  dd = int(unsigned(date.day()));

        const int weekday = GetWeekDay(y, m, dd);
        QCOMPARE(weekday, previousWeekday % 7 + 1);
        previousWeekday = weekday;

        const LunarDay lunarDay = GregorianToLunarDay(y, m, dd);
        const LunarDate lunar = lunarDay.Date;
        QCOMPARE(GregorianToLunar(y, m, dd), lunar);
        QCOMPARE(OffsetToLunar(offset), lunar);
        QCOMPARE(OffsetToLunarDay(offset), lunarDay);
        // And back: every day of the lunar years the tables cover.
        if (lunar.Year >= FirstLunarYear)
            QCOMPARE(LunarToOffset(lunarDay), offset);
        if (lunar.Day == 1) {
            // A new month: the next number, the same number (leap month), or a new year.
            QVERIFY2(previous.Day == previousMonthLength, qPrintable(QString::number(offset)));
            const bool nextMonth = lunar.Year == previous.Year && lunar.Month == previous.Month + 1;
            const bool leapMonth = lunar.Year == previous.Year && lunar.Month == previous.Month &&
                                   GetLeapMonth(lunar.Year) == lunar.Month;
            const bool newYear =
                lunar.Year == previous.Year + 1 && lunar.Month == 1 && previous.Month == 12;
            QVERIFY(nextMonth || leapMonth || newYear);
            const uint32_t lengths = GetLunarMonthDays(lunar.Year, lunar.Month);
            previousMonthLength = leapMonth ? int(lengths >> 16) : int(lengths & 0xFFFF);
            QVERIFY(previousMonthLength == 29 || previousMonthLength == 30);
            inLeapMonth = leapMonth;
        } else {
            QCOMPARE(lunar.Year, previous.Year);
            QCOMPARE(lunar.Month, previous.Month);
            QCOMPARE(lunar.Day, previous.Day + 1);
        }
        // The flag says what the walk counted: the second month of the same number.
        QCOMPARE(lunarDay.LeapMonth, inLeapMonth);
        const DayCell cell = MakeDayCell(y, m, dd);
        QCOMPARE(cell.LeapMonth, inLeapMonth);
        QCOMPARE(cell.Lunar.starts_with("闰"), inLeapMonth && lunar.Day == 1);
        previous = lunar;
        ++yearDays[lunar.Year];

        const int term = GetSolarTerm(y, m, dd);
        if (term != 0) {
            ++termDays;
            QVERIFY((dd >= 3 && dd <= 9) || (dd >= 18 && dd <= 24));
            QCOMPARE(term, dd < 15 ? 2 * m - 1 : 2 * m);
        }
        QCOMPARE(q(GetSolarTermName(chr::local_days{d.time_since_epoch()})).isEmpty(), term == 0);

        // GanZhi: the day's pair counts on every day; the month's on the day of
        // each 节 (the odd terms) and on no other day; the year's on 立春.
        const int dayPair = GetDayGanZhi(y, m, dd);
        QCOMPARE(dayPair, (previousDayPair + 1) % 60);
        previousDayPair = dayPair;
        const int monthPair = GetMonthGanZhi(y, m, dd);
        const bool jie = term % 2 == 1;
        QCOMPARE(monthPair, jie ? (previousMonthPair + 1) % 60 : previousMonthPair);
        monthPairChanges += monthPair != previousMonthPair;
        previousMonthPair = monthPair;
        const int yearPair = GetYearGanZhiOfDate(y, m, dd);
        QCOMPARE(yearPair, term == 3 ? (previousYearPair + 1) % 60 : previousYearPair);
        previousYearPair = yearPair;
        if (term == 3) {
            // The month from 立春: 丙寅 in a year of 甲 or 己, two stems on for each next stem.
            QCOMPARE(monthPair % 12, 2);
            QCOMPARE(monthPair % 10, (yearPair % 5 * 2 + 2) % 10);
        }

        // Lunar festivals: each on its day of an ordinary month; 除夕 on the
        // last day of the year, the day before 春节.
        const QString festival = q(GetLunarFestivalName(lunarDay));
        QCOMPARE(q(cell.LunarFestivalName), festival);
        QString expected;
        for (const LunarFestival& f : LunarFestivals) {
            if (!inLeapMonth && f.Month == lunar.Month && f.Day == lunar.Day) {
                expected = f.Name;
            }
        }
        const LunarDate tomorrow = OffsetToLunar(offset + 1); // the tables reach 2051-02-10
        if (tomorrow.Month == 1 && tomorrow.Day == 1) {
            expected = NewYearsEveName;
        }
        QCOMPARE(festival, expected);
        if (previousWasNewYearsEve) {
            QCOMPARE(festival, QString("春节"));
        }
        previousWasNewYearsEve = festival == NewYearsEveName;
        if (!festival.isEmpty()) {
            ++festivalsOfYear[{lunar.Year, festival}];
        }
        // The cell's name: a lunar festival first, then a kept festival, then the term.
        const std::string kept = GetKeptFestivalName(m, dd);
        QCOMPARE(cell.Name, !cell.LunarFestivalName.empty() ? cell.LunarFestivalName
                            : !kept.empty()                 ? kept
                                                            : cell.Term);
    }
    QCOMPARE(offset, 54787);
    QCOMPARE(termDays, 150 * 24);
    QCOMPARE(monthPairChanges, 150 * 12);
    QCOMPARE(previous, (LunarDate{2050, 11, 18}));
    for (int year = 1901; year <= 2049; ++year) {
        QCOMPARE(yearDays[year], GetLunarYearDays(year));
        QVERIFY(GetLunarYearDays(year) >= 353 && GetLunarYearDays(year) <= 385);
        QCOMPARE(GetLunarYearDays(year) > 370, GetLeapMonth(year) != 0);
        // Every lunar festival once in every lunar year that the range holds whole.
        for (const LunarFestival& f : LunarFestivals) {
            const int days = festivalsOfYear[{year, QString(f.Name)}];
            QVERIFY2(days == 1, f.Name);
        }
        const int newYearsEves = festivalsOfYear[{year, QString(NewYearsEveName)}];
        QCOMPARE(newYearsEves, 1);
    }
    QCOMPARE(yearDays[1900], 49);
    int leapYears = 0;
    for (int year = 1901; year <= 2050; ++year) {
        leapYears += GetLeapMonth(year) != 0;
    }
    QCOMPARE(leapYears, 55);
}

void TestCalendar::lunarDaysThatDoNotExist_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("leap");
    // 2023 has a leap second month, 2024 none; 2024's first month has 29 days.
    QTest::newRow("a leap month the year lacks") << 2024 << 2 << 1 << true;
    QTest::newRow("the 30th of a 29-day month") << 2024 << 1 << 30 << false;
    QTest::newRow("day 0") << 2023 << 2 << 0 << true;
    QTest::newRow("before the tables") << 1900 << 12 << 1 << false;
    QTest::newRow("after the tables") << 2051 << 1 << 1 << false;
}

void TestCalendar::lunarDaysThatDoNotExist() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(bool, leap);
    QVERIFY_THROWS_EXCEPTION(CalendarError, LunarToOffset({{year, month, day}, leap}));
}

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_ucalendar.moc"

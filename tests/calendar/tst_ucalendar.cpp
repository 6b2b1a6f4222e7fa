#include "UCalendar.h"
#include "UDayCell.h"

#include <QtTest>

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
    QTest::newRow("leap month start 2023") << 2023 << 3 << 22 << "22\r　二月\r";
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

// Walks every day of the range and checks what must hold for each.
void TestCalendar::everyDay() {
    const chr::sys_days first{chr::year{1901} / 1 / 1};
    const chr::sys_days last{chr::year{2050} / 12 / 31};
    int previousWeekday = GetWeekDay(1900, 12, 31);
    LunarDate previous{1900, 11, 10};
    int previousMonthLength = 29; // lunar 1900's eleventh month
    std::map<int, int> yearDays;  // lunar year -> days counted
    int termDays = 0;
    int offset = 0;
    for (chr::sys_days d = first; d <= last; d += chr::days{1}, ++offset) {
        const chr::year_month_day date{d};
        const int y = int(date.year()), m = int(unsigned(date.month())),
                  dd = int(unsigned(date.day()));

        const int weekday = GetWeekDay(y, m, dd);
        QCOMPARE(weekday, previousWeekday % 7 + 1);
        previousWeekday = weekday;

        const LunarDate lunar = GregorianToLunar(y, m, dd);
        QCOMPARE(OffsetToLunar(offset), lunar);
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
        } else {
            QCOMPARE(lunar.Year, previous.Year);
            QCOMPARE(lunar.Month, previous.Month);
            QCOMPARE(lunar.Day, previous.Day + 1);
        }
        previous = lunar;
        ++yearDays[lunar.Year];

        const int term = GetSolarTerm(y, m, dd);
        if (term != 0) {
            ++termDays;
            QVERIFY((dd >= 3 && dd <= 9) || (dd >= 18 && dd <= 24));
            QCOMPARE(term, dd < 15 ? 2 * m - 1 : 2 * m);
        }
        QCOMPARE(q(GetSolarTermName(chr::local_days{d.time_since_epoch()})).isEmpty(), term == 0);
    }
    QCOMPARE(offset, 54787);
    QCOMPARE(termDays, 150 * 24);
    QCOMPARE(previous, (LunarDate{2050, 11, 18}));
    for (int year = 1901; year <= 2049; ++year) {
        QCOMPARE(yearDays[year], GetLunarYearDays(year));
        QVERIFY(GetLunarYearDays(year) >= 353 && GetLunarYearDays(year) <= 385);
        QCOMPARE(GetLunarYearDays(year) > 370, GetLeapMonth(year) != 0);
    }
    QCOMPARE(yearDays[1900], 49);
    int leapYears = 0;
    for (int year = 1901; year <= 2050; ++year) {
        leapYears += GetLeapMonth(year) != 0;
    }
    QCOMPARE(leapYears, 55);
}

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_ucalendar.moc"

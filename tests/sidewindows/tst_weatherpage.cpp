// The weather page in a real browser (Qt WebEngine) on the X server, with a
// stand-in for the public forecast service on the loopback interface: it
// shows the forecast's days from the program's today on, or says that the
// forecast cannot be had and offers to try again, also for an answer that is
// too large; and a crowd of idle connections to the service does not keep
// the page away.
#include "FakeForecast.h"
#include "UClock.h"
#include "UWeatherService.h"

#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>

namespace {

// Runs Script in the page and waits for its result.
QVariant js(QWebEnginePage* Page, const QString& Script) {
    QVariant result;
    bool done = false;
    Page->runJavaScript(Script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        qWarning("script gave no answer: %s", qPrintable(Script));
    return result;
}

QString state(QWebEnginePage* Page) {
    return js(Page, QStringLiteral("document.body ? document.body.getAttribute('data-state') : ''"))
        .toString();
}

// The day rows as the user reads them.
QStringList rows(QWebEnginePage* Page) {
    return js(Page, QStringLiteral(
                        "Array.from(document.querySelectorAll('.day'))"
                        ".map(function (r) { return r.innerText.replace(/\\s+/g, ' ').trim(); })"))
        .toStringList();
}

QString noteText(QWebEnginePage* Page) {
    return js(Page, QStringLiteral("document.querySelector('#note .msg').textContent")).toString();
}

// A port on the loopback interface that nobody listens on.
quint16 deadPort() {
    QTcpServer gone;
    if (!gone.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = gone.serverPort();
    gone.close();
    return port;
}

} // namespace

class TestWeatherPage : public QObject {
    Q_OBJECT
    TWeatherService* FService = nullptr;
    FakeForecast* FFake = nullptr;
    QWebEngineProfile* FProfile = nullptr;
    QWebEngineView* FView = nullptr;
    QDateTime FNow;

    QWebEnginePage* page() const { return FView->page(); }

    void load(const QUrl& Address) {
        QSignalSpy finished(FView, &QWebEngineView::loadFinished);
        FView->load(Address);
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), true);
    }

private slots:
    void initTestCase() {
        Clock::SetNowFunction([this] { return FNow; });
        FFake = new FakeForecast(this);
        QVERIFY(FFake->Start());
        FService = new TWeatherService(this);
        QVERIFY(FService->Start());
        FProfile = new QWebEngineProfile(this); // keeps nothing on disk
        FView = new QWebEngineView;
        FView->setPage(new QWebEnginePage(FProfile, FView));
        FView->setWindowFlag(Qt::FramelessWindowHint);
        FView->resize(222, 376);
        FView->move(40, 40);
        FView->show();
        QVERIFY(QTest::qWaitForWindowExposed(FView));
    }
    void cleanupTestCase() {
        delete FView;
        FView = nullptr;
        Clock::SetNowFunction({});
    }
    void init() {
        FNow = QDateTime(FakeForecast::Anchor(), QTime(10, 0));
        FFake->Answer = FakeForecast::Ok;
        FFake->FirstDay = FakeForecast::Anchor();
        FFake->DayCount = 4;
        TWeatherService::SetForecastApiAddress(FFake->Address());
    }

    void showsTheFakeForecast() {
        const int before = FFake->Requests;
        load(FService->PageAddress());
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("shown"), 30000);
        QCOMPARE(FFake->Requests, before + 1);
        // Beijing's coordinates, three days, Beijing time.
        const QString asked = QString::fromLatin1(FFake->LastTarget);
        QVERIFY2(asked.startsWith(QStringLiteral("/v1/forecast?latitude=39.9&longitude=116.41&")),
                 qPrintable(asked));
        // From yesterday to the day after the last one shown, so that today
        // and the days after it are there even when the service's today is
        // a day off the program's.
        QVERIFY2(asked.contains(QStringLiteral("past_days=1&forecast_days=4")), qPrintable(asked));
        QVERIFY2(asked.contains(QStringLiteral("timezone=Asia%2FShanghai")), qPrintable(asked));
        QVERIFY2(!asked.contains(QStringLiteral("fahrenheit")), qPrintable(asked));

        QCOMPARE(
            js(page(), QStringLiteral("document.getElementById('city').textContent")).toString(),
            QStringLiteral("北京"));
        QCOMPARE(rows(page()), (QStringList{
                                   QStringLiteral("12月10日 今天 周四 晴 -4°C ~ 5°C"),
                                   QStringLiteral("12月11日 明天 周五 小雨 -2°C ~ 3°C"),
                                   QStringLiteral("12月12日 后天 周六 小雪 -8°C ~ -1°C"),
                               }));
        // Each day has its picture, and everything fits the panel.
        QCOMPARE(
            js(page(), QStringLiteral("document.querySelectorAll('.day svg.icon').length")).toInt(),
            3);
        // The style sheet and the script are files of their own.
        QCOMPARE(js(page(), QStringLiteral("getComputedStyle(document.getElementById('panel'))"
                                           ".display"))
                     .toString(),
                 QStringLiteral("flex"));
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('script:not([src])"
                                           ":not([type=\"application/json\"])').length"))
                     .toInt(),
                 0);
        QCOMPARE(js(page(), QStringLiteral("document.documentElement.scrollHeight")).toInt(), 376);
        QCOMPARE(js(page(), QStringLiteral("document.documentElement.scrollWidth")).toInt(), 222);
        const QVariantList lastBottom =
            js(page(), QStringLiteral("(function(){var r=document.querySelector('.day:last-child')"
                                      ".getBoundingClientRect();return [r.bottom, r.right];})()"))
                .toList();
        QVERIFY(lastBottom.value(0).toDouble() <= 376);
        QVERIFY(lastBottom.value(1).toDouble() <= 222);
        FView->grab().save(QDir::temp().filePath(QStringLiteral("vorn-weather-page.png")));
    }

    void unitsAndDaysReachTheService() {
        const QUrl address(
            QStringLiteral("http://127.0.0.1:%1/weather/weather.aspx?cid=101280101&u=F&d=2")
                .arg(FService->Port()));
        load(address);
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("shown"), 30000);
        const QString asked = QString::fromLatin1(FFake->LastTarget);
        QVERIFY2(asked.contains(QStringLiteral("latitude=23.13&longitude=113.26")),
                 qPrintable(asked));
        QVERIFY2(asked.contains(QStringLiteral("forecast_days=3")), qPrintable(asked));
        QVERIFY2(asked.contains(QStringLiteral("temperature_unit=fahrenheit")), qPrintable(asked));
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('.day').length")).toInt(), 2);
        QVERIFY(js(page(), QStringLiteral("document.querySelector('.day').innerText"))
                    .toString()
                    .contains(QStringLiteral("°F")));
    }

    void daysPickedByDate_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("shown");
        const QDate d10 = FakeForecast::Anchor();
        const QStringList fromTenth = {
            QStringLiteral("12月10日 今天 周四 晴 -4°C ~ 5°C"),
            QStringLiteral("12月11日 明天 周五 小雨 -2°C ~ 3°C"),
            QStringLiteral("12月12日 后天 周六 小雪 -8°C ~ -1°C"),
        };
        QTest::newRow("answer starts today") << d10 << d10 << 4 << fromTenth;
        QTest::newRow("answer starts yesterday") << d10 << d10.addDays(-1) << 5 << fromTenth;
        QTest::newRow("answer starts two days back") << d10 << d10.addDays(-2) << 6 << fromTenth;
        QTest::newRow("answer ends with the last day shown")
            << d10 << d10.addDays(-1) << 4 << fromTenth;
        QTest::newRow("the program's today is the next day")
            << d10.addDays(1) << d10.addDays(-1) << 6
            << QStringList{QStringLiteral("12月11日 今天 周五 小雨 -2°C ~ 3°C"),
                           QStringLiteral("12月12日 明天 周六 小雪 -8°C ~ -1°C"),
                           QStringLiteral("12月13日 后天 周日 多云 -6°C ~ 1°C")};
        QTest::newRow("across the year's end")
            << QDate(2026, 12, 31) << QDate(2026, 12, 30) << 5
            << QStringList{QStringLiteral("12月31日 今天 周四 阴 -5°C ~ 0°C"),
                           QStringLiteral("1月1日 明天 周五 阴 -5°C ~ 0°C"),
                           QStringLiteral("1月2日 后天 周六 阴 -5°C ~ 0°C")};
    }
    void daysPickedByDate() {
        // 今天, 明天 and 后天 go by the dates in the answer against the
        // program's today, not by their places in the answer.
        QFETCH(QDate, today);
        QFETCH(QDate, first);
        QFETCH(int, count);
        QFETCH(QStringList, shown);
        FNow = QDateTime(today, QTime(0, 30));
        FFake->FirstDay = first;
        FFake->DayCount = count;
        load(FService->PageAddress());
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("shown"), 30000);
        QCOMPARE(rows(page()), shown);
        if (QTest::currentDataTag() == QByteArray("answer starts yesterday"))
            FView->grab().save(QDir::temp().filePath(QStringLiteral("vorn-weather-yesterday.png")));
    }

    void unknownCity() {
        const int before = FFake->Requests;
        load(QUrl(QStringLiteral("http://127.0.0.1:%1/weather/weather.aspx?cid=123")
                      .arg(FService->Port())));
        QCOMPARE(state(page()), QStringLiteral("unknown"));
        QVERIFY(js(page(), QStringLiteral("document.body.innerText"))
                    .toString()
                    .contains(QStringLiteral("未知的城市代码：123")));
        QTest::qWait(300);
        QCOMPARE(FFake->Requests, before); // nothing to ask for
        QVERIFY(js(page(), QStringLiteral("document.querySelector('#retry') === null")).toBool());

        // A code made of markup is shown as the text it is.
        load(QUrl(QStringLiteral("http://127.0.0.1:%1/weather/weather.aspx?cid=%3Cb%3Ex%3C%2Fb%3E")
                      .arg(FService->Port())));
        QCOMPARE(state(page()), QStringLiteral("unknown"));
        QCOMPARE(noteText(page()), QStringLiteral("未知的城市代码：<b>x</b>\n无法显示天气预报"));
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('#note b').length")).toInt(),
                 0);
    }

    void noForecast_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("api"); // the stand-in when empty
        QTest::addColumn<QDate>("first");
        const QDate d10 = FakeForecast::Anchor();
        QTest::newRow("service down") << int(FakeForecast::Ok) << QStringLiteral("dead") << d10;
        QTest::newRow("name not found")
            << int(FakeForecast::Ok) << QStringLiteral("http://forecast.invalid/v1/forecast")
            << d10;
        QTest::newRow("server error") << int(FakeForecast::ServerError) << QString() << d10;
        QTest::newRow("not a forecast") << int(FakeForecast::Garbage) << QString() << d10;
        QTest::newRow("too few days") << int(FakeForecast::ShortForecast) << QString() << d10;
        QTest::newRow("no day for today") << int(FakeForecast::Ok) << QString() << d10.addDays(-9);
        QTest::newRow("today missing") << int(FakeForecast::Ok) << QString() << d10.addDays(1);
        QTest::newRow("no answer in 10 s") << int(FakeForecast::Hang) << QString() << d10;
        QTest::newRow("larger than 1 MB, no length")
            << int(FakeForecast::Endless) << QString() << d10;
        QTest::newRow("200 MB announced") << int(FakeForecast::HugeLength) << QString() << d10;
    }
    void noForecast() {
        QFETCH(int, mode);
        QFETCH(QString, api);
        QFETCH(QDate, first);
        if (api == QLatin1String("dead"))
            TWeatherService::SetForecastApiAddress(
                QUrl(QStringLiteral("http://127.0.0.1:%1/v1/forecast").arg(deadPort())));
        else if (!api.isEmpty())
            TWeatherService::SetForecastApiAddress(QUrl(api));
        FFake->Answer = FakeForecast::Mode(mode);
        FFake->FirstDay = first;
        QElapsedTimer t;
        t.start();
        load(FService->PageAddress());
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("failed"), 40000);
        if (mode == FakeForecast::Hang)
            QVERIFY2(t.elapsed() >= 9500, "the page waits 10 s for an answer");
        QCOMPARE(noteText(page()), QStringLiteral("暂时无法获取天气数据"));
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('.day').length")).toInt(), 0);
        QCOMPARE(
            js(page(), QStringLiteral("document.getElementById('retry').textContent")).toString(),
            QStringLiteral("重试"));
        if (mode == FakeForecast::ServerError)
            FView->grab().save(QDir::temp().filePath(QStringLiteral("vorn-weather-failed.png")));
        if (mode == FakeForecast::Endless) {
            // The page stopped reading soon after the first megabyte.
            QTRY_VERIFY_WITH_TIMEOUT(FFake->EndlessClosedByClient, 10000);
            QVERIFY2(FFake->EndlessSent < 16 * 1024 * 1024,
                     qPrintable(QString::number(FFake->EndlessSent)));
        }

        // Once the forecast is there again, "重试" shows it.
        TWeatherService::SetForecastApiAddress(FFake->Address()); // for the next page only
        FFake->Answer = FakeForecast::Ok;
        FFake->FirstDay = FakeForecast::Anchor();
        if (!api.isEmpty())
            return; // this page still asks the address it was given
        js(page(), QStringLiteral("document.getElementById('retry').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("shown"), 30000);
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('.day').length")).toInt(), 3);
    }

    void forecastSize_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("state");
        QTest::newRow("a little under 1 MB")
            << TWeatherService::kMaxForecastBytes - 100 << QStringLiteral("shown");
        QTest::newRow("exactly 1 MB")
            << TWeatherService::kMaxForecastBytes << QStringLiteral("shown");
        QTest::newRow("one byte more")
            << TWeatherService::kMaxForecastBytes + 1 << QStringLiteral("failed");
    }
    void forecastSize() {
        QFETCH(int, bytes);
        QFETCH(QString, state);
        FFake->Answer = FakeForecast::Padded;
        FFake->PaddedBytes = bytes;
        load(FService->PageAddress());
        QTRY_VERIFY_WITH_TIMEOUT(::state(page()) == QLatin1String("shown") ||
                                     ::state(page()) == QLatin1String("failed"),
                                 30000);
        QCOMPARE(::state(page()), state);
    }

    void idleConnectionsDoNotKeepThePageAway() {
        // Idle clients hold every slot of the service and would keep them
        // for a minute; the page still comes at once.
        FService->SetIdleTimeout(60000);
        FService->SetRequestTimeout(60000);
        QList<QTcpSocket*> idle;
        for (int i = 0; i < TWeatherService::kMaxConnections + 4; ++i) {
            auto* s = new QTcpSocket(this);
            s->connectToHost(QHostAddress::LocalHost, FService->Port());
            QVERIFY(s->waitForConnected(5000));
            idle << s;
        }
        QTRY_COMPARE(FService->Connections(), TWeatherService::kMaxConnections);
        const int served = FService->PagesServed();
        load(FService->PageAddress());
        QCOMPARE(FService->PagesServed(), served + 1);
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("shown"), 30000);
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('.day').length")).toInt(), 3);
        qDeleteAll(idle);
        FService->SetIdleTimeout(TWeatherService::kDefaultIdleTimeoutMs);
        FService->SetRequestTimeout(TWeatherService::kDefaultRequestTimeoutMs);
    }
};

QTEST_MAIN(TestWeatherPage)
#include "tst_weatherpage.moc"

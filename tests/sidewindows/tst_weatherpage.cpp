// The weather page in a real browser (Qt WebEngine) on the X server, with a
// stand-in for the public forecast service on the loopback interface: it
// shows the forecast's days, or says that the forecast cannot be had and
// offers to try again.
#include "FakeForecast.h"
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

} // namespace

class TestWeatherPage : public QObject {
    Q_OBJECT
    TWeatherService* FService = nullptr;
    FakeForecast* FFake = nullptr;
    QWebEngineProfile* FProfile = nullptr;
    QWebEngineView* FView = nullptr;

    QWebEnginePage* page() const { return FView->page(); }

    void load(const QUrl& Address) {
        QSignalSpy finished(FView, &QWebEngineView::loadFinished);
        FView->load(Address);
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), true);
    }

private slots:
    void initTestCase() {
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
    }
    void init() {
        FFake->Answer = FakeForecast::Ok;
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
        QVERIFY2(asked.contains(QStringLiteral("forecast_days=3")), qPrintable(asked));
        QVERIFY2(asked.contains(QStringLiteral("timezone=Asia%2FShanghai")), qPrintable(asked));
        QVERIFY2(!asked.contains(QStringLiteral("fahrenheit")), qPrintable(asked));

        QCOMPARE(
            js(page(), QStringLiteral("document.getElementById('city').textContent")).toString(),
            QStringLiteral("北京"));
        const QStringList rows =
            js(page(),
               QStringLiteral(
                   "Array.from(document.querySelectorAll('.day'))"
                   ".map(function (r) { return r.innerText.replace(/\\s+/g, ' ').trim(); })"))
                .toStringList();
        QCOMPARE(rows, (QStringList{
                           QStringLiteral("12月10日 今天 周四 晴 -4°C ~ 5°C"),
                           QStringLiteral("12月11日 明天 周五 小雨 -2°C ~ 3°C"),
                           QStringLiteral("12月12日 后天 周六 小雪 -8°C ~ -1°C"),
                       }));
        // Each day has its picture, and everything fits the panel.
        QCOMPARE(
            js(page(), QStringLiteral("document.querySelectorAll('.day svg.icon').length")).toInt(),
            3);
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
        QVERIFY2(asked.contains(QStringLiteral("forecast_days=2")), qPrintable(asked));
        QVERIFY2(asked.contains(QStringLiteral("temperature_unit=fahrenheit")), qPrintable(asked));
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('.day').length")).toInt(), 2);
        QVERIFY(js(page(), QStringLiteral("document.querySelector('.day').innerText"))
                    .toString()
                    .contains(QStringLiteral("°F")));
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
    }

    void noForecast_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("service down") << -1;
        QTest::newRow("server error") << int(FakeForecast::ServerError);
        QTest::newRow("not a forecast") << int(FakeForecast::Garbage);
        QTest::newRow("too few days") << int(FakeForecast::ShortForecast);
        QTest::newRow("no answer in 10 s") << int(FakeForecast::Hang);
    }
    void noForecast() {
        QFETCH(int, mode);
        if (mode < 0) {
            // A port nobody listens on.
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost, 0));
            const quint16 port = gone.serverPort();
            gone.close();
            TWeatherService::SetForecastApiAddress(
                QUrl(QStringLiteral("http://127.0.0.1:%1/v1/forecast").arg(port)));
        } else {
            FFake->Answer = FakeForecast::Mode(mode);
        }
        QElapsedTimer t;
        t.start();
        load(FService->PageAddress());
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("failed"), 40000);
        if (mode == FakeForecast::Hang)
            QVERIFY2(t.elapsed() >= 9500, "the page waits 10 s for an answer");
        QCOMPARE(js(page(), QStringLiteral("document.querySelector('#note .msg').textContent"))
                     .toString(),
                 QStringLiteral("暂时无法获取天气数据"));
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('.day').length")).toInt(), 0);
        QCOMPARE(
            js(page(), QStringLiteral("document.getElementById('retry').textContent")).toString(),
            QStringLiteral("重试"));
        if (mode == FakeForecast::ServerError)
            FView->grab().save(QDir::temp().filePath(QStringLiteral("vorn-weather-failed.png")));

        // Once the forecast is there again, "重试" shows it.
        TWeatherService::SetForecastApiAddress(FFake->Address()); // for the next page only
        FFake->Answer = FakeForecast::Ok;
        if (mode < 0)
            return; // this page still asks the dead address
        js(page(), QStringLiteral("document.getElementById('retry').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(state(page()), QStringLiteral("shown"), 30000);
        QCOMPARE(js(page(), QStringLiteral("document.querySelectorAll('.day').length")).toInt(), 3);
    }
};

QTEST_MAIN(TestWeatherPage)
#include "tst_weatherpage.moc"

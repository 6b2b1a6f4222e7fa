// The weather widget service over real loopback connections: the page for the
// panel's address with its style sheet and script, the status codes, the
// limits on size and time, and that no request, and no crowd of idle
// connections, can stop it from serving.
#include "UClock.h"
#include "UWeatherService.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

struct Reply {
    int Status = 0;
    QByteArray Head;
    QByteArray Body;
    bool Closed = false;
};

// Sends Request on a fresh connection and collects everything until the
// server closes the connection.
Reply exchange(quint16 Port, const QByteArray& Request, int TimeoutMs = 5000) {
    Reply r;
    QTcpSocket c;
    QByteArray got;
    QObject::connect(&c, &QTcpSocket::readyRead, [&] { got += c.readAll(); });
    c.connectToHost(QHostAddress::LocalHost, Port);
    if (!QTest::qWaitFor([&] { return c.state() == QAbstractSocket::ConnectedState; }, TimeoutMs))
        return r;
    c.write(Request);
    r.Closed =
        QTest::qWaitFor([&] { return c.state() == QAbstractSocket::UnconnectedState; }, TimeoutMs);
    got += c.readAll();
    const qsizetype end = got.indexOf("\r\n\r\n");
    r.Head = end < 0 ? got : got.left(end);
    r.Body = end < 0 ? QByteArray() : got.mid(end + 4);
    static const QRegularExpression status(QStringLiteral("^HTTP/1\\.1 (\\d{3}) "));
    const auto m = status.match(QString::fromLatin1(r.Head));
    r.Status = m.hasMatch() ? m.captured(1).toInt() : 0;
    return r;
}

QByteArray get(const QByteArray& Target, quint16 Port) {
    return "GET " + Target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(Port) +
           "\r\nUser-Agent: test\r\n\r\n";
}

QByteArray pageTarget(const QByteArray& Query) {
    return QByteArray(kWeatherPagePath) + '?' + Query;
}

} // namespace

class TestWeatherService : public QObject {
    Q_OBJECT
    TWeatherService* FService = nullptr;
    quint16 FPort = 0;

    void expectStillServing() {
        const Reply r = exchange(FPort, get(pageTarget(kWeatherPageQuery), FPort));
        QCOMPARE(r.Status, 200);
        QVERIFY(r.Body.contains("北京"));
    }

private slots:
    void init() {
        Clock::SetNowFunction([] { return QDateTime(QDate(2026, 12, 10), QTime(10, 0)); });
        FService = new TWeatherService;
        QVERIFY(FService->Start());
        FPort = FService->Port();
        QVERIFY(FPort != 0);
    }
    void cleanup() {
        delete FService;
        FService = nullptr;
        Clock::SetNowFunction({});
    }

    void pageAddress() {
        QCOMPARE(FService->PageAddress().toString(QUrl::FullyEncoded),
                 QStringLiteral("http://127.0.0.1:%1/weather/weather.aspx?uid=&cid=101010100&l=zh-"
                                "CHS&p=CMA&a=1&u=C&s=11&m=0&x=1&d=3&fc=&bgc=&bc=&ti=1&in=1&li=2&ct="
                                "iframe")
                     .arg(FPort));
    }

    void listensOnLoopbackOnly() {
        // Bound to the loopback address, not to every interface.
        QTcpServer* server = FService->findChild<QTcpServer*>();
        QVERIFY(server);
        QCOMPARE(server->serverAddress(), QHostAddress(QHostAddress::LocalHost));
    }

    void page_data() {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("the panel's query")
            << QByteArray(kWeatherPageQuery)
            << QStringList{"\"mode\":\"forecast\"",
                           "\"title\":\"北京\"",
                           "\"subtitle\":\"未来3天天气预报\"",
                           "\"cid\":\"101010100\"",
                           "\"days\":3",
                           "\"unit\":\"C\"",
                           "\"latitude\":39.9",
                           "\"longitude\":116.41",
                           "\"today\":\"2026-12-10\"",
                           "\"timeoutMs\":10000",
                           "\"maxBytes\":1048576",
                           "\"api\":\"https://api.open-meteo.com/v1/forecast\"",
                           "width=222, height=376",
                           "<link rel=\"stylesheet\" href=\"weather.css\">",
                           "<script src=\"weather.js\"></script>"}
            << QStringList{"未知的城市代码", "@WEATHER_CONFIG@"};
        QTest::newRow("Shanghai in Fahrenheit")
            << QByteArray("cid=101020100&u=F&d=3")
            << QStringList{"\"title\":\"上海\"", "\"unit\":\"F\""} << QStringList{"北京"};
        QTest::newRow("five days")
            << QByteArray("cid=101280101&d=5")
            << QStringList{"广州", "\"days\":5", "未来5天天气预报"} << QStringList{};
        QTest::newRow("days not a number")
            << QByteArray("cid=101280101&d=abc") << QStringList{"\"days\":3"} << QStringList{};
        QTest::newRow("days too many") << QByteArray("cid=101280101&d=99999999999")
                                       << QStringList{"\"days\":3"} << QStringList{};
        QTest::newRow("days clamped")
            << QByteArray("cid=101280101&d=40") << QStringList{"\"days\":7"} << QStringList{};
        QTest::newRow("first cid wins") << QByteArray("cid=101270101&cid=101010100")
                                        << QStringList{"成都"} << QStringList{"北京"};
        // Nothing to ask for: the page only says why.
        QTest::newRow("unknown cid")
            << QByteArray("uid=&cid=999999999&l=zh-CHS&d=3")
            << QStringList{"\"mode\":\"note\"", "未知的城市代码：999999999\\n无法显示天气预报",
                           "\"subtitle\":\"城市代码有误\""}
            << QStringList{"\"mode\":\"forecast\"", "\"api\""};
        QTest::newRow("no cid") << QByteArray("l=zh-CHS&d=3") << QStringList{"未指定城市代码"}
                                << QStringList{"\"mode\":\"forecast\""};
        // The configuration cannot end its element or start markup.
        QTest::newRow("markup in cid is escaped")
            << QByteArray("cid=%3C%2Fscript%3E%3Cb%3Ex%26")
            << QStringList{"未知的城市代码：\\u003c/script\\u003e\\u003cb\\u003ex\\u0026"}
            << QStringList{"<b>x", "</script><b>"};
        QTest::newRow("long cid is shortened")
            << QByteArray("cid=" + QByteArray(1500, '7'))
            << QStringList{"未知的城市代码：" + QString(20, '7') + "…"}
            << QStringList{QString(21, '7')};
    }
    void page() {
        QFETCH(QByteArray, query);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, absent);
        const Reply r = exchange(FPort, get(pageTarget(query), FPort));
        QCOMPARE(r.Status, 200);
        QVERIFY(r.Closed);
        QVERIFY(r.Head.contains("\r\nContent-Type: text/html; charset=utf-8"));
        QVERIFY(r.Head.contains("\r\nContent-Length: " + QByteArray::number(r.Body.size())));
        const QString body = QString::fromUtf8(r.Body);
        for (const QString& s : shown)
            QVERIFY2(body.contains(s), qPrintable(s));
        for (const QString& s : absent)
            QVERIFY2(!body.contains(s), qPrintable(s));
        // No script of the page is inline: one file, and the configuration
        // as data.
        QCOMPARE(body.count(QStringLiteral("<script")), 2);
        QCOMPARE(body.count(QStringLiteral("<script src=\"weather.js\">")), 1);
        QCOMPARE(body.count(QStringLiteral("<script id=\"config\" type=\"application/json\">")), 1);
    }

    void todayFromTheProgramsClock() {
        Clock::SetNowFunction([] { return QDateTime(QDate(2027, 1, 31), QTime(23, 59, 59)); });
        QVERIFY(exchange(FPort, get(pageTarget(kWeatherPageQuery), FPort))
                    .Body.contains("\"today\":\"2027-01-31\""));
        Clock::SetNowFunction([] { return QDateTime(QDate(2027, 2, 1), QTime(0, 0)); });
        QVERIFY(exchange(FPort, get(pageTarget(kWeatherPageQuery), FPort))
                    .Body.contains("\"today\":\"2027-02-01\""));
    }

    void pageFiles_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("style sheet")
            << QByteArray("/weather/weather.css") << QByteArray("text/css; charset=utf-8")
            << QStringList{"#panel", ".day", "#note button"};
        QTest::newRow("script")
            << QByteArray("/weather/weather.js") << QByteArray("text/javascript; charset=utf-8")
            << QStringList{
                   "暂时无法获取天气数据", "重试", "今天", "明天", "后天", "maxBytes", "C.today"};
    }
    void pageFiles() {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, type);
        QFETCH(QStringList, shown);
        const Reply r = exchange(FPort, get(path, FPort));
        QCOMPARE(r.Status, 200);
        QVERIFY(r.Head.contains("\r\nContent-Type: " + type + "\r\n"));
        QVERIFY(r.Head.contains("\r\nX-Content-Type-Options: nosniff"));
        const QString body = QString::fromUtf8(r.Body);
        for (const QString& s : shown)
            QVERIFY2(body.contains(s), qPrintable(s));
        // They are files of their own, not parts of the page.
        QCOMPARE(FService->PagesServed(), 0);
    }

    void pageCountsAndPolicy() {
        QSignalSpy served(FService, &TWeatherService::PageServed);
        const Reply r = exchange(FPort, get(pageTarget(kWeatherPageQuery), FPort));
        QCOMPARE(r.Status, 200);
        QCOMPARE(served.count(), 1);
        QCOMPARE(FService->PagesServed(), 1);
        // The page may talk to the forecast service and nothing else, and
        // runs no inline script or style.
        QVERIFY(r.Head.contains("Content-Security-Policy: default-src 'none'"));
        QVERIFY(r.Head.contains("script-src 'self';"));
        QVERIFY(r.Head.contains("style-src 'self';"));
        QVERIFY(!r.Head.contains("unsafe-inline"));
        QVERIFY((r.Head + "\r\n").contains("connect-src https://api.open-meteo.com\r\n"));
        QVERIFY(r.Head.contains("Cache-Control: no-store"));
        exchange(FPort, get("/nothing", FPort));
        QCOMPARE(FService->PagesServed(), 1);
    }

    void head() {
        const QByteArray request = "HEAD " + pageTarget(kWeatherPageQuery) +
                                   " HTTP/1.1\r\nHost: localhost:" + QByteArray::number(FPort) +
                                   "\r\n\r\n";
        const Reply r = exchange(FPort, request);
        QCOMPARE(r.Status, 200);
        QVERIFY(r.Body.isEmpty());
        QVERIFY(!r.Head.contains("Content-Length: 0\r\n"));
    }

    void status_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        const QByteArray host = "Host: 127.0.0.1:{P}\r\n";
        auto g = [&](const QByteArray& target) {
            return "GET " + target + " HTTP/1.1\r\n" + host + "\r\n";
        };
        QTest::newRow("root") << g("/") << 404;
        QTest::newRow("favicon") << g("/favicon.ico") << 404;
        QTest::newRow("folder") << g("/weather/") << 404;
        QTest::newRow("trailing slash") << g("/weather/weather.aspx/") << 404;
        QTest::newRow("other case") << g("/WEATHER/WEATHER.ASPX?cid=101010100") << 404;
        QTest::newRow("dot segments") << g("/weather/../weather/weather.aspx") << 404;
        QTest::newRow("file path") << g("/../../etc/passwd") << 404;
        QTest::newRow("encoded path") << g("/weather/weather%2Easpx") << 404;
        QTest::newRow("encoded nul") << g("/weather/weather.aspx%00") << 404;
        QTest::newRow("page") << g("/weather/weather.aspx?cid=101010100") << 200;
        QTest::newRow("page without query") << g("/weather/weather.aspx") << 200;
        QTest::newRow("style sheet") << g("/weather/weather.css") << 200;
        QTest::newRow("script") << g("/weather/weather.js?x=1") << 200;
        QTest::newRow("script elsewhere") << g("/weather.js") << 404;
        QTest::newRow("frame") << g("/weather/weather.html") << 404;
        QTest::newRow("panel's script") << g("/weather/bodychanges.js") << 404;
        QTest::newRow("POST script") << "POST /weather/weather.js HTTP/1.1\r\n" + host + "\r\n"
                                     << 405;
        QTest::newRow("bare LF") << QByteArray("GET /weather/weather.aspx HTTP/1.1\nHost: "
                                               "127.0.0.1:{P}\n\n")
                                 << 200;
        QTest::newRow("HTTP/1.0 without Host")
            << QByteArray("GET /weather/weather.aspx HTTP/1.0\r\n\r\n") << 200;
        QTest::newRow("POST") << "POST /weather/weather.aspx HTTP/1.1\r\n" + host + "\r\n" << 405;
        QTest::newRow("lower-case method")
            << "get /weather/weather.aspx HTTP/1.1\r\n" + host + "\r\n"
            << 405;
        QTest::newRow("garbage") << QByteArray("GARBAGE\r\n\r\n") << 400;
        QTest::newRow("method only") << QByteArray("GET\r\n\r\n") << 400;
        QTest::newRow("no version") << QByteArray("GET /weather/weather.aspx\r\n\r\n") << 400;
        QTest::newRow("two spaces") << "GET  /weather/weather.aspx HTTP/1.1\r\n" + host + "\r\n"
                                    << 400;
        QTest::newRow("no Host") << QByteArray("GET /weather/weather.aspx HTTP/1.1\r\n\r\n") << 400;
        QTest::newRow("two Hosts")
            << "GET /weather/weather.aspx HTTP/1.1\r\n" + host + host + "\r\n"
            << 400;
        QTest::newRow("foreign Host")
            << QByteArray("GET /weather/weather.aspx HTTP/1.1\r\nHost: weather.example\r\n\r\n")
            << 400;
        QTest::newRow("absolute target")
            << "GET http://127.0.0.1:{P}/weather/weather.aspx HTTP/1.1\r\n" + host + "\r\n"
            << 400;
        QTest::newRow("asterisk") << "OPTIONS * HTTP/1.1\r\n" + host + "\r\n" << 400;
        QTest::newRow("header without colon")
            << "GET /weather/weather.aspx HTTP/1.1\r\n" + host + "Broken header\r\n\r\n"
            << 400;
        QTest::newRow("folded header")
            << "GET /weather/weather.aspx HTTP/1.1\r\n" + host + "X-A: 1\r\n  continued\r\n\r\n"
            << 400;
        QTest::newRow("control in header")
            << "GET /weather/weather.aspx HTTP/1.1\r\n" + host + "X-A: a\x01b\r\n\r\n"
            << 400;
        QTest::newRow("nul in target") << QByteArray("GET /weather/weather.aspx?cid=1") + char(0) +
                                              " HTTP/1.1\r\n" + host + "\r\n"
                                       << 400;
        QTest::newRow("raw UTF-8 in target")
            << "GET /weather/weather.aspx?cid=北京 HTTP/1.1\r\n" + host + "\r\n"
            << 400;
        QTest::newRow("fragment") << g("/weather/weather.aspx?cid=101010100#x") << 400;
        QTest::newRow("bad version") << "GET /weather/weather.aspx HTTP/x.y\r\n" + host + "\r\n"
                                     << 400;
        QTest::newRow("HTTP/2") << "GET /weather/weather.aspx HTTP/2.0\r\n" + host + "\r\n" << 505;
    }
    void status() {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        request.replace("{P}", QByteArray::number(FPort));
        const Reply r = exchange(FPort, request);
        QCOMPARE(r.Status, status);
        QVERIFY2(r.Closed, "the server closes the connection after its answer");
        if (status == 405)
            QVERIFY(r.Head.contains("\r\nAllow: GET, HEAD"));
        if (status != 200)
            QVERIFY(!r.Body.contains("<html"));
    }

    void oversized_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        const QByteArray host = "Host: 127.0.0.1:{P}\r\n";
        QTest::newRow("long request line")
            << "GET /weather/weather.aspx?cid=" + QByteArray(4000, '1') + " HTTP/1.1\r\n" + host +
                   "\r\n"
            << 414;
        QByteArray headers;
        for (int i = 0; i < 200; ++i)
            headers += "X-Filler-" + QByteArray::number(i) + ": " + QByteArray(60, 'x') + "\r\n";
        QTest::newRow("many headers")
            << "GET /weather/weather.aspx HTTP/1.1\r\n" + host + headers + "\r\n"
            << 431;
        QTest::newRow("endless line") << QByteArray(1024 * 1024, 'A') << 414;
        QTest::newRow("endless headers")
            << "GET /weather/weather.aspx HTTP/1.1\r\n" + host + QByteArray(1024 * 1024, 'B')
            << 431;
    }
    void oversized() {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        request.replace("{P}", QByteArray::number(FPort));
        QElapsedTimer t;
        t.start();
        const Reply r = exchange(FPort, request, 8000);
        QCOMPARE(r.Status, status);
        QVERIFY(r.Closed);
        // Answered at once, not after the request deadline.
        QVERIFY2(t.elapsed() < TWeatherService::kDefaultRequestTimeoutMs, "answered early");
        expectStillServing();
    }

    void slowClient_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("status");
        QTest::newRow("half a request") << QByteArray("GET /weather/weath") << 408;
        QTest::newRow("head never ends")
            << QByteArray("GET /weather/weather.aspx HTTP/1.1\r\n") << 408;
        QTest::newRow("says nothing") << QByteArray() << 0;
    }
    void slowClient() {
        QFETCH(QByteArray, sent);
        QFETCH(int, status);
        FService->SetRequestTimeout(400);
        QElapsedTimer t;
        t.start();
        const Reply r = exchange(FPort, sent, 8000);
        QVERIFY2(r.Closed, "a stalled client is dropped");
        QCOMPARE(r.Status, status);
        QVERIFY(t.elapsed() >= 350); // timers may fire a little early
        FService->SetRequestTimeout(TWeatherService::kDefaultRequestTimeoutMs);
        expectStillServing();
    }

    void silentClientsHaveLessTime() {
        // A client that sends nothing goes after the idle limit; one that has
        // begun its request keeps the request's whole time.
        FService->SetIdleTimeout(300);
        FService->SetRequestTimeout(2500);
        QElapsedTimer t;
        t.start();
        Reply r = exchange(FPort, QByteArray(), 8000);
        QVERIFY(r.Closed);
        QCOMPARE(r.Status, 0);
        QVERIFY2(t.elapsed() >= 250 && t.elapsed() < 2000,
                 qPrintable(QString::number(t.elapsed())));
        t.restart();
        r = exchange(FPort, "GET /weather/weath", 8000);
        QVERIFY(r.Closed);
        QCOMPARE(r.Status, 408);
        QVERIFY2(t.elapsed() >= 2400, qPrintable(QString::number(t.elapsed())));
        expectStillServing();
    }

    void idleConnectionsGiveWay_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("connected, silent") << QByteArray();
        QTest::newRow("half a request each") << QByteArray("GET /weather/weath");
    }
    void idleConnectionsGiveWay() {
        // Idle clients take every slot and would keep them for a minute; a
        // new client is still answered at once, in the slot of the oldest.
        QFETCH(QByteArray, sent);
        FService->SetIdleTimeout(60000);
        FService->SetRequestTimeout(60000);
        QList<QTcpSocket*> idle;
        for (int i = 0; i < TWeatherService::kMaxConnections; ++i) {
            auto* s = new QTcpSocket(this);
            s->connectToHost(QHostAddress::LocalHost, FPort);
            QVERIFY(s->waitForConnected(5000));
            if (!sent.isEmpty())
                s->write(sent);
            QTRY_COMPARE(FService->Connections(), i + 1);
            idle << s;
        }
        QTest::qWait(100);
        QCOMPARE(FService->Connections(), TWeatherService::kMaxConnections);

        const Reply r = exchange(FPort, get(pageTarget(kWeatherPageQuery), FPort), 3000);
        QCOMPARE(r.Status, 200);
        QVERIFY(r.Body.contains("北京"));
        // The oldest idle client made room; the others are still connected.
        QTRY_COMPARE(idle.first()->state(), QAbstractSocket::UnconnectedState);
        for (int i = 1; i < idle.size(); ++i)
            QCOMPARE(idle[i]->state(), QAbstractSocket::ConnectedState);
        QVERIFY(FService->Connections() <= TWeatherService::kMaxConnections);
        qDeleteAll(idle);
    }

    void connectionsAreBounded() {
        FService->SetRequestTimeout(60000);
        QList<QTcpSocket*> idle;
        for (int i = 0; i < TWeatherService::kMaxConnections + 8; ++i) {
            auto* s = new QTcpSocket(this);
            s->connectToHost(QHostAddress::LocalHost, FPort);
            idle << s;
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::count_if(idle.begin(), idle.end(),
                                               [](QTcpSocket* s) {
                                                   return s->state() ==
                                                          QAbstractSocket::UnconnectedState;
                                               }) >= 8,
                                 8000);
        QVERIFY(FService->findChildren<QTcpSocket*>().size() <= TWeatherService::kMaxConnections);
        qDeleteAll(idle);
        QTRY_VERIFY_WITH_TIMEOUT(FService->findChildren<QTcpSocket*>().isEmpty(), 8000);
        expectStillServing();
    }

    void randomBytes() {
        // Whatever arrives, the server answers with an error or closes, and
        // keeps serving. Seeded, so a failure can be repeated.
        FService->SetRequestTimeout(150);
        QRandomGenerator random(20261210);
        const QByteArray pieces[] = {"GET ",
                                     "/weather/weather.aspx",
                                     "?cid=101010100",
                                     " HTTP/1.1",
                                     "\r\n",
                                     "Host: 127.0.0.1",
                                     ":",
                                     "\n",
                                     " ",
                                     "%",
                                     QByteArray(1, '\0'),
                                     "\r\n\r\n"};
        for (int round = 0; round < 120; ++round) {
            QByteArray request;
            const int n = random.bounded(1, 12);
            for (int i = 0; i < n; ++i) {
                if (random.bounded(3) == 0) {
                    QByteArray noise(random.bounded(1, 64), Qt::Uninitialized);
                    for (char& c : noise)
                        c = char(random.bounded(256));
                    request += noise;
                } else {
                    request += pieces[random.bounded(int(std::size(pieces)))];
                }
            }
            const Reply r = exchange(FPort, request, 4000);
            QVERIFY2(r.Closed, request.toPercentEncoding().constData());
            QVERIFY2(r.Status == 0 || (r.Status >= 200 && r.Status < 600),
                     request.toPercentEncoding().constData());
        }
        FService->SetRequestTimeout(TWeatherService::kDefaultRequestTimeoutMs);
        expectStillServing();
    }

    void cityTable() {
        // Every municipality and provincial capital, plus the two SARs.
        const QStringList required = {
            "北京", "上海", "天津", "重庆",     "哈尔滨", "长春", "沈阳", "呼和浩特", "石家庄",
            "太原", "西安", "济南", "乌鲁木齐", "拉萨",   "西宁", "兰州", "银川",     "郑州",
            "南京", "武汉", "杭州", "合肥",     "福州",   "南昌", "长沙", "贵阳",     "成都",
            "广州", "昆明", "南宁", "海口",     "台北",   "香港", "澳门"};
        QSet<QString> names, codes;
        for (const TWeatherCity& c : WeatherCities()) {
            const QString code = QLatin1String(c.Code);
            QVERIFY2(QRegularExpression(QStringLiteral("^101\\d{6}$")).match(code).hasMatch(),
                     c.Code);
            QVERIFY2(!codes.contains(code), c.Code);
            codes << code;
            names << QString::fromUtf8(c.Name);
            // Inside China's extent.
            QVERIFY2(c.Latitude > 18 && c.Latitude < 54, c.Code);
            QVERIFY2(c.Longitude > 73 && c.Longitude < 135, c.Code);
        }
        for (const QString& name : required)
            QVERIFY2(names.contains(name), qPrintable(name));
        QCOMPARE(QString::fromUtf8(FindWeatherCity(QStringLiteral("101010100"))->Name),
                 QStringLiteral("北京"));
        QVERIFY(!FindWeatherCity(QStringLiteral("10101010")));
    }

    void forecastAddressIsConfigurable() {
        const QUrl fake(QStringLiteral("http://127.0.0.1:9/v1/forecast"));
        TWeatherService::SetForecastApiAddress(fake);
        const Reply r = exchange(FPort, get(pageTarget(kWeatherPageQuery), FPort));
        TWeatherService::SetForecastApiAddress(QUrl(QString::fromLatin1(kForecastApiAddress)));
        QVERIFY(r.Body.contains("\"api\":\"http://127.0.0.1:9/v1/forecast\""));
        QVERIFY((r.Head + "\r\n").contains("connect-src http://127.0.0.1:9\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestWeatherService)
#include "tst_weatherservice.moc"

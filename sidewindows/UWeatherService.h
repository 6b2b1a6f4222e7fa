// The weather widget service: a small HTTP/1.1 server of the program's own,
// listening on the loopback interface only, that answers the weather panel's
// page address with a forecast page. The page itself fetches the forecast
// from a public forecast service, so only the embedded page reaches the
// network; the server never does.
//
// The server reads nothing from disk: the page's frame, style sheet and
// script are resources compiled into the panel's library (weatherpage.qrc),
// and the one thing made per request is the page's configuration, from the
// request's query, the compiled-in city table and today's date. Requests are
// bounded in size and time, answered once and the connection closed. Idle
// connections never lock the panel out: when every slot is taken, a new
// connection takes the slot of the oldest one that has not sent a request.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

class QJsonObject;
class QTcpServer;
class QTcpSocket;
class QTimer;

// The public forecast service the page asks (Open-Meteo's forecast API; no
// key needed). The one place the address is written.
inline constexpr char kForecastApiAddress[] = "https://api.open-meteo.com/v1/forecast";

// The path and the fixed query of the weather widget page.
inline constexpr char kWeatherPagePath[] = "/weather/weather.aspx";
inline constexpr char kWeatherPageQuery[] =
    "uid=&cid=101010100&l=zh-CHS&p=CMA&a=1&u=C&s=11&m=0&x=1&d=3&fc=&bgc=&bc=&ti=1&in=1&li=2&"
    "ct=iframe";

// One city of the China Meteorological Administration's city code table.
struct TWeatherCity {
    const char* Code; // nine digits, e.g. "101010100"
    const char* Name; // UTF-8, e.g. "北京"
    double Latitude;  // degrees north
    double Longitude; // degrees east
};

// The compiled-in city table; every provincial capital, the municipalities,
// the special administrative regions and some large cities.
const std::vector<TWeatherCity>& WeatherCities();
// The city with the given code, or nullopt.
std::optional<TWeatherCity> FindWeatherCity(const QString& Code);

class TWeatherService : public QObject {
    Q_OBJECT
public:
    // Limits of one request.
    static constexpr int kMaxRequestHeadBytes = 8 * 1024;
    static constexpr int kMaxRequestLineBytes = 2 * 1024;
    static constexpr int kDefaultRequestTimeoutMs = 10000;
    // A connection that has sent nothing at all is given less time: a
    // browser sends its request as soon as it is connected.
    static constexpr int kDefaultIdleTimeoutMs = 3000;
    static constexpr int kMaxConnections = 16;
    // The most of a forecast answer the page reads; a longer one is refused.
    static constexpr int kMaxForecastBytes = 1024 * 1024;
    // How long the page waits for the forecast.
    static constexpr int kForecastTimeoutMs = 10000;

    explicit TWeatherService(QObject* Parent = nullptr);
    ~TWeatherService() override;

    // Starts listening on 127.0.0.1 on a free port. True when listening
    // (also when it already was).
    bool Start();
    // Stops listening and drops every connection; Start listens again (on
    // another port).
    void Stop();
    bool IsListening() const;
    quint16 Port() const;

    // "http://127.0.0.1:PORT/weather/weather.aspx?" + the fixed query.
    QUrl PageAddress() const;

    // How long a client may take from connecting until its answer is sent
    // and read; a client still busy then is dropped.
    void SetRequestTimeout(int Milliseconds) { FRequestTimeoutMs = Milliseconds; }
    // How long a client may stay connected without sending a byte.
    void SetIdleTimeout(int Milliseconds) { FIdleTimeoutMs = Milliseconds; }
    // The connections open now.
    int Connections() const { return int(FConnections.size()); }

    // The forecast service every page is told to ask; starts as
    // kForecastApiAddress. Tests point it at a fake on the loopback interface.
    static QUrl ForecastApiAddress();
    static void SetForecastApiAddress(const QUrl& Address);

    // The number of weather pages served so far (status 200 for the page path).
    int PagesServed() const { return FPagesServed; }

    // The answer (status line, headers and body) to one complete request
    // head, as the server would send it. Public for tests.
    struct TResponse {
        int Status = 200;
        QByteArray ContentType;
        QByteArray Body;
        QByteArray ExtraHeaders; // each line ends with "\r\n"
        bool HeadOnly = false;
        bool IsPage = false; // the weather page itself, not its style sheet or script
    };
    TResponse Answer(const QByteArray& Head) const;
    static QByteArray Serialize(const TResponse& Response);

    // The page for a query string (the part after '?', still percent-encoded)
    // on the day Today: the frame with the configuration its script reads.
    static QByteArray WeatherPage(const QByteArray& Query, const QUrl& ForecastApi,
                                  const QDate& Today);
    // The page's frame with Config as the configuration its script reads;
    // weather.css and weather.js are beside it.
    static QByteArray PageHtml(const QJsonObject& Config);
    // One of the page's resource files ("weather.html", "weather.css",
    // "weather.js", "bodychanges.js").
    static QByteArray PageResource(const QString& Name);
    // The address of the page's resource files inside the program.
    static QUrl PageResourceBase();

signals:
    // A weather page was sent (for the panel's tests and diagnostics).
    void PageServed();

private:
    struct TConnection {
        QTcpSocket* Socket = nullptr;
        QTimer* Deadline = nullptr;
        QElapsedTimer Since; // connected
        quint64 Order = 0;   // in the order of connecting
        QByteArray Buffer;
        bool Received = false; // any byte yet
        bool Answered = false;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* Socket);
    void respond(TConnection& Connection, const TResponse& Response);
    void drop(QTcpSocket* Socket);
    // Drops the connection that can best give up its slot: the oldest one
    // that has sent nothing, else the oldest unanswered one, else the oldest.
    void evictOne();

    QTcpServer* FServer = nullptr;
    QHash<QTcpSocket*, TConnection> FConnections;
    int FRequestTimeoutMs = kDefaultRequestTimeoutMs;
    int FIdleTimeoutMs = kDefaultIdleTimeoutMs;
    int FPagesServed = 0;
    quint64 FConnectionsAccepted = 0;
};

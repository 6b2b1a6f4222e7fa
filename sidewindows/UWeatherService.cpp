#include "UWeatherService.h"

#include "UClock.h"

#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

#include <algorithm>
#include <cctype>

namespace {

// The city codes are those of the China Meteorological Administration;
// the coordinates are the city centres, good enough for a city forecast.
const std::vector<TWeatherCity> kCities = {
    // Municipalities
    {"101010100", "北京", 39.90, 116.41},
    {"101020100", "上海", 31.23, 121.47},
    {"101030100", "天津", 39.13, 117.20},
    {"101040100", "重庆", 29.56, 106.55},
    // Provincial and regional capitals
    {"101050101", "哈尔滨", 45.80, 126.53},
    {"101060101", "长春", 43.82, 125.32},
    {"101070101", "沈阳", 41.80, 123.43},
    {"101080101", "呼和浩特", 40.84, 111.75},
    {"101090101", "石家庄", 38.04, 114.51},
    {"101100101", "太原", 37.87, 112.55},
    {"101110101", "西安", 34.34, 108.94},
    {"101120101", "济南", 36.65, 117.12},
    {"101130101", "乌鲁木齐", 43.83, 87.62},
    {"101140101", "拉萨", 29.65, 91.14},
    {"101150101", "西宁", 36.62, 101.78},
    {"101160101", "兰州", 36.06, 103.83},
    {"101170101", "银川", 38.49, 106.23},
    {"101180101", "郑州", 34.75, 113.63},
    {"101190101", "南京", 32.06, 118.80},
    {"101200101", "武汉", 30.59, 114.31},
    {"101210101", "杭州", 30.27, 120.16},
    {"101220101", "合肥", 31.82, 117.23},
    {"101230101", "福州", 26.07, 119.30},
    {"101240101", "南昌", 28.68, 115.86},
    {"101250101", "长沙", 28.23, 112.94},
    {"101260101", "贵阳", 26.65, 106.63},
    {"101270101", "成都", 30.57, 104.07},
    {"101280101", "广州", 23.13, 113.26},
    {"101290101", "昆明", 25.04, 102.71},
    {"101300101", "南宁", 22.82, 108.37},
    {"101310101", "海口", 20.04, 110.20},
    {"101340101", "台北", 25.03, 121.57},
    // Special administrative regions
    {"101320101", "香港", 22.32, 114.17},
    {"101330101", "澳门", 22.20, 113.54},
    // Other large cities
    {"101070201", "大连", 38.91, 121.61},
    {"101120201", "青岛", 36.07, 120.38},
    {"101190401", "苏州", 31.30, 120.59},
    {"101210401", "宁波", 29.87, 121.55},
    {"101230201", "厦门", 24.48, 118.09},
    {"101280601", "深圳", 22.54, 114.06},
    {"101310201", "三亚", 18.25, 109.51},
};

QUrl& forecastApi() {
    static QUrl address(QString::fromLatin1(kForecastApiAddress));
    return address;
}

QByteArray reasonPhrase(int Status) {
    switch (Status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Error";
    }
}

TWeatherService::TResponse plainError(int Status) {
    TWeatherService::TResponse r;
    r.Status = Status;
    r.ContentType = "text/plain; charset=utf-8";
    r.Body = QByteArray::number(Status) + ' ' + reasonPhrase(Status) + '\n';
    return r;
}

bool isTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView s) {
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (!isTokenChar(c))
            return false;
    return true;
}

// Visible ASCII only: no spaces, controls or bytes above 0x7E.
bool isVisibleAscii(QByteArrayView s) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x21 || u > 0x7E)
            return false;
    }
    return true;
}

// Header values: visible ASCII, spaces and tabs (no controls).
bool isFieldValue(QByteArrayView s) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\t')
            continue;
        if (u < 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

// Splits a query into its keys and values, first occurrence of a key winning.
QHash<QString, QString> parseQuery(const QByteArray& Query) {
    QHash<QString, QString> values;
    for (const QByteArray& pair : Query.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        QByteArray key = eq < 0 ? pair : pair.left(eq);
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        key.replace('+', ' ');
        value.replace('+', ' ');
        const QString k = QString::fromUtf8(QByteArray::fromPercentEncoding(key));
        if (!values.contains(k))
            values.insert(k, QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return values;
}

// Shuts the sending side of a connection, keeping the receiving side open.
void shutdownSending(QTcpSocket* Socket) {
    const qintptr fd = Socket->socketDescriptor();
    if (fd < 0)
        return;
#ifdef Q_OS_WIN
    ::shutdown(static_cast<SOCKET>(fd), SD_SEND);
#else
    ::shutdown(static_cast<int>(fd), SHUT_WR);
#endif
}

// JSON text that is safe inside a <script> element.
QByteArray scriptJson(const QJsonObject& o) {
    QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Compact);
    json.replace("<", "\\u003c").replace(">", "\\u003e").replace("&", "\\u0026");
    return json;
}

// The marker in the page's frame that the configuration replaces.
constexpr char kConfigMarker[] = "@WEATHER_CONFIG@";

// The page's files besides the page itself, by their path on the service.
struct TAsset {
    const char* Path;
    const char* Resource;
    const char* ContentType;
};
constexpr TAsset kAssets[] = {
    {"/weather/weather.css", "weather.css", "text/css; charset=utf-8"},
    {"/weather/weather.js", "weather.js", "text/javascript; charset=utf-8"},
};

} // namespace

const std::vector<TWeatherCity>& WeatherCities() {
    return kCities;
}

std::optional<TWeatherCity> FindWeatherCity(const QString& Code) {
    for (const TWeatherCity& city : kCities)
        if (Code == QLatin1String(city.Code))
            return city;
    return std::nullopt;
}

TWeatherService::TWeatherService(QObject* Parent) : QObject(Parent) {}

TWeatherService::~TWeatherService() {
    Stop();
}

void TWeatherService::Stop() {
    for (auto it = FConnections.begin(); it != FConnections.end(); ++it) {
        it->Socket->disconnect(this);
        it->Socket->abort();
        delete it->Socket;
    }
    FConnections.clear();
    if (FServer)
        FServer->close();
}

bool TWeatherService::Start() {
    if (FServer && FServer->isListening())
        return true;
    if (!FServer) {
        FServer = new QTcpServer(this);
        FServer->setMaxPendingConnections(kMaxConnections);
        connect(FServer, &QTcpServer::newConnection, this, &TWeatherService::onNewConnection);
    }
    return FServer->listen(QHostAddress::LocalHost, 0);
}

bool TWeatherService::IsListening() const {
    return FServer && FServer->isListening();
}

quint16 TWeatherService::Port() const {
    return IsListening() ? FServer->serverPort() : 0;
}

QUrl TWeatherService::PageAddress() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2?%3")
                    .arg(Port())
                    .arg(QLatin1String(kWeatherPagePath), QLatin1String(kWeatherPageQuery)));
}

QUrl TWeatherService::ForecastApiAddress() {
    return forecastApi();
}

void TWeatherService::SetForecastApiAddress(const QUrl& Address) {
    forecastApi() = Address;
}

void TWeatherService::onNewConnection() {
    while (QTcpSocket* socket = FServer->nextPendingConnection()) {
        if (FConnections.size() >= kMaxConnections)
            evictOne();
        TConnection c;
        c.Socket = socket;
        c.Order = ++FConnectionsAccepted;
        c.Since.start();
        c.Deadline = new QTimer(socket);
        c.Deadline->setSingleShot(true);
        // Bound what Qt buffers for this client before we look at it.
        socket->setReadBufferSize(kMaxRequestHeadBytes + 1);
        connect(c.Deadline, &QTimer::timeout, this, [this, socket] {
            auto it = FConnections.find(socket);
            if (it == FConnections.end())
                return;
            if (!it->Answered && !it->Buffer.isEmpty())
                respond(*it, plainError(408));
            drop(socket);
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        c.Deadline->start(std::min(FIdleTimeoutMs, FRequestTimeoutMs));
        FConnections.insert(socket, c);
        // Data may already be waiting.
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void TWeatherService::evictOne() {
    // Rank: 0 has sent nothing, 1 has sent part of a request, 2 is answered
    // (its client may still be reading the answer).
    auto rank = [](const TConnection& c) { return c.Answered ? 2 : c.Received ? 1 : 0; };
    const TConnection* victim = nullptr;
    for (const TConnection& c : FConnections) {
        if (!victim || rank(c) < rank(*victim) ||
            (rank(c) == rank(*victim) && c.Order < victim->Order))
            victim = &c;
    }
    if (victim)
        drop(victim->Socket);
}

void TWeatherService::onReadyRead(QTcpSocket* Socket) {
    auto it = FConnections.find(Socket);
    if (it == FConnections.end())
        return;
    TConnection& c = *it;
    if (c.Answered) {
        Socket->readAll(); // ignore anything after the one request
        return;
    }
    c.Buffer += Socket->read(kMaxRequestHeadBytes + 1 - c.Buffer.size());
    if (!c.Received && !c.Buffer.isEmpty()) {
        // Past the short limit for silent clients: the rest of the request's time.
        c.Received = true;
        c.Deadline->start(std::max<qint64>(0, FRequestTimeoutMs - c.Since.elapsed()));
    }

    // The request line alone is bounded more tightly.
    qsizetype lineEnd = c.Buffer.indexOf('\n');
    if ((lineEnd < 0 && c.Buffer.size() > kMaxRequestLineBytes) || lineEnd > kMaxRequestLineBytes) {
        respond(c, plainError(414));
        return;
    }
    qsizetype headEnd = c.Buffer.indexOf("\r\n\r\n");
    qsizetype headLen = headEnd < 0 ? -1 : headEnd + 4;
    if (headEnd < 0) {
        qsizetype lf = c.Buffer.indexOf("\n\n");
        if (lf >= 0)
            headLen = lf + 2;
    }
    if (headLen < 0) {
        if (c.Buffer.size() > kMaxRequestHeadBytes)
            respond(c, plainError(431));
        return; // wait for the rest, until the deadline
    }
    if (headLen > kMaxRequestHeadBytes) {
        respond(c, plainError(431));
        return;
    }
    respond(c, Answer(c.Buffer.left(headLen)));
}

void TWeatherService::respond(TConnection& Connection, const TResponse& Response) {
    Connection.Answered = true;
    Connection.Buffer.clear();
    Connection.Socket->write(Serialize(Response));
    if (Response.IsPage && Response.Status == 200) {
        ++FPagesServed;
        emit PageServed();
    }
    // One request per connection: the answer says "Connection: close". Once
    // it is sent, only the sending side is shut, and whatever the client
    // still sends is read and dropped, so that closing never resets the
    // connection before the client has read its answer. The deadline keeps
    // running: a client that never reads or never closes is dropped all the
    // same.
    QTcpSocket* socket = Connection.Socket;
    auto finish = [socket] {
        if (socket->bytesToWrite() == 0 && socket->state() == QAbstractSocket::ConnectedState)
            shutdownSending(socket);
    };
    connect(socket, &QTcpSocket::bytesWritten, this, finish);
    socket->flush();
    finish();
}

void TWeatherService::drop(QTcpSocket* Socket) {
    auto it = FConnections.find(Socket);
    if (it == FConnections.end())
        return;
    FConnections.erase(it);
    Socket->disconnect(this);
    Socket->abort();
    Socket->deleteLater();
}

TWeatherService::TResponse TWeatherService::Answer(const QByteArray& Head) const {
    // Lines end with CRLF; a bare LF is accepted too.
    QList<QByteArray> lines = Head.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return plainError(400);

    const QList<QByteArray> parts = lines.first().split(' ');
    if (parts.size() != 3)
        return plainError(400);
    const QByteArray& method = parts[0];
    const QByteArray& target = parts[1];
    const QByteArray& version = parts[2];
    if (!isToken(method) || target.isEmpty() || !isVisibleAscii(target))
        return plainError(400);
    if (!version.startsWith("HTTP/") || version.size() != 8 || version[6] != '.' ||
        !std::isdigit(static_cast<unsigned char>(version[5])) ||
        !std::isdigit(static_cast<unsigned char>(version[7])))
        return plainError(400);
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return plainError(505);

    int hosts = 0;
    QByteArray host;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(line).first(colon)))
            return plainError(400); // also folded lines, which start with a space
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (!isFieldValue(value))
            return plainError(400);
        if (line.left(colon).compare("Host", Qt::CaseInsensitive) == 0) {
            ++hosts;
            host = value;
        }
    }
    // HTTP/1.1 needs exactly one Host; only the loopback names are ours, so a
    // page from elsewhere cannot reach the service under another name.
    if (hosts > 1 || (version == "HTTP/1.1" && hosts == 0))
        return plainError(400);
    if (hosts == 1) {
        const QByteArray port = ':' + QByteArray::number(Port());
        const QByteArray h = host.toLower();
        if (h != "127.0.0.1" + port && h != "localhost" + port && h != "127.0.0.1" &&
            h != "localhost")
            return plainError(400);
    }

    if (!target.startsWith('/'))
        return plainError(400);
    const qsizetype q = target.indexOf('?');
    const QByteArray path = q < 0 ? target : target.left(q);
    const QByteArray query = q < 0 ? QByteArray() : target.mid(q + 1);
    if (path.contains('#') || query.contains('#'))
        return plainError(400);
    const TAsset* asset = nullptr;
    for (const TAsset& a : kAssets)
        if (path == a.Path)
            asset = &a;
    if (path != kWeatherPagePath && !asset)
        return plainError(404);
    if (method != "GET" && method != "HEAD") {
        TResponse r = plainError(405);
        r.ExtraHeaders = "Allow: GET, HEAD\r\n";
        return r;
    }

    TResponse r;
    r.Status = 200;
    r.HeadOnly = method == "HEAD";
    if (asset) {
        r.ContentType = asset->ContentType;
        r.Body = PageResource(QLatin1String(asset->Resource));
        return r;
    }
    r.IsPage = true;
    r.ContentType = "text/html; charset=utf-8";
    r.Body = WeatherPage(query, ForecastApiAddress(), Clock::Now().date());
    // The page may run its own script and style sheet and ask the forecast
    // service, nothing else; no inline script runs.
    const QUrl api = ForecastApiAddress();
    QByteArray origin = api.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                                     QUrl::RemoveUserInfo)
                            .toString(QUrl::FullyEncoded)
                            .toLatin1();
    while (origin.endsWith('/'))
        origin.chop(1);
    r.ExtraHeaders = "Content-Security-Policy: default-src 'none'; script-src 'self'; "
                     "style-src 'self'; img-src data:; base-uri 'none'; connect-src " +
                     origin + "\r\n";
    return r;
}

QByteArray TWeatherService::Serialize(const TResponse& Response) {
    QByteArray out = "HTTP/1.1 " + QByteArray::number(Response.Status) + ' ' +
                     reasonPhrase(Response.Status) + "\r\n";
    out += "Content-Type: " + Response.ContentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(Response.Body.size()) + "\r\n";
    out += "Cache-Control: no-store\r\n";
    out += "X-Content-Type-Options: nosniff\r\n";
    out += "Connection: close\r\n";
    out += Response.ExtraHeaders;
    out += "\r\n";
    if (!Response.HeadOnly)
        out += Response.Body;
    return out;
}

QByteArray TWeatherService::PageResource(const QString& Name) {
    QFile file(QStringLiteral(":/weatherpage/") + Name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QUrl TWeatherService::PageResourceBase() {
    return QUrl(QStringLiteral("qrc:/weatherpage/weather.html"));
}

QByteArray TWeatherService::PageHtml(const QJsonObject& Config) {
    QByteArray html = PageResource(QStringLiteral("weather.html"));
    html.replace(kConfigMarker, scriptJson(Config));
    return html;
}

QByteArray TWeatherService::WeatherPage(const QByteArray& Query, const QUrl& ForecastApi,
                                        const QDate& Today) {
    const QHash<QString, QString> q = parseQuery(Query);
    const QString cid = q.value(QStringLiteral("cid"));

    bool ok = false;
    int days = q.value(QStringLiteral("d")).toInt(&ok);
    if (!ok)
        days = 3;
    days = std::clamp(days, 1, 7);
    const QString unit =
        q.value(QStringLiteral("u")).compare(QLatin1String("F"), Qt::CaseInsensitive) == 0
            ? QStringLiteral("F")
            : QStringLiteral("C");

    QJsonObject config;
    const std::optional<TWeatherCity> city = FindWeatherCity(cid);
    if (!city) {
        // Say which code was asked for, shortened; the page writes it as text.
        const QString shown = cid.left(20) + (cid.size() > 20 ? QStringLiteral("…") : QString());
        const QString note = cid.isEmpty() ? QStringLiteral("未指定城市代码")
                                           : QStringLiteral("未知的城市代码：%1").arg(shown);
        config.insert(QStringLiteral("mode"), QStringLiteral("note"));
        config.insert(QStringLiteral("title"), QStringLiteral("天气预报"));
        config.insert(QStringLiteral("subtitle"), QStringLiteral("城市代码有误"));
        config.insert(QStringLiteral("note"), note + QStringLiteral("\n无法显示天气预报"));
        return PageHtml(config);
    }

    config.insert(QStringLiteral("mode"), QStringLiteral("forecast"));
    config.insert(QStringLiteral("title"), QString::fromUtf8(city->Name));
    config.insert(QStringLiteral("subtitle"), QStringLiteral("未来%1天天气预报").arg(days));
    config.insert(QStringLiteral("city"), QString::fromUtf8(city->Name));
    config.insert(QStringLiteral("cid"), QLatin1String(city->Code));
    config.insert(QStringLiteral("latitude"), city->Latitude);
    config.insert(QStringLiteral("longitude"), city->Longitude);
    config.insert(QStringLiteral("days"), days);
    config.insert(QStringLiteral("unit"), unit);
    config.insert(QStringLiteral("today"), Today.toString(QStringLiteral("yyyy-MM-dd")));
    config.insert(QStringLiteral("timeoutMs"), kForecastTimeoutMs);
    config.insert(QStringLiteral("maxBytes"), kMaxForecastBytes);
    config.insert(QStringLiteral("api"), ForecastApi.toString(QUrl::FullyEncoded));
    return PageHtml(config);
}

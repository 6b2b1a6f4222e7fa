#include "UWeatherService.h"

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

QString htmlEscaped(const QString& s) {
    return s.toHtmlEscaped();
}

// JSON text that is safe inside a <script> element.
QByteArray scriptJson(const QJsonObject& o) {
    QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Compact);
    json.replace("<", "\\u003c").replace(">", "\\u003e").replace("&", "\\u0026");
    return json;
}

const char kPageStyle[] = R"CSS(
html,body{margin:0;padding:0;width:222px;height:376px;overflow:hidden}
body{font-family:"Noto Sans CJK SC","Microsoft YaHei","PingFang SC",sans-serif;font-size:12px;
color:#1e395b;-webkit-user-select:none;user-select:none;cursor:default}
#panel{box-sizing:border-box;width:222px;height:376px;border:1px solid #8e9cad;
background:linear-gradient(#ffffff,#edf3fc 60%,#dde7f3);display:flex;flex-direction:column}
#head{padding:9px 12px 7px;border-bottom:1px solid #c9d5e3;
background:linear-gradient(#ffffff,#a4bbd1)}
#city{font-size:19px;font-weight:bold;letter-spacing:1px;color:#1e395b}
#sub{font-size:11px;color:#3e5878;margin-top:1px}
#days{flex:1;display:flex;flex-direction:column;padding:4px 8px}
.day{flex:1;display:flex;align-items:center;border-bottom:1px dashed #c9d5e3}
.day:last-child{border-bottom:none}
.when{width:62px}
.date{font-size:13px;font-weight:bold}
.week{font-size:11px;color:#566f8e;margin-top:2px}
.icon{width:46px;height:46px;margin:0 6px 0 2px}
.what{flex:1;text-align:right}
.desc{font-size:13px}
.temp{font-size:12px;margin-top:3px;white-space:nowrap}
.hi{color:#d9480f;font-weight:bold}
.lo{color:#1c6fd1;font-weight:bold}
#note{flex:1;display:flex;flex-direction:column;align-items:center;justify-content:center;
text-align:center;padding:0 16px;font-size:13px;color:#3e5878;line-height:1.6}
#note .msg{white-space:pre-line}
#note button{margin-top:10px;font:inherit;font-size:12px;color:#1e395b;padding:3px 16px;
border:1px solid #8e9cad;border-radius:3px;background:linear-gradient(#ffffff,#d5e0ec);cursor:pointer}
#note button:hover{background:linear-gradient(#ffffff,#c3d3e6)}
#foot{font-size:10px;color:#7a8ca3;text-align:right;padding:2px 8px 4px}
)CSS";

// The page's script: fetches the forecast, draws it, or says that it
// cannot. Everything it writes goes through textContent or fixed SVG.
const char kPageScript[] = R"JS(
(function () {
  'use strict';
  var C = window.WEATHER_CONFIG;
  var NS = 'http://www.w3.org/2000/svg';
  var WEEK = ['周日', '周一', '周二', '周三', '周四', '周五', '周六'];
  var NEAR = ['今天', '明天', '后天'];
  function $(id) { return document.getElementById(id); }
  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }
  // WMO weather interpretation codes -> description and picture.
  function describe(code) {
    var t = {0: ['晴', 'sun'], 1: ['晴间多云', 'partly'], 2: ['多云', 'partly'], 3: ['阴', 'cloud'],
      45: ['雾', 'fog'], 48: ['雾凇', 'fog'], 51: ['小毛毛雨', 'drizzle'], 53: ['毛毛雨', 'drizzle'],
      55: ['大毛毛雨', 'drizzle'], 56: ['冻毛毛雨', 'sleet'], 57: ['冻毛毛雨', 'sleet'],
      61: ['小雨', 'rain'], 63: ['中雨', 'rain'], 65: ['大雨', 'rain'], 66: ['冻雨', 'sleet'],
      67: ['冻雨', 'sleet'], 71: ['小雪', 'snow'], 73: ['中雪', 'snow'], 75: ['大雪', 'snow'],
      77: ['米雪', 'snow'], 80: ['小阵雨', 'rain'], 81: ['阵雨', 'rain'], 82: ['强阵雨', 'rain'],
      85: ['小阵雪', 'snow'], 86: ['阵雪', 'snow'], 95: ['雷阵雨', 'thunder'],
      96: ['雷阵雨伴冰雹', 'thunder'], 99: ['雷阵雨伴冰雹', 'thunder']};
    return t[code] || ['未知', 'cloud'];
  }
  function svg(tag, attrs) {
    var e = document.createElementNS(NS, tag);
    for (var k in attrs) e.setAttribute(k, attrs[k]);
    return e;
  }
  function sun(g, cx, cy, r) {
    for (var i = 0; i < 8; i++) {
      var a = i * Math.PI / 4;
      g.appendChild(svg('line', {x1: cx + Math.cos(a) * (r + 3), y1: cy + Math.sin(a) * (r + 3),
        x2: cx + Math.cos(a) * (r + 7), y2: cy + Math.sin(a) * (r + 7),
        stroke: '#f59f00', 'stroke-width': 2.4, 'stroke-linecap': 'round'}));
    }
    g.appendChild(svg('circle', {cx: cx, cy: cy, r: r, fill: '#fcc419', stroke: '#f59f00',
      'stroke-width': 1.5}));
  }
  function cloud(g, dx, dy, fill) {
    g.appendChild(svg('path', {d: 'M' + (12 + dx) + ' ' + (34 + dy) +
      'a8 8 0 0 1 1-15.9a11 11 0 0 1 21-2.6a8.5 8.5 0 0 1 3 18.5z',
      fill: fill, stroke: '#74859b', 'stroke-width': 1.5, 'stroke-linejoin': 'round'}));
  }
  function icon(kind) {
    var s = svg('svg', {viewBox: '0 0 46 46', 'class': 'icon'});
    if (kind === 'sun') { sun(s, 23, 23, 9); return s; }
    if (kind === 'partly') { sun(s, 17, 16, 7); cloud(s, 2, 4, '#ffffff'); return s; }
    if (kind === 'fog') {
      cloud(s, 0, -4, '#e9eef4');
      for (var f = 0; f < 3; f++)
        s.appendChild(svg('line', {x1: 9 + f * 2, y1: 35 + f * 4, x2: 38 - f * 2, y2: 35 + f * 4,
          stroke: '#8e9cad', 'stroke-width': 2, 'stroke-linecap': 'round'}));
      return s;
    }
    cloud(s, 0, -4, kind === 'cloud' ? '#dfe5ec' : '#c9d3de');
    if (kind === 'rain' || kind === 'drizzle' || kind === 'sleet') {
      var n = kind === 'drizzle' ? 2 : 3;
      for (var i = 0; i < n; i++)
        s.appendChild(svg('line', {x1: 16 + i * 7, y1: 34, x2: 13 + i * 7, y2: 42,
          stroke: '#1c7ed6', 'stroke-width': 2.2, 'stroke-linecap': 'round'}));
    }
    if (kind === 'snow' || kind === 'sleet') {
      var xs = kind === 'sleet' ? [33] : [15, 23, 31];
      xs.forEach(function (x, j) {
        s.appendChild(svg('circle', {cx: x, cy: 37 + (j % 2) * 4, r: 2.2, fill: '#74c0fc'}));
      });
    }
    if (kind === 'thunder')
      s.appendChild(svg('path', {d: 'M24 29l-5 8h5l-3 7l8-10h-5l3-5z', fill: '#fab005',
        stroke: '#e67700', 'stroke-width': 1, 'stroke-linejoin': 'round'}));
    return s;
  }
  function temperature(v) { return Math.round(v) + '°' + C.unit; }
  function showNote(text, retry) {
    var days = $('days'); days.textContent = ''; days.style.display = 'none';
    var note = $('note'); note.textContent = ''; note.style.display = 'flex';
    note.appendChild(el('div', 'msg', text));
    if (retry) {
      var b = el('button', 'retry', '重试');
      b.id = 'retry';
      b.addEventListener('click', load);
      note.appendChild(b);
    }
    document.body.setAttribute('data-state', retry ? 'failed' : 'loading');
  }
  function show(daily) {
    var days = $('days'); days.textContent = '';
    var codes = daily.weather_code || daily.weathercode;
    for (var i = 0; i < C.days; i++) {
      var ymd = String(daily.time[i]).split('-').map(Number);
      var date = new Date(Date.UTC(ymd[0], ymd[1] - 1, ymd[2]));
      var d = describe(Number(codes[i]));
      var row = el('div', 'day');
      var when = el('div', 'when');
      when.appendChild(el('div', 'date', ymd[1] + '月' + ymd[2] + '日'));
      when.appendChild(el('div', 'week', (i < NEAR.length ? NEAR[i] + ' ' : '') +
        WEEK[date.getUTCDay()]));
      row.appendChild(when);
      row.appendChild(icon(d[1]));
      var what = el('div', 'what');
      what.appendChild(el('div', 'desc', d[0]));
      var t = el('div', 'temp');
      t.appendChild(el('span', 'lo', temperature(daily.temperature_2m_min[i])));
      t.appendChild(document.createTextNode(' ~ '));
      t.appendChild(el('span', 'hi', temperature(daily.temperature_2m_max[i])));
      what.appendChild(t);
      row.appendChild(what);
      days.appendChild(row);
    }
    $('note').style.display = 'none';
    days.style.display = 'flex';
    document.body.setAttribute('data-state', 'shown');
  }
  function usable(j) {
    var d = j && j.daily;
    if (!d || !Array.isArray(d.time)) return false;
    var codes = d.weather_code || d.weathercode;
    var lists = [d.time, codes, d.temperature_2m_max, d.temperature_2m_min];
    for (var k = 0; k < lists.length; k++)
      if (!Array.isArray(lists[k]) || lists[k].length < C.days) return false;
    for (var i = 0; i < C.days; i++) {
      if (!/^\d{4}-\d{2}-\d{2}$/.test(String(d.time[i]))) return false;
      if (!isFinite(Number(codes[i])) || codes[i] === null) return false;
      if (typeof d.temperature_2m_max[i] !== 'number' || !isFinite(d.temperature_2m_max[i]))
        return false;
      if (typeof d.temperature_2m_min[i] !== 'number' || !isFinite(d.temperature_2m_min[i]))
        return false;
    }
    return true;
  }
  var busy = false;
  function load() {
    if (busy) return;
    busy = true;
    showNote('正在获取天气数据…', false);
    var controller = new AbortController();
    var timer = setTimeout(function () { controller.abort(); }, C.timeoutMs);
    var url = C.api + '?latitude=' + C.latitude + '&longitude=' + C.longitude +
      '&daily=weather_code,temperature_2m_max,temperature_2m_min' +
      '&timezone=Asia%2FShanghai&forecast_days=' + C.days +
      (C.unit === 'F' ? '&temperature_unit=fahrenheit' : '');
    fetch(url, {signal: controller.signal, cache: 'no-store', credentials: 'omit'})
      .then(function (r) { if (!r.ok) throw new Error('HTTP ' + r.status); return r.json(); })
      .then(function (j) { if (!usable(j)) throw new Error('unusable'); show(j.daily); })
      .catch(function () { showNote('暂时无法获取天气数据', true); })
      .then(function () { clearTimeout(timer); busy = false; });
  }
  if (C.city) load();
})();
)JS";

QByteArray pageHtml(const QString& Title, const QString& Subtitle, const QByteArray& Config,
                    const QString& Note, bool WithScript) {
    QByteArray html;
    html += "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
            "<meta name=\"viewport\" content=\"width=222, height=376\">"
            "<title>天气预报</title><style>";
    html += kPageStyle;
    html += "</style></head><body data-state=\"";
    html += WithScript ? "loading" : "unknown";
    html += "\"><div id=\"panel\"><div id=\"head\"><div id=\"city\">";
    html += htmlEscaped(Title).toUtf8();
    html += "</div><div id=\"sub\">";
    html += htmlEscaped(Subtitle).toUtf8();
    html += "</div></div><div id=\"days\" style=\"display:none\"></div><div id=\"note\">"
            "<div class=\"msg\">";
    html += htmlEscaped(Note).toUtf8();
    html += "</div></div><div id=\"foot\">天气数据：Open-Meteo.com</div></div>";
    if (WithScript) {
        html += "<script>window.WEATHER_CONFIG=";
        html += Config;
        html += ";</script><script>";
        html += kPageScript;
        html += "</script>";
    }
    html += "</body></html>\n";
    return html;
}

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
    for (auto it = FConnections.begin(); it != FConnections.end(); ++it) {
        it->Socket->disconnect(this);
        it->Socket->abort();
        delete it->Socket;
    }
    FConnections.clear();
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
        if (FConnections.size() >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        TConnection c;
        c.Socket = socket;
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
        c.Deadline->start(FRequestTimeoutMs);
        FConnections.insert(socket, c);
        // Data may already be waiting.
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
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
    if (path != kWeatherPagePath)
        return plainError(404);
    if (method != "GET" && method != "HEAD") {
        TResponse r = plainError(405);
        r.ExtraHeaders = "Allow: GET, HEAD\r\n";
        return r;
    }

    TResponse r;
    r.Status = 200;
    r.IsPage = true;
    r.HeadOnly = method == "HEAD";
    r.ContentType = "text/html; charset=utf-8";
    r.Body = WeatherPage(query, ForecastApiAddress());
    // The page may run its own inline script and ask the forecast service,
    // nothing else.
    const QUrl api = ForecastApiAddress();
    QByteArray origin = api.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                                     QUrl::RemoveUserInfo)
                            .toString(QUrl::FullyEncoded)
                            .toLatin1();
    while (origin.endsWith('/'))
        origin.chop(1);
    r.ExtraHeaders = "Content-Security-Policy: default-src 'none'; script-src 'unsafe-inline'; "
                     "style-src 'unsafe-inline'; img-src data:; connect-src " +
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

QByteArray TWeatherService::WeatherPage(const QByteArray& Query, const QUrl& ForecastApi) {
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

    const std::optional<TWeatherCity> city = FindWeatherCity(cid);
    if (!city) {
        // Say which code was asked for, shortened and escaped.
        const QString shown = cid.left(20) + (cid.size() > 20 ? QStringLiteral("…") : QString());
        const QString note = cid.isEmpty() ? QStringLiteral("未指定城市代码")
                                           : QStringLiteral("未知的城市代码：%1").arg(shown);
        return pageHtml(QStringLiteral("天气预报"), QStringLiteral("城市代码有误"), {},
                        note + QStringLiteral("\n无法显示天气预报"), false);
    }

    QJsonObject config;
    config.insert(QStringLiteral("city"), QString::fromUtf8(city->Name));
    config.insert(QStringLiteral("cid"), QLatin1String(city->Code));
    config.insert(QStringLiteral("latitude"), city->Latitude);
    config.insert(QStringLiteral("longitude"), city->Longitude);
    config.insert(QStringLiteral("days"), days);
    config.insert(QStringLiteral("unit"), unit);
    config.insert(QStringLiteral("timeoutMs"), 10000);
    config.insert(QStringLiteral("api"), ForecastApi.toString(QUrl::FullyEncoded));
    return pageHtml(QString::fromUtf8(city->Name), QStringLiteral("未来%1天天气预报").arg(days),
                    scriptJson(config), QStringLiteral("正在获取天气数据…"), true);
}

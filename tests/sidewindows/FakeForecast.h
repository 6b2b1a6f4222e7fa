// A stand-in for the public forecast service on the loopback interface. It
// answers every GET with a fixed three-day forecast (or fails as told) and
// allows any origin, as the real service does.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class FakeForecast : public QObject {
public:
    enum Mode { Ok, ServerError, Garbage, ShortForecast, Hang };

    // 2026-12-10 is a Thursday.
    static QByteArray OkBody() {
        return R"({"latitude":39.9,"longitude":116.4,"timezone":"Asia/Shanghai",
"daily_units":{"time":"iso8601","weather_code":"wmo code","temperature_2m_max":"°C","temperature_2m_min":"°C"},
"daily":{"time":["2026-12-10","2026-12-11","2026-12-12"],"weather_code":[0,61,71],
"temperature_2m_max":[5.4,3.0,-1.2],"temperature_2m_min":[-3.6,-2.0,-8.4]}})";
    }

    explicit FakeForecast(QObject* Parent = nullptr) : QObject(Parent) {
        connect(&FServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = FServer.nextPendingConnection()) {
                s->setParent(this);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { onRead(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }

    bool Start() { return FServer.listen(QHostAddress::LocalHost, 0); }
    void Stop() { FServer.close(); }
    QUrl Address() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/v1/forecast").arg(FServer.serverPort()));
    }

    Mode Answer = Ok;
    int Requests = 0;
    QByteArray LastTarget;

private:
    void onRead(QTcpSocket* s) {
        QByteArray& buffer = FBuffers[s];
        buffer += s->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        ++Requests;
        LastTarget = buffer.split(' ').value(1);
        buffer.clear();
        if (Answer == Hang)
            return; // never answers
        QByteArray body = OkBody();
        int status = 200;
        if (Answer == ServerError) {
            status = 500;
            body = R"({"error":true,"reason":"internal"})";
        } else if (Answer == Garbage) {
            body = "<html>not a forecast";
        } else if (Answer == ShortForecast) {
            body = R"({"daily":{"time":["2026-12-10"],"weather_code":[0],
"temperature_2m_max":[5.0],"temperature_2m_min":[-3.0]}})";
        }
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + " X\r\n";
        reply += "Content-Type: application/json; charset=utf-8\r\n";
        reply += "Access-Control-Allow-Origin: *\r\n";
        reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        reply += "Connection: close\r\n\r\n" + body;
        s->write(reply);
        s->disconnectFromHost();
    }

    QTcpServer FServer;
    QHash<QTcpSocket*, QByteArray> FBuffers;
};

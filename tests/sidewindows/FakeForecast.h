// A stand-in for the public forecast service on the loopback interface. It
// answers every GET with a forecast of DayCount days from FirstDay (each
// date always with the same weather), or fails as told, and allows any
// origin, as the real service does.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class FakeForecast : public QObject {
public:
    enum Mode {
        Ok,
        ServerError,
        Garbage,
        ShortForecast,
        Hang,
        // A forecast padded with spaces to PaddedBytes, with its length.
        Padded,
        // A body without end and without a length: sent for as long as the
        // client reads it (up to EndlessCap bytes).
        Endless,
        // A length of 200 MB announced, a little sent, then nothing.
        HugeLength,
    };

    // 2026-12-10 is a Thursday.
    static QDate Anchor() { return QDate(2026, 12, 10); }

    struct TDay {
        int Code;
        double Max;
        double Min;
    };
    // The weather of a day, the same whichever day an answer starts with.
    static TDay Weather(const QDate& Day) {
        static const TDay table[] = {
            {3, 6.0, -1.5},   // 12-09
            {0, 5.4, -3.6},   // 12-10: 晴
            {61, 3.0, -2.0},  // 12-11: 小雨
            {71, -1.2, -8.4}, // 12-12: 小雪
            {2, 1.0, -6.0},   // 12-13: 多云
            {45, 2.5, -4.0},  // 12-14: 雾
            {95, 8.0, 1.0},   // 12-15: 雷阵雨
        };
        const qint64 i = Anchor().daysTo(Day) + 1;
        if (i >= 0 && i < qint64(std::size(table)))
            return table[i];
        return {3, 0.0, -5.0};
    }

    // The forecast of Count days from First, as the real service writes it.
    static QByteArray Body(const QDate& First, int Count) {
        QByteArray time, codes, max, min;
        for (int i = 0; i < Count; ++i) {
            const QDate day = First.addDays(i);
            const TDay w = Weather(day);
            const char* sep = i ? "," : "";
            time += sep + ('"' + day.toString(QStringLiteral("yyyy-MM-dd")).toLatin1() + '"');
            codes += sep + QByteArray::number(w.Code);
            max += sep + QByteArray::number(w.Max);
            min += sep + QByteArray::number(w.Min);
        }
        return R"({"latitude":39.9,"longitude":116.4,"timezone":"Asia/Shanghai",)"
               R"("daily_units":{"time":"iso8601","weather_code":"wmo code",)"
               R"("temperature_2m_max":"°C","temperature_2m_min":"°C"},)"
               R"("daily":{"time":[)" +
               time + R"(],"weather_code":[)" + codes + R"(],"temperature_2m_max":[)" + max +
               R"(],"temperature_2m_min":[)" + min + "]}}";
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
    QDate FirstDay = Anchor();
    int DayCount = 4;
    int PaddedBytes = 900 * 1024;
    qint64 EndlessCap = 64 * 1024 * 1024;
    int Requests = 0;
    QByteArray LastTarget;
    // Body bytes written for the last Endless answer before the client went.
    qint64 EndlessSent = 0;
    bool EndlessClosedByClient = false;

private:
    static QByteArray head(int Status, qint64 Length) {
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(Status) + " X\r\n";
        reply += "Content-Type: application/json; charset=utf-8\r\n";
        reply += "Access-Control-Allow-Origin: *\r\n";
        if (Length >= 0)
            reply += "Content-Length: " + QByteArray::number(Length) + "\r\n";
        reply += "Connection: close\r\n\r\n";
        return reply;
    }

    void onRead(QTcpSocket* s) {
        QByteArray& buffer = FBuffers[s];
        buffer += s->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        ++Requests;
        LastTarget = buffer.split(' ').value(1);
        buffer.clear();
        disconnect(s, &QTcpSocket::readyRead, this, nullptr);
        switch (Answer) {
        case Hang:
            return; // never answers
        case Endless:
            sendEndless(s);
            return;
        case HugeLength:
            s->write(head(200, 200LL * 1024 * 1024) + R"({"daily":)" + QByteArray(64 * 1024, ' '));
            return; // and nothing more
        default:
            break;
        }
        QByteArray body = Body(FirstDay, DayCount);
        int status = 200;
        if (Answer == ServerError) {
            status = 500;
            body = R"({"error":true,"reason":"internal"})";
        } else if (Answer == Garbage) {
            body = "<html>not a forecast";
        } else if (Answer == ShortForecast) {
            body = Body(FirstDay, 1);
        } else if (Answer == Padded) {
            body = body.left(body.size() - 1) + QByteArray(PaddedBytes - body.size(), ' ') + '}';
        }
        s->write(head(status, body.size()) + body);
        s->disconnectFromHost();
    }

    // Writes the body piece by piece as the client takes it.
    void sendEndless(QTcpSocket* s) {
        EndlessSent = 0;
        EndlessClosedByClient = false;
        s->write(head(200, -1) + R"({"daily":{"time":[)");
        const QByteArray piece(64 * 1024, ' ');
        QPointer<QTcpSocket> socket(s);
        auto more = [this, socket, piece] {
            if (!socket || socket->state() != QAbstractSocket::ConnectedState)
                return;
            while (socket->bytesToWrite() < 256 * 1024 && EndlessSent < EndlessCap) {
                socket->write(piece);
                EndlessSent += piece.size();
            }
            if (EndlessSent >= EndlessCap)
                socket->disconnectFromHost();
        };
        connect(s, &QTcpSocket::bytesWritten, this, more);
        connect(s, &QTcpSocket::disconnected, this, [this] {
            if (EndlessSent < EndlessCap)
                EndlessClosedByClient = true;
        });
        more();
    }

    QTcpServer FServer;
    QHash<QTcpSocket*, QByteArray> FBuffers;
};

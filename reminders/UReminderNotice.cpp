#include "UReminderNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

TReminderNotice::TReminderNotice(Sender Send) : FSend(std::move(Send)) {}

bool TReminderNotice::NotifyOnce(const TNoteAlarm& Alarm) {
    const QString key = Alarm.Time + QChar(u'\n') + Alarm.Title;
    if (FAnnounced.contains(key)) {
        return false;
    }
    FAnnounced.insert(key);
    if (FSend) {
        FSend(Summary(Alarm), Body(Alarm));
    }
    return true;
}

void TReminderNotice::Tell(const QString& Summary, const QString& Body) {
    if (FSend) {
        FSend(Summary, Body);
    }
}

QString TReminderNotice::Summary(const TNoteAlarm& Alarm) {
    return Alarm.Title;
}

QString TReminderNotice::Body(const TNoteAlarm& Alarm) {
    return QStringLiteral("便签提醒：%1").arg(Alarm.Time);
}

void SendDesktopNotification(const QString& Summary, const QString& Body,
                             std::function<void(const QString&, const QString&)> Fallback) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (Fallback) {
            Fallback(Summary, Body);
        }
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("vorncalendar"));
    call << QStringLiteral("万年历") << uint(0) << QStringLiteral("vorncalendar") << Summary << Body
         << QStringList() << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [Summary, Body, Fallback](QDBusPendingCallWatcher* Done) {
                         if (Done->isError() && Fallback) {
                             Fallback(Summary, Body);
                         }
                         Done->deleteLater();
                     });
}

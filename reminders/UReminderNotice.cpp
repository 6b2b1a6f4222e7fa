#include "UReminderNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

TReminderNotice::TReminderNotice(Sender Send) : FSend(std::move(Send)) {}

namespace {
QString keyOf(const TNoteAlarm& Alarm) {
    return Alarm.Time + QChar(u'\n') + Alarm.Title;
}
} // namespace

bool TReminderNotice::Announced(const TNoteAlarm& Alarm) const {
    return FAnnounced.contains(keyOf(Alarm));
}

bool TReminderNotice::NotifyOnce(const TNoteAlarm& Alarm, bool Late) {
    const QString key = keyOf(Alarm);
    if (FAnnounced.contains(key)) {
        return false;
    }
    FAnnounced.insert(key);
    if (FSend) {
        FSend(Summary(Alarm), Body(Alarm, Late));
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

QString TReminderNotice::Body(const TNoteAlarm& Alarm, bool Late) {
    QString body = QStringLiteral("便签提醒：%1").arg(Alarm.Time);
    if (Late)
        body += QStringLiteral("（已过时，刚才没能及时提醒）");
    if (!Alarm.Content.isEmpty())
        body += QLatin1Char('\n') + Alarm.Content;
    return body;
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
    // The desktop file's name, so that the desktop ties the notification to
    // the program (its icon, its settings).
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.vorn.vorncalendar"));
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

// Tells the desktop that a reminder has come due, so that it is seen even on
// another workspace: once per reminder, not on every tick of its minute.
#pragma once

#include "UNoteAlarms.h"

#include <QSet>
#include <QString>
#include <functional>

class TReminderNotice {
public:
    // Shows one notification with a summary and a body.
    using Sender = std::function<void(const QString& Summary, const QString& Body)>;

    explicit TReminderNotice(Sender Send);

    // Sends the notification for Alarm unless this reminder (its title and
    // time) has been announced before. Returns whether it sent one. Late
    // says that its minute had passed before it could be told.
    bool NotifyOnce(const TNoteAlarm& Alarm, bool Late = false);
    // Whether this reminder was told already.
    bool Announced(const TNoteAlarm& Alarm) const;

    // Sends a notification that is not a reminder (the notes file cannot be
    // read, say).
    void Tell(const QString& Summary, const QString& Body);

    // The note's title; the body gives its time and its content, and says
    // when the reminder comes late.
    static QString Summary(const TNoteAlarm& Alarm);
    static QString Body(const TNoteAlarm& Alarm, bool Late = false);

private:
    Sender FSend;
    QSet<QString> FAnnounced;
};

// Sends a notification through org.freedesktop.Notifications on the session
// bus, without waiting for the answer. When the service is missing or
// answers with an error, Fallback is called with the same texts (the tray
// icon's message balloon).
void SendDesktopNotification(const QString& Summary, const QString& Body,
                             std::function<void(const QString&, const QString&)> Fallback);

// A stand-in for the desktop's services on a private session bus: a
// StatusNotifierWatcher with a host (a panel that shows tray items the new
// way) and a notification server. It prints what programs tell it, one line
// each, so that a test can read along:
//
//     item <service>                           a tray item registered
//     notify <app>|<summary>|<body>|<desktop-entry hint>
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTextStream>
#include <QVariantMap>

namespace {

void say(const QString& Line) {
    static QTextStream out(stdout);
    QString clean = Line;
    clean.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    out << clean << Qt::endl;
}

} // namespace

class Watcher : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    explicit Watcher(QObject* Parent) : QDBusAbstractAdaptor(Parent) {}
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return FItems; }

public slots:
    void RegisterStatusNotifierItem(const QString& Service, const QDBusMessage& Message) {
        // A bare object path names an item on the caller's own connection.
        const QString service = Service.startsWith(QLatin1Char('/')) ? Message.service() : Service;
        FItems << service;
        say(QStringLiteral("item ") + service);
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& Service);
    void StatusNotifierItemUnregistered(const QString& Service);
    void StatusNotifierHostRegistered();

private:
    QStringList FItems;
};

class Notifications : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit Notifications(QObject* Parent) : QDBusAbstractAdaptor(Parent) {}

public slots:
    uint Notify(const QString& App, uint, const QString&, const QString& Summary,
                const QString& Body, const QStringList&, const QVariantMap& Hints, int) {
        say(QStringLiteral("notify %1|%2|%3|%4")
                .arg(App, Summary, Body, Hints.value(QStringLiteral("desktop-entry")).toString()));
        return ++FLast;
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    QString GetServerInformation(QString& Vendor, QString& Version, QString& Spec) {
        Vendor = QStringLiteral("test");
        Version = QStringLiteral("1");
        Spec = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }
    void CloseNotification(uint) {}

private:
    uint FLast = 0;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    QObject watcherObject, notificationsObject;
    new Watcher(&watcherObject);
    new Notifications(&notificationsObject);
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcherObject) ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                            &notificationsObject) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        say(QStringLiteral("failed ") + bus.lastError().message());
        return 1;
    }
    say(QStringLiteral("ready"));
    return app.exec();
}

#include "fake_desktop.moc"

#include "UApplication.h"

#include "UForms.h"

#include <QFont>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <exception>

#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <QCryptographicHash>
#include <QDir>
#endif

namespace {
const QByteArray RaiseCommand = "raise\n";
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TApplication::~TApplication() = default;

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unknown error"));
    }
    // The event stops here: it counts as handled.
    return true;
}

void TApplication::ShowException(const QString& Text) {
    // A failure while the message box is up is shown in the same box only once.
    if (FShowingException)
        return;
    FShowingException = true;
    QWidget* main = MainForm();
    const QString caption = main ? main->windowTitle() : applicationName();
    QMessageBox::critical(activeWindow(), caption, Text);
    FShowingException = false;
}

void TApplication::ShowNotice(const QString& Text) {
    QWidget* main = MainForm();
    const QString caption = main ? main->windowTitle() : applicationName();
    QMessageBox::information(activeWindow(), caption, Text);
}

void ShowApplicationNotice(const QString& Text) {
    if (auto* app = qobject_cast<TApplication*>(QCoreApplication::instance()))
        app->ShowNotice(Text);
    else
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(),
                                 Text);
}

void ShowApplicationError(const QString& Text) {
    if (auto* app = qobject_cast<TApplication*>(QCoreApplication::instance()))
        app->ShowException(Text);
    else
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), Text);
}

void ShowApplicationError(const std::exception& Failure) {
    ShowApplicationError(QString::fromUtf8(Failure.what()));
}

void TApplication::InstallFontSubstitutions() {
    const QStringList sans = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                              QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), sans);
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"),
                               {QStringLiteral("AR PL KaitiM GB"), QStringLiteral("AR PL UKai CN"),
                                QStringLiteral("Noto Serif CJK SC")});
}

QString TApplication::InstanceName() {
#ifdef Q_OS_UNIX
    return QStringLiteral("VORNCalendar-%1").arg(::getuid());
#else
    const QByteArray home = QDir::homePath().toUtf8();
    return QStringLiteral("VORNCalendar-") +
           QString::fromLatin1(QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex());
#endif
}

bool TApplication::ClaimSingleInstance(const QString& Name) {
    auto askRunningInstance = [&Name]() {
        QLocalSocket socket;
        socket.connectToServer(Name);
        if (!socket.waitForConnected(1000))
            return false;
        socket.write(RaiseCommand);
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
        return true;
    };

    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(Name)) {
        if (askRunningInstance()) {
            delete server;
            return false;
        }
        // Nobody answers: a socket left behind by an instance that crashed.
        QLocalServer::removeServer(Name);
        if (!server->listen(Name)) {
            // Still no server of our own: run anyway rather than not at all.
            delete server;
            return true;
        }
    }
    FServer = server;
    connect(server, &QLocalServer::newConnection, this, [this]() {
        while (QLocalSocket* socket = FServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
                if (socket->readAll().contains(RaiseCommand.trimmed()))
                    emit RaiseRequested();
            });
        }
    });
    return true;
}

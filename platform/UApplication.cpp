#include "UApplication.h"

#include "UForms.h"

#include <QElapsedTimer>
#include <QFont>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QThread>
#include <exception>

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

QString TApplication::InstanceDir() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

bool TApplication::ClaimSingleInstance(const QString& Dir) {
    const QString lockPath = Dir + QStringLiteral("/vorncalendar.lock");
    const QString socketPath = Dir + QStringLiteral("/vorncalendar.socket");
    if (Dir.isEmpty())
        return true; // no private folder at all: run rather than not at all

    auto lock = std::make_unique<QLockFile>(lockPath);
    // Held for the whole run: only a holder that no longer runs makes it stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return true; // the folder is not writable: nothing to share it with
        // Another instance runs; it may still be starting, so ask for a while.
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000) {
            QLocalSocket socket;
            socket.connectToServer(socketPath);
            if (socket.waitForConnected(500)) {
                socket.write(RaiseCommand);
                socket.waitForBytesWritten(1000);
                // The answer tells that it was heard before this process goes.
                socket.waitForReadyRead(2000);
                socket.disconnectFromServer();
                return false;
            }
            QThread::msleep(100);
            // The other instance may have ended meanwhile: then this one runs.
            if (lock->tryLock(0))
                break;
        }
        if (!lock->isLocked())
            return false; // it holds the lock and never answered: leave it be
    }
    FInstanceLock = std::move(lock);

    // The socket of an instance that died, or anything else left at the name
    // in this private folder, goes; the lock says it is this process's now.
    QLocalServer::removeServer(socketPath);
    auto* server = new QLocalServer(this);
    // No UserAccessOption: with it Qt binds elsewhere and renames the socket
    // over the name, so listening would succeed next to a live instance. The
    // folder itself keeps other users out.
    if (!server->listen(socketPath)) {
        delete server;
        return true;
    }
    FServer = server;
    connect(server, &QLocalServer::newConnection, this, [this]() {
        while (QLocalSocket* socket = FServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
                if (socket->readAll().contains(RaiseCommand.trimmed())) {
                    socket->write("ok\n");
                    emit RaiseRequested();
                }
            });
        }
    });
    return true;
}

// The application object: the program's general error handler and the
// one-instance-per-user rule.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>

#include <memory>

class QLocalServer;
class QLockFile;

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The general error handler: an exception that leaves an event handler
    // ends up here. Its text is shown in a message box and the event stops
    // there, so the window stays as it was.
    bool notify(QObject* Receiver, QEvent* Event) override;

    // Maps the font faces the windows are designed with to installed ones:
    // "MS Sans Serif" and "Tahoma" to a sans face with Chinese characters,
    // "楷体_GB2312" to a Kai face.
    static void InstallFontSubstitutions();

    // Where the running instance keeps its lock and its socket: the user's
    // private runtime folder (XDG_RUNTIME_DIR, mode 0700, which no other user
    // can enter).
    static QString InstanceDir();

    // Makes this process the one instance of the program for the user. The
    // lock vorncalendar.lock in Dir decides (two starts at the same moment
    // cannot both win, and a lock left by an instance that died is taken
    // over); the winner listens on the socket vorncalendar.socket beside it.
    // When another instance holds the lock, asks it to bring its main window
    // to the front (waiting a few seconds for an instance that is still
    // starting) and returns false: the caller should exit with 0. Otherwise
    // listens for later starts (RaiseRequested) and returns true.
    bool ClaimSingleInstance(const QString& Dir = InstanceDir());

    // Shows Text as the general error handler does. Replaceable in tests.
    virtual void ShowException(const QString& Text);
    // Tells the user something they should know that is not a failure (a
    // note changed elsewhere was kept beside theirs). Replaceable in tests.
    virtual void ShowNotice(const QString& Text);

signals:
    // A second start asked this instance to show its main window.
    void RaiseRequested();

private:
    std::unique_ptr<QLockFile> FInstanceLock;
    QLocalServer* FServer = nullptr;
    bool FShowingException = false;
};

// Shows Text through the general error handler when the application object is
// a TApplication (else in a message box of its own). For handlers that catch
// a failure themselves, so that it does not unwind through Qt's frames; the
// handler stops there and its window stays as it was.
void ShowApplicationError(const QString& Text);
void ShowApplicationError(const std::exception& Failure);
// Shows Text through TApplication::ShowNotice (else in a message box).
void ShowApplicationNotice(const QString& Text);

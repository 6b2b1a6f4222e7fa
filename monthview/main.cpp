// Program entry: the application object, one instance per user, the main
// window and the about box, then the message loop.
#include "UAbout.h"
#include "UApplication.h"
#include "UMain.h"

#include <QFont>
#include <QIcon>
#include <QPointer>

namespace {

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/vorncalendar_%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int main(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The windows are placed at absolute screen positions, which native
    // Wayland does not allow; X11 or XWayland does.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif

    TApplication::InstallFontSubstitutions();
    TApplication app(argc, argv);
    InitProgramResources();
    app.setApplicationName(QStringLiteral("vorncalendar"));
    // The desktop ties the windows and the notifications to the program's
    // desktop entry (its name, icon and settings) by this name.
    app.setDesktopFileName(QStringLiteral("org.vorn.vorncalendar"));
    app.setWindowIcon(programIcon());
    // The program's texts are Chinese whatever the locale. Outside a Chinese
    // locale the system's fallback for Han characters may be a bitmap brush
    // face, so the general font (menus, message boxes, dialogs) asks for the
    // program's sans face right after the desktop's own.
    QFont general = QApplication::font();
    general.setFamilies({general.family(), QStringLiteral("MS Sans Serif")});
    QApplication::setFont(general);
    // The program ends when the main window closes, not when the last visible
    // window does (the main window may be hidden in the tray).
    app.setQuitOnLastWindowClosed(false);

    if (!app.ClaimSingleInstance())
        return 0;

    auto* main = new TfrmManyYear();
    QObject::connect(main, &QObject::destroyed, &app, &QCoreApplication::quit);
    QObject::connect(&app, &TApplication::RaiseRequested, main, &TfrmManyYear::BringToFront);

    // The about box is made at start-up and stays hidden until asked for.
    frmAbout = new TfrmAbout();

    main->show();
    main->activateWindow();
    // Until here the application's name is the program file's: the instance
    // lock records it (a lock left behind is recognised by it) and the window
    // system's class of the windows is made from it (the desktop entry's
    // StartupWMClass). From here on it is the name the desktop shows, as the
    // title of the tray item.
    app.setApplicationName(QStringLiteral("万年历"));
    const int rc = app.exec();

    // Every window the application owns goes with it.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows.append(w);
    for (const QPointer<QWidget>& w : windows) {
        if (w && !w->parentWidget())
            delete w.data();
    }
    return rc;
}

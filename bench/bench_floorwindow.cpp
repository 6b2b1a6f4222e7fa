// The least Qt Widgets program that maps a window of the calendar's size: the
// floor that bench_startup holds the calendar's start-up against.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    // The same platform plugin as the calendar.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.resize(410, 376);
    window.show();
    return app.exec();
}

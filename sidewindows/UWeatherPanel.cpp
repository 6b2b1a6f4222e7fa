#include "UWeatherPanel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>
#include <QPointer>
#include <QStringList>

// QtGui's application-wide share context (exported, not in a public header).
QOpenGLContext* qt_gl_global_share_context();
void qt_gl_set_global_share_context(QOpenGLContext* Context);

TWeatherPanel* frmWeather = nullptr;

namespace {

// The browser engine shares its OpenGL resources with the application's
// through the application-wide share context. A program that links the
// engine gets that context when its application object is made; this program
// loads the engine later, so it makes the context just before, the way the
// engine's own start-up would have (and not at every start of the program,
// where it would load the OpenGL driver for nothing).
void prepareSharedOpenGL() {
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create();
    qt_gl_set_global_share_context(context);
    // The engine also checks the switch. Set this late it draws a warning
    // that does not apply here.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(previous);
}

QString& testLibraryFile() {
    static QString file;
    return file;
}

// Where the library is looked for: beside the program (bin/../lib/vorncalendar),
// and nowhere else. The folder the program was built in may be writable by
// others (under /tmp, say), so an installed program never looks there.
QStringList libraryCandidates() {
    if (!testLibraryFile().isEmpty())
        return {testLibraryFile()};
    const QString dir = QCoreApplication::applicationDirPath();
    return {QDir(dir).filePath(QStringLiteral("../lib/vorncalendar/" VORN_WEATHER_PANEL_FILE))};
}

WeatherPanelFactory loadFactory(QString* Error) {
    static WeatherPanelFactory factory = nullptr;
    if (factory)
        return factory;
    prepareSharedOpenGL();
    QStringList failures;
    for (const QString& file : libraryCandidates()) {
        if (!QFileInfo::exists(file))
            continue;
        // Kept loaded for the rest of the run: the panel's code is in it.
        auto* library = new QLibrary(file);
        factory =
            reinterpret_cast<WeatherPanelFactory>(library->resolve(VORN_WEATHER_PANEL_FACTORY));
        if (factory)
            return factory;
        failures << library->errorString();
        delete library;
    }
    if (Error) {
        *Error =
            failures.isEmpty()
                ? QStringLiteral("找不到天气预报面板的程序库 %1。")
                      .arg(QDir::toNativeSeparators(libraryCandidates().join(QStringLiteral("、"))))
                : QStringLiteral("无法载入天气预报面板：%1").arg(failures.join(QLatin1Char('\n')));
    }
    return nullptr;
}

} // namespace

namespace WeatherPanelTesting {
void SetLibraryFile(const QString& Path) {
    testLibraryFile() = Path;
}
} // namespace WeatherPanelTesting

TWeatherPanel* CreateWeatherPanel(QString* Error) {
    const WeatherPanelFactory factory = loadFactory(Error);
    if (!factory)
        return nullptr;
    TWeatherPanel* panel = factory();
    QObject::connect(panel, &QObject::destroyed, [panel] {
        if (frmWeather == panel)
            frmWeather = nullptr;
    });
    return panel;
}

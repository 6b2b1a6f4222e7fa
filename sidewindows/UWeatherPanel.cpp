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
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString&) {});
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(previous);
}

// Where the library is looked for: next to an installed program
// (bin/../lib/vorncalendar), then where the build put it.
QStringList libraryCandidates() {
    QStringList candidates;
    const QString dir = QCoreApplication::applicationDirPath();
    candidates << QDir(dir).filePath(
        QStringLiteral("../lib/vorncalendar/" VORN_WEATHER_PANEL_FILE));
#ifdef VORN_WEATHER_PANEL_BUILD_PATH
    candidates << QStringLiteral(VORN_WEATHER_PANEL_BUILD_PATH);
#endif
    return candidates;
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
        *Error = failures.isEmpty() ? QStringLiteral("The weather panel's library %1 was not found")
                                          .arg(QStringLiteral(VORN_WEATHER_PANEL_FILE))
                                    : failures.join(QLatin1Char('\n'));
    }
    return nullptr;
}

} // namespace

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

// What the program knows of the weather panel. The panel's browser engine is
// large, and loading it would slow every start of the program and keep
// memory for a panel the user may never open, so the panel lives in a
// library of its own that is loaded only when the panel is first made.
#pragma once

// Where the panel docks (WeatherPanelPosition), for the main window too.
#include "UWeatherPlace.h"

#include <QString>
#include <QWidget>

class TWeatherPanel : public QWidget {
public:
    using QWidget::QWidget;
    ~TWeatherPanel() override = default;

    // Beside the main window where the panel fits on the screen
    // (WeatherPanelPosition).
    virtual void DockToMain() = 0;
    // The menu's "显示天气预报": docks the panel, loads its page anew and
    // shows it.
    virtual void ShowPanel() = 0;
    // The menu's "隐藏天气预报": hides the panel; the page is kept.
    virtual void HidePanel() = 0;
};

// The weather panel, made by the first "显示天气预报"; emptied when the panel
// is destroyed (at exit).
extern TWeatherPanel* frmWeather;

// Loads the panel's library when it is not loaded yet and makes a panel,
// hidden and owned by the application. Returns nullptr, with the reason in
// Error, when the library cannot be loaded. The library is looked for only
// beside the program, in ../lib/vorncalendar, where the package installs it
// and where the build puts it for the program it builds.
TWeatherPanel* CreateWeatherPanel(QString* Error = nullptr);

namespace WeatherPanelTesting {
// Test programs live elsewhere in the build: they name the library's file.
void SetLibraryFile(const QString& Path);
} // namespace WeatherPanelTesting

// The entry point the panel's library exports.
using WeatherPanelFactory = TWeatherPanel* (*)();
#define VORN_WEATHER_PANEL_FACTORY "VornCreateWeatherPanel"

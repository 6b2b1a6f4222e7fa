// The weather panel: a narrow frameless window docked against the right edge
// of the main window, showing the weather widget page in an embedded browser.
//
// The browser engine is heavy: the panel is built into a library of its own
// that the program loads only when it makes the panel (UWeatherPanel.h), and
// the panel starts the local weather widget service when it is first shown.
#pragma once

#include "UWeatherPanel.h"

#include <QUrl>

class QWebEngineView;
class QWebEngineProfile;
class TWeatherService;

class TfrmWeather : public TWeatherPanel {
    Q_OBJECT
public:
    // Created hidden, owned by nobody (the application); lives until the
    // program ends.
    explicit TfrmWeather(QWidget* Parent = nullptr);
    ~TfrmWeather() override;

    // Left := main window's Left + Width, then Top := main window's Top.
    // Does nothing while there is no main window.
    void DockToMain() override;

    // The menu's "显示天气预报": docks the panel, loads the page anew and
    // shows the panel. (A plain show(), as when the program is restored from
    // the tray, neither docks nor reloads.)
    void ShowPanel() override;
    // The menu's "隐藏天气预报": hides the panel; the page is kept.
    void HidePanel() override;

    // The page address: "http://127.0.0.1:PORT/weather/weather.aspx?" and
    // the widget's fixed query. Starts the weather widget service if needed.
    QUrl PageAddress();

    // The embedded browser, objectName "WebBrowser".
    QWebEngineView* WebBrowser() const { return FWebBrowser; }
    // The weather widget service (started on the first show).
    TWeatherService* Service() const { return FService; }

signals:
    // The three changes were written to a completed document.
    void DocumentChanged();

private:
    // What the window's show event does in the program: dock, then load.
    void FormShow();
    void WebBrowserDocumentComplete(bool Ok);

    QWebEngineProfile* FProfile = nullptr;
    QWebEngineView* FWebBrowser = nullptr;
    TWeatherService* FService = nullptr;
};

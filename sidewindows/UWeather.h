// The weather panel: a narrow frameless window docked against the right edge
// of the main window, showing the weather widget page in an embedded browser.
//
// The browser engine is heavy, so nothing of it is made before the panel is:
// this header names no web engine type, and the panel makes its browser and
// starts the local weather widget service when it is created and first shown.
#pragma once

#include <QUrl>
#include <QWidget>

class QWebEngineView;
class QWebEngineProfile;
class TWeatherService;

class TfrmWeather : public QWidget {
    Q_OBJECT
public:
    // Created hidden, owned by nobody (the application); lives until the
    // program ends.
    explicit TfrmWeather(QWidget* Parent = nullptr);
    ~TfrmWeather() override;

    // Left := main window's Left + Width, then Top := main window's Top.
    // Does nothing while there is no main window.
    void DockToMain();

    // The menu's "显示天气预报": docks the panel, loads the page anew and
    // shows the panel. (A plain show(), as when the program is restored from
    // the tray, neither docks nor reloads.)
    void ShowPanel();
    // The menu's "隐藏天气预报": hides the panel; the page is kept.
    void HidePanel();

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

// The weather panel, made by the first "显示天气预报"; never emptied while the
// program runs (the panel clears it when it is destroyed at exit).
extern TfrmWeather* frmWeather;

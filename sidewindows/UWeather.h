// The weather panel: a narrow frameless window docked beside the main
// window, showing the weather widget page in an embedded browser.
//
// The browser engine is heavy: the panel is built into a library of its own
// that the program loads only when it makes the panel (UWeatherPanel.h), and
// the panel starts the local weather widget service when it is first shown.
//
// The page stays right while the panel is shown: it is loaded anew when the
// date changes (at midnight, after the clock is set or the machine wakes up)
// and every hour, by one timer set for the next of these moments; a hidden
// panel loads nothing until it is shown again. When the page cannot be had
// from the service at all, the panel shows a page of its own that says so
// and offers "重试", never the browser's error page.
#pragma once

#include "UWeatherPanel.h"

#include <QDateTime>
#include <QUrl>

class QTimer;
class QWebEngineLoadingInfo;
class QWebEngineView;
class QWebEngineProfile;
class TWallClockWatch;
class TWeatherBrowserPage;
class TWeatherService;

class TfrmWeather : public TWeatherPanel {
    Q_OBJECT
public:
    // How often a shown panel loads its page anew.
    static constexpr int kReloadIntervalSecs = 3600;
    // How long the page may take to arrive from the local service.
    static constexpr int kDefaultLoadTimeoutMs = 15000;

    // Created hidden, owned by nobody (the application); lives until the
    // program ends.
    explicit TfrmWeather(QWidget* Parent = nullptr);
    ~TfrmWeather() override;

    // Against the main window's right edge where the panel fits on the main
    // window's screen, else against its left edge, else inside that screen
    // (UWeatherPlace.h); top at the main window's top. Does nothing while
    // there is no main window.
    void DockToMain() override;

    // The menu's "显示天气预报": docks the panel, loads the page anew and
    // shows the panel. (A plain show(), as when the program is restored from
    // the tray, neither docks nor reloads, unless the page has grown stale
    // meanwhile: another day, or an hour since it was loaded.)
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

    // The timer for the next reload, objectName "tReload": running only
    // while the panel is shown and has a page.
    QTimer* ReloadTimer() const { return tReload; }
    // The reload timer's handler: loads the page anew when it has grown
    // stale (ReloadDue), else sets the timer for the next due moment. Also
    // run after a jump of the wall clock and when the panel is shown.
    void tReloadTimer();
    // Whether a page loaded at LoadedAt is stale at Now: another date, an
    // hour or more later, or a clock set back before the load.
    static bool ReloadDue(const QDateTime& LoadedAt, const QDateTime& Now);
    // The moment a page loaded at LoadedAt grows stale: an hour later, or
    // the next midnight if that comes first.
    static QDateTime NextReload(const QDateTime& LoadedAt);
    // When the page was last loaded (the program's clock), or invalid.
    QDateTime LoadedAt() const { return FLoadedAt; }

    // Tells of jumps of the wall clock (set, or woken from suspend).
    TWallClockWatch* ClockWatch() const { return FClockWatch; }

    // How long the page may take to arrive before the panel gives up on it.
    void SetLoadTimeout(int Milliseconds) { FLoadTimeoutMs = Milliseconds; }

signals:
    // The three changes were written to a completed document.
    void DocumentChanged();
    // The panel's own page for a page that could not be had is being shown.
    void ErrorPageShown();

protected:
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    // What the window's show event does in the program: dock, then load.
    void FormShow();
    // Loads the page from the service (starting it if needed) and sets the
    // reload timer.
    void LoadPage();
    void ScheduleReload();
    void WebBrowserDocumentComplete(bool Ok);
    void WebBrowserLoadingChanged(const QWebEngineLoadingInfo& Info);
    // The panel's own page with Note and "重试" in place of the page.
    void ShowErrorPage(const QString& Note);

    QWebEngineProfile* FProfile = nullptr;
    QWebEngineView* FWebBrowser = nullptr;
    TWeatherBrowserPage* FPage = nullptr;
    TWeatherService* FService = nullptr;
    TWallClockWatch* FClockWatch = nullptr;
    QTimer* tReload = nullptr;
    QTimer* FLoadDeadline = nullptr;
    QDateTime FLoadedAt;
    int FLoadTimeoutMs = kDefaultLoadTimeoutMs;
    quint64 FLoadsStarted = 0; // main-frame loads begun so far
    // The panel's own page is shown (or being loaded) instead of the page.
    bool FShowingOwnPage = false;
};

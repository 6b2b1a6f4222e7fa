#include "UWeather.h"

#include "UClock.h"
#include "UForms.h"
#include "UWallClockWatch.h"
#include "UWeatherPlace.h"
#include "UWeatherService.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// The panel's browser page. On the panel's own page for a failed load, a
// navigation of the page itself is its "重试": the panel loads the page
// anew through the service (which it may have to start first), instead of
// the browser going to an address that may be out of date.
class TWeatherBrowserPage : public QWebEnginePage {
public:
    TWeatherBrowserPage(QWebEngineProfile* Profile, QObject* Parent)
        : QWebEnginePage(Profile, Parent) {}

    bool OwnPageShown = false;
    std::function<void()> OnRetry;

protected:
    bool acceptNavigationRequest(const QUrl& Url, NavigationType Type, bool IsMainFrame) override {
        const bool fromOwnPage = OwnPageShown && IsMainFrame && Type != NavigationTypeTyped &&
                                 Type != NavigationTypeReload &&
                                 Url.scheme() == QLatin1String("http");
        if (!fromOwnPage)
            return true;
        if (OnRetry)
            QTimer::singleShot(0, this, OnRetry);
        return false;
    }
};

namespace {

// Chromium refuses to run its sandbox as root; only then is it switched
// off, and never when the user has said otherwise.
void allowRootWebEngine() {
#ifdef Q_OS_UNIX
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

// Chromium's code for a navigation that a newer one replaced.
constexpr int kAbortedError = -3;

const QString kUnreachableNote = QStringLiteral("无法连接天气服务");
const QString kNoServiceNote = QStringLiteral("天气服务无法启动");

} // namespace

TfrmWeather::TfrmWeather(QWidget* Parent)
    : TWeatherPanel(Parent, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmWeather"));
    setWindowTitle(QStringLiteral("天气预报"));
    setFixedSize(222, 376);

    allowRootWebEngine();
    // A profile of its own that keeps nothing on disk: the widget page
    // needs no cookies, cache or history between runs.
    FProfile = new QWebEngineProfile(this);
    FWebBrowser = new QWebEngineView(this);
    FWebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    FPage = new TWeatherBrowserPage(FProfile, FWebBrowser);
    FPage->OnRetry = [this] { LoadPage(); };
    // A failed load shows the panel's own page, not the browser's.
    FPage->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    FWebBrowser->setPage(FPage);
    FWebBrowser->setGeometry(0, 0, 222, 376);
    connect(FWebBrowser, &QWebEngineView::loadFinished, this,
            &TfrmWeather::WebBrowserDocumentComplete);
    connect(FPage, &QWebEnginePage::loadingChanged, this, &TfrmWeather::WebBrowserLoadingChanged);

    FLoadDeadline = new QTimer(this);
    FLoadDeadline->setSingleShot(true);
    connect(FLoadDeadline, &QTimer::timeout, this, [this] {
        FWebBrowser->stop();
        ShowErrorPage(kUnreachableNote);
    });

    tReload = new QTimer(this);
    tReload->setObjectName(QStringLiteral("tReload"));
    tReload->setSingleShot(true);
    // The handler checks the clock and sets the timer again if it came early.
    tReload->setTimerType(Qt::VeryCoarseTimer);
    connect(tReload, &QTimer::timeout, this, &TfrmWeather::tReloadTimer);
    FClockWatch = new TWallClockWatch(this);
    connect(FClockWatch, &TWallClockWatch::ClockChanged, this, &TfrmWeather::tReloadTimer);

    // The browser must be gone before the application object is.
    QPointer<TfrmWeather> self(this);
    connect(qApp, &QCoreApplication::aboutToQuit, qApp, [self] { delete self.data(); });
}

TfrmWeather::~TfrmWeather() {
    // The page before the profile it uses.
    delete FWebBrowser;
    FWebBrowser = nullptr;
    delete FProfile;
    FProfile = nullptr;
}

void TfrmWeather::DockToMain() {
    const QWidget* main = MainForm();
    if (!main)
        return;
    move(WeatherPanelPosition(main, this));
}

void TfrmWeather::ShowPanel() {
    DockToMain(); // before mapping, so the window appears in place
    show();
    raise();
    FormShow();
}

void TfrmWeather::HidePanel() {
    hide();
}

QUrl TfrmWeather::PageAddress() {
    if (!FService)
        FService = new TWeatherService(this);
    FService->Start();
    return FService->PageAddress();
}

void TfrmWeather::FormShow() {
    DockToMain();
    LoadPage();
}

void TfrmWeather::LoadPage() {
    FLoadedAt = Clock::Now();
    const QUrl address = PageAddress();
    if (FService->IsListening()) {
        FShowingOwnPage = false;
        FPage->OwnPageShown = false;
        FWebBrowser->load(address);
    } else {
        ShowErrorPage(kNoServiceNote);
    }
    ScheduleReload();
}

bool TfrmWeather::ReloadDue(const QDateTime& LoadedAt, const QDateTime& Now) {
    if (!LoadedAt.isValid())
        return false;
    return Now.date() != LoadedAt.date() || Now < LoadedAt || Now >= NextReload(LoadedAt);
}

QDateTime TfrmWeather::NextReload(const QDateTime& LoadedAt) {
    const QDateTime midnight(LoadedAt.date().addDays(1), QTime(0, 0));
    return std::min(LoadedAt.addSecs(kReloadIntervalSecs), midnight);
}

void TfrmWeather::ScheduleReload() {
    if (!isVisible() || !FLoadedAt.isValid()) {
        tReload->stop();
        return;
    }
    const qint64 wait = Clock::Now().msecsTo(NextReload(FLoadedAt));
    tReload->start(int(std::clamp<qint64>(wait, 0, qint64(kReloadIntervalSecs) * 1000)));
}

void TfrmWeather::tReloadTimer() {
    if (!isVisible()) {
        tReload->stop();
        return;
    }
    if (ReloadDue(FLoadedAt, Clock::Now()))
        LoadPage();
    else
        ScheduleReload();
}

void TfrmWeather::showEvent(QShowEvent* Event) {
    TWeatherPanel::showEvent(Event);
    // After the menu's show has loaded the page, or after a plain show (the
    // program restored from the tray) that may find the page stale.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            tReloadTimer();
    });
}

void TfrmWeather::hideEvent(QHideEvent* Event) {
    TWeatherPanel::hideEvent(Event);
    tReload->stop();
}

void TfrmWeather::ShowErrorPage(const QString& Note) {
    FLoadDeadline->stop();
    FShowingOwnPage = true;
    FPage->OwnPageShown = true;
    QJsonObject config;
    config.insert(QStringLiteral("mode"), QStringLiteral("unreachable"));
    config.insert(QStringLiteral("title"), QStringLiteral("天气预报"));
    config.insert(QStringLiteral("subtitle"), QString());
    config.insert(QStringLiteral("note"), Note);
    config.insert(QStringLiteral("retry"),
                  FService ? FService->PageAddress().toString(QUrl::FullyEncoded)
                           : QStringLiteral("http://127.0.0.1/"));
    FWebBrowser->setHtml(QString::fromUtf8(TWeatherService::PageHtml(config)),
                         TWeatherService::PageResourceBase());
    emit ErrorPageShown();
}

void TfrmWeather::WebBrowserLoadingChanged(const QWebEngineLoadingInfo& Info) {
    const bool fromService = Info.url().scheme() == QLatin1String("http");
    switch (Info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        ++FLoadsStarted;
        if (fromService)
            FLoadDeadline->start(FLoadTimeoutMs);
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        FLoadDeadline->stop();
        return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
    case QWebEngineLoadingInfo::LoadFailedStatus:
        break;
    }
    FLoadDeadline->stop();
    if (!fromService || FShowingOwnPage)
        return;
    const bool httpError = Info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                           Info.errorCode() >= 400;
    const bool failed = Info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                        Info.errorCode() != kAbortedError;
    if (!httpError && !failed)
        return;
    // Not from inside the browser's notification, and only while no other
    // load has begun meanwhile.
    const quint64 failedLoad = FLoadsStarted;
    QTimer::singleShot(0, this, [this, failedLoad] {
        if (!FShowingOwnPage && FLoadsStarted == failedLoad)
            ShowErrorPage(kUnreachableNote);
    });
}

void TfrmWeather::WebBrowserDocumentComplete(bool) {
    static const QString changes =
        QString::fromUtf8(TWeatherService::PageResource(QStringLiteral("bodychanges.js")));
    QPointer<TfrmWeather> self(this);
    FWebBrowser->page()->runJavaScript(changes, [self](const QVariant& Done) {
        if (self && Done.toBool())
            emit self->DocumentChanged();
    });
}

// The entry point the program resolves after loading this library.
extern "C" Q_DECL_EXPORT TWeatherPanel* VornCreateWeatherPanel() {
    return new TfrmWeather();
}

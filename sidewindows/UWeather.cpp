#include "UWeather.h"

#include "UForms.h"
#include "UWeatherPlace.h"
#include "UWeatherService.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Chromium refuses to run its sandbox as root; only then is it switched
// off, and never when the user has said otherwise.
void allowRootWebEngine() {
#ifdef Q_OS_UNIX
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

// The three changes to the top-level document's body, each through its own
// path from the document. Chromium has no body "scroll" switch, so the
// scroll bars are also hidden by style, which is what the switch is for.
const char kBodyChanges[] = R"JS(
(function () {
  if (!document.body) return false;
  document.body.setAttribute('scroll', 'no');
  document.body.style.border = 'none';
  document.body.style.margin = '0px';
  document.body.style.overflow = 'hidden';
  return true;
})();
)JS";

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
    FWebBrowser->setPage(new QWebEnginePage(FProfile, FWebBrowser));
    FWebBrowser->setGeometry(0, 0, 222, 376);
    connect(FWebBrowser, &QWebEngineView::loadFinished, this,
            &TfrmWeather::WebBrowserDocumentComplete);

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
    const QUrl address = PageAddress();
    if (FService->IsListening())
        FWebBrowser->load(address);
    else
        FWebBrowser->setHtml(
            QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
                           "<body style=\"font:13px "
                           "sans-serif;color:#1e395b;text-align:center;padding-top:150px\">"
                           "天气服务无法启动</body></html>"));
}

void TfrmWeather::WebBrowserDocumentComplete(bool) {
    QPointer<TfrmWeather> self(this);
    FWebBrowser->page()->runJavaScript(QString::fromLatin1(kBodyChanges),
                                       [self](const QVariant& Done) {
                                           if (self && Done.toBool())
                                               emit self->DocumentChanged();
                                       });
}

// The entry point the program resolves after loading this library.
extern "C" Q_DECL_EXPORT TWeatherPanel* VornCreateWeatherPanel() {
    return new TfrmWeather();
}

// The weather panel beside the real main window on the X server, its page
// served by the program's own weather widget service and its forecast by a
// stand-in on the loopback interface: docking on every show and after
// left-button drags only, a fresh load on every show, the three changes to
// the top-level body after every completed document, and a minimise and
// restore that neither reloads nor re-docks.
#include "../common/TestTray.h"
#include "FakeForecast.h"
#include "UApplication.h"
#include "UForms.h"
#include "UGradientPanel.h"
#include "UMain.h"
#include "UWeather.h"
#include "UWeatherService.h"

#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

namespace {

// Runs Script in the panel's page and waits for its result.
QVariant js(TfrmWeather* Panel, const QString& Script) {
    QVariant result;
    bool done = false;
    Panel->WebBrowser()->page()->runJavaScript(Script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        qWarning("script gave no answer: %s", qPrintable(Script));
    return result;
}

QString pageState(TfrmWeather* Panel) {
    return js(Panel,
              QStringLiteral("document.body ? document.body.getAttribute('data-state') : ''"))
        .toString();
}

// The three changes as the page's script reads them back, and whether the
// scroll bars are hidden.
const char kReadBody[] = R"JS(
(function (doc) {
  var b = doc.body;
  return [String(b.getAttribute('scroll')), b.style.border, b.style.margin,
          doc.defaultView.getComputedStyle(b).overflow];
})(document)
)JS";

const QStringList kChangedBody = {QStringLiteral("no"), QStringLiteral("none"),
                                  QStringLiteral("0px"), QStringLiteral("hidden")};

// A port on the loopback interface that nobody listens on.
quint16 deadPort() {
    QTcpServer gone;
    if (!gone.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = gone.serverPort();
    gone.close();
    return port;
}

// A bare spot of the main window's header strip, away from its controls.
const QPoint kStripSpot(300, 40);

} // namespace

class TestWeatherPanel : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    FakeForecast* FFake = nullptr;
    TfrmManyYear* FMain = nullptr;
    TfrmWeather* FPanel = nullptr;

    TTestTray FTray;

    // A notification area, started with trayer when the desktop has none.
    bool needTray() { return FTray.Need(); }
    void stopTray() { QVERIFY(FTray.Stop()); }

    QPoint docked() const { return FMain->frameGeometry().topLeft() + QPoint(410, 0); }

    // Shows the panel the way the menu's "显示天气预报" does and waits until
    // its page has been loaded and changed.
    void showPanel() {
        QSignalSpy changed(FPanel, &TfrmWeather::DocumentChanged);
        FPanel->ShowPanel();
        QVERIFY(QTest::qWaitForWindowExposed(FPanel));
        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 60000);
    }

    void drag(Qt::MouseButton Button, const QPoint& By) {
        QTest::mousePress(FMain->pnlTop, Button, {}, kStripSpot);
        QTest::mouseRelease(FMain->pnlTop, Button, {}, kStripSpot + By);
    }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        TApplication::InstallFontSubstitutions();
        FFake = new FakeForecast(this);
        QVERIFY(FFake->Start());
        TWeatherService::SetForecastApiAddress(FFake->Address());

        FMain = new TfrmManyYear(FDir.path());
        FMain->move(200, 150);
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain));

        // The panel as the first "显示天气预报" makes it, before showing it:
        // from the panel's library, loaded at run time (the one this test
        // also links).
        QString error;
        WeatherPanelTesting::SetLibraryFile(QStringLiteral(VORN_WEATHER_PANEL_LIBRARY));
        frmWeather = CreateWeatherPanel(&error);
        QVERIFY2(frmWeather, qPrintable(error));
        FPanel = static_cast<TfrmWeather*>(frmWeather);
        FMain->SetWeatherWindow(FPanel);
    }
    void cleanupTestCase() {
        stopTray();
        delete frmWeather;
        QVERIFY(!frmWeather);
        delete FMain;
    }
    void init() {
        FFake->Answer = FakeForecast::Ok;
        TWeatherService::SetForecastApiAddress(FFake->Address());
    }

    // Runs first, before the panel was ever shown.
    void createdHidden() {
        QVERIFY(!FPanel->isVisible());
        QCOMPARE(FPanel->objectName(), QStringLiteral("frmWeather"));
        QCOMPARE(FPanel->windowTitle(), QStringLiteral("天气预报"));
        QVERIFY(FPanel->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(FPanel->size(), QSize(222, 376));
        QCOMPARE(FPanel->minimumSize(), FPanel->maximumSize());
        QCOMPARE(FPanel->height(), FMain->height());

        QWebEngineView* browser = FPanel->findChild<QWebEngineView*>(QStringLiteral("WebBrowser"));
        QVERIFY(browser);
        QCOMPARE(browser, FPanel->WebBrowser());
        QCOMPARE(browser->geometry(), QRect(0, 0, 222, 376));
        // Nothing is served before the first show.
        QVERIFY(!FPanel->Service() || !FPanel->Service()->IsListening());
    }

    void firstShowDocksAndLoads() {
        QSignalSpy finished(FPanel->WebBrowser(), &QWebEngineView::loadFinished);
        showPanel();
        QVERIFY(FPanel->isVisible());
        QTRY_COMPARE(FPanel->pos(), docked());
        QCOMPARE(FPanel->frameGeometry().top(), FMain->frameGeometry().top());

        // The page of the program's own service, at the fixed address.
        TWeatherService* service = FPanel->Service();
        QVERIFY(service && service->IsListening());
        QCOMPARE(service->PagesServed(), 1);
        QCOMPARE(finished.count(), 1);
        const QUrl address = FPanel->WebBrowser()->url();
        QCOMPARE(address.host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(address.path(), QStringLiteral("/weather/weather.aspx"));
        QCOMPARE(address.query(QUrl::FullyEncoded), QLatin1String(kWeatherPageQuery));

        // It shows the stand-in's three days.
        QTRY_COMPARE_WITH_TIMEOUT(pageState(FPanel), QStringLiteral("shown"), 30000);
        QCOMPARE(js(FPanel, QStringLiteral("document.getElementById('city').textContent")),
                 QVariant(QStringLiteral("北京")));
        QCOMPARE(js(FPanel, QStringLiteral("document.querySelectorAll('.day .date').length")),
                 QVariant(3));
        QCOMPARE(js(FPanel, QStringLiteral("Array.from(document.querySelectorAll('.day .date'))"
                                           ".map(function (e) { return e.textContent; })"))
                     .toStringList(),
                 (QStringList{QStringLiteral("12月10日"), QStringLiteral("12月11日"),
                              QStringLiteral("12月12日")}));

        // The two windows, side by side, as the user sees them.
        QTest::qWait(300);
        const QRect both = FMain->frameGeometry().united(FPanel->frameGeometry());
        QCOMPARE(both.size(), QSize(632, 376));
        QScreen* screen = FMain->screen();
        screen->grabWindow(0, both.x(), both.y(), both.width(), both.height())
            .save(QDir::temp().filePath(QStringLiteral("vorn-weather-panel.png")));
    }

    void bodyChangesReadBack() {
        QCOMPARE(js(FPanel, QLatin1String(kReadBody)).toStringList(), kChangedBody);
        // No scroll bars take room from the page.
        QCOMPARE(
            js(FPanel, QStringLiteral("window.innerWidth - document.documentElement.clientWidth")),
            QVariant(0));
    }

    void showHideShowLoadsTwice() {
        QSignalSpy finished(FPanel->WebBrowser(), &QWebEngineView::loadFinished);
        QSignalSpy changed(FPanel, &TfrmWeather::DocumentChanged);
        const int served = FPanel->Service()->PagesServed();
        const int asked = FFake->Requests;

        FPanel->HidePanel();
        QVERIFY(!FPanel->isVisible());
        QTest::qWait(200);
        QCOMPARE(finished.count(), 0);
        // A hidden panel keeps its page.
        QCOMPARE(pageState(FPanel), QStringLiteral("shown"));

        // Moved without a drag, the main window leaves the hidden panel
        // where it was; the next show docks it there again.
        FMain->move(FMain->pos() + QPoint(-60, 40));
        QTRY_COMPARE(FMain->pos(), QPoint(140, 190));
        showPanel();
        QTRY_COMPARE(FPanel->pos(), docked());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(FPanel->Service()->PagesServed(), served + 1);
        QTRY_COMPARE_WITH_TIMEOUT(pageState(FPanel), QStringLiteral("shown"), 30000);
        QCOMPARE(FFake->Requests, asked + 1); // the page asked for the forecast anew
        QCOMPARE(js(FPanel, QLatin1String(kReadBody)).toStringList(), kChangedBody);

        // And once more: every show is a load of its own.
        FPanel->HidePanel();
        showPanel();
        QCOMPARE(finished.count(), 2);
        QCOMPARE(FPanel->Service()->PagesServed(), served + 2);
    }

    void drags_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("docks");
        QTest::newRow("left, shown") << int(Qt::LeftButton) << true << true;
        QTest::newRow("left, hidden") << int(Qt::LeftButton) << false << true;
        QTest::newRow("right, shown") << int(Qt::RightButton) << true << false;
        QTest::newRow("middle, shown") << int(Qt::MiddleButton) << true << false;
    }
    void drags() {
        QFETCH(int, button);
        QFETCH(bool, shown);
        QFETCH(bool, docks);
        if (shown && !FPanel->isVisible())
            showPanel();
        if (!shown)
            FPanel->HidePanel();
        QTRY_COMPARE(FPanel->pos(), docked());
        QSignalSpy finished(FPanel->WebBrowser(), &QWebEngineView::loadFinished);
        const QPoint panelWas = FPanel->pos();
        const QPoint mainWas = FMain->pos();
        const QPoint by(37, -23);

        drag(Qt::MouseButton(button), by);
        QTRY_COMPARE(FMain->pos(), mainWas + by); // the main window always moves
        if (docks) {
            QTRY_COMPARE(FPanel->pos(), docked());
            QCOMPARE(FPanel->pos(), panelWas + by);
        } else {
            QTest::qWait(300);
            QCOMPARE(FPanel->pos(), panelWas);
            // The next left-button drag docks it again.
            drag(Qt::LeftButton, QPoint(-5, 5));
            QTRY_COMPARE(FPanel->pos(), docked());
        }
        QCOMPARE(FPanel->isVisible(), shown); // a drag neither shows nor hides
        QTest::qWait(100);
        QCOMPARE(finished.count(), 0); // nor loads
        drag(Qt::LeftButton, -by);     // back to where the next row expects
        if (!shown)
            showPanel();
    }

    void minimiseAndRestore_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("to the tray and back") << 0;
        QTest::newRow("minimised without a notification area") << 1;
        QTest::newRow("hidden and shown again") << 2;
    }
    void minimiseAndRestore() {
        QFETCH(int, how);
        if (how == 0 && !needTray())
            QSKIP("no notification area here and no trayer to start one");
        if (!FPanel->isVisible())
            showPanel();
        QTRY_COMPARE(FPanel->pos(), docked());
        QSignalSpy finished(FPanel->WebBrowser(), &QWebEngineView::loadFinished);
        const int served = FPanel->Service()->PagesServed();
        const QPoint panelAt = FPanel->pos();
        // Moved by the program, not by a drag, so that a re-dock would show.
        FMain->move(FMain->pos() + QPoint(25, 15));

        if (how == 0) {
            FMain->MinimizeProgram();
            QVERIFY(FMain->IsProgramMinimized());
            QTRY_VERIFY(!FPanel->isVisible()); // it went to the tray with the rest
            FMain->RestoreProgram();
            QVERIFY(!FMain->IsProgramMinimized());
        } else if (how == 1) {
            // Without a notification area, the main window alone is minimised.
            FMain->MinimizeProgram();
            QTRY_VERIFY(FMain->IsProgramMinimized());
            FMain->RestoreProgram();
            QTRY_VERIFY(!FMain->IsProgramMinimized());
        } else {
            FMain->hide();
            FPanel->hide();
            QTest::qWait(100);
            FPanel->show();
            FMain->show();
        }
        QVERIFY(QTest::qWaitForWindowExposed(FPanel));
        QTest::qWait(500);
        QCOMPARE(FPanel->pos(), panelAt);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(FPanel->Service()->PagesServed(), served);
        QCOMPARE(pageState(FPanel), QStringLiteral("shown"));
        stopTray();
        // Put back against the main window for what follows.
        FMain->DockWeather();
    }

    void everyCompletedDocumentIsChanged_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<bool>("hasFrame");
        QTest::newRow("a page with frames")
            << QStringLiteral("<html><body style=\"margin:20px;border:3px solid red\">"
                              "<iframe id=\"f\" srcdoc=\"<body style='margin:9px'>inner</body>\">"
                              "</iframe><iframe srcdoc=\"two\"></iframe></body></html>")
            << true;
        QTest::newRow("a page taller and wider than the panel")
            << QStringLiteral(
                   "<!DOCTYPE html><html><body style=\"margin:20px\"><div style=\"height:2000px;"
                   "width:900px\">tall</div></body></html>")
            << false;
    }
    void everyCompletedDocumentIsChanged() {
        QFETCH(QString, html);
        QFETCH(bool, hasFrame);
        QSignalSpy changed(FPanel, &TfrmWeather::DocumentChanged);
        FPanel->WebBrowser()->setHtml(html, QUrl(QStringLiteral("http://127.0.0.1/")));
        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 60000);
        QTest::qWait(200);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(js(FPanel, QLatin1String(kReadBody)).toStringList(), kChangedBody);
        // No scroll bars, however large the page.
        QCOMPARE(
            js(FPanel, QStringLiteral("[window.innerWidth - document.documentElement.clientWidth,"
                                      " window.innerHeight - document.documentElement.clientHeight]"
                                      ".join(' ')")),
            QVariant(QStringLiteral("0 0")));
        if (!hasFrame)
            return;
        // Only the top-level document is changed, not the frames in it.
        const QVariant inner =
            js(FPanel,
               QStringLiteral("(function () { var b = document.getElementById('f')"
                              ".contentDocument.body;"
                              " return [String(b.getAttribute('scroll')), b.style.margin]; })()"));
        QCOMPARE(inner.toStringList(),
                 (QStringList{QStringLiteral("null"), QStringLiteral("9px")}));
    }

    void noForecast() {
        // The public service cannot be had: the page says so, and still gets
        // its three changes.
        TWeatherService::SetForecastApiAddress(
            QUrl(QStringLiteral("http://127.0.0.1:%1/v1/forecast").arg(deadPort())));
        FPanel->HidePanel();
        showPanel();
        QTRY_COMPARE_WITH_TIMEOUT(pageState(FPanel), QStringLiteral("failed"), 40000);
        QCOMPARE(js(FPanel, QStringLiteral("document.querySelector('#note .msg').textContent")),
                 QVariant(QStringLiteral("暂时无法获取天气数据")));
        QCOMPARE(js(FPanel, QLatin1String(kReadBody)).toStringList(), kChangedBody);
        QTest::qWait(200);
        const QRect both = FMain->frameGeometry().united(FPanel->frameGeometry());
        FMain->screen()
            ->grabWindow(0, both.x(), both.y(), both.width(), both.height())
            .save(QDir::temp().filePath(QStringLiteral("vorn-weather-panel-failed.png")));
    }

    void failedPageIsChangedToo() {
        // A page that cannot be loaded at all: the browser's own error page
        // is what completes, and it gets the changes like any other.
        QSignalSpy finished(FPanel->WebBrowser(), &QWebEngineView::loadFinished);
        QSignalSpy changed(FPanel, &TfrmWeather::DocumentChanged);
        FPanel->WebBrowser()->load(
            QUrl(QStringLiteral("http://127.0.0.1:%1/weather/weather.aspx").arg(deadPort())));
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 60000);
        QCOMPARE(finished.first().first().toBool(), false);
        QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 20000);
    }
};

QTEST_MAIN(TestWeatherPanel)
#include "tst_weatherpanel.moc"

// The main window around the month page: layout, the spinners in place,
// dragging by the header strip, the popup menu and its show/hide captions,
// minimising and restoring, closing.
#include "../common/TestTray.h"
#include "UClock.h"
#include "UClockLabel.h"
#include "UDayGrid.h"
#include "UForms.h"
#include "UGradientPanel.h"
#include "UMain.h"
#include "UMenuButton.h"
#include "UPopupMenu.h"
#include "USettings.h"
#include "USpinner.h"
#include "UWeatherPanel.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void window();
    void controls_data();
    void controls();
    void focusOrder();
    void menuItems();
    void spinnerClamping_data();
    void spinnerClamping();
    void holdingPlusWalksThroughMonths();
    void readsSettingsAtStartup();
    void dragMovesOnRelease_data();
    void dragMovesOnRelease();
    void pressOnControlsDoesNotDrag_data();
    void pressOnControlsDoesNotDrag();
    void onlyLeftDragDocksWeather();
    void weatherCaption();
    void notesCaption();
    void strangeCaptionDoesNothing();
    void minimiseAndRestore();
    void showWeatherRestoresMinimised();
    void showNotesDoesNotRestore();
    void exitClosesAndClearsReferences();
    void trayMinimiseKeepsTrayIcon();
    void systemMinimiseGoesToTray();
    void trayRightClickOpensMenuAtPointer();

private:
    void openMain();
    // Makes sure a notification area runs (starting one when the desktop has
    // none); false when none can be had.
    bool needTray();
    // The tray icon's own window where the notification area embeds it.
    static QWidget* trayIconWindow();
    QTemporaryDir* FDir = nullptr;
    QPointer<TfrmManyYear> FMain;
    TTestTray FTray;
};

void TestMainWindow::init() {
    WeatherPanelTesting::SetLibraryFile(QStringLiteral(VORN_WEATHER_PANEL_LIBRARY));
    FDir = new QTemporaryDir;
    Clock::SetNowFunction([] { return QDateTime(QDate(2024, 2, 10), QTime(9, 30, 0)); });
}

void TestMainWindow::cleanup() {
    delete FMain.data();
    delete FDir;
    Clock::SetNowFunction({});
    // Let the tray icon code notice that a notification area started for a
    // test is gone.
    QVERIFY(FTray.Stop());
}

bool TestMainWindow::needTray() {
    return FTray.Need();
}

QWidget* TestMainWindow::trayIconWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return w;
    }
    return nullptr;
}

void TestMainWindow::openMain() {
    FMain = new TfrmManyYear(FDir->path());
    FMain->show();
    FMain->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FMain));
}

void TestMainWindow::window() {
    openMain();
    QCOMPARE(frmManyYear, FMain.data());
    QCOMPARE(MainForm(), FMain.data());
    QCOMPARE(FMain->objectName(), QStringLiteral("frmManyYear"));
    QCOMPARE(FMain->windowTitle(), QStringLiteral("万年历"));
    QVERIFY(FMain->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(FMain->size(), QSize(410, 376));
    QCOMPARE(FMain->minimumSize(), FMain->maximumSize());
    // Centred on the screen.
    const QRect screen = FMain->screen()->geometry();
    QVERIFY(qAbs(FMain->frameGeometry().center().x() - screen.center().x()) <= 2);
    QVERIFY(qAbs(FMain->frameGeometry().center().y() - screen.center().y()) <= 2);
    auto* alarm = FMain->findChild<QTimer*>(QStringLiteral("tNoteAlarm"));
    QVERIFY(alarm);
    QCOMPARE(alarm->interval(), 1000);
    QVERIFY(alarm->isActive());
    QVERIFY(FMain->findChild<QSystemTrayIcon*>(QStringLiteral("tiTray")));
    // The tray icon tells today's date.
    QVERIFY2(FMain->tiTray->toolTip().contains(QStringLiteral("2024年2月10日")),
             qPrintable(FMain->tiTray->toolTip()));
}

void TestMainWindow::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("fontPixels");
    QTest::addColumn<bool>("bold");
    QTest::newRow("pnlTop") << "pnlTop" << QRect(0, 0, 410, 49) << 11 << false;
    QTest::newRow("rsYear") << "rsYear" << QRect(10, 6, 78, 18) << 16 << true;
    QTest::newRow("年") << "lblYear" << QRect(93, 6, 16, 16) << 13 << true;
    QTest::newRow("rsMonth") << "rsMonth" << QRect(112, 6, 56, 18) << 16 << true;
    QTest::newRow("月") << "lblMonth" << QRect(172, 6, 17, 16) << 13 << true;
    QTest::newRow("clock") << "lblTime" << QRect(192, 6, 79, 18) << 16 << true;
    QTest::newRow("lblNLYear") << "lblNLYear" << QRect(280, 4, 100, 19) << 21 << true;
    QTest::newRow("menu button") << "btnMenu" << QRect(390, 4, 15, 19) << 11 << false;
    QTest::newRow("lblHolday") << "lblHolday" << QRect(10, 30, 247, 13) << 11 << false;
    QTest::newRow("advDays") << "advDays" << QRect(0, 49, 410, 327) << 11 << false;
}

void TestMainWindow::controls() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(int, fontPixels);
    QFETCH(bool, bold);
    openMain();
    auto* w = FMain->findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->font().pixelSize(), fontPixels);
    QCOMPARE(w->font().bold(), bold);
}

void TestMainWindow::focusOrder() {
    openMain();
    QCOMPARE(QApplication::focusWidget(), FMain->rsYear);
    QTest::keyClick(FMain, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), FMain->rsMonth);
    QTest::keyClick(FMain, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), FMain->advDays);
}

void TestMainWindow::menuItems() {
    openMain();
    const QList<QAction*> items = FMain->pmMain->actions();
    const QStringList names = {"N1", "N3", "N4", "N5", "N6", "N7", "N8", "N9", "N2", "N10", "N11"};
    const QStringList captions = {"显示天气预报", "",         "便签维护", "显示便签",
                                  "便签设置",     "便签历史", "",         "最小化到托盘",
                                  "退出程序",     "",         "关于..."};
    QCOMPARE(items.size(), 11);
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items[i]->objectName(), names[i]);
        QCOMPARE(items[i]->isSeparator(), captions[i].isEmpty());
        QCOMPARE(items[i]->text(), captions[i]);
        QVERIFY(items[i]->shortcut().isEmpty());
        if (!items[i]->isSeparator()) {
            const bool hasGlyph = names[i] != QLatin1String("N11");
            QCOMPARE(!items[i]->icon().isNull(), hasGlyph);
            if (hasGlyph)
                QVERIFY(items[i]->icon().availableSizes().contains(QSize(16, 16)));
        }
    }
    QCOMPARE(FMain->btnMenu->Menu(), FMain->pmMain);
}

void TestMainWindow::spinnerClamping_data() {
    QTest::addColumn<QString>("spinner");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<bool>("plus");
    QTest::addColumn<int>("expectYear");
    QTest::addColumn<int>("expectMonth");
    QTest::newRow("month 12 plus: no carry") << "rsMonth" << 2024 << 12 << true << 2024 << 12;
    QTest::newRow("month 1 minus: no borrow") << "rsMonth" << 2024 << 1 << false << 2024 << 1;
    QTest::newRow("year 2050 plus") << "rsYear" << 2050 << 5 << true << 2050 << 5;
    QTest::newRow("year 1901 minus") << "rsYear" << 1901 << 5 << false << 1901 << 5;
    QTest::newRow("month 11 plus") << "rsMonth" << 2024 << 11 << true << 2024 << 12;
}

void TestMainWindow::spinnerClamping() {
    QFETCH(QString, spinner);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(bool, plus);
    QFETCH(int, expectYear);
    QFETCH(int, expectMonth);
    openMain();
    FMain->rsYear->SetValue(year);
    FMain->rsMonth->SetValue(month);
    auto* s = FMain->findChild<TSpinner*>(spinner);
    const QPoint at = (plus ? s->PlusRect() : s->MinusRect()).center();
    QTest::mouseClick(s, Qt::LeftButton, {}, at);
    QCOMPARE(FMain->rsYear->Value(), expectYear);
    QCOMPARE(FMain->rsMonth->Value(), expectMonth);
    // The page shows the spinners' month.
    const int first = QDate(expectYear, expectMonth, 1).dayOfWeek() % 7;
    QVERIFY(FMain->advDays->Cell(first, 1).startsWith(QStringLiteral("1\r")));
}

void TestMainWindow::holdingPlusWalksThroughMonths() {
    openMain();
    FMain->rsMonth->SetValue(1);
    const int before = FMain->FillCount();
    const QPoint at = FMain->rsMonth->PlusRect().center();
    QTest::mousePress(FMain->rsMonth, Qt::LeftButton, {}, at);
    QTest::qWait(900);
    QTest::mouseRelease(FMain->rsMonth, Qt::LeftButton, {}, at);
    const int month = FMain->rsMonth->Value();
    QVERIFY2(month >= 5 && month <= 10, qPrintable(QString::number(month)));
    QCOMPARE(FMain->FillCount() - before, month - 1);
    const int first = QDate(2024, month, 1).dayOfWeek() % 7;
    QVERIFY(FMain->advDays->Cell(first, 1).startsWith(QStringLiteral("1\r")));
}

void TestMainWindow::readsSettingsAtStartup() {
    const QString dataDir = FDir->filePath(QStringLiteral("VORNCalendar"));
    QVERIFY(QDir().mkdir(dataDir));
    QFile f(dataDir + QStringLiteral("/Config.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[NoteSet]\nPosition=3\nAlarm=0x1\nblend=$5\n");
    f.close();
    Position = Alarm = blend = 0;
    FMain = new TfrmManyYear(dataDir);
    QCOMPARE(Position, 3);
    QCOMPARE(Alarm, 1);
    QCOMPARE(blend, 5);
    QCOMPARE(FMain->ConfigFile(), dataDir + QStringLiteral("/Config.ini"));

    // Without a file: the defaults, and the data folder is made.
    delete FMain.data();
    const QString fresh = FDir->filePath(QStringLiteral("fresh"));
    FMain = new TfrmManyYear(fresh);
    QCOMPARE(Position, 0);
    QCOMPARE(Alarm, 0);
    QCOMPARE(blend, 10);
    QVERIFY(QFileInfo(fresh).isDir());
    QVERIFY(!QFileInfo::exists(fresh + QStringLiteral("/Config.ini")));
}

void TestMainWindow::dragMovesOnRelease_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::newRow("left") << int(Qt::LeftButton) << QPoint(300, 40) << QPoint(350, 85);
    QTest::newRow("right") << int(Qt::RightButton) << QPoint(300, 40) << QPoint(260, 10);
    QTest::newRow("release outside the window")
        << int(Qt::LeftButton) << QPoint(300, 40) << QPoint(-200, 500);
}

void TestMainWindow::dragMovesOnRelease() {
    QFETCH(int, button);
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    openMain();
    const QPoint start = FMain->pos();
    QTest::mousePress(FMain->pnlTop, Qt::MouseButton(button), {}, press);
    QTest::mouseMove(FMain->pnlTop, release);
    QTest::qWait(100);
    QCOMPARE(FMain->pos(), start); // nothing follows the pointer
    QTest::mouseRelease(FMain->pnlTop, Qt::MouseButton(button), {}, release);
    QCOMPARE(FMain->FDownX, press.x());
    QCOMPARE(FMain->FDownY, press.y());
    QTRY_COMPARE(FMain->pos(), start + release - press);
}

void TestMainWindow::pressOnControlsDoesNotDrag_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("rsYear") << "rsYear";
    QTest::newRow("rsMonth") << "rsMonth";
    QTest::newRow("年") << "lblYear";
    QTest::newRow("clock") << "lblTime";
    QTest::newRow("lblNLYear") << "lblNLYear";
    QTest::newRow("lblHolday") << "lblHolday";
    QTest::newRow("menu button") << "btnMenu";
}

void TestMainWindow::pressOnControlsDoesNotDrag() {
    QFETCH(QString, name);
    openMain();
    auto* w = FMain->findChild<QWidget*>(name);
    QVERIFY(w);
    const QPoint start = FMain->pos();
    // The menu button opens the menu on the press; close it again.
    QTimer::singleShot(200, FMain->pmMain, &QMenu::close);
    QTest::mousePress(w, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseRelease(w, Qt::RightButton, {}, QPoint(60, 70));
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(80, 90));
    QTest::qWait(300);
    QCOMPARE(FMain->pos(), start);
}

void TestMainWindow::onlyLeftDragDocksWeather() {
    openMain();
    QWidget weather(nullptr, Qt::Window | Qt::FramelessWindowHint);
    weather.resize(222, 376);
    FMain->SetWeatherWindow(&weather);
    weather.show();
    QVERIFY(QTest::qWaitForWindowExposed(&weather));
    FMain->DockWeather();
    auto docked = [&] { return FMain->frameGeometry().topRight() + QPoint(1, 0); };
    QTRY_COMPARE(weather.pos(), docked());

    // A right-button drag moves the main window only.
    const QPoint panelAt = weather.pos();
    QTest::mousePress(FMain->pnlTop, Qt::RightButton, {}, QPoint(300, 40));
    QTest::mouseRelease(FMain->pnlTop, Qt::RightButton, {}, QPoint(330, 60));
    QTest::qWait(200);
    QCOMPARE(weather.pos(), panelAt);

    // The next left-button drag docks it again, also while it is hidden.
    weather.hide();
    QTest::mousePress(FMain->pnlTop, Qt::LeftButton, {}, QPoint(300, 40));
    QTest::mouseRelease(FMain->pnlTop, Qt::LeftButton, {}, QPoint(290, 30));
    QTRY_COMPARE(weather.pos(), docked());
    FMain->SetWeatherWindow(nullptr);
}

void TestMainWindow::weatherCaption() {
    openMain();
    QCOMPARE(FMain->N1->text(), QStringLiteral("显示天气预报"));
    FMain->N1->trigger();
    QCOMPARE(FMain->N1->text(), QStringLiteral("隐藏天气预报"));
    FMain->N1->trigger();
    QCOMPARE(FMain->N1->text(), QStringLiteral("显示天气预报"));
}

void TestMainWindow::notesCaption() {
    openMain();
    QCOMPARE(FMain->N5->text(), QStringLiteral("显示便签"));
    FMain->N5->trigger();
    QCOMPARE(FMain->N5->text(), QStringLiteral("隐藏便签"));
    FMain->N5->trigger();
    QCOMPARE(FMain->N5->text(), QStringLiteral("显示便签"));
}

void TestMainWindow::strangeCaptionDoesNothing() {
    openMain();
    FMain->N1->setText(QStringLiteral("显示天气预报 "));
    FMain->N1->trigger();
    QCOMPARE(FMain->N1->text(), QStringLiteral("显示天气预报 "));
    FMain->N5->setText(QStringLiteral("便签"));
    FMain->N5->trigger();
    QCOMPARE(FMain->N5->text(), QStringLiteral("便签"));
}

void TestMainWindow::minimiseAndRestore() {
    openMain();
    QVERIFY(!FMain->IsProgramMinimized());
    FMain->N9->trigger();
    QTRY_VERIFY(FMain->IsProgramMinimized());
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        // In the tray: no window remains on screen.
        QTRY_VERIFY(!FMain->isVisible());
    } else {
        // No notification area: an ordinary minimise that the user can undo.
        QVERIFY(FMain->isVisible());
        QTRY_VERIFY(FMain->isMinimized());
    }
    FMain->RestoreProgram();
    QTRY_VERIFY(!FMain->IsProgramMinimized());
    QVERIFY(FMain->isVisible());
    QTRY_VERIFY(!FMain->isMinimized());
    // Restoring a program that is not minimised changes nothing.
    FMain->RestoreProgram();
    QVERIFY(FMain->isVisible());
    QVERIFY(!FMain->IsProgramMinimized());
}

void TestMainWindow::showWeatherRestoresMinimised() {
    openMain();
    FMain->MinimizeProgram();
    QTRY_VERIFY(FMain->IsProgramMinimized());
    FMain->N1->trigger();
    QTRY_VERIFY(!FMain->IsProgramMinimized());
    QVERIFY(FMain->isVisible());
    QCOMPARE(FMain->N1->text(), QStringLiteral("隐藏天气预报"));
}

void TestMainWindow::showNotesDoesNotRestore() {
    openMain();
    FMain->MinimizeProgram();
    QTRY_VERIFY(FMain->IsProgramMinimized());
    FMain->N5->trigger();
    QTest::qWait(200);
    QVERIFY(FMain->IsProgramMinimized());
    QCOMPARE(FMain->N5->text(), QStringLiteral("隐藏便签"));
    FMain->RestoreProgram();
}

void TestMainWindow::exitClosesAndClearsReferences() {
    openMain();
    QSignalSpy destroyed(FMain.data(), &QObject::destroyed);
    FMain->N2->trigger();
    QTRY_COMPARE(destroyed.count(), 1);
    QVERIFY(FMain.isNull());
    QCOMPARE(frmManyYear, nullptr);
    QCOMPARE(MainForm(), nullptr);
}

void TestMainWindow::trayMinimiseKeepsTrayIcon() {
    if (!needTray())
        QSKIP("no notification area here and no trayer to start one");
    openMain();
    QWidget other(nullptr, Qt::Window);
    other.setWindowTitle(QStringLiteral("another window of the program"));
    other.resize(200, 150);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QWidget* icon = trayIconWindow();
    QVERIFY(icon);
    QTRY_VERIFY(icon->isVisible());

    FMain->N9->trigger();
    QVERIFY(FMain->IsProgramMinimized());
    QTRY_VERIFY(!FMain->isVisible());
    QVERIFY(!other.isVisible());
    // The icon stays in the notification area: the only way back.
    QVERIFY(icon->isVisible());

    // A left double-click on the icon brings every window back.
    QTest::mouseDClick(icon, Qt::LeftButton, {}, icon->rect().center());
    QTRY_VERIFY(FMain->isVisible());
    QVERIFY(!FMain->IsProgramMinimized());
    QVERIFY(other.isVisible());
    QVERIFY(QTest::qWaitForWindowActive(FMain));
    QVERIFY(icon->isVisible());
}

void TestMainWindow::systemMinimiseGoesToTray() {
    if (!needTray())
        QSKIP("no notification area here and no trayer to start one");
    openMain();
    // Minimised by the window manager: the whole program goes to the tray,
    // leaving no taskbar button.
    FMain->showMinimized();
    QTRY_VERIFY(FMain->IsProgramMinimized());
    QTRY_VERIFY(!FMain->isVisible());
    FMain->RestoreProgram();
    QTRY_VERIFY(FMain->isVisible());
    QVERIFY(!FMain->isMinimized());
    QVERIFY(!FMain->IsProgramMinimized());
}

void TestMainWindow::trayRightClickOpensMenuAtPointer() {
    if (!needTray())
        QSKIP("no notification area here and no trayer to start one");
    openMain();
    QWidget* icon = trayIconWindow();
    QVERIFY(icon);
    QTRY_VERIFY(icon->isVisible());
    const QPoint pointer(600, 400);
    QCursor::setPos(pointer);
    QTRY_COMPARE(QCursor::pos(), pointer);
    QTest::mouseClick(icon, Qt::RightButton, {}, icon->rect().center());
    QTRY_VERIFY(FMain->pmMain->isVisible());
    QCOMPARE(FMain->pmMain->pos(), pointer);
    // While the icon's menu is open a double-click on the icon does nothing.
    FMain->MinimizeProgram();
    QVERIFY(FMain->IsProgramMinimized());
    FMain->tiTrayActivated(QSystemTrayIcon::DoubleClick);
    QVERIFY(FMain->IsProgramMinimized());
    FMain->pmMain->close();
    QTRY_VERIFY(!FMain->pmMain->isVisible());
    FMain->tiTrayActivated(QSystemTrayIcon::DoubleClick);
    QVERIFY(!FMain->IsProgramMinimized());
    QTRY_VERIFY(FMain->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

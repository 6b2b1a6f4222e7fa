// The widgets of the header strip: the clock label, the gradient panel, the
// drop-down menu button with its placement rule and the popup menu.
#include "UClock.h"
#include "UClockLabel.h"
#include "UGradientPanel.h"
#include "UMenuButton.h"
#include "UPopupMenu.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

class PaintCounter : public QObject {
public:
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

} // namespace

class TestHeaderWidgets : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void clockFormat_data();
    void clockFormat();
    void clockRepaintsOnlyOnChange();
    void panelLook();
    void panelReportsBareAreaOnly();
    void menuPosition_data();
    void menuPosition();
    void estimatedWidth();
    void plainPressOpensMenu_data();
    void plainPressOpensMenu();
    void popupItems();
};

void TestHeaderWidgets::cleanup() {
    Clock::SetNowFunction({});
}

void TestHeaderWidgets::clockFormat_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("midnight") << QTime(0, 0, 0) << "00:00:00";
    QTest::newRow("morning") << QTime(8, 5, 9) << "08:05:09";
    QTest::newRow("afternoon, 24-hour") << QTime(15, 30, 45) << "15:30:45";
    QTest::newRow("last second") << QTime(23, 59, 59) << "23:59:59";
}

void TestHeaderWidgets::clockFormat() {
    QFETCH(QTime, time);
    QFETCH(QString, text);
    Clock::SetNowFunction([time] { return QDateTime(QDate(2024, 2, 10), time); });
    TClockLabel label;
    QCOMPARE(label.Text(), text);
}

void TestHeaderWidgets::clockRepaintsOnlyOnChange() {
    QTime now(10, 0, 0);
    Clock::SetNowFunction([&now] { return QDateTime(QDate(2024, 2, 10), now); });
    TClockLabel label;
    label.resize(79, 18);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    PaintCounter counter;
    label.installEventFilter(&counter);
    // Three polls of a clock that stands still: no repaint.
    QTest::qWait(3 * TClockLabel::PollInterval + 200);
    QCOMPARE(counter.Count, 0);
    QCOMPARE(label.Text(), QStringLiteral("10:00:00"));
    now = QTime(10, 0, 1);
    QTRY_COMPARE_WITH_TIMEOUT(label.Text(), QStringLiteral("10:00:01"), 1500);
    QTRY_COMPARE(counter.Count, 1);
}

void TestHeaderWidgets::panelLook() {
    TGradientPanel panel;
    panel.SetColors(Qt::white, QColor(164, 187, 209));
    panel.SetFrameColors(QColor(142, 156, 173), Qt::white);
    panel.resize(410, 49);
    const QImage img = panel.grab().toImage();
    QCOMPARE(img.pixelColor(0, 0), QColor(142, 156, 173));
    QCOMPARE(img.pixelColor(409, 48), QColor(142, 156, 173));
    QCOMPARE(img.pixelColor(1, 20), QColor(Qt::white));
    QCOMPARE(img.pixelColor(408, 20), QColor(Qt::white));
    // Vertical gradient: light at the top, the blue-grey at the bottom.
    const QColor top = img.pixelColor(200, 3);
    const QColor bottom = img.pixelColor(200, 46);
    QVERIFY(top.red() > 245 && top.blue() > 245);
    QVERIFY(qAbs(bottom.red() - 164) <= 8 && qAbs(bottom.green() - 187) <= 8 &&
            qAbs(bottom.blue() - 209) <= 8);
    QCOMPARE(img.pixelColor(200, 20), img.pixelColor(10, 20));
}

void TestHeaderWidgets::panelReportsBareAreaOnly() {
    TGradientPanel panel;
    panel.resize(200, 49);
    auto* label = new QLabel(QStringLiteral("年"), &panel);
    label->setGeometry(100, 5, 20, 20);
    panel.KeepChildMouse(label);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy down(&panel, &TGradientPanel::MouseDown);
    QSignalSpy up(&panel, &TGradientPanel::MouseUp);
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(down.count(), 0);
    QCOMPARE(up.count(), 0);
    QTest::mousePress(&panel, Qt::RightButton, {}, QPoint(30, 10));
    QTest::mouseRelease(&panel, Qt::RightButton, {}, QPoint(-40, 300));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down[0][0].value<Qt::MouseButton>(), Qt::RightButton);
    QCOMPARE(down[0][1].toPoint(), QPoint(30, 10));
    QCOMPARE(up.count(), 1);
    QCOMPARE(up[0][1].toPoint(), QPoint(-40, 300));
}

void TestHeaderWidgets::menuPosition_data() {
    QTest::addColumn<QRect>("button");
    QTest::addColumn<int>("width");
    QTest::addColumn<QRect>("work");
    QTest::addColumn<QPoint>("expected");
    const QRect screen(0, 0, 1920, 1040);
    QTest::newRow("fits") << QRect(1000, 300, 15, 19) << 150 << screen << QPoint(1000, 319);
    QTest::newRow("just fits") << QRect(1770, 300, 15, 19) << 150 << screen << QPoint(1770, 319);
    QTest::newRow("passes the edge: right edges line up")
        << QRect(1800, 300, 15, 19) << 150 << screen << QPoint(1815 - 150, 319);
    QTest::newRow("second monitor")
        << QRect(3800, 300, 15, 19) << 150 << QRect(1920, 0, 1920, 1080) << QPoint(3665, 319);
}

void TestHeaderWidgets::menuPosition() {
    QFETCH(QRect, button);
    QFETCH(int, width);
    QFETCH(QRect, work);
    QFETCH(QPoint, expected);
    QCOMPARE(TMenuButton::MenuPosition(button, width, work), expected);
}

void TestHeaderWidgets::estimatedWidth() {
    TPopupMenu menu;
    menu.AddItem(QStringLiteral("A"), QStringLiteral("便签"));
    menu.AddSeparator(QStringLiteral("S"));
    menu.AddItem(QStringLiteral("B"), QStringLiteral("最小化到托盘"));
    const QFontMetrics fm(menu.font());
    QCOMPARE(TMenuButton::EstimatedMenuWidth(&menu),
             fm.horizontalAdvance(QStringLiteral("最小化到托盘")) + 56);
}

void TestHeaderWidgets::plainPressOpensMenu_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    QTest::newRow("left") << int(Qt::LeftButton) << 0 << true;
    QTest::newRow("shift+left") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << false;
    QTest::newRow("ctrl+left") << int(Qt::LeftButton) << int(Qt::ControlModifier) << false;
    QTest::newRow("alt+left") << int(Qt::LeftButton) << int(Qt::AltModifier) << false;
    QTest::newRow("right") << int(Qt::RightButton) << 0 << false;
}

void TestHeaderWidgets::plainPressOpensMenu() {
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);
    QWidget window;
    window.resize(200, 100);
    auto* menuButton = new TMenuButton(&window);
    menuButton->setGeometry(150, 4, 15, 19);
    TPopupMenu menu;
    menu.AddItem(QStringLiteral("A"), QStringLiteral("退出程序"));
    menuButton->SetMenu(&menu);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool shown = false;
    QPoint shownAt;
    QTimer::singleShot(300, &menu, [&] {
        shown = menu.isVisible();
        shownAt = menu.pos();
        menu.close();
    });
    QTest::mousePress(menuButton, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers),
                      QPoint(7, 9));
    QTest::qWait(400);
    QCOMPARE(shown, opens);
    if (opens)
        QCOMPARE(shownAt, menuButton->mapToGlobal(QPoint(0, 19)));
}

void TestHeaderWidgets::popupItems() {
    TPopupMenu menu;
    QAction* a = menu.AddItem(QStringLiteral("N9"), QStringLiteral("最小化到托盘"),
                              QStringLiteral(":/no/such/glyph.png"));
    QAction* b = menu.AddItem(QStringLiteral("N11"), QStringLiteral("关于..."));
    QCOMPARE(a->text(), QStringLiteral("最小化到托盘"));
    QCOMPARE(b->text(), QStringLiteral("关于..."));
    QVERIFY(a->icon().isNull());
    QVERIFY(a->shortcut().isEmpty());
    QCOMPARE(menu.Item(QStringLiteral("N11")), b);
    QCOMPARE(menu.Item(QStringLiteral("N1")), nullptr);
}

QTEST_MAIN(TestHeaderWidgets)
#include "tst_headerwidgets.moc"

// Where the weather panel goes beside the main window, for screens of every
// size and arrangement: on the right where it fits, else on the left, else
// inside the screen; never off the screen the main window is on.
#include "UWeatherPlace.h"

#include <QtTest>

namespace {

const QSize kMain(410, 376);
const QSize kPanel(222, 376);

QRect mainAt(int X, int Y) {
    return QRect(QPoint(X, Y), kMain);
}

} // namespace

class TestWeatherPlace : public QObject {
    Q_OBJECT
private slots:
    void place_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QPoint>("expected");
        const QList<QRect> full = {QRect(0, 0, 1920, 1080)};
        const QList<QRect> small = {QRect(0, 0, 600, 400)};

        QTest::newRow("room on the right") << mainAt(755, 352) << full << QPoint(1165, 352);
        QTest::newRow("just fits on the right") << mainAt(1288, 100) << full << QPoint(1698, 100);
        QTest::newRow("at the right edge: left") << mainAt(1510, 300) << full << QPoint(1288, 300);
        QTest::newRow("one pixel short on the right: left")
            << mainAt(1289, 300) << full << QPoint(1067, 300);
        QTest::newRow("partly past the right edge: left")
            << mainAt(1700, 300) << full << QPoint(1478, 300);
        QTest::newRow("at the left edge: right") << mainAt(0, 300) << full << QPoint(410, 300);
        QTest::newRow("partly past the left edge: right")
            << mainAt(-200, 300) << full << QPoint(210, 300);

        // Neither side has room: as far right as the screen allows.
        QTest::newRow("left edge of a small screen") << mainAt(0, 12) << small << QPoint(378, 12);
        QTest::newRow("right edge of a small screen") << mainAt(190, 0) << small << QPoint(378, 0);
        QTest::newRow("middle of a small screen") << mainAt(95, 10) << small << QPoint(378, 10);
        QTest::newRow("screen narrower than the panel")
            << mainAt(0, 0) << QList<QRect>{QRect(0, 0, 200, 400)} << QPoint(0, 0);

        // The top follows the main window as far as the screen allows.
        QTest::newRow("task bar below")
            << mainAt(755, 900) << QList<QRect>{QRect(0, 0, 1920, 1040)} << QPoint(1165, 664);
        QTest::newRow("above the top") << mainAt(100, -50) << full << QPoint(510, 0);
        QTest::newRow("panel on top of the screen")
            << mainAt(100, 20) << QList<QRect>{QRect(0, 32, 1920, 1048)} << QPoint(510, 32);
        QTest::newRow("screen lower than the panel")
            << mainAt(100, 0) << QList<QRect>{QRect(0, 0, 1920, 300)} << QPoint(510, 0);

        // Several screens: the one the main window is on.
        const QList<QRect> two = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QTest::newRow("second screen, room on the right")
            << mainAt(2000, 100) << two << QPoint(2410, 100);
        QTest::newRow("second screen, at its right edge")
            << mainAt(2790, 100) << two << QPoint(2568, 100);
        QTest::newRow("across two screens, mostly the first")
            << mainAt(1700, 100) << two << QPoint(1478, 100);
        QTest::newRow("across two screens, mostly the second")
            << mainAt(1800, 100) << two << QPoint(2210, 100);
        const QList<QRect> leftOfPrimary = {QRect(-1280, 0, 1280, 1024), QRect(0, 0, 1920, 1080)};
        QTest::newRow("screen left of the primary, at its right edge")
            << mainAt(-410, 100) << leftOfPrimary << QPoint(-632, 100);
        QTest::newRow("off every screen: the nearest")
            << mainAt(5000, 300) << full << QPoint(1698, 300);
        QTest::newRow("off every screen, below the second")
            << mainAt(2500, 1500) << two << QPoint(2910, 648);

        // The program's coordinates at twice the size on a 1920 x 1080 screen.
        const QList<QRect> scaled = {QRect(0, 0, 960, 540)};
        QTest::newRow("scaled, centred") << mainAt(275, 82) << scaled << QPoint(685, 82);
        QTest::newRow("scaled, at the right edge") << mainAt(550, 82) << scaled << QPoint(328, 82);
        QTest::newRow("scaled, low") << mainAt(275, 400) << scaled << QPoint(685, 164);

        QTest::newRow("no screen at all") << mainAt(100, 50) << QList<QRect>{} << QPoint(510, 50);
    }
    void place() {
        QFETCH(QRect, main);
        QFETCH(QList<QRect>, areas);
        QFETCH(QPoint, expected);
        const QPoint at = PlaceWeatherPanel(main, kPanel, areas);
        QCOMPARE(at, expected);
        if (areas.isEmpty())
            return;
        // Whatever the case, the whole panel is on one of the screens.
        const QRect panel(at, kPanel);
        const bool onScreen = std::any_of(areas.begin(), areas.end(), [&](const QRect& a) {
            return a.contains(panel) || a.width() < kPanel.width() || a.height() < kPanel.height();
        });
        QVERIFY(onScreen);
    }
};

QTEST_GUILESS_MAIN(TestWeatherPlace)
#include "tst_weatherplace.moc"

// The spinner: clamping without wrap-around, change notifications only on a
// real change, clicks on release, auto-repeat, keys and the wheel.
#include "USpinner.h"

#include <QSignalSpy>
#include <QtTest>

class TestSpinner : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void setValueClamps_data();
    void setValueClamps();
    void changedOnlyOnRealChange();
    void clickStepsOnRelease_data();
    void clickStepsOnRelease();
    void releaseOutsideDoesNotStep();
    void holdRepeats();
    void repeatStopsAtLimit();
    void keys_data();
    void keys();
    void wheel_data();
    void wheel();
    void rangeChangeClampsValue();

private:
    TSpinner* FSpin = nullptr;
};

void TestSpinner::init() {
    FSpin = new TSpinner;
    FSpin->resize(78, 18);
    FSpin->SetRange(1, 12);
    FSpin->SetValue(6);
    FSpin->show();
    QVERIFY(QTest::qWaitForWindowExposed(FSpin));
}

void TestSpinner::cleanup() {
    delete FSpin;
    FSpin = nullptr;
}

void TestSpinner::setValueClamps_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("inside") << 9 << 9;
    QTest::newRow("minimum") << 1 << 1;
    QTest::newRow("maximum") << 12 << 12;
    QTest::newRow("below") << 0 << 1;
    QTest::newRow("far below") << -1000 << 1;
    QTest::newRow("above: no wrap to 1") << 13 << 12;
}

void TestSpinner::setValueClamps() {
    QFETCH(int, value);
    QFETCH(int, expected);
    FSpin->SetValue(value);
    QCOMPARE(FSpin->Value(), expected);
}

void TestSpinner::changedOnlyOnRealChange() {
    QSignalSpy spy(FSpin, &TSpinner::Changed);
    FSpin->SetValue(6);
    QCOMPARE(spy.count(), 0);
    FSpin->SetValue(7);
    QCOMPARE(spy.count(), 1);
    FSpin->SetValue(12);
    FSpin->SetValue(13); // clamped to 12: no change
    FSpin->StepBy(1);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(FSpin->Value(), 12);
}

void TestSpinner::clickStepsOnRelease_data() {
    QTest::addColumn<bool>("plus");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");
    QTest::newRow("plus") << true << 6 << 7;
    QTest::newRow("minus") << false << 6 << 5;
    QTest::newRow("plus at 12 stays") << true << 12 << 12;
    QTest::newRow("minus at 1 stays") << false << 1 << 1;
}

void TestSpinner::clickStepsOnRelease() {
    QFETCH(bool, plus);
    QFETCH(int, start);
    QFETCH(int, expected);
    FSpin->SetValue(start);
    const QPoint at = (plus ? FSpin->PlusRect() : FSpin->MinusRect()).center();
    QTest::mousePress(FSpin, Qt::LeftButton, {}, at);
    QCOMPARE(FSpin->Value(), start); // nothing yet on the press
    QTest::mouseRelease(FSpin, Qt::LeftButton, {}, at);
    QCOMPARE(FSpin->Value(), expected);
}

void TestSpinner::releaseOutsideDoesNotStep() {
    QTest::mousePress(FSpin, Qt::LeftButton, {}, FSpin->PlusRect().center());
    QTest::mouseRelease(FSpin, Qt::LeftButton, {}, FSpin->rect().center());
    QCOMPARE(FSpin->Value(), 6);
}

void TestSpinner::holdRepeats() {
    FSpin->SetRange(1901, 2050);
    FSpin->SetValue(2000);
    const QPoint at = FSpin->PlusRect().center();
    QTest::mousePress(FSpin, Qt::LeftButton, {}, at);
    QTest::qWait(250);
    QCOMPARE(FSpin->Value(), 2000); // no repeat before 400 ms
    QTRY_COMPARE_WITH_TIMEOUT(FSpin->Value(), 2001, 1000);
    // Then every 100 ms: several more steps within the next second.
    QTest::qWait(1000);
    QTest::mouseRelease(FSpin, Qt::LeftButton, {}, at);
    const int reached = FSpin->Value();
    QVERIFY2(reached >= 2006 && reached <= 2013, qPrintable(QString::number(reached)));
    // After the release nothing repeats any more.
    QTest::qWait(300);
    QCOMPARE(FSpin->Value(), reached);
}

void TestSpinner::repeatStopsAtLimit() {
    FSpin->SetValue(11);
    QSignalSpy spy(FSpin, &TSpinner::Changed);
    const QPoint at = FSpin->PlusRect().center();
    QTest::mousePress(FSpin, Qt::LeftButton, {}, at);
    QTest::qWait(900);
    QTest::mouseRelease(FSpin, Qt::LeftButton, {}, at);
    QCOMPARE(FSpin->Value(), 12);
    QCOMPARE(spy.count(), 1);
}

void TestSpinner::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");
    QTest::newRow("Up") << int(Qt::Key_Up) << 0 << 51;
    QTest::newRow("Right") << int(Qt::Key_Right) << 0 << 51;
    QTest::newRow("keypad +") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 51;
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << 49;
    QTest::newRow("Left") << int(Qt::Key_Left) << 0 << 49;
    QTest::newRow("keypad -") << int(Qt::Key_Minus) << int(Qt::KeypadModifier) << 49;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 0 << 60;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 0 << 40;
    QTest::newRow("plain + does nothing") << int(Qt::Key_Plus) << 0 << 50;
    QTest::newRow("letter does nothing") << int(Qt::Key_A) << 0 << 50;
}

void TestSpinner::keys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    FSpin->SetRange(0, 100);
    FSpin->SetValue(50);
    FSpin->activateWindow();
    FSpin->setFocus();
    QTest::keyClick(FSpin, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(FSpin->Value(), expected);
}

void TestSpinner::wheel_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("expected");
    QTest::newRow("up") << 120 << false << 51;
    QTest::newRow("down") << -120 << false << 49;
    QTest::newRow("ctrl up") << 120 << true << 60;
    QTest::newRow("ctrl down") << -120 << true << 40;
    QTest::newRow("half a notch") << 60 << false << 50;
    QTest::newRow("two notches") << 240 << false << 52;
}

void TestSpinner::wheel() {
    QFETCH(int, delta);
    QFETCH(bool, ctrl);
    QFETCH(int, expected);
    FSpin->SetRange(0, 100);
    FSpin->SetValue(50);
    const QPointF pos = FSpin->rect().center();
    QWheelEvent e(pos, FSpin->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                  ctrl ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(FSpin, &e);
    QCOMPARE(FSpin->Value(), expected);
}

void TestSpinner::rangeChangeClampsValue() {
    QSignalSpy spy(FSpin, &TSpinner::Changed);
    FSpin->SetRange(1901, 2050);
    QCOMPARE(FSpin->Value(), 1901);
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestSpinner)
#include "tst_spinner.moc"

// The spinner: clamping without wrap-around, change notifications only on a
// real change, clicks on release, auto-repeat, keys and the wheel.
#include "USpinner.h"

#include <QSignalSpy>
#include <QTimer>
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
    void releaseAfterRepeatAddsNothing_data();
    void releaseAfterRepeatAddsNothing();
    void typedDigits_data();
    void typedDigits();
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

void TestSpinner::releaseAfterRepeatAddsNothing_data() {
    // How long the plus button was held, as the repeats that came meanwhile
    // (the first after 400 ms, then every 100 ms), and the steps in all.
    QTest::addColumn<int>("repeats");
    QTest::addColumn<int>("steps");
    QTest::newRow("a click") << 0 << 1;
    QTest::newRow("held 0.45 s") << 1 << 1;
    QTest::newRow("held 1.05 s") << 7 << 7;
}

void TestSpinner::releaseAfterRepeatAddsNothing() {
    QFETCH(int, repeats);
    QFETCH(int, steps);
    FSpin->SetRange(1901, 2050);
    FSpin->SetValue(2000);
    auto* repeat = FSpin->findChild<QTimer*>(QStringLiteral("tmRepeat"));
    QVERIFY(repeat);
    const QPoint at = FSpin->PlusRect().center();
    QTest::mousePress(FSpin, Qt::LeftButton, {}, at);
    QVERIFY(repeat->isActive());
    QCOMPARE(repeat->interval(), int(TSpinner::InitialRepeatDelay));
    // The repeats as the timer would give them, without waiting for it.
    for (int i = 0; i < repeats; ++i) {
        QVERIFY(QMetaObject::invokeMethod(repeat, "timeout", Qt::DirectConnection));
        QCOMPARE(repeat->interval(), int(TSpinner::RepeatInterval));
    }
    QTest::mouseRelease(FSpin, Qt::LeftButton, {}, at);
    QVERIFY(!repeat->isActive());
    QCOMPARE(FSpin->Value(), 2000 + steps);
}

void TestSpinner::typedDigits_data() {
    // Keys typed into the year spinner (range 1901..2050, at 2000) and the
    // value it then has; "=" stands for Enter, "<" for Backspace, "!" for Esc.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("pending");
    QTest::newRow("a year and Enter") << "2033=" << 2033 << "";
    QTest::newRow("before the range") << "1850=" << 1901 << "";
    QTest::newRow("after the range") << "3000=" << 2050 << "";
    QTest::newRow("not yet taken") << "203" << 2000 << "203";
    QTest::newRow("Esc drops the digits") << "2033!" << 2000 << "";
    QTest::newRow("Backspace") << "201<19=" << 2019 << "";
    QTest::newRow("no more digits than the range's largest") << "20331=" << 2033 << "";
    QTest::newRow("Enter alone changes nothing") << "=" << 2000 << "";
}

void TestSpinner::typedDigits() {
    QFETCH(QString, keys);
    QFETCH(int, value);
    QFETCH(QString, pending);
    FSpin->SetRange(1901, 2050);
    FSpin->SetValue(2000);
    FSpin->SetTypingEnabled(true);
    FSpin->setFocus();
    QSignalSpy spy(FSpin, &TSpinner::Changed);
    for (QChar k : keys) {
        if (k == u'=')
            QTest::keyClick(FSpin, Qt::Key_Return);
        else if (k == u'<')
            QTest::keyClick(FSpin, Qt::Key_Backspace);
        else if (k == u'!')
            QTest::keyClick(FSpin, Qt::Key_Escape);
        else
            QTest::keyClick(FSpin, Qt::Key(Qt::Key_0 + k.digitValue()));
    }
    QCOMPARE(FSpin->Value(), value);
    QCOMPARE(FSpin->TypedText(), pending);
    QCOMPARE(spy.count(), value == 2000 ? 0 : 1);
    // Leaving the spinner drops what is not taken yet.
    FSpin->clearFocus();
    QCOMPARE(FSpin->TypedText(), QString());
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

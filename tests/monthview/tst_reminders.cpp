// The reminder timer as the user meets it: a flagged note of today brings up
// the note window and shakes it during its whole minute, and tells the
// desktop once, with its own notification; a press on the note stops the
// shake; a reminder whose minute passed while the machine slept comes late
// rather than never; a dialog opened meanwhile holds nothing up; nothing
// happens for other notes, after a change to the file, or while reminders
// are off. The shake runs from a timer with no pause between its moves here,
// so no test waits for it.
#include "UClock.h"
#include "UMain.h"
#include "UNoteHis.h"
#include "UNoteList.h"
#include "USettings.h"
#include "UWindowShaker.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Note {
    QString title, time, flag, content;
};

QByteArray NotesXml(const QList<Note>& today) {
    QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><便签列表>"
                  "<Date2000-01-01><标题>示例</标题><日期>2026-12-10 09:00</日期><提醒>是</提醒>"
                  "<内容>seed</内容></Date2000-01-01>"
                  "<Date2026-12-09><标题>昨天</标题><日期>2026-12-10 09:00</日期><提醒>是</提醒>"
                  "<内容>another day</内容></Date2026-12-09><Date2026-12-10>";
    for (const Note& n : today)
        xml += "<标题>" + n.title + "</标题><日期>" + n.time + "</日期><提醒>" + n.flag +
               "</提醒><内容>" + n.content + "</内容>";
    xml += "</Date2026-12-10></便签列表>";
    return xml.toUtf8();
}

QDateTime Now;

} // namespace

class TestReminders : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dueDuringItsMinute_data();
    void dueDuringItsMinute();
    void slotRules();
    void twoNotesAtTheSameTime();
    void neverDue_data();
    void neverDue();
    void changeBeforeItsMinute_data();
    void changeBeforeItsMinute();
    void switchedOffNeverReads();
    void shakeRestoresPosition();
    void pressOnTheNoteStopsTheShake();
    void closingDuringShake();
    void dialogDuringShakeHoldsNothingUp();
    void missedWhileAsleepComesLate();
    void noticeOncePerReminder();
    void reminderKeepsMenuCaption();
    void unreadableFileIsToldOnce();

private:
    void WriteNotes(const QList<Note>& notes);
    // Runs one tick at the clock's time and returns 1 when it started (or
    // kept up) a shake, else 0; the shake is then run to its end, Seen
    // collecting every place the note window took meanwhile.
    int Tick(QList<QPoint>* Seen = nullptr);
    // A tick at Time, after one a second before it (as the running timer
    // would have made).
    int TickAt(const QTime& Time);
    QTemporaryDir* FDir = nullptr;
    QPointer<TfrmManyYear> FMain;
    QStringList FNotices;
};

void TestReminders::init() {
    Now = QDateTime(QDate(2026, 12, 10), QTime(8, 59, 30));
    Clock::SetNowFunction([] { return Now; });
    TWindowShaker::SetMoveInterval(0);
    FDir = new QTemporaryDir;
    FMain = new TfrmManyYear(FDir->path());
    FMain->tNoteAlarm->stop(); // the test drives the ticks
    FNotices.clear();
    FMain->SetReminderSender(
        [this](const QString& s, const QString& b) { FNotices << s + "|" + b; });
    Alarm = 1;
    Position = -1;
    blend = 10;
}

void TestReminders::cleanup() {
    delete frmNoteList;
    delete FMain.data();
    delete FDir;
    Clock::SetNowFunction({});
    TWindowShaker::SetMoveInterval(50);
    Alarm = 0;
}

void TestReminders::WriteNotes(const QList<Note>& notes) {
    QFile file(FMain->NotesFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(NotesXml(notes));
}

int TestReminders::Tick(QList<QPoint>* Seen) {
    FMain->tNoteAlarmTimer();
    const bool shaking = FMain->IsShaking();
    QList<QPoint> seen;
    while (FMain && FMain->IsShaking()) {
        QCoreApplication::processEvents();
        if (frmNoteList)
            seen << frmNoteList->pos();
    }
    if (Seen)
        *Seen = seen;
    return shaking ? 1 : 0;
}

int TestReminders::TickAt(const QTime& Time) {
    Now.setTime(Time.addSecs(-1));
    Tick();
    Now.setTime(Time);
    return Tick();
}

void TestReminders::dueDuringItsMinute_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<bool>("due");
    QTest::newRow("08:59:59") << QTime(8, 59, 59) << false;
    QTest::newRow("09:00:00") << QTime(9, 0, 0) << true;
    QTest::newRow("09:00:59") << QTime(9, 0, 59) << true;
    QTest::newRow("09:01:00") << QTime(9, 1, 0) << false;
}

void TestReminders::dueDuringItsMinute() {
    QFETCH(QTime, time);
    QFETCH(bool, due);
    WriteNotes({{"开会", "2026-12-10 09:00", "是", "三楼"}});
    QCOMPARE(TickAt(time), due ? 1 : 0);
    if (due) {
        QVERIFY(frmNoteList && frmNoteList->isVisible());
        // The due note comes first on the note, marked.
        QVERIFY2(frmNoteList->NoteText().startsWith("1.【提醒】开会 | 2026-12-10 09:00 | 是"),
                 qPrintable(frmNoteList->NoteText()));
    }
    // Told once, during its minute only.
    QCOMPARE(FNotices.size(), time >= QTime(9, 0) ? 1 : 0);
    if (time < QTime(9, 0))
        QVERIFY(frmNoteList == nullptr);
}

void TestReminders::slotRules() {
    WriteNotes(
        {{"买菜", "2026-12-10 09:00", "否", ""}, {"开会", "2026-12-10 09:00", "是", "三楼"}});
    QCOMPARE(TickAt(QTime(9, 0, 10)), 1);
    QCOMPARE(FMain->FNoteAlarms.size(), 10);
    QCOMPARE(FMain->FNoteAlarms[0], TNoteAlarm{});
    QCOMPARE(FMain->FNoteAlarms[1], (TNoteAlarm{"开会", "2026-12-10 09:00", "三楼"}));
    QCOMPARE(FNotices, QStringList{"开会|便签提醒：2026-12-10 09:00\n三楼"});
}

void TestReminders::twoNotesAtTheSameTime() {
    WriteNotes({{"买菜", "2026-12-10 08:00", "否", "白菜"},
                {"甲", "2026-12-10 09:00", "是", "甲的内容"},
                {"乙", "2026-12-10 09:00", "是", "乙的内容"}});
    QCOMPARE(TickAt(QTime(9, 0, 0)), 1);
    Now.setTime(QTime(9, 0, 1));
    QCOMPARE(Tick(), 1);
    // Each told once, with its own title, time and content.
    QCOMPARE(FNotices, (QStringList{"甲|便签提醒：2026-12-10 09:00\n甲的内容",
                                    "乙|便签提醒：2026-12-10 09:00\n乙的内容"}));
    // Both due notes stand first on the note.
    const QStringList entries = frmNoteList->NoteText().split(QChar(13));
    QVERIFY2(entries.at(0).startsWith("2.【提醒】甲"), qPrintable(entries.at(0)));
    QVERIFY2(entries.at(3).startsWith("3.【提醒】乙"), qPrintable(entries.at(3)));
    QVERIFY2(entries.at(6).startsWith("1.买菜"), qPrintable(entries.at(6)));
}

void TestReminders::neverDue_data() {
    QTest::addColumn<QList<Note>>("notes");
    QTest::newRow("否") << QList<Note>{{"开会", "2026-12-10 09:00", "否", ""}};
    QTest::newRow("empty title") << QList<Note>{{"", "2026-12-10 09:00", "是", ""}};
    QTest::newRow("flag not exactly 是") << QList<Note>{{"开会", "2026-12-10 09:00", " 是", ""}};
    QTest::newRow("seconds in the time") << QList<Note>{{"开会", "2026-12-10 09:00:00", "是", ""}};
    QTest::newRow("hour without its zero") << QList<Note>{{"开会", "2026-12-10 9:00", "是", ""}};
    QTest::newRow("another day's date") << QList<Note>{{"开会", "2026-12-11 09:00", "是", ""}};
    QTest::newRow("only other days") << QList<Note>{};
}

void TestReminders::neverDue() {
    QFETCH(QList<Note>, notes);
    WriteNotes(notes);
    QCOMPARE(TickAt(QTime(9, 0, 5)), 0);
    QVERIFY(frmNoteList == nullptr);
    QVERIFY(FNotices.isEmpty());
}

void TestReminders::changeBeforeItsMinute_data() {
    QTest::addColumn<QList<Note>>("changed");
    QTest::newRow("deleted") << QList<Note>{};
    // The same number of bytes, and the file's time stamp put back below.
    QTest::newRow("unflagged") << QList<Note>{{"开会", "2026-12-10 09:00", "否", "三楼"}};
    QTest::newRow("moved to 10:00") << QList<Note>{{"开会", "2026-12-10 10:00", "是", "三楼"}};
}

void TestReminders::changeBeforeItsMinute() {
    QFETCH(QList<Note>, changed);
    WriteNotes({{"开会", "2026-12-10 09:00", "是", "三楼"}});
    const QDateTime stamp = QFileInfo(FMain->NotesFile()).lastModified();
    QCOMPARE(TickAt(QTime(8, 59, 59)), 0);
    WriteNotes(changed);
    QFile file(FMain->NotesFile());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();
    Now.setTime(QTime(9, 0, 0));
    QCOMPARE(Tick(), 0);
    QVERIFY(frmNoteList == nullptr);
}

void TestReminders::switchedOffNeverReads() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    Alarm = 0;
    Now.setTime(QTime(9, 0, 0));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(Tick(), 0);
    QCOMPARE(FMain->NotesFileReads(), 0);
    QVERIFY(frmNoteList == nullptr);
    QVERIFY(FNotices.isEmpty());

    // Without a notes file the timer does not read either.
    QVERIFY(QFile::remove(FMain->NotesFile()));
    Alarm = 1;
    QCOMPARE(Tick(), 0);
    QCOMPARE(FMain->NotesFileReads(), 0);
    QVERIFY(!QFile::exists(FMain->NotesFile()));

    // Any value but 0 is on.
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    Alarm = 7;
    QCOMPARE(Tick(), 1);
    QCOMPARE(FMain->NotesFileReads(), 1);

    // The minutes that pass while reminders are off are not made up for.
    FNotices.clear();
    WriteNotes({{"午饭", "2026-12-10 12:00", "是", ""}});
    Alarm = 0;
    Now.setTime(QTime(11, 0, 0));
    QCOMPARE(Tick(), 0);
    Now.setTime(QTime(12, 30, 0));
    QCOMPARE(Tick(), 0);
    Alarm = 1;
    Now.setTime(QTime(12, 30, 1));
    QCOMPARE(Tick(), 0);
    QVERIFY(FNotices.isEmpty());
}

void TestReminders::shakeRestoresPosition() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    frmNoteList = new TfrmNoteList(FMain->NotesFile());
    frmNoteList->move(300, 200);
    frmNoteList->hide();
    Now.setTime(QTime(8, 59, 59));
    Tick();
    Now.setTime(QTime(9, 0, 0));
    QList<QPoint> seen;
    QCOMPARE(Tick(&seen), 1);
    QVERIFY(frmNoteList->isVisible());
    QCOMPARE(frmNoteList->pos(), QPoint(300, 200));
    // Diagonal by one pixel either way, nothing further.
    QVERIFY(seen.contains(QPoint(301, 201)));
    QVERIFY(seen.contains(QPoint(299, 199)));
    for (const QPoint& p : seen)
        QVERIFY(QList<QPoint>({{300, 200}, {301, 201}, {299, 199}}).contains(p));
    QVERIFY(!FMain->IsShaking());
}

void TestReminders::pressOnTheNoteStopsTheShake() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}, {"午饭", "2026-12-10 12:00", "是", ""}});
    Now.setTime(QTime(8, 59, 59));
    Tick();
    Now.setTime(QTime(9, 0, 0));
    FMain->tNoteAlarmTimer();
    QVERIFY(FMain->IsShaking());
    QTest::mousePress(frmNoteList->lblNotes, Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!FMain->IsShaking());
    const QPoint after = frmNoteList->pos();
    // The rest of the minute does not start it again...
    Now.setTime(QTime(9, 0, 1));
    QCOMPARE(Tick(), 0);
    Now.setTime(QTime(9, 0, 40));
    QCOMPARE(Tick(), 0);
    QCOMPARE(frmNoteList->pos(), after);
    // ...but the next reminder does.
    Now.setTime(QTime(11, 59, 59));
    Tick();
    Now.setTime(QTime(12, 0, 0));
    QCOMPARE(Tick(), 1);
}

void TestReminders::closingDuringShake() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    Now.setTime(QTime(8, 59, 59));
    Tick();
    Now.setTime(QTime(9, 0, 0));
    FMain->tNoteAlarmTimer();
    QVERIFY(FMain->IsShaking());
    // The user closes the note while it shakes.
    frmNoteList->close();
    QTRY_VERIFY(frmNoteList == nullptr);
    QTRY_VERIFY(!FMain->IsShaking());
    // The next due tick makes a new window.
    Now.setTime(QTime(9, 0, 1));
    QCOMPARE(Tick(), 1);
    QVERIFY(frmNoteList && frmNoteList->isVisible());
}

void TestReminders::dialogDuringShakeHoldsNothingUp() {
    // A note reminds at 09:00; the user opens the note history from the menu
    // while the note shakes; a note of 09:01 reminds while the dialog is
    // open, on time.
    WriteNotes(
        {{"开会", "2026-12-10 09:00", "是", "三楼"}, {"电话", "2026-12-10 09:01", "是", "回电"}});
    TWindowShaker::SetMoveInterval(50); // a shake that really lasts
    Now.setTime(QTime(8, 59, 59));
    Tick();
    Now.setTime(QTime(9, 0, 0));
    FMain->tNoteAlarmTimer();
    QVERIFY(FMain->IsShaking());
    bool shakingInDialog = false;
    QStringList toldInDialog;
    QTimer::singleShot(0, [&] {
        QVERIFY(frmNoteHis && frmNoteHis->isVisible());
        shakingInDialog = FMain->IsShaking();
        Now.setTime(QTime(9, 0, 59));
        FMain->tNoteAlarmTimer();
        Now.setTime(QTime(9, 1, 0));
        FMain->tNoteAlarmTimer();
        toldInDialog = FNotices;
        frmNoteHis->close();
    });
    FMain->N7Click(); // runs the dialog modally
    QVERIFY(shakingInDialog);
    QCOMPARE(toldInDialog, (QStringList{"开会|便签提醒：2026-12-10 09:00\n三楼",
                                        "电话|便签提醒：2026-12-10 09:01\n回电"}));
    FMain->AcknowledgeReminder();
    QVERIFY(!FMain->IsShaking());
}

void TestReminders::missedWhileAsleepComesLate() {
    // The machine sleeps from 09:00 to 10:20: the reminders of 09:30 and
    // 10:15 come when it wakes, marked late; the one of 11:00 waits its turn.
    WriteNotes({{"早会", "2026-12-10 09:30", "是", "一楼"},
                {"复印", "2026-12-10 10:15", "是", ""},
                {"午前", "2026-12-10 11:00", "是", ""}});
    Now.setTime(QTime(9, 0, 0));
    QCOMPARE(Tick(), 0);
    Now.setTime(QTime(10, 20, 3));
    QCOMPARE(Tick(), 1);
    QCOMPARE(FNotices.size(), 2);
    QVERIFY2(FNotices.at(0).startsWith("早会|便签提醒：2026-12-10 09:30（已过时") &&
                 FNotices.at(0).endsWith("一楼"),
             qPrintable(FNotices.at(0)));
    QVERIFY2(FNotices.at(1).startsWith("复印|便签提醒：2026-12-10 10:15（已过时"),
             qPrintable(FNotices.at(1)));
    QVERIFY2(frmNoteList->NoteText().startsWith("1.【已过时】早会"),
             qPrintable(frmNoteList->NoteText()));
    // Told once: the next second neither tells nor shakes again.
    Now.setTime(QTime(10, 20, 4));
    QCOMPARE(Tick(), 0);
    QCOMPARE(FNotices.size(), 2);
    Now.setTime(QTime(10, 59, 59));
    Tick();
    Now.setTime(QTime(11, 0, 0));
    QCOMPARE(Tick(), 1);
    QCOMPARE(FNotices.size(), 3);

    // Asleep across midnight: yesterday's missed reminders stay yesterday's;
    // today's, up to the wake, come late.
    FNotices.clear();
    Now = QDateTime(QDate(2026, 12, 10), QTime(23, 0, 0));
    WriteNotes({{"夜里", "2026-12-10 23:30", "是", ""}});
    QCOMPARE(Tick(), 0);
    QFile file(FMain->NotesFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(NotesXml({}).replace("</便签列表>",
                                    "<Date2026-12-11><标题>清早</标题><日期>2026-12-11 06:00</日期>"
                                    "<提醒>是</提醒><内容/></Date2026-12-11></便签列表>"));
    file.close();
    Now = QDateTime(QDate(2026, 12, 11), QTime(7, 0, 0));
    QCOMPARE(Tick(), 1);
    QCOMPARE(FNotices.size(), 1);
    QVERIFY2(FNotices.first().startsWith("清早|便签提醒：2026-12-11 06:00（已过时"),
             qPrintable(FNotices.first()));
}

void TestReminders::noticeOncePerReminder() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}, {"午饭", "2026-12-10 12:00", "是", ""}});
    QCOMPARE(TickAt(QTime(9, 0, 0)), 1);
    Now.setTime(QTime(9, 0, 30));
    QCOMPARE(Tick(), 1);
    QCOMPARE(FNotices, QStringList{"开会|便签提醒：2026-12-10 09:00"});
    QCOMPARE(TickAt(QTime(12, 0, 0)), 1);
    QCOMPARE(FNotices,
             (QStringList{"开会|便签提醒：2026-12-10 09:00", "午饭|便签提醒：2026-12-10 12:00"}));
}

void TestReminders::reminderKeepsMenuCaption() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    QCOMPARE(TickAt(QTime(9, 0, 0)), 1);
    QCOMPARE(FMain->N5->text(), TfrmManyYear::ShowNotesCaption);
    // The item then shows the (visible) window and switches its caption.
    FMain->N5->trigger();
    QCOMPARE(FMain->N5->text(), TfrmManyYear::HideNotesCaption);
    QVERIFY(frmNoteList->isVisible());
}

void TestReminders::unreadableFileIsToldOnce() {
    // The tick cannot read the notes: the desktop is told once why, not on
    // every second, and again when the file breaks in another way.
    QFile file(FMain->NotesFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<便签列表><Date2026-12-10>");
    file.close();
    QCOMPARE(Tick(), 0);
    QCOMPARE(Tick(), 0);
    QCOMPARE(FNotices.size(), 1);
    QVERIFY2(FNotices.first().startsWith(QStringLiteral("便签提醒可能不全|")) &&
                 FNotices.first().contains(QStringLiteral("已损坏")),
             qPrintable(FNotices.first()));
    // Read again: the next failure is told anew.
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    QCOMPARE(Tick(), 0);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("not xml at all");
    file.close();
    QCOMPARE(Tick(), 0);
    QCOMPARE(FNotices.size(), 2);
}

QTEST_MAIN(TestReminders)
#include "tst_reminders.moc"

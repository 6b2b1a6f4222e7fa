// The reminder timer as the user meets it: a flagged note of today brings up
// the note window and shakes it during its whole minute, once per tick, and
// tells the desktop once; nothing happens for other notes, after a change to
// the file, or while reminders are off.
#include "UClock.h"
#include "UMain.h"
#include "UNoteList.h"
#include "USettings.h"

#include <QAction>
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
    void closingDuringShake();
    void noticeOncePerReminder();
    void reminderKeepsMenuCaption();
    void unreadableFileIsToldOnce();

private:
    void WriteNotes(const QList<Note>& notes);
    // Runs one tick and returns the number of shakes it made; Seen collects
    // every position of the note window while events ran during the tick.
    int Tick(QList<QPoint>* Seen = nullptr);
    QTemporaryDir* FDir = nullptr;
    QPointer<TfrmManyYear> FMain;
    QStringList FNotices;
};

void TestReminders::init() {
    Now = QDateTime(QDate(2026, 12, 10), QTime(8, 59, 30));
    Clock::SetNowFunction([] { return Now; });
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
    Alarm = 0;
}

void TestReminders::WriteNotes(const QList<Note>& notes) {
    QFile file(FMain->NotesFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(NotesXml(notes));
}

int TestReminders::Tick(QList<QPoint>* Seen) {
    QList<QPoint> seen;
    QTimer sampler;
    sampler.setInterval(0);
    connect(&sampler, &QTimer::timeout, [&] {
        if (frmNoteList)
            seen << frmNoteList->pos();
    });
    sampler.start();
    const QPoint start = frmNoteList ? frmNoteList->pos() : QPoint(749, 453);
    FMain->tNoteAlarmTimer();
    sampler.stop();
    // A shake leaves the rest position, jitters, and comes back at its end.
    int shakes = 0;
    bool away = false;
    for (const QPoint& p : seen) {
        if (p != start && !away)
            ++shakes;
        away = p != start;
    }
    if (Seen)
        *Seen = seen;
    return shakes;
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
    Now.setTime(time);
    QCOMPARE(Tick(), due ? 1 : 0);
    // The note window is made and shown only by a due reminder.
    QCOMPARE(frmNoteList != nullptr, due);
    if (due) {
        QVERIFY(frmNoteList->isVisible());
        QVERIFY(frmNoteList->NoteText().startsWith("1.开会 | 2026-12-10 09:00 | 是"));
    }
}

void TestReminders::slotRules() {
    WriteNotes({{"买菜", "2026-12-10 09:00", "否", ""}, {"开会", "2026-12-10 09:00", "是", ""}});
    Now.setTime(QTime(9, 0, 10));
    QCOMPARE(Tick(), 1);
    QCOMPARE(FMain->FNoteAlarms.size(), 10);
    QCOMPARE(FMain->FNoteAlarms[0], TNoteAlarm{});
    QCOMPARE(FMain->FNoteAlarms[1], (TNoteAlarm{"开会", "2026-12-10 09:00"}));
    QCOMPARE(FNotices, QStringList{"开会|便签提醒：2026-12-10 09:00"});
}

void TestReminders::twoNotesAtTheSameTime() {
    WriteNotes({{"甲", "2026-12-10 09:00", "是", ""}, {"乙", "2026-12-10 09:00", "是", ""}});
    Now.setTime(QTime(9, 0, 0));
    QCOMPARE(Tick(), 1);
    Now.setTime(QTime(9, 0, 1));
    QCOMPARE(Tick(), 1);
    // Told for the first of them only: the second is never reached.
    QCOMPARE(FNotices, QStringList{"甲|便签提醒：2026-12-10 09:00"});
}

void TestReminders::neverDue_data() {
    QTest::addColumn<QList<Note>>("notes");
    QTest::newRow("否") << QList<Note>{{"开会", "2026-12-10 09:00", "否", ""}};
    QTest::newRow("empty title") << QList<Note>{{"", "2026-12-10 09:00", "是", ""}};
    QTest::newRow("flag not exactly 是") << QList<Note>{{"开会", "2026-12-10 09:00", " 是", ""}};
    QTest::newRow("seconds in the time") << QList<Note>{{"开会", "2026-12-10 09:00:00", "是", ""}};
    QTest::newRow("only other days") << QList<Note>{};
}

void TestReminders::neverDue() {
    QFETCH(QList<Note>, notes);
    WriteNotes(notes);
    Now.setTime(QTime(9, 0, 5));
    QCOMPARE(Tick(), 0);
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
    Now.setTime(QTime(8, 59, 58));
    QCOMPARE(Tick(), 0);
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
    Now.setTime(QTime(9, 0, 0));
    Alarm = 0;
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
}

void TestReminders::shakeRestoresPosition() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    frmNoteList = new TfrmNoteList(FMain->NotesFile());
    frmNoteList->move(300, 200);
    frmNoteList->hide();
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

void TestReminders::closingDuringShake() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    Now.setTime(QTime(9, 0, 0));
    // The user closes the note while it shakes, and a tick comes meanwhile.
    int reentered = -1;
    QTimer::singleShot(300, [&] {
        const int reads = FMain->NotesFileReads();
        FMain->tNoteAlarmTimer();
        reentered = FMain->NotesFileReads() - reads;
        frmNoteList->close();
    });
    FMain->tNoteAlarmTimer();
    QCOMPARE(reentered, 0);
    QTRY_VERIFY(frmNoteList == nullptr);
    QVERIFY(!FMain->IsShaking());
    // The next due tick makes a new window.
    QCOMPARE(Tick(), 1);
    QVERIFY(frmNoteList && frmNoteList->isVisible());
}

void TestReminders::noticeOncePerReminder() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}, {"午饭", "2026-12-10 12:00", "是", ""}});
    Now.setTime(QTime(9, 0, 0));
    QCOMPARE(Tick(), 1);
    Now.setTime(QTime(9, 0, 30));
    QCOMPARE(Tick(), 1);
    QCOMPARE(FNotices, QStringList{"开会|便签提醒：2026-12-10 09:00"});
    Now.setTime(QTime(12, 0, 0));
    QCOMPARE(Tick(), 1);
    QCOMPARE(FNotices,
             (QStringList{"开会|便签提醒：2026-12-10 09:00", "午饭|便签提醒：2026-12-10 12:00"}));
}

void TestReminders::reminderKeepsMenuCaption() {
    WriteNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    Now.setTime(QTime(9, 0, 0));
    QCOMPARE(Tick(), 1);
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

// Today's reminders as the timer sees them: which notes take which slot, when
// a reminder is due, that a change to the file counts at once although an
// unchanged file is not walked again, and one desktop notice per reminder.
#include "UClock.h"
#include "UNoteAlarms.h"
#include "UReminderNotice.h"
#include "UXmlDoc.h"

#include <QtTest>

namespace {

struct Note {
    QString title, time, flag, content;
};

// A notes file with the given notes in one day node (today, 2026-12-10, unless
// told), after the seed day node and a day node of yesterday.
QByteArray MakeNotes(const QList<Note>& notes, const QString& day = "Date2026-12-10") {
    QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><便签列表>"
                  "<Date2000-01-01><标题>示例</标题><日期>2000-01-01 08:00</日期><提醒>是</提醒>"
                  "<内容>seed</内容></Date2000-01-01>"
                  "<Date2026-12-09><标题>昨天</标题><日期>2026-12-10 09:00</日期><提醒>是</提醒>"
                  "<内容>other day</内容></Date2026-12-09>";
    xml += "<" + day + ">";
    for (const Note& n : notes) {
        xml += "<标题>" + n.title + "</标题><日期>" + n.time + "</日期><提醒>" + n.flag +
               "</提醒><内容>" + n.content + "</内容>";
    }
    xml += "</" + day + "></便签列表>";
    return xml.toUtf8();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QDateTime At(const QString& text) {
    return QDateTime::fromString(text, "yyyy-MM-dd HH:mm:ss");
}

QStringList Describe(const TNoteAlarms& alarms) {
    QStringList slotTexts;
    for (const TNoteAlarm& alarm : alarms) {
        slotTexts << (alarm.Title.isEmpty() && alarm.Time.isEmpty()
                          ? QString()
                          : alarm.Title + "|" + alarm.Time);
    }
    return slotTexts;
}

} // namespace

class TestNoteAlarms : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { Clock::SetNowFunction({}); }
    void alarmSlots_data();
    void alarmSlots();
    void dueDuringItsMinute_data();
    void dueDuringItsMinute();
    void shortGroupKeepsEarlierSlots();
    void changesCountAtOnce();
    void newDayWalksAgain();
    void noticeOncePerReminder();

private:
    QTemporaryDir dir;
    QString path;
};

void TestNoteAlarms::init() {
    Clock::SetNowFunction([] { return At("2026-12-10 08:30:00"); });
    QVERIFY(dir.isValid());
    path = dir.filePath("Notes.xml");
}

void TestNoteAlarms::alarmSlots_data() {
    QTest::addColumn<QList<Note>>("notes");
    QTest::addColumn<QStringList>("expected"); // slot i as "title|time", "" for an empty slot

    QTest::newRow("first without flag, second with")
        << QList<Note>{{"买菜", "2026-12-10 08:00", "否", "a"},
                       {"开会", "2026-12-10 09:00", "是", "b"}}
        << QStringList{"", "开会|2026-12-10 09:00", "", "", "", "", "", "", "", ""};
    QTest::newRow("the flag must be exactly 是")
        << QList<Note>{{"a", "2026-12-10 08:00", "是 ", "x"}, {"b", "2026-12-10 08:00", "Yes", "x"}}
        << QStringList(10, QString());
    QTest::newRow("no notes today") << QList<Note>{} << QStringList(10, QString());

    QList<Note> twelve;
    QStringList expected;
    for (int i = 0; i < 12; ++i) {
        const QString time = QString("2026-12-10 %1:00").arg(i + 8, 2, 10, QChar('0'));
        twelve.append({QString("n%1").arg(i), time, i % 2 ? "是" : "否", ""});
        expected << (i % 2 ? QString("n%1|%2").arg(i).arg(time) : QString());
    }
    QTest::newRow("a flagged note at position 11 grows the table") << twelve << expected;
}

void TestNoteAlarms::alarmSlots() {
    QFETCH(QList<Note>, notes);
    QFETCH(QStringList, expected);
    QVERIFY(Write(path, MakeNotes(notes)));
    XmlDocument doc;
    TNoteAlarms alarms;
    QVERIFY(LoadNoteAlarms(doc, path, alarms));
    QCOMPARE(Describe(alarms), expected);
}

void TestNoteAlarms::dueDuringItsMinute_data() {
    QTest::addColumn<QString>("now");
    QTest::addColumn<int>("slot");
    QTest::newRow("a second before") << "2026-12-10 08:59:59" << -1;
    QTest::newRow("first second") << "2026-12-10 09:00:00" << 1;
    QTest::newRow("last second") << "2026-12-10 09:00:59" << 1;
    QTest::newRow("next minute") << "2026-12-10 09:01:00" << -1;
    QTest::newRow("same time next day") << "2026-12-11 09:00:00" << -1;
    QTest::newRow("empty title at 10:00") << "2026-12-10 10:00:30" << -1;
    QTest::newRow("two at 11:00: the lower slot") << "2026-12-10 11:00:10" << 3;
}

void TestNoteAlarms::dueDuringItsMinute() {
    QFETCH(QString, now);
    QFETCH(int, slot);
    QVERIFY(Write(path, MakeNotes({{"晨跑", "2026-12-10 09:00", "否", ""},
                                   {"开会", "2026-12-10 09:00", "是", ""},
                                   {"", "2026-12-10 10:00", "是", "no title"},
                                   {"午饭", "2026-12-10 11:00", "是", ""},
                                   {"电话", "2026-12-10 11:00", "是", ""}})));
    XmlDocument doc;
    TNoteAlarms alarms;
    QVERIFY(LoadNoteAlarms(doc, path, alarms));
    Clock::SetNowFunction([now] { return At(now); });
    QCOMPARE(CurrentMinuteText(), now.left(16));
    QCOMPARE(FindDueAlarm(alarms, CurrentMinuteText()), slot);
}

void TestNoteAlarms::shortGroupKeepsEarlierSlots() {
    // The second note's last two children are no note fields: its group of two
    // texts lacks the flag, the walk fails there, and the first note stays taken.
    QByteArray bytes = MakeNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    bytes.replace(
        QString("</Date2026-12-10>").toUtf8(),
        QString("<标题>坏</标题><日期>x</日期><备注>?</备注><备注>c</备注></Date2026-12-10>")
            .toUtf8());
    QVERIFY(Write(path, bytes));
    XmlDocument doc;
    TNoteAlarms alarms;
    QVERIFY(!LoadNoteAlarms(doc, path, alarms));
    QCOMPARE(alarms.size(), NoteAlarmSlots);
    QCOMPARE(alarms[0].Title, QString("开会"));
    QCOMPARE(alarms[1].Title, QString());
}

void TestNoteAlarms::changesCountAtOnce() {
    const QByteArray original = MakeNotes({{"开会", "2026-12-10 09:00", "是", ""}});
    QVERIFY(Write(path, original));
    const QDateTime stamp = QFileInfo(path).lastModified();
    XmlDocument doc;
    TNoteAlarmReader reader;
    TNoteAlarms alarms;
    QVERIFY(reader.Load(doc, path, alarms));
    QCOMPARE(alarms[0].Title, QString("开会"));
    QVERIFY(reader.Load(doc, path, alarms));
    QCOMPARE(reader.WalkCount(), 1); // unchanged: not walked again
    QCOMPARE(alarms[0].Title, QString("开会"));

    // Same size and time stamp, the flag turned to 否: the next call sees it.
    QByteArray changed = original;
    const QByteArray yes = QString("是").toUtf8(), no = QString("否").toUtf8();
    changed.replace(changed.lastIndexOf(yes), yes.size(), no);
    QVERIFY(Write(path, changed));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    QCOMPARE(QFileInfo(path).size(), qint64(original.size()));
    QCOMPARE(QFileInfo(path).lastModified(), stamp);
    QVERIFY(reader.Load(doc, path, alarms));
    QCOMPARE(reader.WalkCount(), 2);
    QCOMPARE(alarms[0].Title, QString());

    // The note deleted, then a broken file, then no file at all.
    QVERIFY(Write(path, MakeNotes({})));
    QVERIFY(reader.Load(doc, path, alarms));
    QCOMPARE(alarms, TNoteAlarms(NoteAlarmSlots));
    QVERIFY(Write(path, QString("<便签列表><Date2026-12-10>").toUtf8()));
    QVERIFY(!reader.Load(doc, path, alarms));
    QVERIFY(!reader.Load(doc, path, alarms));
    QVERIFY(QFile::remove(path));
    QVERIFY(!reader.Load(doc, path, alarms));
    QCOMPARE(alarms, TNoteAlarms(NoteAlarmSlots));
}

void TestNoteAlarms::newDayWalksAgain() {
    QVERIFY(Write(path, MakeNotes({{"开会", "2026-12-11 09:00", "是", ""}}, "Date2026-12-11")));
    XmlDocument doc;
    TNoteAlarmReader reader;
    TNoteAlarms alarms;
    QVERIFY(reader.Load(doc, path, alarms));
    QCOMPARE(alarms[0].Title, QString()); // tomorrow's note
    Clock::SetNowFunction([] { return At("2026-12-11 00:00:01"); });
    QVERIFY(reader.Load(doc, path, alarms));
    QCOMPARE(alarms[0].Title, QString("开会"));
}

void TestNoteAlarms::noticeOncePerReminder() {
    QStringList sent;
    TReminderNotice notice(
        [&](const QString& summary, const QString& body) { sent << summary + "|" + body; });
    const TNoteAlarm meeting{"开会", "2026-12-10 09:00"};
    QVERIFY(notice.NotifyOnce(meeting));
    for (int tick = 0; tick < 59; ++tick) {
        QVERIFY(!notice.NotifyOnce(meeting));
    }
    QVERIFY(notice.NotifyOnce({"开会", "2026-12-10 10:00"}));
    QVERIFY(notice.NotifyOnce({"电话", "2026-12-10 09:00"}));
    QCOMPARE(sent,
             (QStringList{"开会|便签提醒：2026-12-10 09:00", "开会|便签提醒：2026-12-10 10:00",
                          "电话|便签提醒：2026-12-10 09:00"}));
}

QTEST_GUILESS_MAIN(TestNoteAlarms)
#include "tst_notealarms.moc"

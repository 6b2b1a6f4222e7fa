// The notes file without any window: the seed document, the walk, saving
// and deleting today's notes, encodings and broken or hostile files.
#include "UClock.h"
#include "UComm.h"
#include "UNotesFile.h"
#include "UXmlDoc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime Today(QDate(2024, 5, 9), QTime(10, 0));

QString dataFile(const QString& name) {
    return QStringLiteral(VORN_TEST_DATA "/") + name;
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every group the walk hands over, as its texts joined by '|'.
struct Walk {
    bool Ok = false;
    int DayNodes = -1;
    QStringList Notes;
    QString Failure;
};

Walk walk(const QString& path, bool todayOnly, bool skipSeed) {
    Walk w;
    XmlDocument doc;
    w.Ok = ReadNotes(
        doc, path, todayOnly, skipSeed,
        [&w](const NoteRecord& note) {
            w.Notes << note.Texts.join(QLatin1Char('|'));
            // Read the fields as every reader does.
            (void)note.Title();
            (void)note.TimeText();
            (void)note.FlagText();
            (void)note.Content();
        },
        &w.DayNodes, &w.Failure);
    return w;
}

// Today's notes as the file holds them: each day node named for today, its
// children's texts in order, four to a note.
QStringList dayTexts(const QString& path, const QString& dayName) {
    XmlDocument doc;
    doc.Load(path);
    QStringList texts;
    for (XmlNode day = doc.DocumentElement().FirstChild(); day; day = day.NextSibling()) {
        if (day.Name() != dayName)
            continue;
        for (XmlNode c = day.FirstChild(); c; c = c.NextSibling())
            texts << c.Name() + QLatin1Char('=') + c.Text();
    }
    return texts;
}

QStringList dayNames(const QString& path) {
    XmlDocument doc;
    doc.Load(path);
    QStringList names;
    for (XmlNode day = doc.DocumentElement().FirstChild(); day; day = day.NextSibling())
        names << day.Name();
    return names;
}

QStringList note(const QString& title, const QString& time, const QString& flag,
                 const QString& content) {
    return {QStringLiteral("标题=") + title, QStringLiteral("日期=") + time,
            QStringLiteral("提醒=") + flag, QStringLiteral("内容=") + content};
}

} // namespace

class TestNotesFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString copyOf(const QString& fixture) {
        const QString path = dir.filePath(QStringLiteral("Notes.xml"));
        QFile::remove(path);
        if (!QFile::copy(dataFile(fixture), path))
            qFatal("cannot copy fixture");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

private slots:
    void init() {
        Clock::SetNowFunction([] { return Today; });
    }
    void cleanup() { Clock::SetNowFunction({}); }

    void dayNodeNames_data();
    void dayNodeNames();
    void seedDocument();
    void walkCases_data();
    void walkCases();
    void walkDoesNotWrite();
    void saveUpdatesInPlaceAndAppends();
    void saveAppendsNewDayNodeAtEnd();
    void saveEmptyListMakesEmptyDayNode();
    void saveTwiceGivesSameFile();
    void saveAfterMidnightAppendsToNewDay();
    void saveWithoutMatchingPositionAppends();
    void saveAfterSeedWritesBothDays();
    void saveTitleCaseIsExact();
    void saveFailsOnBrokenFileAndKeepsIt_data();
    void saveFailsOnBrokenFileAndKeepsIt();
    void saveFailsOnShortLastNote();
    void deleteNote_data();
    void deleteNote();
    void deleteOnlyNoteAndUnreadableTitle();
    void encodingsSurviveSaveAndReload_data();
    void encodingsSurviveSaveAndReload();
    void gbkFileLoads();
};

void TestNotesFile::dayNodeNames_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("1 March 2025") << QDate(2025, 3, 1) << QStringLiteral("Date2025-03-01");
    QTest::newRow("31 December 1999") << QDate(1999, 12, 31) << QStringLiteral("Date1999-12-31");
    QTest::newRow("year 900") << QDate(900, 1, 2) << QStringLiteral("Date0900-01-02");
}

void TestNotesFile::dayNodeNames() {
    QFETCH(QDate, date);
    QFETCH(QString, name);
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt)); // other digits, other order
    QCOMPARE(DayNodeName(date), name);
    QLocale::setDefault(previous);
}

void TestNotesFile::seedDocument() {
    const QString path = dir.filePath(QStringLiteral("seed.xml"));
    XmlDocument doc;
    doc.LoadFromBytes("<old/>");
    CreateNotesFile(doc, path);
    QCOMPARE(readBytes(path), readBytes(dataFile(QStringLiteral("seed_expected.xml"))));
    QCOMPARE(doc.DocumentElement().Name(), QStringLiteral("便签列表"));
    QCOMPARE(doc.FileName(), QString()); // the document keeps the seed, with no file name
    QCOMPARE(doc.DocumentElement().Child(0).Child(3).Text(), QStringLiteral("千禧年"));
    QVERIFY_THROWS_EXCEPTION(
        XmlError, CreateNotesFile(doc, dir.filePath(QStringLiteral("no/such/dir/Notes.xml"))));
}

void TestNotesFile::walkCases_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("todayOnly");
    QTest::addColumn<bool>("skipSeed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("dayNodes");
    QTest::addColumn<QStringList>("notes");

    const QString seed = QStringLiteral("测试|2000-01-01|是|千禧年");
    QTest::newRow("seed only, all")
        << QStringLiteral("seed_only.xml") << false << true << true << 0 << QStringList();
    QTest::newRow("seed only, today")
        << QStringLiteral("seed_only.xml") << true << false << true << 0 << QStringList();
    QTest::newRow("seed only, all with seed")
        << QStringLiteral("seed_only.xml") << false << false << true << 1 << QStringList{seed};
    QTest::newRow("empty day node of today")
        << QStringLiteral("empty_today.xml") << true << false << true << 1 << QStringList();
    QTest::newRow("two day nodes of today")
        << QStringLiteral("two_today.xml") << true << false << true << 2
        << QStringList{QStringLiteral("晨跑|2024-05-09 06:00|是|五公里"),
                       QStringLiteral("手写|2024-05-09 21:00|否|第二个节点")};
    QTest::newRow("two days, all") << QStringLiteral("two_days.xml") << false << true << true << 2
                                   << QStringList{QStringLiteral("a1|2024-05-07 08:00|是|甲"),
                                                  QStringLiteral("a2|2024-05-07 09:00|否|乙"),
                                                  QStringLiteral("b1|2024-05-09 10:00|是|丙")};
    QTest::newRow("two days, today") << QStringLiteral("two_days.xml") << true << false << true << 1
                                     << QStringList{QStringLiteral("b1|2024-05-09 10:00|是|丙")};
    QTest::newRow("shifted counter") << QStringLiteral("shifted.xml") << false << true << false << 1
                                     << QStringList{QStringLiteral("完整|2024-05-08 08:00|是|一"),
                                                    QStringLiteral("后来|2024-05-09 09:00|否")};
    QTest::newRow("foreign element") << QStringLiteral("foreign.xml") << true << false << false << 0
                                     << QStringList{QStringLiteral("外来|2024-05-09 07:00|三")};
    QTest::newRow("comment shifts the counter")
        << QStringLiteral("comment_shift.xml") << true << true << false << 0
        << QStringList{QStringLiteral("注释后|2024-05-09 14:00|是")};
    QTest::newRow("empty content element")
        << QStringLiteral("empty_content.xml") << true << true << true << 1
        << QStringList{QStringLiteral("空内容|2024-05-09 12:00|否|")};
    QTest::newRow("fields by position")
        << QStringLiteral("swapped.xml") << true << true << true << 1
        << QStringList{QStringLiteral("2024-05-09 13:00|换位|是|顺序")};
    QTest::newRow("seed hidden with hand notes")
        << QStringLiteral("seed_hand_notes.xml") << false << true << true << 1
        << QStringList{QStringLiteral("世纪末|1999-12-31 23:00|是|跨年")};
    QTest::newRow("title with markup")
        << QStringLiteral("mixed_title.xml") << true << true << false << 0 << QStringList();
    QTest::newRow("truncated file")
        << QStringLiteral("truncated.xml") << false << true << false << 0 << QStringList();
    QTest::newRow("entity bomb") << QStringLiteral("hostile_entities.xml") << false << true << false
                                 << 0 << QStringList();
    QTest::newRow("missing file") << QStringLiteral("no_such_file.xml") << false << true << false
                                  << 0 << QStringList();
}

void TestNotesFile::walkCases() {
    QFETCH(QString, fixture);
    QFETCH(bool, todayOnly);
    QFETCH(bool, skipSeed);
    QFETCH(bool, ok);
    QFETCH(int, dayNodes);
    QFETCH(QStringList, notes);
    const Walk w = walk(dataFile(fixture), todayOnly, skipSeed);
    QCOMPARE(w.Notes, notes);
    QCOMPARE(w.Ok, ok);
    QCOMPARE(w.DayNodes, dayNodes);
    QCOMPARE(w.Failure.isEmpty(), ok);
}

void TestNotesFile::walkDoesNotWrite() {
    const QString path = copyOf(QStringLiteral("shifted.xml"));
    const QByteArray before = readBytes(path);
    walk(path, false, true);
    walk(path, true, false);
    QCOMPARE(readBytes(path), before);
}

void TestNotesFile::saveUpdatesInPlaceAndAppends() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    XmlDocument doc;
    QVERIFY(ReadNotes(doc, path, true, true, [](const NoteRecord&) {}));
    SaveNotes(doc, path,
              {QStringLiteral("b1"), QStringLiteral("2024-05-09 11:00"), QStringLiteral("否"),
               QStringLiteral("改过"), QStringLiteral("N"), QStringLiteral("2024-05-09 12:00"),
               QStringLiteral("是"), QStringLiteral("新的")});
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-09")),
             note(QStringLiteral("b1"), QStringLiteral("2024-05-09 11:00"), QStringLiteral("否"),
                  QStringLiteral("改过")) +
                 note(QStringLiteral("N"), QStringLiteral("2024-05-09 12:00"), QStringLiteral("是"),
                      QStringLiteral("新的")));
    // Other day nodes are never touched.
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-07")).size(), 8);
    QCOMPARE(dayNames(path),
             (QStringList{QStringLiteral("Date2000-01-01"), QStringLiteral("Date2024-05-07"),
                          QStringLiteral("Date2024-05-09")}));
}

void TestNotesFile::saveAppendsNewDayNodeAtEnd() {
    Clock::SetNowFunction([] { return QDateTime(QDate(2024, 5, 8), QTime(9, 0)); });
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    XmlDocument doc;
    ReadNotes(doc, path, true, true, [](const NoteRecord&) {});
    SaveNotes(doc, path, {QStringLiteral("x"), QString(), QStringLiteral("否"), QString()});
    QCOMPARE(dayNames(path).last(), QStringLiteral("Date2024-05-08"));
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-08")),
             note(QStringLiteral("x"), QString(), QStringLiteral("否"), QString()));
}

void TestNotesFile::saveEmptyListMakesEmptyDayNode() {
    const QString path = copyOf(QStringLiteral("seed_only.xml"));
    XmlDocument doc;
    ReadNotes(doc, path, true, true, [](const NoteRecord&) {});
    SaveNotes(doc, path, {});
    QCOMPARE(dayNames(path),
             (QStringList{QStringLiteral("Date2000-01-01"), QStringLiteral("Date2024-05-09")}));
    const Walk w = walk(path, true, false);
    QCOMPARE(w.DayNodes, 1);
    QVERIFY(w.Notes.isEmpty());
}

void TestNotesFile::saveTwiceGivesSameFile() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    const QStringList rows{QStringLiteral("b1"), QStringLiteral("2024-05-09 10:00"),
                           QStringLiteral("是"), QStringLiteral("丙"),
                           QStringLiteral("新"), QStringLiteral("2024-05-09 15:00"),
                           QStringLiteral("否"), QStringLiteral("再来")};
    XmlDocument doc;
    ReadNotes(doc, path, true, true, [](const NoteRecord&) {});
    SaveNotes(doc, path, rows);
    const QByteArray first = readBytes(path);
    SaveNotes(doc, path, rows);
    QCOMPARE(readBytes(path), first);
    XmlDocument fresh;
    ReadNotes(fresh, path, true, true, [](const NoteRecord&) {});
    SaveNotes(fresh, path, rows);
    QCOMPARE(readBytes(path), first);
}

void TestNotesFile::saveAfterMidnightAppendsToNewDay() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    XmlDocument doc;
    QStringList rows;
    ReadNotes(doc, path, true, true, [&rows](const NoteRecord& n) { rows << n.Texts; });
    Clock::SetNowFunction([] { return QDateTime(QDate(2024, 5, 10), QTime(0, 1)); });
    SaveNotes(doc, path, rows);
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-10")),
             note(QStringLiteral("b1"), QStringLiteral("2024-05-09 10:00"), QStringLiteral("是"),
                  QStringLiteral("丙")));
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-09")),
             note(QStringLiteral("b1"), QStringLiteral("2024-05-09 10:00"), QStringLiteral("是"),
                  QStringLiteral("丙")));
}

void TestNotesFile::saveWithoutMatchingPositionAppends() {
    const QString path = copyOf(QStringLiteral("two_today.xml"));
    XmlDocument doc;
    ReadNotes(doc, path, true, true, [](const NoteRecord&) {});
    // Only the first day node of today is written: it holds one note, which
    // the first row updates; the second row has no note at its position.
    SaveNotes(doc, path,
              {QStringLiteral("晨跑"), QStringLiteral("t"), QStringLiteral("否"),
               QStringLiteral("c"), QStringLiteral("手写"), QStringLiteral("u"),
               QStringLiteral("是"), QStringLiteral("d")});
    XmlDocument check;
    check.Load(path);
    const XmlNode first = check.DocumentElement().Child(1);
    QCOMPARE(first.Name(), QStringLiteral("Date2024-05-09"));
    QCOMPARE(first.ChildCount(), 8);
    QCOMPARE(first.Child(1).Text(), QStringLiteral("t"));
    QCOMPARE(first.Child(4).Text(), QStringLiteral("手写"));
    QCOMPARE(first.Child(5).Text(), QStringLiteral("u"));
    QCOMPARE(check.DocumentElement().Child(3).ChildCount(),
             4); // the second node of today is untouched
}

void TestNotesFile::saveAfterSeedWritesBothDays() {
    const QString path = dir.filePath(QStringLiteral("fresh.xml"));
    QFile::remove(path);
    XmlDocument doc;
    CreateNotesFile(doc, path);
    SaveNotes(doc, path,
              {QStringLiteral("t"), QStringLiteral("2024-05-09 08:00"), QStringLiteral("是"),
               QStringLiteral("c")});
    QCOMPARE(dayNames(path),
             (QStringList{QStringLiteral("Date2000-01-01"), QStringLiteral("Date2024-05-09")}));
    QCOMPARE(walk(path, false, true).Notes, QStringList{QStringLiteral("t|2024-05-09 08:00|是|c")});
}

void TestNotesFile::saveTitleCaseIsExact() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    XmlDocument doc;
    ReadNotes(doc, path, true, true, [](const NoteRecord&) {});
    SaveNotes(
        doc, path,
        {QStringLiteral("B1"), QStringLiteral("x"), QStringLiteral("否"), QStringLiteral("y")});
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-09")),
             note(QStringLiteral("b1"), QStringLiteral("2024-05-09 10:00"), QStringLiteral("是"),
                  QStringLiteral("丙")) +
                 note(QStringLiteral("B1"), QStringLiteral("x"), QStringLiteral("否"),
                      QStringLiteral("y")));
}

void TestNotesFile::saveFailsOnBrokenFileAndKeepsIt_data() {
    QTest::addColumn<QString>("fixture");
    QTest::newRow("truncated") << QStringLiteral("truncated.xml");
    QTest::newRow("entity bomb") << QStringLiteral("hostile_entities.xml");
}

void TestNotesFile::saveFailsOnBrokenFileAndKeepsIt() {
    QFETCH(QString, fixture);
    const QString path = copyOf(fixture);
    const QByteArray before = readBytes(path);
    XmlDocument doc;
    QVERIFY(!ReadNotes(doc, path, true, true, [](const NoteRecord&) {}));
    QVERIFY(doc.IsEmpty());
    QVERIFY_THROWS_EXCEPTION(
        XmlError,
        SaveNotes(doc, path, {QStringLiteral("a"), QString(), QStringLiteral("否"), QString()}));
    QCOMPARE(readBytes(path), before);
    QVERIFY(!DeleteNote(doc, path, QStringLiteral("断了")));
    QCOMPARE(readBytes(path), before);
}

void TestNotesFile::saveFailsOnShortLastNote() {
    const QString path = copyOf(QStringLiteral("short_last.xml"));
    const QByteArray before = readBytes(path);
    XmlDocument doc;
    ReadNotes(doc, path, true, true, [](const NoteRecord&) {});
    QVERIFY_THROWS_EXCEPTION(
        XmlError, SaveNotes(doc, path,
                            {QStringLiteral("完整"), QString(), QStringLiteral("否"), QString(),
                             QStringLiteral("短"), QString(), QStringLiteral("否"), QString()}));
    QCOMPARE(readBytes(path), before);
}

void TestNotesFile::deleteNote_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("todayAfter"); // titles left, in order; "-" for no day node
    // abc.xml: today holds A, B, C, B, abc (made below).
    QTest::newRow("first") << QStringLiteral("A") << QStringList{"B", "C", "B", "abc"};
    QTest::newRow("middle, earlier of two")
        << QStringLiteral("B") << QStringList{"A", "C", "B", "abc"};
    QTest::newRow("last") << QStringLiteral("abc") << QStringList{"A", "B", "C", "B"};
    QTest::newRow("case is exact")
        << QStringLiteral("ABC") << QStringList{"A", "B", "C", "B", "abc"};
    QTest::newRow("not there") << QStringLiteral("Z") << QStringList{"A", "B", "C", "B", "abc"};
}

void TestNotesFile::deleteNote() {
    QFETCH(QString, title);
    QFETCH(QStringList, todayAfter);
    const QString path = dir.filePath(QStringLiteral("abc.xml"));
    QFile::remove(path);
    XmlDocument doc;
    CreateNotesFile(doc, path);
    QStringList rows;
    for (const char* t : {"A", "B", "C", "B", "abc"})
        rows << QLatin1String(t) << QStringLiteral("time ") + QLatin1String(t)
             << QStringLiteral("否") << QStringLiteral("content ") + QLatin1String(t);
    SaveNotes(doc, path, rows);
    QVERIFY(DeleteNote(doc, path, title));
    QStringList titles;
    QStringList expected;
    for (const QString& n : walk(path, true, true).Notes) {
        const QStringList f = n.split(QLatin1Char('|'));
        QCOMPARE(f.size(), 4); // every note keeps its own four texts
        QCOMPARE(f.at(1), QStringLiteral("time ") + f.at(0));
        QCOMPARE(f.at(3), QStringLiteral("content ") + f.at(0));
        titles << f.at(0);
    }
    QCOMPARE(titles, todayAfter);
}

void TestNotesFile::deleteOnlyNoteAndUnreadableTitle() {
    // Deleting the only note removes today's day node; with no day node the
    // file is written again with the same notes.
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    XmlDocument doc;
    QVERIFY(DeleteNote(doc, path, QStringLiteral("b1")));
    QCOMPARE(dayNames(path),
             (QStringList{QStringLiteral("Date2000-01-01"), QStringLiteral("Date2024-05-07")}));
    const QStringList all = walk(path, false, true).Notes;
    QVERIFY(DeleteNote(doc, path, QStringLiteral("b1")));
    QCOMPARE(walk(path, false, true).Notes, all);
    // A title element that is not one piece of text stops the deletion.
    const QString mixed = copyOf(QStringLiteral("mixed_title.xml"));
    const QByteArray before = readBytes(mixed);
    QVERIFY(!DeleteNote(doc, mixed, QStringLiteral("a")));
    QCOMPARE(readBytes(mixed), before);
}

void TestNotesFile::encodingsSurviveSaveAndReload_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("emoji") << QStringLiteral("生日快乐\U0001F382\U0001F600");
    QTest::newRow("outside GB2312") << QStringLiteral("朱镕基 堃 喆 € ©");
    QTest::newRow("CJK extension B") << QStringLiteral("\U00020BB7野家");
}

void TestNotesFile::encodingsSurviveSaveAndReload() {
    QFETCH(QString, text);
    const QString path = copyOf(QStringLiteral("seed_only.xml"));
    XmlDocument doc;
    ReadNotes(doc, path, true, true, [](const NoteRecord&) {});
    SaveNotes(doc, path,
              {text, QStringLiteral("2024-05-09 08:00"), QStringLiteral("是"), text + text});
    QVERIFY(readBytes(path).contains("&#"));
    QCOMPARE(walk(path, true, true).Notes,
             QStringList{text + QStringLiteral("|2024-05-09 08:00|是|") + text + text});
}

void TestNotesFile::gbkFileLoads() {
    QCOMPARE(walk(dataFile(QStringLiteral("gbk_notes.xml")), true, true).Notes,
             QStringList{QStringLiteral("朱镕基|2024-05-09 08:00|是|堃喆")});
}

QTEST_GUILESS_MAIN(TestNotesFile)
#include "tst_notesfile.moc"

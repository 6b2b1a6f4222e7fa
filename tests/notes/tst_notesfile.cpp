// The notes file without any window: the seed document, the walk, saving
// and deleting today's notes, encodings and broken or hostile files.
#include "../common/SmallDisk.h"
#include "UClock.h"
#include "UComm.h"
#include "UFileIO.h"
#include "UNoteStore.h"
#include "UNotesFile.h"
#include "UXmlDoc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

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

const QDate Day(2024, 5, 9);

NoteTexts texts(const QString& title, const QString& time, const QString& flag,
                const QString& content) {
    return {title, time, flag, content};
}

// Today's notes as the editor loads them: each row read with its texts and
// holding them still.
QList<NoteRow> loadedRows(const QString& path) {
    QList<NoteRow> rows;
    XmlDocument doc;
    (void)ReadNotes(doc, path, true, true, [&rows](const NoteRecord& n) {
        NoteRow row;
        row.Loaded = n.Texts;
        row.Now = {n.Texts.value(0), n.Texts.value(1), n.Texts.value(2), n.Texts.value(3)};
        rows << row;
        // As the editor does: a short group is listed, then stops the walk.
        (void)n.Content();
    });
    return rows;
}

NoteRow added(const NoteTexts& now) {
    return {{}, now};
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
    void untouchedRowsAreNotWritten();
    void saveGoesIntoTheDayItWasOpenedFor();
    void secondDayNodeOfTheDayKeepsItsNote();
    void saveWithFileGoneWritesSeedAndRows();
    void saveAddsAnotherTitleCase();
    void changesElsewhereAreKept_data();
    void changesElsewhereAreKept();
    void handEditedNoteKeepsItsElements_data();
    void handEditedNoteKeepsItsElements();
    void saveFailsOnBrokenFileAndKeepsIt_data();
    void saveFailsOnBrokenFileAndKeepsIt();
    void unwritableNamespaceRefused();
    void tooLongNoteRefused();
    void fullDiskKeepsTheNotes_data();
    void fullDiskKeepsTheNotes();
    void readOnlyFileRefused();
    void newAccountSavesAtOnce();
    void deleteNote_data();
    void deleteNote();
    void deleteOnlyNoteRemovesDayNode();
    void deleteOfNoteChangedElsewhereKeepsIt();
    void seedKeepsAFileMadeMeanwhile();
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
    QVERIFY(CreateNotesFile(doc, path).Ok);
    QCOMPARE(readBytes(path), readBytes(dataFile(QStringLiteral("seed_expected.xml"))));
    QCOMPARE(doc.DocumentElement().Name(), QStringLiteral("便签列表"));
    QCOMPARE(doc.FileName(), QString()); // the document keeps the seed, with no file name
    QCOMPARE(doc.DocumentElement().Child(0).Child(3).Text(), QStringLiteral("千禧年"));
    // Missing folders are made; a plain file where a folder should be is not.
    QVERIFY(CreateNotesFile(doc, dir.filePath(QStringLiteral("no/such/dir/Notes.xml"))).Ok);
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const StoreResult blocked =
        CreateNotesFile(doc, dir.filePath(QStringLiteral("blocker/Notes.xml")));
    QVERIFY(!blocked.Ok);
    QVERIFY2(blocked.Error.contains(QStringLiteral("blocker")), qPrintable(blocked.Error));
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
    QList<NoteRow> rows = loadedRows(path);
    QCOMPARE(rows.size(), 1);
    rows[0].Now = texts("b1", "2024-05-09 11:00", "否", "改过");
    rows << added(texts("N", "2024-05-09 12:00", "是", "新的"));
    const StoreResult saved = SaveNotes(path, Day, rows);
    QVERIFY2(saved.Ok, qPrintable(saved.Error));
    QVERIFY(saved.Notices.isEmpty());
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-09")),
             note("b1", "2024-05-09 11:00", "否", "改过") +
                 note("N", "2024-05-09 12:00", "是", "新的"));
    // Other day nodes are never touched.
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-07")).size(), 8);
    QCOMPARE(dayNames(path), (QStringList{"Date2000-01-01", "Date2024-05-07", "Date2024-05-09"}));
}

void TestNotesFile::saveAppendsNewDayNodeAtEnd() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    QVERIFY(SaveNotes(path, QDate(2024, 5, 8), {added(texts("x", "", "否", ""))}).Ok);
    QCOMPARE(dayNames(path).last(), QStringLiteral("Date2024-05-08"));
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-08")), note("x", "", "否", ""));
}

void TestNotesFile::saveEmptyListMakesEmptyDayNode() {
    const QString path = copyOf(QStringLiteral("seed_only.xml"));
    QVERIFY(SaveNotes(path, Day, {}).Ok);
    QCOMPARE(dayNames(path), (QStringList{"Date2000-01-01", "Date2024-05-09"}));
    const Walk w = walk(path, true, false);
    QCOMPARE(w.DayNodes, 1);
    QVERIFY(w.Notes.isEmpty());
}

void TestNotesFile::saveTwiceGivesSameFile() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    QList<NoteRow> rows = loadedRows(path);
    rows[0].Now.Content = QStringLiteral("丁");
    rows << added(texts("新", "2024-05-09 15:00", "否", "再来"));
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    const QByteArray first = readBytes(path);
    // The same dialog confirming again, and a fresh one reading what it wrote.
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    QCOMPARE(readBytes(path), first);
    QVERIFY(SaveNotes(path, Day, loadedRows(path)).Ok);
    QCOMPARE(readBytes(path), first);
}

void TestNotesFile::untouchedRowsAreNotWritten() {
    // A confirm that changed nothing leaves the file as it was, byte for
    // byte (here a hand-indented file, which a rewrite would flatten).
    const QString path = copyOf(QStringLiteral("indented_today.xml"));
    const QByteArray before = readBytes(path);
    QVERIFY(SaveNotes(path, Day, loadedRows(path)).Ok);
    QCOMPARE(readBytes(path), before);
}

void TestNotesFile::saveGoesIntoTheDayItWasOpenedFor() {
    // Opened before midnight, confirmed after it: the rows stay with their
    // day, and the new day gets no copies of them.
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    QList<NoteRow> rows = loadedRows(path);
    Clock::SetNowFunction([] { return QDateTime(QDate(2024, 5, 10), QTime(0, 1)); });
    rows << added(texts("晚", "2024-05-09 23:00", "否", "睡前"));
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    QVERIFY(!dayNames(path).contains(QStringLiteral("Date2024-05-10")));
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-09")),
             note("b1", "2024-05-09 10:00", "是", "丙") +
                 note("晚", "2024-05-09 23:00", "否", "睡前"));
}

void TestNotesFile::secondDayNodeOfTheDayKeepsItsNote() {
    // A hand-edited file with two day nodes for one day: each note is
    // changed where it stands.
    const QString path = copyOf(QStringLiteral("two_today.xml"));
    QList<NoteRow> rows = loadedRows(path);
    QCOMPARE(rows.size(), 2);
    rows[1].Now.Content = QStringLiteral("改在第二个节点");
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    XmlDocument check;
    check.Load(path);
    QCOMPARE(check.DocumentElement().Child(1).ChildCount(), 4);
    QCOMPARE(check.DocumentElement().Child(3).Child(3).Text(), QStringLiteral("改在第二个节点"));
}

void TestNotesFile::saveWithFileGoneWritesSeedAndRows() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    const QList<NoteRow> rows = loadedRows(path);
    QFile::remove(path);
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    QCOMPARE(dayNames(path), (QStringList{"Date2000-01-01", "Date2024-05-09"}));
    QCOMPARE(walk(path, false, true).Notes, QStringList{"b1|2024-05-09 10:00|是|丙"});
    QCOMPARE(walk(path, false, false).Notes.first(), QStringLiteral("测试|2000-01-01|是|千禧年"));
}

void TestNotesFile::saveAddsAnotherTitleCase() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    QList<NoteRow> rows = loadedRows(path);
    rows << added(texts("B1", "x", "否", "y"));
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-09")),
             note("b1", "2024-05-09 10:00", "是", "丙") + note("B1", "x", "否", "y"));
}

void TestNotesFile::changesElsewhereAreKept_data() {
    // While a dialog is open on two_days.xml (today: b1), another writer
    // changes the file; then the dialog confirms its own change.
    QTest::addColumn<int>("elsewhere"); // 0 adds X, 1 changes b1, 2 deletes b1
    QTest::addColumn<bool>("editB1");   // the dialog changes b1's time
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("notices");
    const QString b1 = "b1|2024-05-09 10:00|是|丙";
    const QString ours = "b1|2024-05-09 11:00|是|丙";
    const QString theirs = "b1|2024-05-09 10:00|是|他们改的";
    const QString x = "X|2024-05-09 20:00|否|别处加的";
    const QString y = "Y|2024-05-09 21:00|否|这里加的";
    QTest::newRow("added elsewhere, added here") << 0 << false << QStringList{b1, x, y} << 0;
    QTest::newRow("added elsewhere, changed here") << 0 << true << QStringList{ours, x, y} << 0;
    QTest::newRow("changed elsewhere, untouched here") << 1 << false << QStringList{theirs, y} << 0;
    QTest::newRow("changed on both sides") << 1 << true << QStringList{theirs, ours, y} << 1;
    QTest::newRow("deleted elsewhere, untouched here") << 2 << false << QStringList{y} << 0;
    QTest::newRow("deleted elsewhere, changed here") << 2 << true << QStringList{ours, y} << 1;
}

void TestNotesFile::changesElsewhereAreKept() {
    QFETCH(int, elsewhere);
    QFETCH(bool, editB1);
    QFETCH(QStringList, expected);
    QFETCH(int, notices);
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    QList<NoteRow> rows = loadedRows(path);
    const NoteTexts b1 = rows[0].Now;
    NoteEdit other;
    if (elsewhere == 0)
        other = {NoteEdit::Kind::Add, {}, texts("X", "2024-05-09 20:00", "否", "别处加的")};
    else if (elsewhere == 1)
        other = {NoteEdit::Kind::Change, rows[0].Loaded,
                 texts("b1", "2024-05-09 10:00", "是", "他们改的")};
    else
        other = {NoteEdit::Kind::Remove, rows[0].Loaded, {}};
    QVERIFY(EditDay(path, Day, {other}).Ok);
    if (editB1)
        rows[0].Now.Time = QStringLiteral("2024-05-09 11:00");
    rows << added(texts("Y", "2024-05-09 21:00", "否", "这里加的"));
    const StoreResult saved = SaveNotes(path, Day, rows);
    QVERIFY2(saved.Ok, qPrintable(saved.Error));
    QCOMPARE(walk(path, true, true).Notes, expected);
    QCOMPARE(saved.Notices.size(), notices);
    if (notices)
        QVERIFY2(saved.Notices.first().contains(QStringLiteral("“b1”已在别处被")),
                 qPrintable(saved.Notices.first()));
    QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-07")).size(), 8);
}

void TestNotesFile::handEditedNoteKeepsItsElements_data() {
    // hand_edited.xml: a <备注> stands between a note's 提醒 and 内容. The
    // walk gives that note without its content and stops there.
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("after"); // the day node's children, "" for unchanged
    QTest::newRow("confirmed unchanged") << "2024-05-09 09:00"
                                         << "" << QStringList();
    QTest::newRow("time changed")
        << "2024-05-09 10:00"
        << ""
        << QStringList{
               "标题=看病", "日期=2024-05-09 10:00", "提醒=是", "备注=带上病历", "内容=第三医院",
               "标题=买菜", "日期=2024-05-09 17:00", "提醒=否", "内容=西红柿"};
    QTest::newRow("content typed")
        << "2024-05-09 09:00"
        << "门诊楼"
        << QStringList{
               "标题=看病", "日期=2024-05-09 09:00", "提醒=是", "备注=带上病历", "内容=门诊楼",
               "标题=买菜", "日期=2024-05-09 17:00", "提醒=否", "内容=西红柿"};
}

void TestNotesFile::handEditedNoteKeepsItsElements() {
    QFETCH(QString, time);
    QFETCH(QString, content);
    QFETCH(QStringList, after);
    const QString path = copyOf(QStringLiteral("hand_edited.xml"));
    const QByteArray before = readBytes(path);
    QList<NoteRow> rows = loadedRows(path);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].Loaded, (QStringList{"看病", "2024-05-09 09:00", "是"}));
    rows[0].Now.Time = time;
    rows[0].Now.Content = content;
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    if (after.isEmpty())
        QCOMPARE(readBytes(path), before);
    else
        QCOMPARE(dayTexts(path, QStringLiteral("Date2024-05-09")), after);
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
    const StoreResult saved = SaveNotes(path, Day, {added(texts("a", "", "否", ""))});
    QVERIFY(!saved.Ok);
    QVERIFY2(saved.Error.contains(QStringLiteral("已损坏")) &&
                 saved.Error.contains(QStringLiteral("未作改动")),
             qPrintable(saved.Error));
    QCOMPARE(readBytes(path), before);
    QVERIFY(!DeleteNote(path, Day, {"断了", "", "否", ""}).Ok);
    QCOMPARE(readBytes(path), before);
}

void TestNotesFile::unwritableNamespaceRefused() {
    // A hand edit put a namespace whose prefix GB2312 cannot hold on the
    // root: written out, the file would no longer load, so nothing is written.
    const QString path = copyOf(QStringLiteral("foreign_namespace.xml"));
    const QByteArray before = readBytes(path);
    QList<NoteRow> rows = loadedRows(path);
    QCOMPARE(rows.size(), 1);
    rows << added(texts("新", "", "否", ""));
    const StoreResult saved = SaveNotes(path, Day, rows);
    QVERIFY(!saved.Ok);
    QVERIFY2(saved.Error.contains(QStringLiteral("命名空间前缀“ß”")), qPrintable(saved.Error));
    QCOMPARE(readBytes(path), before);
}

void TestNotesFile::tooLongNoteRefused() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    const QByteArray before = readBytes(path);
    const QString huge(int(NoteTextLimit()) + 1, QChar(u'长'));
    const StoreResult saved = SaveNotes(path, Day, {added(texts("长文", "", "否", huge))});
    QVERIFY(!saved.Ok);
    QVERIFY2(saved.Error.contains(QStringLiteral("太长")), qPrintable(saved.Error));
    QCOMPARE(readBytes(path), before);
    // The longest content the editor takes is saved and read back whole.
    const QString longest(int(NoteTextLimit()), QChar(u'长'));
    QVERIFY(SaveNotes(path, Day, {added(texts("长文", "", "否", longest))}).Ok);
    QStringList contents;
    QVERIFY(ReadNotes(*std::make_unique<XmlDocument>(), path, true, true,
                      [&contents](const NoteRecord& n) { contents << n.Content(); }));
    QCOMPARE(contents.last().size(), longest.size());
}

void TestNotesFile::fullDiskKeepsTheNotes_data() {
    QTest::addColumn<bool>("realDisk");
    QTest::addColumn<bool>("deleting");
    QTest::newRow("full tmpfs, confirm") << true << false;
    QTest::newRow("full tmpfs, delete") << true << true;
    QTest::newRow("injected, confirm") << false << false;
    QTest::newRow("injected, delete") << false << true;
}

void TestNotesFile::fullDiskKeepsTheNotes() {
    QFETCH(bool, realDisk);
    QFETCH(bool, deleting);
    SmallDisk disk;
    QString path = copyOf(QStringLiteral("two_days.xml"));
    if (realDisk) {
        if (!disk.Mounted())
            QSKIP("a real small disk needs the superuser (as in CI); the injected rows cover it");
        const QString onDisk = disk.Path() + QStringLiteral("/Notes.xml");
        QVERIFY(QFile::copy(path, onDisk));
        path = onDisk;
    }
    const QByteArray before = readBytes(path);
    QList<NoteRow> rows = loadedRows(path);
    if (realDisk)
        disk.Fill();
    else
        FileIOTesting::SetWriteFault(ENOSPC, 64);
    StoreResult result;
    if (deleting) {
        result = DeleteNote(path, Day, rows[0].Loaded);
    } else {
        rows << added(texts("满", "2024-05-09 12:00", "是", "磁盘满了"));
        result = SaveNotes(path, Day, rows);
    }
    FileIOTesting::SetWriteFault(0);
    QVERIFY(!result.Ok);
    QVERIFY2(result.Error.contains(QStringLiteral("磁盘空间不足")), qPrintable(result.Error));
    QCOMPARE(readBytes(path), before);
}

void TestNotesFile::readOnlyFileRefused() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    const QByteArray before = readBytes(path);
    const StoreResult saved = SaveNotes(path, Day, {added(texts("不能写", "", "否", ""))});
    QVERIFY(!saved.Ok);
    QVERIFY2(saved.Error.contains(QStringLiteral("没有写入权限")), qPrintable(saved.Error));
    QCOMPARE(readBytes(path), before);
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0);
}

void TestNotesFile::newAccountSavesAtOnce() {
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral(".local/share/VORNCalendar/Notes.xml"));
    QVERIFY(SaveNotes(path, Day, {added(texts("第一条", "2024-05-09 08:00", "是", ""))}).Ok);
    QCOMPARE(walk(path, true, true).Notes, QStringList{"第一条|2024-05-09 08:00|是|"});
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    QVERIFY(::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0700));
}

void TestNotesFile::deleteNote_data() {
    QTest::addColumn<QStringList>("loaded");
    QTest::addColumn<QStringList>("todayAfter"); // titles left, in order
    // Today holds A, B, C, B, abc (made below).
    auto row = [](const char* t) {
        return QStringList{QLatin1String(t), QStringLiteral("time ") + QLatin1String(t),
                           QStringLiteral("否"), QStringLiteral("content ") + QLatin1String(t)};
    };
    QTest::newRow("first") << row("A") << QStringList{"B", "C", "B", "abc"};
    QTest::newRow("middle, earlier of two") << row("B") << QStringList{"A", "C", "B", "abc"};
    QTest::newRow("last") << row("abc") << QStringList{"A", "B", "C", "B"};
    QTest::newRow("case is exact") << row("ABC") << QStringList{"A", "B", "C", "B", "abc"};
    QTest::newRow("not there") << row("Z") << QStringList{"A", "B", "C", "B", "abc"};
}

void TestNotesFile::deleteNote() {
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, todayAfter);
    const QString path = dir.filePath(QStringLiteral("abc.xml"));
    QFile::remove(path);
    QList<NoteRow> rows;
    for (const char* t : {"A", "B", "C", "B", "abc"})
        rows << added(texts(QLatin1String(t), QStringLiteral("time ") + QLatin1String(t),
                            QStringLiteral("否"), QStringLiteral("content ") + QLatin1String(t)));
    // Two notes B alike: the second is a copy the save path would skip, so
    // it is made different first and set alike afterwards by a change.
    rows[3].Now.Flag = QStringLiteral("是");
    QVERIFY(SaveNotes(path, Day, rows).Ok);
    QVERIFY(EditDay(path, Day,
                    {{NoteEdit::Kind::Change,
                      {"B", "time B", "是", "content B"},
                      texts("B", "time B", "否", "content B")}})
                .Ok);
    QVERIFY(DeleteNote(path, Day, loaded).Ok);
    QStringList titles;
    for (const QString& n : walk(path, true, true).Notes) {
        const QStringList f = n.split(QLatin1Char('|'));
        QCOMPARE(f.size(), 4); // every note keeps its own four texts
        QCOMPARE(f.at(1), QStringLiteral("time ") + f.at(0));
        QCOMPARE(f.at(3), QStringLiteral("content ") + f.at(0));
        titles << f.at(0);
    }
    QCOMPARE(titles, todayAfter);
}

void TestNotesFile::deleteOnlyNoteRemovesDayNode() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    const QList<NoteRow> rows = loadedRows(path);
    QVERIFY(DeleteNote(path, Day, rows[0].Loaded).Ok);
    QCOMPARE(dayNames(path), (QStringList{"Date2000-01-01", "Date2024-05-07"}));
    const QByteArray after = readBytes(path);
    // Deleting it again finds nothing and changes nothing.
    const StoreResult again = DeleteNote(path, Day, rows[0].Loaded);
    QVERIFY(again.Ok);
    QVERIFY(again.Notices.isEmpty());
    QCOMPARE(readBytes(path), after);
    // A title element that is not one piece of text matches no row.
    const QString mixed = copyOf(QStringLiteral("mixed_title.xml"));
    const QByteArray before = readBytes(mixed);
    QVERIFY(DeleteNote(mixed, Day, {"a", "", "否", ""}).Ok);
    QCOMPARE(readBytes(mixed), before);
}

void TestNotesFile::deleteOfNoteChangedElsewhereKeepsIt() {
    const QString path = copyOf(QStringLiteral("two_days.xml"));
    const QList<NoteRow> rows = loadedRows(path);
    QVERIFY(EditDay(path, Day,
                    {{NoteEdit::Kind::Change, rows[0].Loaded,
                      texts("b1", "2024-05-09 10:00", "是", "他们改的")}})
                .Ok);
    const StoreResult deleted = DeleteNote(path, Day, rows[0].Loaded);
    QVERIFY(deleted.Ok);
    QCOMPARE(deleted.Notices.size(), 1);
    QVERIFY2(deleted.Notices.first().contains(QStringLiteral("没有删除")),
             qPrintable(deleted.Notices.first()));
    QCOMPARE(walk(path, true, true).Notes, QStringList{"b1|2024-05-09 10:00|是|他们改的"});
}

void TestNotesFile::seedKeepsAFileMadeMeanwhile() {
    // Two windows both found no file; the second to write the seed must not
    // replace what the first wrote.
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    QFile::remove(path);
    XmlDocument first;
    QVERIFY(CreateNotesFile(first, path).Ok);
    QVERIFY(SaveNotes(path, Day, {added(texts("先写的", "", "否", ""))}).Ok);
    XmlDocument second;
    QVERIFY(CreateNotesFile(second, path).Ok);
    QCOMPARE(walk(path, true, true).Notes, QStringList{"先写的||否|"});
    QCOMPARE(second.DocumentElement().ChildCount(), 2);
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
    QVERIFY(SaveNotes(path, Day, {added(texts(text, "2024-05-09 08:00", "是", text + text))}).Ok);
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

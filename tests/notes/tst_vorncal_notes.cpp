// "vorncal notes": what it prints for the walk's cases, its exit status and
// its one line on stderr.
#include "UClock.h"
#include "UNotesFile.h"
#include "UXmlDoc.h"
#include "vorncal_notes.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <sys/stat.h>

namespace {

QByteArray readBytes(const QString& Path) {
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every note of the file as "day|title|time|flag|content".
QStringList allNotes(const QString& Path) {
    QStringList Notes;
    XmlDocument Doc;
    (void)ReadNotes(Doc, Path, false, true, [&Notes](const NoteRecord& N) {
        Notes << N.DayNode.mid(4) + QLatin1Char('|') + N.Texts.join(QLatin1Char('|'));
    });
    return Notes;
}

} // namespace

class TestVorncalNotes : public QObject {
    Q_OBJECT

private slots:
    void init() {
        Clock::SetNowFunction([] { return QDateTime(QDate(2024, 5, 9), QTime(10, 0)); });
    }
    void cleanup() { Clock::SetNowFunction({}); }
    void run_data();
    void run();
    void onlyReads();
    void change_data();
    void change();
    void changeRefusedLeavesFile_data();
    void changeRefusedLeavesFile();
    void twoWritersAtOnceLoseNothing();
};

void TestVorncalNotes::change_data() {
    // Each row runs its commands in turn on a file that holds, on 9 May,
    // 早会 at 09:00; the last command's status and the notes left count.
    // "@" in a command stands for the file.
    QTest::addColumn<QList<QStringList>>("commands");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("notes");
    QTest::addColumn<QString>("errPart");
    const QString Early = QStringLiteral("2024-05-09|早会|2024-05-09 09:00|是|带电脑");
    QTest::newRow("add to today") << QList<QStringList>{{"add", "--title", "午饭", "--time",
                                                         "12:30"}}
                                  << 0 << QStringList{Early, "2024-05-09|午饭|2024-05-09 12:30|否|"}
                                  << QString();
    QTest::newRow("add with everything, to another day")
        << QList<QStringList>{{"add", "--title", "生日", "--time", "9:05", "--date", "2024-06-01",
                               "--remind", "--content", "蛋糕\n蜡烛"}}
        << 0 << QStringList{Early, "2024-06-01|生日|2024-06-01 09:05|是|蛋糕蜡烛"} << QString();
    QTest::newRow("add over a title in other case updates it")
        << QList<QStringList>{{"add", "--title", "早会", "--time", "10:00", "--content", "改"}} << 0
        << QStringList{"2024-05-09|早会|2024-05-09 10:00|否|改"} << QString();
    QTest::newRow("delete") << QList<QStringList>{{"delete", "--title", "早会"}} << 0
                            << QStringList() << QString();
    QTest::newRow("delete of a note not there")
        << QList<QStringList>{{"delete", "--title", "晚饭"}} << 1 << QStringList{Early}
        << QStringLiteral("没有标题为“晚饭”的便签");
    QTest::newRow("delete on another day")
        << QList<QStringList>{{"add", "--title", "早会", "--time", "08:00", "--date", "2024-05-10"},
                              {"delete", "--title", "早会", "--date", "2024-05-10"}}
        << 0 << QStringList{Early} << QString();
    QTest::newRow("no title") << QList<QStringList>{{"add", "--time", "08:00"}} << 2
                              << QStringList{Early} << QStringLiteral("--title");
    QTest::newRow("no time") << QList<QStringList>{{"add", "--title", "x"}} << 2
                             << QStringList{Early} << QStringLiteral("--time");
    QTest::newRow("hour 24") << QList<QStringList>{{"add", "--title", "x", "--time", "24:00"}} << 2
                             << QStringList{Early} << QStringLiteral("HH:MM");
    QTest::newRow("no such date") << QList<QStringList>{{"add", "--title", "x", "--time", "08:00",
                                                         "--date", "2024-02-30"}}
                                  << 2 << QStringList{Early} << QStringLiteral("YYYY-MM-DD");
    QTest::newRow("unknown option")
        << QList<QStringList>{{"delete", "--title", "早会", "--remind"}} << 2 << QStringList{Early}
        << QStringLiteral("unknown option --remind");
    QTest::newRow("value missing") << QList<QStringList>{{"add", "--file", "@", "--title"}} << 2
                                   << QStringList{Early} << QStringLiteral("needs a value");
}

void TestVorncalNotes::change() {
    QFETCH(QList<QStringList>, commands);
    QFETCH(int, status);
    QFETCH(QStringList, notes);
    QFETCH(QString, errPart);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    QString outText, errText;
    QTextStream o(&outText), e(&errText);
    QCOMPARE(RunNotesCommand({"add", "--file", path, "--title", "早会", "--time", "09:00",
                              "--remind", "--content", "带电脑"},
                             o, e),
             0);
    int last = -1;
    for (QStringList command : commands) {
        // "@" stands for the file; without it, the file is given last.
        if (command.contains(QStringLiteral("@")))
            command.replaceInStrings(QRegularExpression(QStringLiteral("^@$")), path);
        else
            command << "--file" << path;
        errText.clear();
        last = RunNotesCommand(command, o, e);
    }
    QCOMPARE(last, status);
    QCOMPARE(allNotes(path), notes);
    QCOMPARE(outText, QString());
    if (errPart.isEmpty()) {
        QCOMPARE(errText, QString());
    } else {
        QVERIFY2(errText.contains(errPart), qPrintable(errText));
        if (status == 1)
            QCOMPARE(errText.count(QLatin1Char('\n')), 1);
    }
}

void TestVorncalNotes::changeRefusedLeavesFile_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("errPart");
    QTest::newRow("damaged file") << "truncated.xml" << false << QStringLiteral("已损坏");
    QTest::newRow("read-only file") << "two_days.xml" << true << QStringLiteral("没有写入权限");
}

void TestVorncalNotes::changeRefusedLeavesFile() {
    QFETCH(QString, fixture);
    QFETCH(bool, readOnly);
    QFETCH(QString, errPart);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    QVERIFY(QFile::copy(QStringLiteral(VORN_TEST_DATA "/") + fixture, path));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), readOnly ? 0444 : 0600) == 0);
    const QByteArray before = readBytes(path);
    for (const QStringList& command : {QStringList{"add", "--title", "x", "--time", "08:00"},
                                       QStringList{"delete", "--title", "b1"}}) {
        QString outText, errText;
        QTextStream o(&outText), e(&errText);
        QCOMPARE(RunNotesCommand(command + QStringList{"--file", path}, o, e), 1);
        QVERIFY2(errText.contains(errPart), qPrintable(errText));
        QCOMPARE(errText.count(QLatin1Char('\n')), 1);
        QCOMPARE(readBytes(path), before);
    }
}

void TestVorncalNotes::twoWritersAtOnceLoseNothing() {
    // Two scripts add fifty notes each to the same file at the same time,
    // through the real program: every one of the hundred is in the file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    QList<QProcess*> writers;
    for (const char* who : {"A", "B"}) {
        auto* p = new QProcess(this);
        p->setProgram(QStringLiteral("/bin/sh"));
        p->setArguments(
            {QStringLiteral("-c"),
             QStringLiteral("for i in $(seq 1 50); do \"$0\" notes add --file \"$1\" "
                            "--date 2024-05-09 --title %1$i --time 08:00 || exit 1; done")
                 .arg(QLatin1String(who)),
             QStringLiteral(VORNCAL_PROGRAM), path});
        writers << p;
    }
    for (QProcess* p : writers)
        p->start();
    for (QProcess* p : writers) {
        QVERIFY(p->waitForFinished(120000));
        QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0,
                 p->readAllStandardError().constData());
    }
    const QStringList notes = allNotes(path);
    QCOMPARE(notes.size(), 100);
    for (const char* who : {"A", "B"})
        for (int i = 1; i <= 50; ++i)
            QVERIFY2(notes.contains(QStringLiteral("2024-05-09|%1%2|2024-05-09 08:00|否|")
                                        .arg(QLatin1String(who))
                                        .arg(i)),
                     qPrintable(QStringLiteral("%1%2 is missing").arg(QLatin1String(who)).arg(i)));
}

void TestVorncalNotes::run_data() {
    QTest::addColumn<QStringList>("args"); // "@" stands for the fixture folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("errPart");

    QTest::newRow("all") << QStringList{"@two_days.xml"} << 0
                         << QStringLiteral(
                                "a1\t2024-05-07 08:00\t是\t甲\na2\t2024-05-07 09:00\t否\t乙\n"
                                "b1\t2024-05-09 10:00\t是\t丙\n")
                         << QString();
    QTest::newRow("today") << QStringList{"--today", "@two_days.xml"} << 0
                           << QStringLiteral("b1\t2024-05-09 10:00\t是\t丙\n") << QString();
    QTest::newRow("option after file")
        << QStringList{"@two_days.xml", "--today"} << 0
        << QStringLiteral("b1\t2024-05-09 10:00\t是\t丙\n") << QString();
    QTest::newRow("seed only") << QStringList{"@seed_only.xml"} << 0 << QString() << QString();
    QTest::newRow("escapes") << QStringList{"@escapes.xml"} << 0
                             << QStringLiteral("a\\\\b\tx\\ty\t是\tl1\\r\\nl2\n") << QString();
    QTest::newRow("short group")
        << QStringList{"@shifted.xml"} << 1
        << QStringLiteral("完整\t2024-05-08 08:00\t是\t一\n后来\t2024-05-09 09:00\t否\n")
        << QStringLiteral("缺少内容");
    QTest::newRow("not well-formed")
        << QStringList{"@truncated.xml"} << 1 << QString() << QStringLiteral("已损坏（第 3 行");
    QTest::newRow("no such file") << QStringList{"@missing.xml"} << 1 << QString()
                                  << QStringLiteral("不存在");
    QTest::newRow("unknown option")
        << QStringList{"--all"} << 2 << QString() << QStringLiteral("unknown option --all");
    QTest::newRow("two files") << QStringList{"@a.xml", "@b.xml"} << 2 << QString()
                               << QStringLiteral("more than one FILE");
}

void TestVorncalNotes::run() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, errPart);
    for (QString& a : args) {
        if (a.startsWith(QLatin1Char('@')))
            a = QStringLiteral(VORN_TEST_DATA "/") + a.mid(1);
    }
    QString outText, errText;
    QTextStream o(&outText), e(&errText);
    QCOMPARE(RunNotesCommand(args, o, e), status);
    QCOMPARE(outText, out);
    if (errPart.isEmpty()) {
        QCOMPARE(errText, QString());
    } else {
        QVERIFY2(errText.contains(errPart), qPrintable(errText));
        if (status == 1)
            QCOMPARE(errText.count(QLatin1Char('\n')), 1); // one line
    }
}

void TestVorncalNotes::onlyReads() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Notes.xml"));
    QString outText, errText;
    QTextStream o(&outText), e(&errText);
    QCOMPARE(RunNotesCommand({path}, o, e), 1);
    QVERIFY(!QFile::exists(path)); // no seed document is written
}

QTEST_GUILESS_MAIN(TestVorncalNotes)
#include "tst_vorncal_notes.moc"

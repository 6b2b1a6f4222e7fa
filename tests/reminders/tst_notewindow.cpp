// The note window as the user sees it: today's notes as one numbered text,
// the no-notes message, the seed file for a first start, the corners of the
// screen, the opacity steps, the cut-away ground, and moving it by hand.
#include "UApplication.h"
#include "UClock.h"
#include "UNoteList.h"
#include "USettings.h"

#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Note {
    QString title, time, flag, content;
};

const QString CR(QChar(13));
const QString Line(71, QLatin1Char('-'));

QByteArray NotesXml(const QList<Note>& today, const QString& extra = {}) {
    QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><便签列表>"
                  "<Date2000-01-01><标题>示例</标题><日期>2000-01-01 08:00</日期><提醒>是</提醒>"
                  "<内容>seed</内容></Date2000-01-01>"
                  "<Date2026-12-09><标题>昨天</标题><日期>2026-12-09 09:00</日期><提醒>否</提醒>"
                  "<内容>yesterday</内容></Date2026-12-09>";
    if (!today.isEmpty()) {
        xml += "<Date2026-12-10>";
        for (const Note& n : today)
            xml += "<标题>" + n.title + "</标题><日期>" + n.time + "</日期><提醒>" + n.flag +
                   "</提醒><内容>" + n.content + "</内容>";
        xml += "</Date2026-12-10>";
    }
    xml += extra + "</便签列表>";
    return xml.toUtf8();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList Errors;

class TestApplication : public TApplication {
public:
    using TApplication::TApplication;
    void ShowException(const QString& Text) override { Errors << Text; }
};

} // namespace

class TestNoteWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void window();
    void noteText_data();
    void noteText();
    void damagedGroupKeepsEntriesBefore();
    void refreshReplacesOldText();
    void lastNoteDeletedShowsMessage();
    void firstStartWritesSeed();
    void seedFailureStillMakesWindow();
    void corners_data();
    void corners();
    void alphaSteps_data();
    void alphaSteps();
    void previewFindsWindowByCaption();
    void groundIsCutAway();
    void dragOutsideLabelMoves();
    void closingClearsReference();
    void showNoteWindowCreatesOnce();

private:
    TfrmNoteList* Make();
    QTemporaryDir* FDir = nullptr;
    QString FPath;
};

void TestNoteWindow::init() {
    Clock::SetNowFunction([] { return QDateTime(QDate(2026, 12, 10), QTime(8, 30, 0)); });
    FDir = new QTemporaryDir;
    FPath = FDir->filePath("Notes.xml");
    Position = 0;
    blend = 10;
    Errors.clear();
}

void TestNoteWindow::cleanup() {
    delete frmNoteList;
    QVERIFY(frmNoteList == nullptr);
    delete FDir;
    Clock::SetNowFunction({});
}

TfrmNoteList* TestNoteWindow::Make() {
    frmNoteList = new TfrmNoteList(FPath);
    return frmNoteList;
}

void TestNoteWindow::window() {
    QVERIFY(Write(FPath, NotesXml({{"a", "2026-12-10 09:00", "是", "b"}})));
    TfrmNoteList* w = Make();
    QCOMPARE(w->windowTitle(), QStringLiteral("便签列表"));
    QCOMPARE(w->size(), QSize(246, 271));
    QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(w->lblNotes->objectName(), QStringLiteral("lblNotes"));
    QCOMPARE(w->lblNotes->geometry(), QRect(7, 32, 226, 177));
    QVERIFY(w->lblNotes->wordWrap());
    QCOMPARE(w->lblNotes->alignment(), Qt::AlignLeft | Qt::AlignTop);
    // Created, not shown: only the callers show it.
    QVERIFY(!w->isVisible());
}

void TestNoteWindow::noteText_data() {
    QTest::addColumn<QList<Note>>("notes");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two notes") << QList<Note>{{"买菜", "2026-12-10 08:00", "否", "白菜"},
                                              {"开会", "2026-12-10 09:00", "是", "三楼"}}
                               << QString()
                               << "1.买菜 | 2026-12-10 08:00 | 否" + CR + "白菜" + CR + Line + CR +
                                      "2.开会 | 2026-12-10 09:00 | 是" + CR + "三楼";
    QTest::newRow("empty content ends with the carriage return")
        << QList<Note>{{"a", "2026-12-10 10:00", "是", ""}} << QString()
        << "1.a | 2026-12-10 10:00 | 是" + CR;
    QTest::newRow("no day node of today")
        << QList<Note>{} << QString() << TfrmNoteList::NoNotesMessage;
    QTest::newRow("today's day node without notes")
        << QList<Note>{} << QStringLiteral("<Date2026-12-10/>") << TfrmNoteList::NoNotesMessage;
    QTest::newRow("numbering runs on across two day nodes of today")
        << QList<Note>{{"a", "2026-12-10 10:00", "是", "x"}}
        << QStringLiteral("<Date2026-12-10><标题>b</标题><日期>2026-12-10 11:00</日期>"
                          "<提醒>否</提醒><内容>y</内容></Date2026-12-10>")
        << "1.a | 2026-12-10 10:00 | 是" + CR + "x" + CR + Line + CR +
               "2.b | 2026-12-10 11:00 | 否" + CR + "y";
    QTest::newRow("flag text as stored")
        << QList<Note>{{"a", "2026-12-10 10:00", "maybe", "x"}} << QString()
        << "1.a | 2026-12-10 10:00 | maybe" + CR + "x";
}

void TestNoteWindow::noteText() {
    QFETCH(QList<Note>, notes);
    QFETCH(QString, extra);
    QFETCH(QString, expected);
    QVERIFY(Write(FPath, NotesXml(notes, extra)));
    TfrmNoteList* w = Make();
    QCOMPARE(w->NoteText(), expected);
    // The label shows every carriage return as a line break.
    QCOMPARE(w->lblNotes->text().split('\n'), expected.split(CR));
}

void TestNoteWindow::damagedGroupKeepsEntriesBefore() {
    // The second note of today lacks its flag and content: the walk ends
    // without handing it over, and the first entry stands alone.
    QVERIFY(Write(FPath, NotesXml({{"a", "2026-12-10 10:00", "是", "x"}},
                                  "<Date2026-12-10><标题>b</标题><日期>2026-12-10 11:00</日期>"
                                  "</Date2026-12-10>")));
    TfrmNoteList* w = Make();
    const QString first = "1.a | 2026-12-10 10:00 | 是" + CR + "x";
    QCOMPARE(w->NoteText(), first);
    // A group that arrives short: the entries before it stay, and the note
    // says that the file has a fault.
    QVERIFY(Write(FPath, NotesXml({{"a", "2026-12-10 10:00", "是", "x"}},
                                  "<Date2026-12-10><标题>b</标题><日期>2026-12-10 11:00</日期>"
                                  "</Date2026-12-10><Date2026-12-10><标题>c</标题><日期>u</日期>"
                                  "</Date2026-12-10>")));
    QVERIFY(!w->RefreshNotes(FPath));
    QVERIFY2(w->NoteText().startsWith(first + CR + TfrmNoteList::Separator + CR +
                                      QStringLiteral("（便签文件有误：")),
             qPrintable(w->NoteText()));
    QVERIFY2(w->NoteText().contains(QStringLiteral("不完整")), qPrintable(w->NoteText()));

    // A file that is no longer well-formed, or gone: the note says so rather
    // than show an older text as today's.
    QVERIFY(Write(FPath, "<便签列表><Date2026-12-10>"));
    QVERIFY(!w->RefreshNotes(FPath));
    QVERIFY2(w->NoteText().startsWith(QStringLiteral("（便签文件有误：")) &&
                 w->NoteText().contains(QStringLiteral("已损坏")),
             qPrintable(w->NoteText()));
    QVERIFY(!w->RefreshNotes(FDir->filePath("missing.xml")));
    QVERIFY2(w->NoteText().contains(QStringLiteral("不存在")), qPrintable(w->NoteText()));
    QVERIFY(Errors.isEmpty());
}

void TestNoteWindow::refreshReplacesOldText() {
    QVERIFY(Write(FPath, NotesXml({{"a", "t1", "是", "x"}, {"b", "t2", "是", "y"}})));
    TfrmNoteList* w = Make();
    QVERIFY(w->NoteText().contains("2.b"));
    QVERIFY(Write(FPath, NotesXml({{"c", "t3", "否", "z"}})));
    QVERIFY(w->RefreshNotes(FPath));
    QCOMPARE(w->NoteText(), "1.c | t3 | 否" + CR + "z");
}

void TestNoteWindow::lastNoteDeletedShowsMessage() {
    QVERIFY(Write(FPath, NotesXml({{"a", "t1", "是", "x"}})));
    TfrmNoteList* w = Make();
    QVERIFY(Write(FPath, NotesXml({})));
    QVERIFY(w->RefreshNotes(FPath));
    QCOMPARE(w->NoteText(), TfrmNoteList::NoNotesMessage);
    QCOMPARE(w->lblNotes->text(), TfrmNoteList::NoNotesMessage);
}

void TestNoteWindow::firstStartWritesSeed() {
    QVERIFY(!QFile::exists(FPath));
    TfrmNoteList* w = Make();
    QVERIFY(QFile::exists(FPath));
    QFile file(FPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("Date2000-01-01"));
    QVERIFY(bytes.contains("encoding=\"GB2312\""));
    QCOMPARE(w->NoteText(), TfrmNoteList::NoNotesMessage);
    QVERIFY(Errors.isEmpty());
}

void TestNoteWindow::seedFailureStillMakesWindow() {
    Position = 3;
    blend = 5;
    // A plain file stands where the data folder should be.
    QVERIFY(Write(FDir->filePath("blocker"), "x"));
    FPath = FDir->filePath("blocker/Notes.xml");
    TfrmNoteList* w = Make();
    QCOMPARE(Errors.size(), 1);
    QVERIFY(!QFile::exists(FPath));
    // Made all the same, with its opacity, an empty text and its designed place.
    QCOMPARE(w->Alpha(), 127);
    QCOMPARE(w->NoteText(), QString());
    QCOMPARE(w->pos(), QPoint(749, 453));
}

void TestNoteWindow::corners_data() {
    QTest::addColumn<int>("corner");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("bottom");
    QTest::addColumn<bool>("moves");
    QTest::newRow("0 top-left") << 0 << false << false << true;
    QTest::newRow("1 bottom-left") << 1 << false << true << true;
    QTest::newRow("2 top-right") << 2 << true << false << true;
    QTest::newRow("3 bottom-right") << 3 << true << true << true;
    QTest::newRow("-1 stays") << -1 << false << false << false;
    QTest::newRow("4 stays") << 4 << false << false << false;
}

void TestNoteWindow::corners() {
    QFETCH(int, corner);
    QFETCH(bool, right);
    QFETCH(bool, bottom);
    QFETCH(bool, moves);
    QVERIFY(Write(FPath, NotesXml({})));
    Position = corner;
    TfrmNoteList* w = Make();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // The whole screen, taskbar or not, and the window's outer size.
    const QPoint expected = moves ? screen.topLeft() + QPoint(right ? screen.width() - 246 : 0,
                                                              bottom ? screen.height() - 271 : 0)
                                  : QPoint(749, 453);
    QCOMPARE(w->pos(), expected);
    if (screen.size() == QSize(1920, 1080) && corner == 3)
        QCOMPARE(w->pos(), QPoint(1674, 809));

    // A later placement with a code outside 0..3 leaves it where it is.
    w->move(100, 120);
    w->PlaceNoteWindow(9);
    QCOMPARE(w->pos(), QPoint(100, 120));
}

void TestNoteWindow::alphaSteps_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("alpha");
    QTest::newRow("1") << 1 << 25;
    QTest::newRow("3") << 3 << 76;
    QTest::newRow("5") << 5 << 127;
    QTest::newRow("9") << 9 << 229;
    QTest::newRow("10") << 10 << 255;
    // A hand-edited step is brought to the nearest of 1 and 10.
    QTest::newRow("0") << 0 << 25;
    QTest::newRow("-7") << -7 << 25;
    QTest::newRow("11") << 11 << 255;
    QTest::newRow("250") << 250 << 255;
}

void TestNoteWindow::alphaSteps() {
    QFETCH(int, step);
    QFETCH(int, alpha);
    QCOMPARE(NoteAlpha(step), alpha);
    QVERIFY(Write(FPath, NotesXml({})));
    blend = step;
    QCOMPARE(Make()->Alpha(), alpha);
}

void TestNoteWindow::previewFindsWindowByCaption() {
    QVERIFY(!SetAlphaOfWindowNamed(TfrmNoteList::Caption, 76));
    QVERIFY(Write(FPath, NotesXml({})));
    TfrmNoteList* w = Make();
    QVERIFY(SetAlphaOfWindowNamed(TfrmNoteList::Caption, 76));
    QCOMPARE(w->Alpha(), 76);
    QVERIFY(!SetAlphaOfWindowNamed("便签", 200));
    QCOMPARE(w->Alpha(), 76);
}

void TestNoteWindow::groundIsCutAway() {
    QVERIFY(Write(FPath, NotesXml({})));
    TfrmNoteList* w = Make();
    QVERIFY(w->mask().isEmpty());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QRegion visible = w->mask();
    // The picture's own bottom-left pixel carries the key colour.
    QVERIFY(!visible.contains(QPoint(0, 236)));
    // Beyond the 240 x 237 picture the window lets the mouse through.
    QVERIFY(!visible.contains(QPoint(243, 10)));
    QVERIFY(!visible.contains(QPoint(10, 250)));
    // The note itself is there: the pin corner, the text area and the curl.
    QVERIFY(visible.contains(QPoint(120, 120)));
    QVERIFY(visible.contains(QPoint(20, 40)));
    // Every pixel of another colour than the key colour stays.
    const QImage picture = QImage(":/notes/note.png").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture.size(), QSize(240, 237));
    const QRgb key = picture.pixel(0, 236) & 0xFFFFFF;
    int kept = 0, expected = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const bool other = (picture.pixel(x, y) & 0xFFFFFF) != key;
            expected += other;
            kept += other && visible.contains(QPoint(x, y));
            if (!other)
                QVERIFY2(!visible.contains(QPoint(x, y)),
                         qPrintable(QString("%1,%2").arg(x).arg(y)));
        }
    QCOMPARE(kept, expected);
    // Computed once: a later show keeps the region.
    w->hide();
    w->show();
    QCOMPARE(w->mask(), visible);
}

void TestNoteWindow::dragOutsideLabelMoves() {
    QVERIFY(Write(FPath, NotesXml({})));
    TfrmNoteList* w = Make();
    w->move(300, 300);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QPoint start = w->pos();

    // On the text: nothing moves.
    QTest::mousePress(w->lblNotes, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(w->lblNotes, QPoint(90, 80));
    QTest::mouseRelease(w->lblNotes, Qt::LeftButton, {}, QPoint(90, 80));
    QCOMPARE(w->pos(), start);

    // On the picture above the text, with any button, the window follows
    // (where the window system runs its own move loop it moves the window
    // itself, which a synthetic event cannot drive; then only the loop's
    // start can be seen, and the test stops here).
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(120, 15), w->mapToGlobal(QPointF(120, 15)),
                      Qt::RightButton, Qt::RightButton, {});
    QApplication::sendEvent(w, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(160, 45), w->mapToGlobal(QPointF(160, 45)),
                     Qt::NoButton, Qt::RightButton, {});
    QApplication::sendEvent(w, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(160, 45),
                        w->mapToGlobal(QPointF(160, 45)), Qt::RightButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &release);
    if (QGuiApplication::platformName() == "offscreen")
        QCOMPARE(w->pos(), start + QPoint(40, 30));
    QVERIFY(press.isAccepted());
}

void TestNoteWindow::closingClearsReference() {
    QVERIFY(Write(FPath, NotesXml({})));
    TfrmNoteList* w = Make();
    QPointer<TfrmNoteList> guard(w);
    w->show();
    QVERIFY(w->close());
    QTRY_VERIFY(guard.isNull());
    QVERIFY(frmNoteList == nullptr);
}

void TestNoteWindow::showNoteWindowCreatesOnce() {
    QVERIFY(Write(FPath, NotesXml({{"a", "t", "是", "x"}})));
    TfrmNoteList* first = ShowNoteWindow(FPath);
    QCOMPARE(frmNoteList, first);
    QVERIFY(first->isVisible());
    first->hide();
    // Hidden, not closed: the same window comes back with its text and place.
    first->move(10, 20);
    TfrmNoteList* again = ShowNoteWindow(FPath);
    QCOMPARE(again, first);
    QVERIFY(again->isVisible());
    QCOMPARE(again->pos(), QPoint(10, 20));
}

int main(int argc, char** argv) {
    TestApplication app(argc, argv);
    TestNoteWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notewindow.moc"

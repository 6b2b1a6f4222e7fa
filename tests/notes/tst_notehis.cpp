// The note history as the user meets it: its layout, every day's notes in
// file order, the check box that narrows the list to today, and files that
// are missing, damaged or unreadable.
#include "NoteDialogTest.h"

#include "UCheckBox.h"
#include "UClock.h"
#include "UForms.h"
#include "UGlassButton.h"
#include "UMirrorPanel.h"
#include "UNoteHis.h"
#include "UReportListView.h"

#include <QFrame>
#include <QTemporaryDir>
#include <QTimer>

using namespace NoteTest;

namespace {

const QDateTime Now(QDate(2024, 5, 9), QTime(10, 0));
const QString Today = QStringLiteral("Date2024-05-09");

const Day SeedDay{QStringLiteral("Date2000-01-01"),
                  {{QStringLiteral("测试"), QStringLiteral("2000-01-01"), QStringLiteral("是"),
                    QStringLiteral("千禧年")}}};

QStringList note(const char* Title, const char* Time, const char* Flag, const char* Content) {
    return {QString::fromUtf8(Title), QString::fromUtf8(Time), QString::fromUtf8(Flag),
            QString::fromUtf8(Content)};
}

// Notes on three days, saved in the order 9 May, 7 May, 8 May; the seed day
// holds a note added by hand, which stays hidden.
const QList<Day> ThreeDays = {
    {SeedDay.Name, {SeedDay.Notes.first(), note("手写", "2000-01-01 08:00", "否", "藏着")}},
    {Today, {note("早会", "2024-05-09 09:00", "是", "带电脑")}},
    {QStringLiteral("Date2024-05-07"),
     {note("a1", "2024-05-07 08:00", "是", "甲"), note("a2", "2024-05-07 09:00", "否", "乙")}},
    {QStringLiteral("Date2024-05-08"), {note("b1", "2024-05-08 10:00", "是", "丙")}},
};

const QStringList AllRows = {"早会|2024-05-09 09:00|是|带电脑", "a1|2024-05-07 08:00|是|甲",
                             "a2|2024-05-07 09:00|否|乙", "b1|2024-05-08 10:00|是|丙"};

} // namespace

class TestNoteHis : public QObject {
    Q_OBJECT

    QTemporaryDir* FDir = nullptr;
    QPointer<TfrmNoteHis> FDialog;
    QString FPath;

    // Opens the history the way the main menu does: created (which loads
    // every day's notes), stored in the reference, then shown.
    TfrmNoteHis* open() {
        frmNoteHis = new TfrmNoteHis(FPath);
        FDialog = frmNoteHis;
        FDialog->show();
        if (!QTest::qWaitForWindowExposed(FDialog))
            qWarning("the history did not appear");
        return FDialog;
    }
    void clickCheckBox() {
        QTest::mouseClick(FDialog->advCheckToday, Qt::LeftButton, {}, QPoint(8, 10));
    }

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void listIsForReadingOnly();
    void tabOrder();
    void seedWrittenWhenMissing();
    void threeDaysAndTheCheckBox();
    void dayWithoutDayNodeEmptiesTodaysList();
    void damagedDayStopsEarlyAndSaysWhy();
    void unreadableFileSaysSoAndStays();
    void listShowsFileAsAtLastLoad();
    void seedFailureIsShownAndDialogOpens();
    void modalRunEndsDestroyed();
    void centredOverMainWindow();
    void closingByAnyMeansDestroys_data();
    void closingByAnyMeansDestroys();
};

void TestNoteHis::init() {
    Clock::SetNowFunction([] { return Now; });
    FDir = new QTemporaryDir;
    FPath = FDir->filePath(QStringLiteral("Notes.xml"));
    Failures().clear();
}

void TestNoteHis::cleanup() {
    delete FDialog.data();
    FlushDeletes();
    QCOMPARE(frmNoteHis, nullptr);
    delete FDir;
    Clock::SetNowFunction({});
}

void TestNoteHis::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::newRow("background") << "Background" << QRect(0, 0, 512, 377) << QString();
    QTest::newRow("alvNotes") << "alvNotes" << QRect(8, 16, 497, 308) << QString();
    QTest::newRow("Bevel1") << "Bevel1" << QRect(8, 330, 497, 2) << QString();
    QTest::newRow("advCheckToday")
        << "advCheckToday" << QRect(8, 344, 121, 20) << QStringLiteral("只显示今天的便签");
    QTest::newRow("advClose") << "advClose" << QRect(423, 339, 81, 28) << QStringLiteral("退   出");
}

void TestNoteHis::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    open();
    QCOMPARE(FDialog->windowTitle(), QStringLiteral("便签历史记录"));
    QCOMPARE(FDialog->size(), QSize(512, 377));
    QCOMPARE(FDialog->minimumSize(), FDialog->maximumSize());
    QCOMPARE(FDialog->font().pixelSize(), 11);
    auto* W = FDialog->findChild<QWidget*>(name);
    QVERIFY(W);
    QCOMPARE(W->geometry(), place);
    if (auto* Button = qobject_cast<QAbstractButton*>(W))
        QCOMPARE(Button->text(), caption);
}

void TestNoteHis::listIsForReadingOnly() {
    WriteBytes(FPath, NotesXml(ThreeDays));
    open();
    TReportListView* List = FDialog->alvNotes;
    const QStringList Captions = {"标题", "时间", "提醒", "内容"};
    const int Widths[4] = {120, 96, 40, 236};
    QCOMPARE(List->columnCount(), 4);
    for (int C = 0; C < 4; ++C) {
        QCOMPARE(List->headerItem()->text(C), Captions.at(C));
        QCOMPARE(List->columnWidth(C), Widths[C]);
    }
    QCOMPARE(List->BackColor(), QColor(0xF0, 0xFB, 0xFF));
    QCOMPARE(List->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!FDialog->advCheckToday->isChecked());
    QCOMPARE(FDialog->advClose->BackColor(), QColor(0xBD, 0xC5, 0xC9));
    QVERIFY(!FDialog->advClose->TextAntialiased());

    // No cell opens for editing, and there is no popup menu.
    QVERIFY(!List->SubItemEditing());
    const int RowY = List->visualItemRect(List->Row(0)).center().y();
    DoubleClick(List->viewport(), QPoint(120, RowY));
    QCOMPARE(List->CellEditor(), nullptr);
    QCOMPARE(List->contextMenuPolicy(), Qt::DefaultContextMenu);
    QVERIFY(List->actions().isEmpty());
    const QByteArray Before = ReadBytes(FPath);
    QTest::keyClick(List, Qt::Key_Delete);
    QCOMPARE(Rows(List), AllRows);
    QCOMPARE(ReadBytes(FPath), Before);
}

void TestNoteHis::tabOrder() {
    open();
    FDialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FDialog));
    FDialog->alvNotes->setFocus();
    for (QWidget* Expected :
         {static_cast<QWidget*>(FDialog->advClose), static_cast<QWidget*>(FDialog->advCheckToday),
          static_cast<QWidget*>(FDialog->alvNotes)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Expected);
    }
}

void TestNoteHis::seedWrittenWhenMissing() {
    open();
    QCOMPARE(ReadBytes(FPath), ReadBytes(QStringLiteral(VORN_TEST_DATA "/seed_expected.xml")));
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    clickCheckBox();
    QVERIFY(FDialog->advCheckToday->isChecked());
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    clickCheckBox();
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    QVERIFY(Failures().isEmpty());
}

void TestNoteHis::threeDaysAndTheCheckBox() {
    WriteBytes(FPath, NotesXml(ThreeDays));
    const QByteArray Before = ReadBytes(FPath);
    open();
    QCOMPARE(Rows(FDialog->alvNotes), AllRows);

    clickCheckBox();
    QVERIFY(FDialog->advCheckToday->isChecked());
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({"早会|2024-05-09 09:00|是|带电脑"}));

    // The keyboard works the box as well.
    FDialog->advCheckToday->setFocus();
    QTest::keyClick(FDialog->advCheckToday, Qt::Key_Space);
    QVERIFY(!FDialog->advCheckToday->isChecked());
    QCOMPARE(Rows(FDialog->alvNotes), AllRows);
    // Reading writes nothing.
    QCOMPARE(ReadBytes(FPath), Before);
}

void TestNoteHis::dayWithoutDayNodeEmptiesTodaysList() {
    QList<Day> Days = ThreeDays;
    Days.removeAt(1); // no day node for 9 May
    WriteBytes(FPath, NotesXml(Days));
    open();
    QCOMPARE(FDialog->alvNotes->RowCount(), 3);
    clickCheckBox();
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
}

void TestNoteHis::damagedDayStopsEarlyAndSaysWhy() {
    // 8 May holds one note and a stray title; 9 May's note then arrives short.
    QVERIFY(QFile::copy(QStringLiteral(VORN_TEST_DATA "/shifted.xml"), FPath));
    open();
    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"完整|2024-05-08 08:00|是|一", "后来|2024-05-09 09:00|否"}));
    QCOMPARE(Failures().size(), 1);
    QVERIFY2(Failures().first().contains(QStringLiteral("不完整")), qPrintable(Failures().first()));
}

void TestNoteHis::unreadableFileSaysSoAndStays() {
    const QByteArray Broken = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<便签列表><Date2024";
    WriteBytes(FPath, Broken);
    open();
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    clickCheckBox();
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    // Every load that fails says why.
    QCOMPARE(Failures().size(), 2);
    QVERIFY2(Failures().first().contains(QStringLiteral("已损坏")), qPrintable(Failures().first()));
    QCOMPARE(ReadBytes(FPath), Broken);
}

void TestNoteHis::listShowsFileAsAtLastLoad() {
    WriteBytes(FPath, NotesXml(ThreeDays));
    open();
    QList<Day> Days = ThreeDays;
    Days[1].Notes.append(note("午饭", "2024-05-09 12:00", "否", ""));
    WriteBytes(FPath, NotesXml(Days));
    QCOMPARE(Rows(FDialog->alvNotes), AllRows);
    // Each click on the box reads the file again.
    clickCheckBox();
    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"早会|2024-05-09 09:00|是|带电脑", "午饭|2024-05-09 12:00|否|"}));
}

void TestNoteHis::seedFailureIsShownAndDialogOpens() {
    // A plain file stands where the data folder should be.
    WriteBytes(FDir->filePath(QStringLiteral("blocker")), "x");
    FPath = FDir->filePath(QStringLiteral("blocker/Notes.xml"));
    open();
    QCOMPARE(Failures().size(), 1);
    QVERIFY(FDialog->isVisible());
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    // The box loads again and says that there is no file to read.
    clickCheckBox();
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    QCOMPARE(Failures().size(), 2);
}

void TestNoteHis::modalRunEndsDestroyed() {
    // As the main menu runs it: modal, and gone when it returns.
    frmNoteHis = new TfrmNoteHis(FPath);
    FDialog = frmNoteHis;
    bool WasModal = false;
    QTimer::singleShot(0, FDialog.data(), [this, &WasModal] {
        WasModal = FDialog->isModal() && QApplication::activeModalWidget() == FDialog;
        QTest::mouseClick(FDialog->advClose, Qt::LeftButton);
    });
    QCOMPARE(frmNoteHis->exec(), int(QDialog::Rejected));
    QVERIFY(WasModal);
    QVERIFY(FDialog.isNull());
    QCOMPARE(frmNoteHis, nullptr);
}

void TestNoteHis::centredOverMainWindow() {
    QWidget Main;
    Main.setWindowTitle(QStringLiteral("main"));
    Main.setGeometry(300, 200, 410, 376);
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
    SetMainForm(&Main);
    open();
    SetMainForm(nullptr);
    QTRY_VERIFY2(
        (FDialog->frameGeometry().center() - Main.frameGeometry().center()).manhattanLength() < 40,
        qPrintable(QStringLiteral("dialog at %1,%2")
                       .arg(FDialog->frameGeometry().x())
                       .arg(FDialog->frameGeometry().y())));
}

void TestNoteHis::closingByAnyMeansDestroys_data() {
    QTest::addColumn<int>("means");
    QTest::newRow("close button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("title bar close box") << 2;
}

void TestNoteHis::closingByAnyMeansDestroys() {
    QFETCH(int, means);
    open();
    QCOMPARE(frmNoteHis, FDialog.data());
    switch (means) {
    case 0:
        QTest::mouseClick(FDialog->advClose, Qt::LeftButton);
        break;
    case 1:
        QTest::keyClick(FDialog->alvNotes, Qt::Key_Escape);
        break;
    case 2:
        FDialog->close();
        break;
    }
    FlushDeletes();
    QVERIFY(FDialog.isNull());
    QCOMPARE(frmNoteHis, nullptr);
}

NOTE_DIALOG_TEST_MAIN(TestNoteHis)
#include "tst_notehis.moc"

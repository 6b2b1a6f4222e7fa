// The note editor as the user meets it: its layout, the hour list, the arrow
// that puts the editors into the list, selecting and editing rows in place,
// deleting, confirming and closing -- and what the notes file holds after
// each of them.
#include "NoteDialogTest.h"

#include "UCheckBox.h"
#include "UClock.h"
#include "UFileIO.h"
#include "UForms.h"
#include "UGlassButton.h"
#include "UMirrorPanel.h"
#include "UNoteAdd.h"
#include "UNoteStore.h"
#include "UReportListView.h"
#include "URoundEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <tuple>

using namespace NoteTest;

namespace {

const QDateTime Now(QDate(2024, 5, 9), QTime(10, 0));
const QString Today = QStringLiteral("Date2024-05-09");
const QString Seed = QStringLiteral("Date2000-01-01 [测试|2000-01-01|是|千禧年]");

const Day SeedDay{QStringLiteral("Date2000-01-01"),
                  {{QStringLiteral("测试"), QStringLiteral("2000-01-01"), QStringLiteral("是"),
                    QStringLiteral("千禧年")}}};

QStringList note(const char* Title, const char* Time, const char* Flag, const char* Content) {
    return {QString::fromUtf8(Title), QString::fromUtf8(Time), QString::fromUtf8(Flag),
            QString::fromUtf8(Content)};
}

} // namespace

class TestNoteAdd : public QObject {
    Q_OBJECT

    QTemporaryDir* FDir = nullptr;
    QPointer<TfrmNoteAdd> FDialog;
    QString FPath;

    // Opens the editor the way the main menu does (the reference set, the
    // dialog shown) and waits until it is on the screen.
    TfrmNoteAdd* open() {
        frmNoteAdd = new TfrmNoteAdd(FPath);
        FDialog = frmNoteAdd;
        FDialog->show();
        if (!QTest::qWaitForWindowExposed(FDialog))
            qWarning("the editor did not appear");
        return FDialog;
    }
    void writeNotes(const QList<Day>& Days) { WriteBytes(FPath, NotesXml(Days)); }
    // Fills the editors as a user would.
    void fill(const QString& Title, int Hour, bool Remind, const QStringList& Lines) {
        FDialog->ceTitle->clear();
        TypeText(FDialog->ceTitle, Title);
        if (Hour >= 0)
            FDialog->ccTime->setCurrentIndex(Hour);
        FDialog->aockHint->setChecked(Remind);
        FDialog->cmContent->clear();
        FDialog->cmContent->setFocus();
        for (int I = 0; I < Lines.size(); ++I) {
            if (I > 0)
                QTest::keyClick(FDialog->cmContent, Qt::Key_Return);
            TypeText(FDialog->cmContent, Lines.at(I));
        }
    }
    void clickArrow() { QTest::mouseClick(FDialog->Image1, Qt::LeftButton, {}, QPoint(7, 8)); }
    void clickRow(int I) {
        QTreeWidgetItem* Row = FDialog->alvNotes->Row(I);
        const QRect Cell = FDialog->alvNotes->visualItemRect(Row);
        QTest::mouseClick(FDialog->alvNotes->viewport(), Qt::LeftButton, {},
                          QPoint(20, Cell.center().y()));
    }

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void listColumnsAndLook();
    void tabOrder();
    void showWritesSeedAndListsNothing();
    void showListsTodaysNotesOnly();
    void emptyTitleWarns();
    void arrowAddsRowWithJoinedLines();
    void arrowUpdatesRowOfTitleInOtherCase();
    void selectingFillsEditors_data();
    void selectingFillsEditors();
    void changedTitleAddsSecondRow();
    void cellsEditInPlace();
    void deleteRemovesNoteFromFile();
    void deleteWithoutSelectionDoesNothing();
    void deleteUnconfirmedRowLeavesFile();
    void confirmWritesTodaysDayNode();
    void confirmEmptyListWritesEmptyDayNode();
    void confirmWithFileRemovedWritesSeedAndToday();
    void confirmAfterMidnightKeepsItsDay();
    void confirmAfterTheFileChangedKeepsBoth();
    void failedWritesKeepFileAndDialog();
    void handEditedNoteSurvivesConfirm();
    void tooLongContentRefused();
    void typedTimes_data();
    void typedTimes();
    void timeEditedInItsCell();
    void closeWritesNothingButDeletionStays();
    void modalRunEndsDestroyed_data();
    void modalRunEndsDestroyed();
    void centredOverMainWindow();
    void closingByAnyMeansDestroys_data();
    void closingByAnyMeansDestroys();
    void unreadableFileIsNeverOverwritten();
    void seedFailureIsShownAndListStaysEmpty();
    void charactersOutsideGb2312Survive();
};

void TestNoteAdd::init() {
    Clock::SetNowFunction([] { return Now; });
    FDir = new QTemporaryDir;
    FPath = FDir->filePath(QStringLiteral("Notes.xml"));
    Failures().clear();
    Notices().clear();
}

void TestNoteAdd::cleanup() {
    delete FDialog.data();
    FlushDeletes();
    QCOMPARE(frmNoteAdd, nullptr);
    delete FDir;
    Clock::SetNowFunction({});
}

void TestNoteAdd::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::newRow("background") << "Background" << QRect(0, 0, 552, 269) << QString();
    QTest::newRow("Label1") << "Label1" << QRect(16, 24, 33, 13) << QStringLiteral("标题");
    QTest::newRow("Label2") << "Label2" << QRect(16, 56, 33, 13) << QStringLiteral("时间");
    QTest::newRow("Label3") << "Label3" << QRect(16, 88, 33, 13) << QStringLiteral("内容");
    QTest::newRow("ceTitle") << "ceTitle" << QRect(59, 16, 202, 24) << QString();
    QTest::newRow("ccTime") << "ccTime" << QRect(59, 52, 146, 24) << QString();
    QTest::newRow("aockHint") << "aockHint" << QRect(214, 54, 49, 20) << QStringLiteral("提醒");
    QTest::newRow("cmContent") << "cmContent" << QRect(59, 88, 202, 121) << QString();
    QTest::newRow("Image1") << "Image1" << QRect(261, 96, 14, 16) << QString();
    QTest::newRow("Bevel2") << "Bevel2" << QRect(275, 12, 2, 201) << QString();
    QTest::newRow("alvNotes") << "alvNotes" << QRect(280, 16, 261, 193) << QString();
    QTest::newRow("Bevel1") << "Bevel1" << QRect(10, 217, 532, 2) << QString();
    QTest::newRow("advOK") << "advOK" << QRect(371, 227, 81, 28) << QStringLiteral("确   定");
    QTest::newRow("advClose") << "advClose" << QRect(463, 227, 81, 28) << QStringLiteral("退   出");
}

void TestNoteAdd::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    open();
    QCOMPARE(FDialog->windowTitle(), QStringLiteral("便签维护"));
    QCOMPARE(FDialog->size(), QSize(552, 269));
    QCOMPARE(FDialog->minimumSize(), FDialog->maximumSize());
    QCOMPARE(FDialog->font().pixelSize(), 11);

    auto* W = FDialog->findChild<QWidget*>(name);
    QVERIFY(W);
    QCOMPARE(W->geometry(), place);
    if (name != QLatin1String("Background"))
        QCOMPARE(W->parentWidget(), FDialog->Background);
    if (auto* Label = qobject_cast<QLabel*>(W); Label && !caption.isEmpty())
        QCOMPARE(Label->text(), caption);
    if (auto* Button = qobject_cast<QAbstractButton*>(W))
        QCOMPARE(Button->text(), caption);
}

void TestNoteAdd::listColumnsAndLook() {
    open();
    TReportListView* List = FDialog->alvNotes;
    QCOMPARE(List->columnCount(), 4);
    const QStringList Captions = {"标题", "时间", "提醒", "内容"};
    const int Widths[4] = {80, 96, 40, 200};
    for (int C = 0; C < 4; ++C) {
        QCOMPARE(List->headerItem()->text(C), Captions.at(C));
        QCOMPARE(List->columnWidth(C), Widths[C]);
    }
    QCOMPARE(List->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(List->SubItemEditing());
    QCOMPARE(List->BackColor(), QColor(0xF0, 0xFB, 0xFF));
    // The list's ground as drawn, below the header where there is no row.
    const QImage Shot = List->viewport()->grab().toImage();
    QCOMPARE(QColor(Shot.pixel(Shot.width() / 2, Shot.height() - 20)), QColor(0xF0, 0xFB, 0xFF));
    QCOMPARE(FDialog->PopupMenu1->actions(), QList<QAction*>{FDialog->N1});
    QCOMPARE(FDialog->N1->text(), QStringLiteral("删除"));

    // The background: light grey-blue at the top, dark navy at the bottom.
    const QImage Back = FDialog->Background->grab().toImage();
    QCOMPARE(QColor(Back.pixel(5, 0)), QColor(0xEF, 0xF6, 0xF9));
    QCOMPARE(QColor(Back.pixel(5, 268)), QColor(0x0B, 0x2A, 0x55));
    // Both buttons: grey glass with a white caption drawn without smoothing.
    for (TGlassButton* B : {FDialog->advOK, FDialog->advClose}) {
        QCOMPARE(B->BackColor(), QColor(0xBD, 0xC5, 0xC9));
        QCOMPARE(B->GlowColor(), QColor(0xBD, 0xC5, 0xC9));
        QVERIFY(!B->TextAntialiased());
        QCOMPARE(B->font().family(), QStringLiteral("Tahoma"));
    }
    QVERIFY(!FDialog->Image1->pixmap().isNull());
    QCOMPARE(FDialog->Image1->pixmap().size(), QSize(14, 16));
}

void TestNoteAdd::tabOrder() {
    open();
    FDialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FDialog));
    QTRY_COMPARE(QApplication::focusWidget(), FDialog->ceTitle);
    const QList<QWidget*> Order = {FDialog->alvNotes,  FDialog->ccTime, FDialog->aockHint,
                                   FDialog->cmContent, FDialog->advOK,  FDialog->advClose,
                                   FDialog->ceTitle};
    for (QWidget* Expected : Order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* Focus = QApplication::focusWidget();
        QVERIFY2(Focus == Expected || Expected->isAncestorOf(Focus),
                 qPrintable(QStringLiteral("focus on %1, expected %2")
                                .arg(Focus ? Focus->objectName() : QStringLiteral("nothing"),
                                     Expected->objectName())));
    }
}

void TestNoteAdd::showWritesSeedAndListsNothing() {
    QVERIFY(!QFile::exists(FPath));
    open();
    QCOMPARE(ReadBytes(FPath), ReadBytes(QStringLiteral(VORN_TEST_DATA "/seed_expected.xml")));
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    QVERIFY(Failures().isEmpty());

    // The hour list: today's date and each hour of the day, none chosen.
    QCOMPARE(FDialog->ccTime->count(), 24);
    QCOMPARE(FDialog->ccTime->itemText(0), QStringLiteral("2024-05-09 00:00"));
    QCOMPARE(FDialog->ccTime->itemText(8), QStringLiteral("2024-05-09 08:00"));
    QCOMPARE(FDialog->ccTime->itemText(23), QStringLiteral("2024-05-09 23:00"));
    QCOMPARE(FDialog->ccTime->currentText(), QString());
    QVERIFY(FDialog->ccTime->isEditable());
    QVERIFY(!FDialog->aockHint->isChecked());
    QCOMPARE(FDialog->focusWidget(), FDialog->ceTitle);
}

void TestNoteAdd::showListsTodaysNotesOnly() {
    writeNotes({SeedDay,
                {QStringLiteral("Date2024-05-08"), {note("昨天", "2024-05-08 09:00", "是", "旧")}},
                {Today,
                 {note("早会", "2024-05-09 09:00", "是", "带电脑"),
                  note("Lunch", "2024-05-09 12:00", "否", "")}}});
    open();
    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"早会|2024-05-09 09:00|是|带电脑", "Lunch|2024-05-09 12:00|否|"}));
}

void TestNoteAdd::emptyTitleWarns() {
    writeNotes({SeedDay, {Today, {note("早会", "2024-05-09 09:00", "是", "带电脑")}}});
    const QByteArray Before = ReadBytes(FPath);
    open();
    fill(QString(), 8, true, {QStringLiteral("内容")});
    SeenBox Box;
    AnswerNextMessageBox(&Box);
    clickArrow();
    QTRY_VERIFY(Box.Seen);
    QCOMPARE(Box.Caption, QStringLiteral("警告"));
    QCOMPARE(Box.Text, QStringLiteral("标题不能为空！"));
    QCOMPARE(Box.Icon, QMessageBox::Warning);
    QCOMPARE(Box.Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({"早会|2024-05-09 09:00|是|带电脑"}));
    QCOMPARE(FDialog->cmContent->toPlainText(), QStringLiteral("内容"));
    QCOMPARE(ReadBytes(FPath), Before);
}

void TestNoteAdd::arrowAddsRowWithJoinedLines() {
    open();
    const QByteArray Before = ReadBytes(FPath);
    fill(QStringLiteral("复习"), 8, true, {"a", "b", "c"});
    clickArrow();
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({"复习|2024-05-09 08:00|是|abc"}));
    // The editors keep their values, and nothing is written yet.
    QCOMPARE(FDialog->ceTitle->text(), QStringLiteral("复习"));
    QCOMPARE(FDialog->cmContent->toPlainText(), QStringLiteral("a\nb\nc"));
    QCOMPARE(ReadBytes(FPath), Before);

    // A time of day typed into the box goes in with the day's date; an
    // unticked box gives 否.
    fill(QStringLiteral("散步"), -1, false, {QStringLiteral("公园")});
    FDialog->ccTime->setEditText(QStringLiteral("19:30"));
    clickArrow();
    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"复习|2024-05-09 08:00|是|abc", "散步|2024-05-09 19:30|否|公园"}));
}

void TestNoteAdd::arrowUpdatesRowOfTitleInOtherCase() {
    writeNotes({SeedDay,
                {Today,
                 {note("Meeting", "2024-05-09 09:00", "否", "room 1"),
                  note("meeting", "2024-05-09 11:00", "否", "second")}}});
    open();
    fill(QStringLiteral("MEETING"), 15, true, {QStringLiteral("room 2")});
    clickArrow();
    // The first row of that title, whatever its case, takes the values and
    // keeps its caption; no row is added.
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({"Meeting|2024-05-09 15:00|是|room 2",
                                                   "meeting|2024-05-09 11:00|否|second"}));
}

void TestNoteAdd::selectingFillsEditors_data() {
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("checkedBefore");
    QTest::addColumn<bool>("checkedAfter");
    QTest::newRow("是 ticks") << QStringLiteral("是") << false << true;
    QTest::newRow("否 unticks") << QStringLiteral("否") << true << false;
    QTest::newRow("other text leaves it ticked") << QStringLiteral("yes") << true << true;
    QTest::newRow("other text leaves it unticked") << QStringLiteral("") << false << false;
}

void TestNoteAdd::selectingFillsEditors() {
    QFETCH(QString, flag);
    QFETCH(bool, checkedBefore);
    QFETCH(bool, checkedAfter);
    writeNotes({SeedDay,
                {Today,
                 {{QStringLiteral("手写"), QStringLiteral("下午三点"), flag,
                   QStringLiteral("第一行\n第二行")}}}});
    open();
    FDialog->aockHint->setChecked(checkedBefore);
    clickRow(0);
    QCOMPARE(FDialog->alvNotes->Selected(), FDialog->alvNotes->Row(0));
    QCOMPARE(FDialog->ceTitle->text(), QStringLiteral("手写"));
    QCOMPARE(FDialog->ccTime->currentText(), QStringLiteral("下午三点"));
    QCOMPARE(FDialog->aockHint->isChecked(), checkedAfter);
    QCOMPARE(FDialog->cmContent->toPlainText(), QStringLiteral("第一行\n第二行"));

    // Unselecting leaves the editors as they are.
    FDialog->alvNotes->clearSelection();
    QCOMPARE(FDialog->ceTitle->text(), QStringLiteral("手写"));
}

void TestNoteAdd::changedTitleAddsSecondRow() {
    writeNotes({SeedDay, {Today, {note("原题", "2024-05-09 09:00", "是", "内容")}}});
    open();
    clickRow(0);
    FDialog->ceTitle->selectAll();
    TypeText(FDialog->ceTitle, QStringLiteral("新题"));
    clickArrow();
    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"原题|2024-05-09 09:00|是|内容", "新题|2024-05-09 09:00|是|内容"}));
    QTest::mouseClick(FDialog->advOK, Qt::LeftButton);
    QCOMPARE(FileDays(FPath),
             QStringList({Seed, Today + " [原题|2024-05-09 09:00|是|内容] [新题|2024-05-09 "
                                        "09:00|是|内容]"}));
}

void TestNoteAdd::cellsEditInPlace() {
    writeNotes({SeedDay, {Today, {note("早会", "2024-05-09 09:00", "是", "带电脑")}}});
    open();
    TReportListView* List = FDialog->alvNotes;
    const int RowY = List->visualItemRect(List->Row(0)).center().y();

    // The caption is not edited in place.
    DoubleClick(List->viewport(), QPoint(20, RowY));
    QCOMPARE(List->CellEditor(), nullptr);

    // The time cell is: type over it and press Enter.
    DoubleClick(List->viewport(), QPoint(120, RowY));
    auto* Editor = qobject_cast<QLineEdit*>(List->CellEditor());
    QVERIFY(Editor);
    QCOMPARE(Editor->text(), QStringLiteral("2024-05-09 09:00"));
    Editor->selectAll();
    QTest::keyClicks(Editor, QStringLiteral("2024-05-09 10:00"));
    QTest::keyClick(Editor, Qt::Key_Return);
    QTRY_COMPARE(List->CellEditor(), nullptr);
    QCOMPARE(Rows(List), QStringList({"早会|2024-05-09 10:00|是|带电脑"}));

    // An edit still open when the user confirms counts too.
    List->scrollToItem(List->Row(0), QAbstractItemView::EnsureVisible);
    List->horizontalScrollBar()->setValue(List->horizontalScrollBar()->maximum());
    const int ContentX = List->visualRect(List->model()->index(0, 3)).center().x();
    DoubleClick(List->viewport(), QPoint(ContentX, RowY));
    Editor = qobject_cast<QLineEdit*>(List->CellEditor());
    QVERIFY(Editor);
    Editor->selectAll();
    TypeText(Editor, QStringLiteral("带电脑和投影仪"));
    FDialog->advOKClick();
    QCOMPARE(FileDays(FPath),
             QStringList({Seed, Today + " [早会|2024-05-09 10:00|是|带电脑和投影仪]"}));
}

void TestNoteAdd::deleteRemovesNoteFromFile() {
    writeNotes(
        {SeedDay,
         {QStringLiteral("Date2024-05-08"), {note("B", "2024-05-08 09:00", "否", "昨天的")}},
         {Today,
          {note("A", "2024-05-09 08:00", "是", "1"), note("B", "2024-05-09 09:00", "否", "2"),
           note("C", "2024-05-09 10:00", "是", "3")}}});
    open();
    QSignalSpy Deleted(FDialog.data(), &TfrmNoteAdd::noteDeleted);
    // A right click on the second row selects it and opens the list's
    // popup menu; its item 删除 deletes.
    QWidget* Viewport = FDialog->alvNotes->viewport();
    const QPoint OnB(20, FDialog->alvNotes->visualItemRect(FDialog->alvNotes->Row(1)).center().y());
    QTest::mousePress(Viewport, Qt::RightButton, {}, OnB);
    QTest::mouseRelease(Viewport, Qt::RightButton, {}, OnB);
    QContextMenuEvent Menu(QContextMenuEvent::Mouse, OnB, Viewport->mapToGlobal(OnB));
    QApplication::sendEvent(Viewport, &Menu);
    QCOMPARE(FDialog->alvNotes->Selected(), FDialog->alvNotes->Row(1));
    QVERIFY(QTest::qWaitForWindowExposed(FDialog->PopupMenu1));
    FDialog->PopupMenu1->setActiveAction(FDialog->N1);
    QTest::keyClick(FDialog->PopupMenu1, Qt::Key_Return);
    QTRY_VERIFY(!FDialog->PopupMenu1->isVisible());

    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"A|2024-05-09 08:00|是|1", "C|2024-05-09 10:00|是|3"}));
    QCOMPARE(FileDays(FPath),
             QStringList({Seed, "Date2024-05-08 [B|2024-05-08 09:00|否|昨天的]",
                          Today + " [A|2024-05-09 08:00|是|1] [C|2024-05-09 10:00|是|3]"}));
    QCOMPARE(Deleted.count(), 1);

    // The last two go too; today's day node goes with the last.
    for (int I = 0; I < 2; ++I) {
        clickRow(0);
        FDialog->N1->trigger();
    }
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    QCOMPARE(FileDays(FPath), QStringList({Seed, "Date2024-05-08 [B|2024-05-08 09:00|否|昨天的]"}));
    QCOMPARE(Deleted.count(), 3);
}

void TestNoteAdd::deleteWithoutSelectionDoesNothing() {
    writeNotes({SeedDay, {Today, {note("A", "2024-05-09 08:00", "是", "1")}}});
    const QByteArray Before = ReadBytes(FPath);
    open();
    QSignalSpy Deleted(FDialog.data(), &TfrmNoteAdd::noteDeleted);
    FDialog->N1->trigger();
    QCOMPARE(FDialog->alvNotes->RowCount(), 1);
    QCOMPARE(ReadBytes(FPath), Before);
    QCOMPARE(Deleted.count(), 0);
}

void TestNoteAdd::deleteUnconfirmedRowLeavesFile() {
    writeNotes({SeedDay, {Today, {note("A", "2024-05-09 08:00", "是", "1")}}});
    open();
    fill(QStringLiteral("新的"), 9, false, {QStringLiteral("未保存")});
    clickArrow();
    const QStringList Before = FileDays(FPath);
    clickRow(1);
    FDialog->N1->trigger();
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({"A|2024-05-09 08:00|是|1"}));
    QCOMPARE(FileDays(FPath), Before);
}

void TestNoteAdd::confirmWritesTodaysDayNode() {
    writeNotes({SeedDay,
                {QStringLiteral("Date2024-05-08"), {note("昨天", "2024-05-08 09:00", "是", "旧")}},
                {Today, {note("早会", "2024-05-09 09:00", "否", "带电脑")}}});
    open();
    // The loaded note is changed through the arrow, a new one is added.
    fill(QStringLiteral("早会"), 10, true, {QStringLiteral("带投影仪")});
    clickArrow();
    fill(QStringLiteral("复习"), 20, false, {QStringLiteral("第三章")});
    clickArrow();

    QStringList SeenWhenStored;
    connect(FDialog.data(), &TfrmNoteAdd::notesStored, this,
            [&] { SeenWhenStored = FileDays(FPath); });
    QSignalSpy Stored(FDialog.data(), &TfrmNoteAdd::notesStored);
    QTest::mouseClick(FDialog->advOK, Qt::LeftButton);

    const QStringList Expected = {Seed, "Date2024-05-08 [昨天|2024-05-08 09:00|是|旧]",
                                  Today + " [早会|2024-05-09 10:00|是|带投影仪] "
                                          "[复习|2024-05-09 20:00|否|第三章]"};
    QCOMPARE(FileDays(FPath), Expected);
    QCOMPARE(Stored.count(), 1);
    // The main window is told only once the file holds the notes.
    QCOMPARE(SeenWhenStored, Expected);
    QCOMPARE(FDialog->result(), int(QDialog::Accepted));
    QVERIFY(!FDialog->isVisible());
    FlushDeletes();
    QVERIFY(FDialog.isNull());
    QCOMPARE(frmNoteAdd, nullptr);

    // The file is written in GB2312, and reads back the same in a new editor.
    QVERIFY(ReadBytes(FPath).startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
    open();
    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"早会|2024-05-09 10:00|是|带投影仪", "复习|2024-05-09 20:00|否|第三章"}));
}

void TestNoteAdd::confirmEmptyListWritesEmptyDayNode() {
    writeNotes({SeedDay});
    open();
    FDialog->advOKClick();
    QCOMPARE(FileDays(FPath), QStringList({Seed, Today}));
}

void TestNoteAdd::confirmWithFileRemovedWritesSeedAndToday() {
    writeNotes({SeedDay,
                {QStringLiteral("Date2024-05-08"), {note("昨天", "2024-05-08 09:00", "是", "旧")}},
                {Today, {note("早会", "2024-05-09 09:00", "否", "带电脑")}}});
    open();
    fill(QStringLiteral("复习"), 20, false, {QStringLiteral("第三章")});
    clickArrow();
    QVERIFY(QFile::remove(FPath));
    FDialog->advOKClick();
    QCOMPARE(FileDays(FPath), QStringList({Seed, Today + " [早会|2024-05-09 09:00|否|带电脑] "
                                                         "[复习|2024-05-09 20:00|否|第三章]"}));
}

void TestNoteAdd::confirmAfterMidnightKeepsItsDay() {
    Clock::SetNowFunction([] { return QDateTime(QDate(2024, 5, 9), QTime(23, 59)); });
    writeNotes({SeedDay, {Today, {note("夜读", "2024-05-09 23:00", "是", "一章")}}});
    open();
    fill(QStringLiteral("早起"), 6, true, {QStringLiteral("跑步")});
    clickArrow();
    Clock::SetNowFunction([] { return QDateTime(QDate(2024, 5, 10), QTime(0, 1)); });
    // The hour list keeps the day the editor was opened on, and so does the
    // save: the new day gets no copy of the old day's notes.
    QCOMPARE(FDialog->ccTime->itemText(6), QStringLiteral("2024-05-09 06:00"));
    FDialog->advOKClick();
    QCOMPARE(FileDays(FPath), QStringList({Seed, Today + " [夜读|2024-05-09 23:00|是|一章] "
                                                         "[早起|2024-05-09 06:00|是|跑步]"}));
}

void TestNoteAdd::confirmAfterTheFileChangedKeepsBoth() {
    writeNotes({SeedDay,
                {Today,
                 {note("早会", "2024-05-09 09:00", "是", "带电脑"),
                  note("午饭", "2024-05-09 12:00", "否", "食堂")}}});
    open();
    // Meanwhile another writer (a second window, the command line, a sync
    // tool) adds a note and changes 早会.
    QVERIFY(EditDay(FPath, QDate(2024, 5, 9),
                    {{NoteEdit::Kind::Add, {}, {"别处", "2024-05-09 15:00", "否", "另一个程序"}},
                     {NoteEdit::Kind::Change,
                      {"早会", "2024-05-09 09:00", "是", "带电脑"},
                      {"早会", "2024-05-09 09:30", "是", "带电脑"}}})
                .Ok);
    // Here the user changes 早会's content and adds a note of their own.
    clickRow(0);
    fill(QStringLiteral("早会"), 9, true, {QStringLiteral("带投影仪")});
    clickArrow();
    fill(QStringLiteral("复习"), 20, false, {QStringLiteral("第三章")});
    clickArrow();
    QSignalSpy Stored(FDialog.data(), &TfrmNoteAdd::notesStored);
    FDialog->advOKClick();
    QCOMPARE(Stored.count(), 1);
    QVERIFY(Failures().isEmpty());
    // Nothing is lost: both versions of 早会, the other note, the untouched
    // 午饭 and the new one; the user is told about 早会.
    QCOMPARE(FileDays(FPath), QStringList({Seed, Today + " [早会|2024-05-09 09:30|是|带电脑] "
                                                         "[午饭|2024-05-09 12:00|否|食堂] "
                                                         "[别处|2024-05-09 15:00|否|另一个程序] "
                                                         "[早会|2024-05-09 09:00|是|带投影仪] "
                                                         "[复习|2024-05-09 20:00|否|第三章]"}));
    QCOMPARE(Notices().size(), 1);
    QVERIFY2(Notices().first().contains(QStringLiteral("早会")), qPrintable(Notices().first()));
}

void TestNoteAdd::failedWritesKeepFileAndDialog() {
    // A full disk: the confirm and the delete both fail, say so, and leave
    // the file, the rows and the dialog as they were.
    writeNotes({SeedDay, {Today, {note("A", "2024-05-09 08:00", "是", "1")}}});
    open();
    const QByteArray Before = ReadBytes(FPath);
    fill(QStringLiteral("新的"), 9, true, {QStringLiteral("内容")});
    clickArrow();
    FileIOTesting::SetWriteFault(ENOSPC, 16);
    QSignalSpy Stored(FDialog.data(), &TfrmNoteAdd::notesStored);
    QSignalSpy Deleted(FDialog.data(), &TfrmNoteAdd::noteDeleted);
    FDialog->advOKClick();
    clickRow(0);
    FDialog->N1->trigger();
    FileIOTesting::SetWriteFault(0);
    QCOMPARE(Failures().size(), 2);
    for (const QString& Failure : Failures())
        QVERIFY2(Failure.contains(QStringLiteral("磁盘空间不足")), qPrintable(Failure));
    QCOMPARE(Stored.count(), 0);
    QCOMPARE(Deleted.count(), 0);
    QVERIFY(FDialog->isVisible());
    QCOMPARE(Rows(FDialog->alvNotes),
             QStringList({"A|2024-05-09 08:00|是|1", "新的|2024-05-09 09:00|是|内容"}));
    QCOMPARE(ReadBytes(FPath), Before);
}

void TestNoteAdd::handEditedNoteSurvivesConfirm() {
    // A hand edit put <备注> among a note's fields: the dialog says the file
    // is not as the program writes it, and an unchanged confirm keeps it.
    QVERIFY(QFile::copy(QStringLiteral(VORN_TEST_DATA "/hand_edited.xml"), FPath));
    QFile::setPermissions(FPath, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray Before = ReadBytes(FPath);
    open();
    QCOMPARE(Failures().size(), 1);
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({"看病|2024-05-09 09:00|是"}));
    FDialog->advOKClick();
    QCOMPARE(ReadBytes(FPath), Before);
}

void TestNoteAdd::typedTimes_data() {
    // What the time box takes, and what the row then holds ("" when refused
    // with a message). The dialog edits 9 May 2024.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("refused");
    QTest::newRow("an entry of the list") << "2024-05-09 08:00"
                                          << "2024-05-09 08:00" << false;
    QTest::newRow("any minute of the day") << "2024-05-09 14:25"
                                           << "2024-05-09 14:25" << false;
    QTest::newRow("a bare time") << "9:00"
                                 << "2024-05-09 09:00" << false;
    QTest::newRow("a bare time, two digits") << "21:05"
                                             << "2024-05-09 21:05" << false;
    QTest::newRow("no time at all") << ""
                                    << "" << false;
    QTest::newRow("another day's date") << "2024-05-10 09:00"
                                        << "" << true;
    QTest::newRow("hour 24") << "2024-05-09 24:00"
                             << "" << true;
    QTest::newRow("minute 60") << "12:60"
                               << "" << true;
    QTest::newRow("seconds") << "2024-05-09 09:00:00"
                             << "" << true;
    QTest::newRow("words") << "明天早上"
                           << "" << true;
    QTest::newRow("one-digit minute") << "9:5"
                                      << "" << true;
}

void TestNoteAdd::typedTimes() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(bool, refused);
    open();
    FDialog->ceTitle->setText(QStringLiteral("开会"));
    FDialog->ccTime->setEditText(typed);
    SeenBox Box;
    if (refused)
        AnswerNextMessageBox(&Box);
    clickArrow();
    if (refused) {
        QTRY_VERIFY(Box.Seen);
        QCOMPARE(Box.Caption, QStringLiteral("警告"));
        QCOMPARE(Box.Text, FDialog->BadTimeText());
        QVERIFY(Box.Text.contains(QStringLiteral("2024-05-09 09:30")));
        QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    } else {
        QCOMPARE(Rows(FDialog->alvNotes), QStringList({"开会|" + stored + "|否|"}));
    }
}

void TestNoteAdd::timeEditedInItsCell() {
    writeNotes({SeedDay, {Today, {note("早会", "2024-05-09 09:00", "是", "带电脑")}}});
    open();
    TReportListView* List = FDialog->alvNotes;
    const int RowY = List->visualItemRect(List->Row(0)).center().y();
    for (const auto& [Typed, Expected, Refused] :
         {std::tuple{QStringLiteral("10:30"), QStringLiteral("2024-05-09 10:30"), false},
          std::tuple{QStringLiteral("25:00"), QStringLiteral("2024-05-09 10:30"), true}}) {
        DoubleClick(List->viewport(), QPoint(120, RowY));
        auto* Editor = qobject_cast<QLineEdit*>(List->CellEditor());
        QVERIFY(Editor);
        Editor->selectAll();
        QTest::keyClicks(Editor, Typed);
        SeenBox Box;
        if (Refused)
            AnswerNextMessageBox(&Box);
        QTest::keyClick(Editor, Qt::Key_Return);
        QTRY_COMPARE(List->CellEditor(), nullptr);
        if (Refused)
            QTRY_VERIFY(Box.Seen);
        QCOMPARE(TReportListView::SubItem(List->Row(0), 0), Expected);
    }
    FDialog->advOKClick();
    QCOMPARE(FileDays(FPath), QStringList({Seed, Today + " [早会|2024-05-09 10:30|是|带电脑]"}));
}

void TestNoteAdd::tooLongContentRefused() {
    open();
    FDialog->ceTitle->setText(QStringLiteral("长文"));
    // One character more than the file reads back, as lines of 200 (the
    // line breaks are dropped when the row is made).
    const QString Line = QString(200, QLatin1Char('x')) + QLatin1Char('\n');
    FDialog->cmContent->setPlainText(Line.repeated(int(NoteTextLimit() / 200) + 1));
    SeenBox Box;
    AnswerNextMessageBox(&Box);
    clickArrow();
    QTRY_VERIFY(Box.Seen);
    QCOMPARE(Box.Caption, QStringLiteral("警告"));
    QCOMPARE(Box.Text, TfrmNoteAdd::TooLongText());
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
}

void TestNoteAdd::closeWritesNothingButDeletionStays() {
    writeNotes(
        {SeedDay,
         {Today,
          {note("A", "2024-05-09 08:00", "是", "1"), note("B", "2024-05-09 09:00", "否", "2")}}});
    open();
    QSignalSpy Stored(FDialog.data(), &TfrmNoteAdd::notesStored);
    clickRow(0);
    FDialog->N1->trigger();
    fill(QStringLiteral("B"), 11, true, {QStringLiteral("改过")});
    clickArrow();
    fill(QStringLiteral("C"), 12, true, {QStringLiteral("新的")});
    clickArrow();
    QTest::mouseClick(FDialog->advClose, Qt::LeftButton);
    QCOMPARE(FileDays(FPath), QStringList({Seed, Today + " [B|2024-05-09 09:00|否|2]"}));
    QCOMPARE(Stored.count(), 0);
}

void TestNoteAdd::modalRunEndsDestroyed_data() {
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("result");
    QTest::newRow("close button") << false << int(QDialog::Rejected);
    QTest::newRow("confirm button") << true << int(QDialog::Accepted);
}

void TestNoteAdd::modalRunEndsDestroyed() {
    QFETCH(bool, confirm);
    QFETCH(int, result);
    // As the main menu runs it: modal, and gone when it returns.
    frmNoteAdd = new TfrmNoteAdd(FPath);
    FDialog = frmNoteAdd;
    bool WasModal = false;
    QTimer::singleShot(0, FDialog.data(), [this, &WasModal, confirm] {
        WasModal = FDialog->isModal() && QApplication::activeModalWidget() == FDialog;
        QAbstractButton* Button =
            confirm ? static_cast<QAbstractButton*>(FDialog->advOK) : FDialog->advClose;
        QTest::mouseClick(Button, Qt::LeftButton);
    });
    QCOMPARE(frmNoteAdd->exec(), result);
    QVERIFY(WasModal);
    QVERIFY(FDialog.isNull());
    QCOMPARE(frmNoteAdd, nullptr);
}

void TestNoteAdd::centredOverMainWindow() {
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

void TestNoteAdd::closingByAnyMeansDestroys_data() {
    QTest::addColumn<int>("means");
    QTest::newRow("close button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("title bar close box") << 2;
    QTest::newRow("confirm button") << 3;
}

void TestNoteAdd::closingByAnyMeansDestroys() {
    QFETCH(int, means);
    open();
    QCOMPARE(frmNoteAdd, FDialog.data());
    switch (means) {
    case 0:
        QTest::mouseClick(FDialog->advClose, Qt::LeftButton);
        break;
    case 1:
        QTest::keyClick(FDialog->ceTitle, Qt::Key_Escape);
        break;
    case 2:
        FDialog->close();
        break;
    case 3:
        QTest::mouseClick(FDialog->advOK, Qt::LeftButton);
        break;
    }
    FlushDeletes();
    QVERIFY(FDialog.isNull());
    QCOMPARE(frmNoteAdd, nullptr);
}

void TestNoteAdd::unreadableFileIsNeverOverwritten() {
    const QByteArray Broken =
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<便签列表><Date2024-05-09>";
    WriteBytes(FPath, Broken);
    open();
    // Opening says that the file cannot be read; the list is empty.
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    QCOMPARE(Failures().size(), 1);
    QVERIFY2(Failures().first().contains(QStringLiteral("已损坏")), qPrintable(Failures().first()));

    QSignalSpy Stored(FDialog.data(), &TfrmNoteAdd::notesStored);
    fill(QStringLiteral("新的"), 9, true, {QStringLiteral("内容")});
    clickArrow();
    QTest::mouseClick(FDialog->advOK, Qt::LeftButton);
    // The confirmation shows why it failed and the dialog stays as it was.
    QCOMPARE(Failures().size(), 2);
    QVERIFY2(Failures().last().contains(QStringLiteral("未作改动")), qPrintable(Failures().last()));
    QVERIFY(FDialog->isVisible());
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({"新的|2024-05-09 09:00|是|内容"}));
    QCOMPARE(Stored.count(), 0);
    QCOMPARE(ReadBytes(FPath), Broken);

    // The row was never confirmed: deleting it leaves the file alone.
    clickRow(0);
    FDialog->N1->trigger();
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    QCOMPARE(ReadBytes(FPath), Broken);
    QCOMPARE(Failures().size(), 2);
}

void TestNoteAdd::seedFailureIsShownAndListStaysEmpty() {
    // A plain file stands where the data folder should be.
    WriteBytes(FDir->filePath(QStringLiteral("blocker")), "x");
    FPath = FDir->filePath(QStringLiteral("blocker/Notes.xml"));
    open();
    QCOMPARE(Failures().size(), 1);
    QCOMPARE(FDialog->alvNotes->RowCount(), 0);
    QCOMPARE(FDialog->ccTime->count(), 24);

    fill(QStringLiteral("新的"), 9, true, {QStringLiteral("内容")});
    clickArrow();
    FDialog->advOKClick();
    QCOMPARE(Failures().size(), 2);
    QVERIFY(FDialog->isVisible());
    QVERIFY(!QFile::exists(FPath));
}

void TestNoteAdd::charactersOutsideGb2312Survive() {
    open();
    // Typed through an input method: an emoji, a character of a CJK extension,
    // characters only GBK has, and a euro sign.
    const QString Title = QStringLiteral("😀 堃𠀀");
    const QString Content = QStringLiteral("€5 喆 🎉 <&>");
    FDialog->ceTitle->setText(Title);
    FDialog->ccTime->setCurrentIndex(7);
    FDialog->cmContent->setPlainText(Content);
    clickArrow();
    FDialog->advOKClick();
    FlushDeletes();

    const QByteArray Bytes = ReadBytes(FPath);
    QVERIFY(Bytes.startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));
    // Nothing outside GB2312 is written as raw bytes: no byte sequence of
    // UTF-8 for the emoji, every such character as a character reference.
    QVERIFY(!Bytes.contains(QStringLiteral("😀").toUtf8()));
    QVERIFY(Bytes.contains("&#"));
    QCOMPARE(FileDays(FPath),
             QStringList({Seed, Today + " [" + Title + "|2024-05-09 07:00|否|" + Content + "]"}));
    open();
    QCOMPARE(Rows(FDialog->alvNotes), QStringList({Title + "|2024-05-09 07:00|否|" + Content}));
}

NOTE_DIALOG_TEST_MAIN(TestNoteAdd)
#include "tst_noteadd.moc"

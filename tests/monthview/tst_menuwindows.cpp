// The popup menu's items that open other windows: each dialog is made when
// there is none, runs modally and is gone afterwards; storing notes in the
// editor brings up the note window; the show/hide items keep their captions;
// a window hidden by its item stays hidden when the program comes back from
// the tray.
#include "../common/TestTray.h"
#include "UAbout.h"
#include "UClock.h"
#include "UGlassButton.h"
#include "UMain.h"
#include "UNoteAdd.h"
#include "UNoteHis.h"
#include "UNoteList.h"
#include "UNoteset.h"
#include "UReportListView.h"
#include "URoundEdit.h"
#include "USettings.h"
#include "UTrackBar.h"
#include "UWeatherPanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

class TestMenuWindows : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void settingsDialog();
    void aboutBox();
    void historyDialog();
    void editorStoresAndShowsNotes();
    void noteWindowItem();
    void weatherItem();
    void hiddenByItemStaysHiddenAfterRestore();

private:
    // Triggers Item and runs Inside once the modal dialog it opens is up.
    void whileModal(QAction* Item, const std::function<void(QWidget*)>& Inside);
    QTemporaryDir* FDir = nullptr;
    QPointer<TfrmManyYear> FMain;
};

void TestMenuWindows::init() {
    WeatherPanelTesting::SetLibraryFile(QStringLiteral(VORN_WEATHER_PANEL_LIBRARY));
    Clock::SetNowFunction([] { return QDateTime(QDate(2026, 12, 10), QTime(8, 30, 0)); });
    FDir = new QTemporaryDir;
    FMain = new TfrmManyYear(FDir->path());
    FMain->tNoteAlarm->stop();
    FMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(FMain));
}

void TestMenuWindows::cleanup() {
    delete frmNoteList;
    delete frmWeather;
    delete FMain.data();
    delete FDir;
    Clock::SetNowFunction({});
}

void TestMenuWindows::whileModal(QAction* Item, const std::function<void(QWidget*)>& Inside) {
    bool ran = false;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || ran || !modal->isVisible())
            return;
        ran = true;
        Inside(modal);
    });
    poll.start();
    Item->trigger();
    poll.stop();
    QVERIFY(ran);
}

void TestMenuWindows::settingsDialog() {
    QVERIFY(!frmNoteSet);
    QPointer<QWidget> seen;
    whileModal(FMain->N6, [&](QWidget* modal) {
        seen = modal;
        QCOMPARE(modal, static_cast<QWidget*>(frmNoteSet));
        QCOMPARE(modal->windowTitle(), QStringLiteral("便签设置"));
        frmNoteSet->atbBlend->SetPosition(4);
        QTest::mouseClick(frmNoteSet->abtnSave, Qt::LeftButton);
    });
    QTRY_VERIFY(seen.isNull());
    QVERIFY(!frmNoteSet);
    QCOMPARE(blend, 4);
    QFile config(FMain->ConfigFile());
    QVERIFY(config.open(QIODevice::ReadOnly));
    QVERIFY(config.readAll().contains("blend=4"));
}

void TestMenuWindows::aboutBox() {
    QVERIFY(!frmAbout);
    QPointer<QWidget> seen;
    whileModal(FMain->N11, [&](QWidget* modal) {
        seen = modal;
        QCOMPARE(modal, static_cast<QWidget*>(frmAbout));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    QTRY_VERIFY(seen.isNull());
    QVERIFY(!frmAbout);
}

void TestMenuWindows::historyDialog() {
    QFile notes(FMain->NotesFile());
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><便签列表><Date2026-12-01><标题>旧事</标题>"
        "<日期>2026-12-01 09:00</日期><提醒>否</提醒><内容>x</内容></Date2026-12-01>"
        "</便签列表>");
    notes.close();
    QPointer<QWidget> seen;
    int rows = -1;
    whileModal(FMain->N7, [&](QWidget* modal) {
        seen = modal;
        QCOMPARE(modal, static_cast<QWidget*>(frmNoteHis));
        rows = frmNoteHis->alvNotes->RowCount();
        modal->close();
    });
    QCOMPARE(rows, 1);
    QTRY_VERIFY(seen.isNull());
    QVERIFY(!frmNoteHis);
}

void TestMenuWindows::editorStoresAndShowsNotes() {
    QVERIFY(!frmNoteList);
    whileModal(FMain->N4, [&](QWidget* modal) {
        QCOMPARE(modal, static_cast<QWidget*>(frmNoteAdd));
        frmNoteAdd->ceTitle->setText(QStringLiteral("看牙"));
        frmNoteAdd->ccTime->setCurrentIndex(15);
        QTest::mouseClick(frmNoteAdd->Image1, Qt::LeftButton, {}, QPoint(7, 8));
        QCOMPARE(frmNoteAdd->alvNotes->RowCount(), 1);
        QTest::mouseClick(frmNoteAdd->advOK, Qt::LeftButton);
    });
    QTRY_VERIFY(!frmNoteAdd);
    // The note window shows what was stored, and its item now hides it.
    QVERIFY(frmNoteList);
    QVERIFY(frmNoteList->isVisible());
    QVERIFY(frmNoteList->NoteText().startsWith(QStringLiteral("1.看牙 | 2026-12-10 15:00 | ")));
    QCOMPARE(FMain->N5->text(), TfrmManyYear::HideNotesCaption);
}

void TestMenuWindows::noteWindowItem() {
    FMain->N5->trigger();
    QVERIFY(frmNoteList && frmNoteList->isVisible());
    QCOMPARE(FMain->N5->text(), TfrmManyYear::HideNotesCaption);
    TfrmNoteList* window = frmNoteList;
    FMain->N5->trigger();
    // Hidden, not closed.
    QCOMPARE(frmNoteList, window);
    QVERIFY(!window->isVisible());
    QCOMPARE(FMain->N5->text(), TfrmManyYear::ShowNotesCaption);
    FMain->N5->trigger();
    QCOMPARE(frmNoteList, window);
    QVERIFY(window->isVisible());
}

void TestMenuWindows::weatherItem() {
    QVERIFY(!frmWeather);
    FMain->N1->trigger();
    QVERIFY(frmWeather);
    QCOMPARE(FMain->WeatherWindow(), static_cast<QWidget*>(frmWeather));
    QVERIFY(frmWeather->isVisible());
    QCOMPARE(FMain->N1->text(), TfrmManyYear::HideWeatherCaption);
    // Docked against the main window's right edge.
    QTRY_COMPARE(frmWeather->frameGeometry().left(), FMain->frameGeometry().right() + 1);
    QCOMPARE(frmWeather->frameGeometry().top(), FMain->frameGeometry().top());
    TWeatherPanel* panel = frmWeather;
    FMain->N1->trigger();
    QCOMPARE(frmWeather, panel);
    QVERIFY(!panel->isVisible());
    QCOMPARE(FMain->N1->text(), TfrmManyYear::ShowWeatherCaption);
}

void TestMenuWindows::hiddenByItemStaysHiddenAfterRestore() {
    TTestTray tray;
    if (!tray.Need())
        QSKIP("no notification area here and no trayer to start one");
    FMain->N5->trigger();
    QVERIFY(frmNoteList->isVisible());
    FMain->MinimizeProgram();
    QVERIFY(!frmNoteList->isVisible());
    // "隐藏便签" from the tray menu while the program is in the tray.
    FMain->N5->trigger();
    FMain->RestoreProgram();
    QVERIFY(FMain->isVisible());
    QVERIFY(!frmNoteList->isVisible());
    QCOMPARE(FMain->N5->text(), TfrmManyYear::ShowNotesCaption);
}

QTEST_MAIN(TestMenuWindows)
#include "tst_menuwindows.moc"

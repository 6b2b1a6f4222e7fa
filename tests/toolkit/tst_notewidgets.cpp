// The widgets of the note dialogs: the report-style list view (find by
// caption, sub-items, editing cells in place), the memo's lines, the glass
// button and the four-colour background.
#include "UGlassButton.h"
#include "UMirrorPanel.h"
#include "UReportListView.h"
#include "URoundEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class TestNoteWidgets : public QObject {
    Q_OBJECT

    // A list with the captions given, each row with two sub-items.
    static void fill(TReportListView& List, const QStringList& Captions) {
        for (const QString& Caption : Captions) {
            QTreeWidgetItem* Row = List.AddRow();
            TReportListView::SetCaption(Row, Caption);
            TReportListView::AddSubItem(Row, Caption + QStringLiteral(".1"));
            TReportListView::AddSubItem(Row, Caption + QStringLiteral(".2"));
        }
    }

private slots:
    void findCaption_data();
    void findCaption();
    void subItems();
    void editingCellsInPlace();
    void editingIsOffUntilSwitchedOn();
    void memoLines_data();
    void memoLines();
    void comboStartsWithoutEntry();
    void glassButtonClicks();
    void glassButtonLook_data();
    void glassButtonLook();
    void mirrorPanelHalves();
};

void TestNoteWidgets::findCaption_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("found"); // row index, -1 for none

    QTest::newRow("exact") << QStringLiteral("Beta") << 0 << 1;
    QTest::newRow("other letter case") << QStringLiteral("bETA") << 0 << 1;
    QTest::newRow("first of two") << QStringLiteral("alpha") << 0 << 0;
    QTest::newRow("from a later row") << QStringLiteral("alpha") << 1 << 3;
    QTest::newRow("no wrap-around") << QStringLiteral("beta") << 2 << -1;
    QTest::newRow("whole caption only") << QStringLiteral("Bet") << 0 << -1;
    QTest::newRow("longer than a caption") << QStringLiteral("Betamax") << 0 << -1;
    QTest::newRow("Chinese") << QStringLiteral("早会") << 0 << 2;
    QTest::newRow("empty caption") << QString() << 0 << -1;
    QTest::newRow("start beyond the end") << QStringLiteral("alpha") << 9 << -1;
}

void TestNoteWidgets::findCaption() {
    QFETCH(QString, caption);
    QFETCH(int, start);
    QFETCH(int, found);
    TReportListView List;
    fill(List, {QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("早会"),
                QStringLiteral("ALPHA")});
    QTreeWidgetItem* Row = List.FindCaption(caption, start);
    QCOMPARE(Row, found < 0 ? nullptr : List.Row(found));
}

void TestNoteWidgets::subItems() {
    TReportListView List;
    List.AddColumn(QStringLiteral("标题"), 80);
    List.AddColumn(QStringLiteral("时间"), 96);
    List.AddColumn(QStringLiteral("提醒"), 40);
    List.AddColumn(QStringLiteral("内容"), 200);
    QCOMPARE(List.columnCount(), 4);
    QCOMPARE(List.columnWidth(3), 200);

    QTreeWidgetItem* Row = List.AddRow();
    TReportListView::SetCaption(Row, QStringLiteral("早会"));
    QCOMPARE(TReportListView::SubItemCount(Row), 0);
    // A sub-item the row lacks reads as empty.
    QCOMPARE(TReportListView::SubItem(Row, 1), QString());
    TReportListView::AddSubItem(Row, QStringLiteral("09:00"));
    QCOMPARE(TReportListView::SubItemCount(Row), 1);
    // Setting a later sub-item fills the ones before it with empty texts.
    TReportListView::SetSubItem(Row, 2, QStringLiteral("带电脑"));
    QCOMPARE(TReportListView::SubItemCount(Row), 3);
    QCOMPARE(TReportListView::SubItem(Row, 0), QStringLiteral("09:00"));
    QCOMPARE(TReportListView::SubItem(Row, 1), QString());
    QCOMPARE(TReportListView::SubItem(Row, 2), QStringLiteral("带电脑"));
    TReportListView::SetSubItem(Row, 0, QStringLiteral("10:00"));
    QCOMPARE(TReportListView::SubItemCount(Row), 3);
    QCOMPARE(Row->text(0), QStringLiteral("早会"));

    List.ClearRows();
    QCOMPARE(List.RowCount(), 0);
    QCOMPARE(List.columnCount(), 4); // the columns stay
}

void TestNoteWidgets::editingCellsInPlace() {
    TReportListView List;
    List.resize(420, 200);
    List.AddColumn(QStringLiteral("标题"), 80);
    List.AddColumn(QStringLiteral("时间"), 96);
    List.AddColumn(QStringLiteral("提醒"), 40);
    List.AddColumn(QStringLiteral("内容"), 200);
    List.SetSubItemEditing(true);
    QTreeWidgetItem* Row = List.AddRow();
    TReportListView::SetCaption(Row, QStringLiteral("短行"));
    TReportListView::AddSubItem(Row, QStringLiteral("09:00"));
    List.show();
    QVERIFY(QTest::qWaitForWindowExposed(&List));

    // The caption column opens no editor.
    List.edit(List.model()->index(0, 0));
    QCOMPARE(List.CellEditor(), nullptr);

    // A cell beyond the row's sub-items becomes a sub-item once edited.
    List.edit(List.model()->index(0, 3));
    auto* Editor = qobject_cast<QLineEdit*>(List.CellEditor());
    QVERIFY(Editor);
    Editor->setText(QStringLiteral("新内容"));
    List.FinishEditing();
    QCOMPARE(List.CellEditor(), nullptr);
    QCOMPARE(TReportListView::SubItemCount(Row), 3);
    QCOMPARE(TReportListView::SubItem(Row, 1), QString());
    QCOMPARE(TReportListView::SubItem(Row, 2), QStringLiteral("新内容"));

    // Finishing with no edit under way changes nothing.
    List.FinishEditing();
    QCOMPARE(TReportListView::SubItem(Row, 0), QStringLiteral("09:00"));
}

void TestNoteWidgets::editingIsOffUntilSwitchedOn() {
    TReportListView List;
    List.AddColumn(QStringLiteral("标题"), 80);
    List.AddColumn(QStringLiteral("时间"), 96);
    fill(List, {QStringLiteral("A")});
    QVERIFY(!List.SubItemEditing());
    List.show();
    QVERIFY(QTest::qWaitForWindowExposed(&List));
    const QPoint Cell = List.visualRect(List.model()->index(0, 1)).center();
    QTest::mouseClick(List.viewport(), Qt::LeftButton, {}, Cell);
    QTest::mouseDClick(List.viewport(), Qt::LeftButton, {}, Cell);
    QTest::keyClick(&List, Qt::Key_F2);
    QCOMPARE(List.CellEditor(), nullptr);
    List.SetSubItemEditing(true);
    QVERIFY(List.SubItemEditing());
    QTest::keyClick(&List, Qt::Key_F2);
    QVERIFY(List.CellEditor());
}

void TestNoteWidgets::memoLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("one line") << QStringLiteral("abc") << QStringList{"abc"};
    QTest::newRow("three lines") << QStringLiteral("a\nb\nc") << QStringList{"a", "b", "c"};
    QTest::newRow("CR LF and lone CR") << QStringLiteral("a\r\nb\rc") << QStringList{"a", "b", "c"};
    QTest::newRow("empty line kept") << QStringLiteral("a\n\nb") << QStringList{"a", "", "b"};
    QTest::newRow("line separator")
        << QStringLiteral("a") + QChar(QChar::LineSeparator) + "b" << QStringList{"a", "b"};
}

void TestNoteWidgets::memoLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    TRoundMemo Memo;
    Memo.setPlainText(text);
    QCOMPARE(Memo.Lines(), lines);
}

void TestNoteWidgets::comboStartsWithoutEntry() {
    TRoundCombo Combo;
    QVERIFY(Combo.isEditable());
    Combo.addItems({QStringLiteral("b"), QStringLiteral("a")});
    // Entries stay in the order given, and typed text is not added to them.
    QCOMPARE(Combo.itemText(0), QStringLiteral("b"));
    Combo.setEditText(QStringLiteral("typed"));
    QTest::keyClick(&Combo, Qt::Key_Return);
    QCOMPARE(Combo.count(), 2);
    QCOMPARE(Combo.currentText(), QStringLiteral("typed"));
}

void TestNoteWidgets::glassButtonClicks() {
    TGlassButton Button(QStringLiteral("确   定"));
    Button.resize(81, 28);
    Button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Button));
    QSignalSpy Clicked(&Button, &QAbstractButton::clicked);
    QTest::mouseClick(&Button, Qt::LeftButton);
    QCOMPARE(Clicked.count(), 1);
    // A press that leaves the button before its release is no click.
    QTest::mousePress(&Button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&Button, Qt::LeftButton, {}, QPoint(200, 10));
    QCOMPARE(Clicked.count(), 1);
    Button.setFocus();
    QTest::keyClick(&Button, Qt::Key_Space);
    QCOMPARE(Clicked.count(), 2);
    QCOMPARE(Button.focusPolicy(), Qt::StrongFocus);
}

void TestNoteWidgets::glassButtonLook_data() {
    QTest::addColumn<bool>("antialiased");
    QTest::newRow("crisp caption") << false;
    QTest::newRow("smoothed caption") << true;
}

void TestNoteWidgets::glassButtonLook() {
    QFETCH(bool, antialiased);
    auto face = [antialiased](const QString& Caption) {
        TGlassButton Button(Caption);
        QFont Font(QStringLiteral("Tahoma"));
        Font.setPixelSize(11);
        Button.setFont(Font);
        Button.resize(81, 28);
        Button.SetBackColor(QColor(0xBD, 0xC5, 0xC9));
        Button.SetTextAntialiased(antialiased);
        return Button.grab().toImage();
    };
    const QImage Bare = face(QString());
    const QImage Captioned = face(QStringLiteral("退   出"));
    // The white outer border at the middle of the top edge, the black inner
    // border just inside it.
    QCOMPARE(QColor(Bare.pixel(40, 0)), QColor(Qt::white));
    QCOMPARE(QColor(Bare.pixel(40, 1)), QColor(Qt::black));
    // The caption's pixels: white, and without smoothing nothing in between.
    int White = 0, Between = 0;
    for (int Y = 0; Y < Bare.height(); ++Y) {
        for (int X = 0; X < Bare.width(); ++X) {
            if (Bare.pixel(X, Y) == Captioned.pixel(X, Y))
                continue;
            if (QColor(Captioned.pixel(X, Y)) == QColor(Qt::white))
                ++White;
            else
                ++Between;
        }
    }
    QVERIFY(White + Between > 20);
    if (antialiased) {
        QVERIFY(Between > 0);
    } else {
        QVERIFY(White > 20);
        QCOMPARE(Between, 0);
    }
}

void TestNoteWidgets::mirrorPanelHalves() {
    TMirrorPanel Panel;
    Panel.resize(40, 100);
    Panel.SetColors(QColor(0xEF, 0xF6, 0xF9), QColor(0xBD, 0xC5, 0xC9), QColor(0x10, 0x2E, 0x58),
                    QColor(0x0B, 0x2A, 0x55));
    const QImage Shot = Panel.grab().toImage();
    QCOMPARE(QColor(Shot.pixel(20, 0)), QColor(0xEF, 0xF6, 0xF9));
    // The upper half ends near the second colour, the lower begins at the third.
    const QColor EndOfUpper = Shot.pixelColor(20, 49);
    QVERIFY(qAbs(EndOfUpper.red() - 0xBD) <= 2 && qAbs(EndOfUpper.blue() - 0xC9) <= 2);
    QCOMPARE(QColor(Shot.pixel(20, 50)), QColor(0x10, 0x2E, 0x58));
    QCOMPARE(QColor(Shot.pixel(20, 99)), QColor(0x0B, 0x2A, 0x55));
}

QTEST_MAIN(TestNoteWidgets)
#include "tst_notewidgets.moc"

// The day grid's capabilities as the month page uses them: fixed sizes with a
// header row, centred multi-line texts, per-cell colours that stay with the
// position, one selected cell, a background picture behind the rows below the
// header, and a paint notification per cell, header row first.
#include "UDayGrid.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// The bounding box of the pixels in Area that are much darker than white.
QRect inkBox(const QImage& Image, const QRect& Area) {
    QRect box;
    for (int y = Area.top(); y <= Area.bottom(); ++y) {
        for (int x = Area.left(); x <= Area.right(); ++x) {
            if (qGray(Image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// Rows of Area that hold ink, as bands of consecutive rows.
int inkBands(const QImage& Image, const QRect& Area) {
    int bands = 0;
    bool inBand = false;
    for (int y = Area.top(); y <= Area.bottom(); ++y) {
        bool ink = false;
        for (int x = Area.left(); x <= Area.right() && !ink; ++x)
            ink = qGray(Image.pixel(x, y)) < 128;
        if (ink && !inBand)
            ++bands;
        inBand = ink;
    }
    return bands;
}

} // namespace

class TestDayGrid : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void geometry();
    void multiLineTextCentred();
    void colourStaysWithPosition();
    void singleSelection();
    void headerNotSelectable();
    void clickSelects();
    void backgroundBehindDayRowsTiled();
    void nullBackgroundShowsGround();
    void paintNotificationOrder();
    void colourSetDuringPaintShows();

private:
    QImage shot() { return FGrid->grab().toImage(); }
    TDayGrid* FGrid = nullptr;
};

void TestDayGrid::init() {
    FGrid = new TDayGrid(7, 7);
    for (int c = 0; c < 7; ++c)
        FGrid->SetColWidth(c, 58);
    FGrid->SetRowHeight(0, 22);
    for (int r = 1; r < 7; ++r)
        FGrid->SetRowHeight(r, 50);
    QFont f;
    f.setPixelSize(11);
    FGrid->SetCellFont(f);
    FGrid->resize(410, 327);
    FGrid->show();
    QVERIFY(QTest::qWaitForWindowExposed(FGrid));
}

void TestDayGrid::cleanup() {
    delete FGrid;
    FGrid = nullptr;
}

void TestDayGrid::geometry() {
    QCOMPARE(FGrid->sizeHint(), QSize(406, 322));
    QCOMPARE(FGrid->CellRect(0, 0), QRect(0, 0, 58, 22));
    QCOMPARE(FGrid->CellRect(6, 6), QRect(348, 272, 58, 50));
    int c = -1;
    int r = -1;
    QVERIFY(FGrid->CellAt(QPoint(60, 23), &c, &r));
    QCOMPARE(c, 1);
    QCOMPARE(r, 1);
    QVERIFY(!FGrid->CellAt(QPoint(408, 100), &c, &r));
}

void TestDayGrid::multiLineTextCentred() {
    FGrid->SetCell(3, 2, QStringLiteral("8\r十一\r立春"));
    FGrid->SetCell(4, 2, QStringLiteral("9\r十二\r"));
    const QImage img = shot();
    const QRect cell = FGrid->CellRect(3, 2);
    QCOMPARE(inkBands(img, cell), 3);
    QCOMPARE(inkBands(img, FGrid->CellRect(4, 2)), 2);
    const QRect ink = inkBox(img, cell);
    QVERIFY(cell.contains(ink));
    QVERIFY2(qAbs(ink.center().x() - cell.center().x()) <= 2, "text not centred");
    QVERIFY2(qAbs(ink.center().y() - cell.center().y()) <= 4, "text block not centred");
}

void TestDayGrid::colourStaysWithPosition() {
    FGrid->SetCell(2, 3, QStringLiteral("15\r初五\r"));
    FGrid->SetCellColor(2, 3, QColor(255, 0, 0));
    FGrid->SetCell(2, 3, QString());
    FGrid->SetCell(2, 3, QStringLiteral("16\r初六\r"));
    QCOMPARE(FGrid->CellColor(2, 3), QColor(255, 0, 0));
    const QRect cell = FGrid->CellRect(2, 3);
    QImage img = shot();
    QCOMPARE(img.pixelColor(cell.left() + 4, cell.top() + 25), QColor(255, 0, 0));
    FGrid->SetCellColor(2, 3, QColor());
    img = shot();
    QCOMPARE(img.pixelColor(cell.left() + 4, cell.top() + 25), QColor(Qt::white));
}

void TestDayGrid::singleSelection() {
    FGrid->SetSelected(1, 1);
    FGrid->SetSelected(5, 4);
    QCOMPARE(FGrid->SelectedCol(), 5);
    QCOMPARE(FGrid->SelectedRow(), 4);
    const QImage img = shot();
    const QRect was = FGrid->CellRect(1, 1);
    const QRect is = FGrid->CellRect(5, 4);
    QCOMPARE(img.pixelColor(is.left() + 4, is.top() + 4), QColor(241, 193, 94));
    QCOMPARE(img.pixelColor(was.left() + 4, was.top() + 4), QColor(Qt::white));
}

void TestDayGrid::headerNotSelectable() {
    FGrid->SetSelected(2, 2);
    FGrid->SetSelected(3, 0);
    QCOMPARE(FGrid->SelectedCol(), 2);
    QCOMPARE(FGrid->SelectedRow(), 2);
}

void TestDayGrid::clickSelects() {
    QSignalSpy spy(FGrid, &TDayGrid::SelectionChanged);
    QTest::mouseClick(FGrid, Qt::LeftButton, {}, FGrid->CellRect(4, 5).center());
    QCOMPARE(FGrid->SelectedCol(), 4);
    QCOMPARE(FGrid->SelectedRow(), 5);
    QCOMPARE(spy.count(), 1);
    QTest::mouseClick(FGrid, Qt::LeftButton, {}, FGrid->CellRect(4, 0).center());
    QCOMPARE(FGrid->SelectedRow(), 5);
}

void TestDayGrid::backgroundBehindDayRowsTiled() {
    QPixmap picture(100, 40);
    picture.fill(QColor(10, 200, 30));
    FGrid->SetBackground(picture);
    const QImage img = shot();
    // Day rows: the picture, also where it is repeated.
    QCOMPARE(img.pixelColor(5, 30), QColor(10, 200, 30));
    QCOMPARE(img.pixelColor(250, 300), QColor(10, 200, 30));
    // The header row keeps its own look.
    QVERIFY(img.pixelColor(5, 10) != QColor(10, 200, 30));
}

void TestDayGrid::nullBackgroundShowsGround() {
    FGrid->SetBackground(QPixmap());
    FGrid->LoadBackground(QStringLiteral(":/no/such/picture"));
    QVERIFY(FGrid->Background().isNull());
    const QImage img = shot();
    QCOMPARE(img.pixelColor(5, 30), QColor(Qt::white));
}

void TestDayGrid::paintNotificationOrder() {
    QList<QPoint> painted;
    connect(FGrid, &TDayGrid::DrawCell, this,
            [&painted](int c, int r, const QRect&) { painted.append(QPoint(c, r)); });
    FGrid->repaint();
    QCOMPARE(painted.size(), 49);
    for (int c = 0; c < 7; ++c)
        QCOMPARE(painted[c], QPoint(c, 0));
    QCOMPARE(painted.last(), QPoint(6, 6));
}

void TestDayGrid::colourSetDuringPaintShows() {
    connect(FGrid, &TDayGrid::DrawCell, this, [this](int c, int r, const QRect&) {
        if (r == 0 && (c == 0 || c == 6))
            FGrid->SetCellColor(c, 0, QColor(221, 160, 221));
    });
    FGrid->repaint();
    const QImage img = shot();
    QCOMPARE(img.pixelColor(3, 3), QColor(221, 160, 221));
    QCOMPARE(img.pixelColor(FGrid->CellRect(6, 0).left() + 3, 3), QColor(221, 160, 221));
    QVERIFY(img.pixelColor(FGrid->CellRect(3, 0).left() + 3, 3) != QColor(221, 160, 221));
}

QTEST_MAIN(TestDayGrid)
#include "tst_daygrid.moc"

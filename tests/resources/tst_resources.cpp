// The pictures compiled into the program: every resource path the windows
// load, with the size, pixel format and the properties the windows rely on.

#include <QDate>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QtTest>

#include <queue>
#include <vector>

namespace {

enum class Kind { Opaque, Transparent };

// Colour type byte of a PNG's IHDR chunk: 2 = RGB, 6 = RGBA.
int pngColourType(const QByteArray& data) {
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (data.size() < 26 || !data.startsWith(signature) || data.mid(12, 4) != "IHDR")
        return -1;
    return static_cast<unsigned char>(data.at(25));
}

int pngBitDepth(const QByteArray& data) {
    return data.size() < 26 ? -1 : static_cast<unsigned char>(data.at(24));
}

int luminance(QRgb c) {
    return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000;
}

const QRgb NoteKey = qRgb(165, 204, 113);

// The day cells over a month picture: 7 columns of 58 pixels, 6 rows of 50,
// the picture's top-left corner at the first day row's.
constexpr int CellWidth = 58;
constexpr int CellHeight = 50;

// The cells (column, row) of a month's page that hold a day in at least one
// year the calendar shows, 1901 to 2050.
QVector<QPoint> cellsThatHoldADay(int month) {
    bool used[6][7] = {};
    for (int year = 1901; year <= 2050; ++year) {
        const QDate first(year, month, 1);
        const int column = first.dayOfWeek() % 7; // Sunday is column 0
        for (int d = 0; d < first.daysInMonth(); ++d)
            used[(column + d) / 7][(column + d) % 7] = true;
    }
    QVector<QPoint> cells;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 7; ++c)
            if (used[r][c])
                cells.append(QPoint(c, r));
    return cells;
}

// lblNotes on the note window, in picture pixels.
const QRect NoteTextArea(7, 32, 226, 177);

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void picture_data();
    void picture();
    void monthPictureStaysPale_data();
    void monthPictureStaysPale();
    void monthPictureQuietUnderTheDays_data();
    void monthPictureQuietUnderTheDays();
    void noteKeyColourOnlyOnTheGround();
    void noteTextAreaIsLight();
};

void TestResources::picture_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Kind>("kind");

    for (int m = 1; m <= 12; ++m)
        QTest::newRow(qPrintable(QString("BITMAP_%1").arg(m)))
            << QString(":/BITMAP_%1").arg(m) << QSize(m == 6 ? 412 : 410, 327) << Kind::Opaque;
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256})
        QTest::newRow(qPrintable(QString("icon %1").arg(n)))
            << QString(":/icons/vorncalendar_%1.png").arg(n) << QSize(n, n) << Kind::Transparent;
    for (const char* g : {"minus", "plus", "menu_weather", "menu_noteedit", "menu_notewindow",
                          "menu_noteset", "menu_notehis", "menu_tray", "menu_exit"})
        QTest::newRow(g) << QString(":/glyphs/%1.png").arg(g) << QSize(16, 16) << Kind::Transparent;
    QTest::newRow("note") << ":/notes/note.png" << QSize(240, 237) << Kind::Opaque;
    QTest::newRow("arrow") << ":/notes/arrow.png" << QSize(14, 16) << Kind::Transparent;
    QTest::newRow("logo") << ":/about/logo.png" << QSize(72, 72) << Kind::Transparent;
}

void TestResources::picture() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(Kind, kind);

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path + " is not compiled in"));
    const QByteArray data = file.readAll();
    QCOMPARE(pngBitDepth(data), 8);
    QCOMPARE(pngColourType(data), kind == Kind::Opaque ? 2 : 6);

    const QImage img(path);
    QVERIFY(!img.isNull());
    QCOMPARE(img.size(), size);
    QCOMPARE(img.hasAlphaChannel(), kind == Kind::Transparent);
    if (kind == Kind::Transparent) {
        // Drawn on a clear ground, which the menu, tray and dialogs show through.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        int covered = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                covered += qAlpha(img.pixel(x, y)) >= 128;
        QVERIFY2(covered >= img.width() * img.height() / 5, "the picture is mostly empty");
    }
}

void TestResources::monthPictureStaysPale_data() {
    QTest::addColumn<int>("month");
    for (int m = 1; m <= 12; ++m)
        QTest::newRow(qPrintable(QString("BITMAP_%1").arg(m))) << m;
}

// Black 8-point day texts lie on the whole picture, so no part of it may be
// dark enough to swallow them: the grid shows its top 305 rows.
void TestResources::monthPictureStaysPale() {
    QFETCH(int, month);
    const QImage img =
        QImage(QString(":/BITMAP_%1").arg(month)).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!img.isNull());
    int darkest = 255;
    long long sum = 0;
    for (int y = 0; y < 305; ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int l = luminance(img.pixel(x, y));
            darkest = std::min(darkest, l);
            sum += l;
        }
    QVERIFY2(darkest >= 180, qPrintable(QString("darkest luminance %1").arg(darkest)));
    QVERIFY(sum / (305LL * img.width()) >= 225);
    // and it is a picture, not a plain fill
    QVERIFY(darkest <= 235);
}

void TestResources::monthPictureQuietUnderTheDays_data() {
    monthPictureStaysPale_data();
}

// A day cell shows three lines of small dark or coloured text with a badge
// and a dot in its top corners, over nearly all of the cell. Wherever a day
// can fall, the picture stays light and soft: no pixel so dark, and no edge
// so sharp between neighbouring pixels, that a branch, a leaf or an insect
// reads as a stroke of a day's text or as a mark on that day. The cells that
// never hold a day may carry the picture's details.
void TestResources::monthPictureQuietUnderTheDays() {
    QFETCH(int, month);
    const QImage img =
        QImage(QString(":/BITMAP_%1").arg(month)).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!img.isNull());
    const QVector<QPoint> cells = cellsThatHoldADay(month);
    // every month has a day in every cell of rows 0 to 4 in some year
    QVERIFY(cells.size() >= 35);
    QVERIFY(cells.size() < 42);
    int darkest = 255, steepest = 0;
    QPoint darkestAt, steepestAt;
    for (const QPoint& cell : cells) {
        const QRect r(cell.x() * CellWidth, cell.y() * CellHeight, CellWidth, CellHeight);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const int l = luminance(img.pixel(x, y));
                if (l < darkest) {
                    darkest = l;
                    darkestAt = QPoint(x, y);
                }
                for (const QPoint n : {QPoint(x + 1, y), QPoint(x, y + 1)}) {
                    if (!r.contains(n))
                        continue;
                    const int step = std::abs(l - luminance(img.pixel(n)));
                    if (step > steepest) {
                        steepest = step;
                        steepestAt = QPoint(x, y);
                    }
                }
            }
    }
    QVERIFY2(
        darkest >= 215,
        qPrintable(
            QString("luminance %1 at %2,%3").arg(darkest).arg(darkestAt.x()).arg(darkestAt.y())));
    QVERIFY2(steepest <= 14, qPrintable(QString("a step of %1 in luminance at %2,%3")
                                            .arg(steepest)
                                            .arg(steepestAt.x())
                                            .arg(steepestAt.y())));
}

// The note window keeps every pixel whose colour differs from the
// bottom-left one. That colour may only lie on the ground around the note:
// every such pixel must connect to the bottom-left corner through pixels of
// the same colour, and none may lie under the note text.
void TestResources::noteKeyColourOnlyOnTheGround() {
    const QImage img = QImage(":/notes/note.png").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!img.isNull());
    const int w = img.width(), h = img.height();
    QCOMPARE(img.pixel(0, h - 1) & 0xFFFFFF, NoteKey & 0xFFFFFF);

    std::vector<char> reached(size_t(w) * h, 0);
    std::queue<QPoint> todo;
    todo.push(QPoint(0, h - 1));
    reached[size_t(h - 1) * w] = 1;
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop();
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h)
                continue;
            char& seen = reached[size_t(q.y()) * w + q.x()];
            if (!seen && (img.pixel(q) & 0xFFFFFF) == (NoteKey & 0xFFFFFF)) {
                seen = 1;
                todo.push(q);
            }
        }
    }
    int keyPixels = 0, visible = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool key = (img.pixel(x, y) & 0xFFFFFF) == (NoteKey & 0xFFFFFF);
            keyPixels += key;
            visible += !key;
            if (key) {
                QVERIFY2(reached[size_t(y) * w + x],
                         qPrintable(QString("key colour inside the note at %1,%2").arg(x).arg(y)));
                QVERIFY2(!NoteTextArea.contains(x, y),
                         qPrintable(QString("key colour under the text at %1,%2").arg(x).arg(y)));
            }
        }
    QVERIFY(keyPixels >= 1);
    // the note itself is most of the picture
    QVERIFY(visible >= w * h * 8 / 10);
}

// Dark window text is drawn straight on the note.
void TestResources::noteTextAreaIsLight() {
    const QImage img = QImage(":/notes/note.png").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!img.isNull());
    int dark = 0;
    long long sum = 0;
    for (int y = NoteTextArea.top(); y <= NoteTextArea.bottom(); ++y)
        for (int x = NoteTextArea.left(); x <= NoteTextArea.right(); ++x) {
            const int l = luminance(img.pixel(x, y));
            sum += l;
            dark += l < 170;
        }
    const int area = NoteTextArea.width() * NoteTextArea.height();
    QVERIFY2(sum / area >= 200, qPrintable(QString("mean luminance %1").arg(sum / area)));
    QVERIFY2(dark <= area / 100, qPrintable(QString("%1 dark pixels").arg(dark)));
}

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"

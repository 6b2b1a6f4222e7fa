// Shows how the month pictures look under the day grid, for judging the
// artwork before it is committed: the cells' three lines of text, the 休/班
// badge and the notes dot are laid over each picture as the main window lays
// them out, and the picture's lightness and smoothness under the text are
// measured.
//
// Usage: preview_months <resources folder> <output folder> [year]
// For every month it writes month_N.png, three panels side by side: the
// picture alone, the month of the given year (default 2026) as the window
// shows it, and every cell filled with a day, a name line, a
// badge and a dot (every cell that holds a day in some year: all but the
// last row's from its third column on, from its second in a 30-day month, and
// the whole last row in February). It prints,
// per month, the lightest-to-darkest figures of the picture under the text.

#include "UCalendar.h"
#include "UDayCell.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int ColWidth = 58;
constexpr int HeaderHeight = 22;
constexpr int RowHeight = 50;
constexpr int GridWidth = 410;
constexpr int GridHeight = 327;

const char* const WeekdayNames[7] = {"星期日", "星期一", "星期二", "星期三",
                                     "星期四", "星期五", "星期六"};
// Names for the full panel's cells that have none of their own, so that
// every third line carries text.
const char* const SampleNames[4] = {"中秋节", "立春", "国庆节", "清明"};

QFont pixelFont(int pixels, bool bold) {
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QColor nameColour(DayNameKind kind) {
    switch (kind) {
    case DayNameKind::LunarFestival:
        return {200, 30, 30};
    case DayNameKind::GregorianFestival:
        return {30, 80, 190};
    case DayNameKind::SolarTerm:
        return {20, 130, 50};
    case DayNameKind::None:
        break;
    }
    return Qt::black;
}

struct Cell {
    QString day, lunar, name;
    QColor nameColour;
    QString badge; // 休, 班 or empty
    bool dot = false;
};

// One cell as the grid draws it: three centred lines of 11-pixel text, the
// badge in the top-right corner and the dot in the top-left corner.
void drawCell(QPainter& p, const QRect& r, const Cell& c) {
    const QFont font = pixelFont(11, false);
    const int lh = QFontMetrics(font).height();
    p.setFont(font);
    int y = r.top() + (r.height() - 3 * lh) / 2;
    const QString lines[3] = {c.day, c.lunar, c.name};
    for (int i = 0; i < 3; ++i) {
        p.setPen(i == 2 ? c.nameColour : QColor(Qt::black));
        p.drawText(QRect(r.left(), y, r.width(), lh), Qt::AlignCenter, lines[i]);
        y += lh;
    }
    if (!c.badge.isEmpty()) {
        const QRect b(r.right() - 11, r.top() + 2, 10, 10);
        p.setPen(Qt::NoPen);
        p.setBrush(c.badge == QStringLiteral("休") ? QColor(214, 48, 48) : QColor(70, 100, 160));
        p.drawRoundedRect(b, 2, 2);
        p.setPen(Qt::white);
        p.setFont(pixelFont(8, false));
        p.drawText(b, Qt::AlignCenter, c.badge);
    }
    if (c.dot) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 120, 20));
        p.drawEllipse(QPointF(r.left() + 5.5, r.top() + 5.5), 2.5, 2.5);
    }
}

Cell cellOf(int year, int month, int day, bool full, int index) {
    const DayCell dc = MakeDayCell(year, month, day);
    Cell c;
    c.day = QString::fromStdString(dc.Day);
    c.lunar = QString::fromStdString(dc.Lunar);
    c.name = QString::fromStdString(dc.Name);
    c.nameColour = nameColour(dc.NameKind);
    c.badge = QString::fromUtf8(OfficialMarkText(dc.Mark));
    if (full) {
        if (c.name.isEmpty()) {
            c.name = QString::fromUtf8(SampleNames[index % 4]);
            c.nameColour = nameColour(DayNameKind(1 + index % 3));
        }
        if (c.badge.isEmpty())
            c.badge = QString::fromUtf8(index % 2 ? "班" : "休");
        c.dot = true;
    }
    return c;
}

// The grid: the header row, the picture behind the day rows, and the cells.
// With full, every cell holds a day (those before and after the month too);
// otherwise only the month's own days, as the window shows them.
QImage drawGrid(const QImage& picture, int year, int month, bool withText, bool full,
                QImage* inkMask) {
    QImage img(GridWidth, GridHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.drawImage(0, HeaderHeight, picture);
    QLinearGradient g(0, 0, 0, HeaderHeight);
    g.setColorAt(0, QColor(246, 249, 251));
    g.setColorAt(1, QColor(210, 219, 232));
    p.fillRect(QRect(0, 0, GridWidth, HeaderHeight), g);
    p.setFont(pixelFont(11, true));
    for (int c = 0; c < 7; ++c) {
        const QRect r(c * ColWidth, 0, ColWidth, HeaderHeight);
        if (c == 0 || c == 6)
            p.fillRect(r, QColor(221, 160, 221));
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, QString::fromUtf8(WeekdayNames[c]));
    }
    if (!withText)
        return img;

    QPainter ink;
    if (inkMask) {
        *inkMask = QImage(GridWidth, GridHeight, QImage::Format_ARGB32_Premultiplied);
        inkMask->fill(Qt::transparent);
        ink.begin(inkMask);
    }
    const int first = GetWeekDay(year, month, 1) - 1; // column of day 1
    const int days = GetMonthDays(year, month);
    const int longest = month == 2 ? 29 : days;
    for (int i = 0; i < 42; ++i) {
        int y = year, m = month, d = i - first + 1;
        if (d < 1 || d > days) {
            if (!full)
                continue;
            if (d < 1) {
                m = month == 1 ? 12 : month - 1;
                y = month == 1 ? year - 1 : year;
                d += GetMonthDays(y, m);
            } else {
                d -= days;
                m = month == 12 ? 1 : month + 1;
                y = month == 12 ? year + 1 : year;
            }
        }
        if (full && i / 7 == 5 && i % 7 >= longest - 29)
            continue; // no year has a day there
        const QRect r((i % 7) * ColWidth, HeaderHeight + (i / 7) * RowHeight, ColWidth, RowHeight);
        const Cell c = cellOf(y, m, d, full, i);
        drawCell(p, r, c);
        if (inkMask)
            drawCell(ink, r, c);
    }
    return img;
}

int luminance(QRgb c) {
    return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000;
}

// Under the text (every inked pixel and its neighbours within 1 pixel): the
// darkest pixel of the picture, and the strongest change of lightness
// between neighbouring pixels, which is what makes a stroke read as a mark.
void measure(const QImage& picture, const QImage& inkMask, int* darkest, int* steepest) {
    *darkest = 255;
    *steepest = 0;
    const QImage pic = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = HeaderHeight + 1; y < GridHeight - 1; ++y)
        for (int x = 1; x < GridWidth - 1; ++x) {
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = qAlpha(inkMask.pixel(x + dx, y + dy)) > 0;
            if (!near)
                continue;
            const int py = y - HeaderHeight;
            if (py + 1 >= pic.height() || x + 1 >= pic.width())
                continue;
            const int l = luminance(pic.pixel(x, py));
            *darkest = std::min(*darkest, l);
            *steepest = std::max({*steepest, std::abs(l - luminance(pic.pixel(x + 1, py))),
                                  std::abs(l - luminance(pic.pixel(x, py + 1)))});
        }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: preview_months <resources folder> <output folder> [year]\n");
        return 2;
    }
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Noto Sans CJK SC"));
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    const int year = argc == 4 ? std::atoi(argv[3]) : 2026;
    if (year < 1902 || year > 2049) {
        std::fprintf(stderr, "year must lie within 1902 to 2049\n");
        return 2;
    }
    QDir().mkpath(out);
    std::printf("month  darkest-under-text  steepest-step-under-text\n");
    bool ok = true;
    for (int m = 1; m <= 12; ++m) {
        const QImage picture(root + QString("/months/BITMAP_%1.png").arg(m));
        if (picture.isNull()) {
            std::fprintf(stderr, "cannot read BITMAP_%d under %s\n", m, qPrintable(root));
            return 1;
        }
        QImage ink;
        const QImage plain = drawGrid(picture, year, m, false, false, nullptr);
        const QImage real = drawGrid(picture, year, m, true, false, nullptr);
        const QImage full = drawGrid(picture, year, m, true, true, &ink);
        QImage sheet(3 * GridWidth + 16, GridHeight, QImage::Format_RGB32);
        sheet.fill(QColor(90, 90, 90));
        QPainter p(&sheet);
        p.drawImage(0, 0, plain);
        p.drawImage(GridWidth + 8, 0, real);
        p.drawImage(2 * (GridWidth + 8), 0, full);
        p.end();
        ok &= sheet.save(out + QString("/month_%1.png").arg(m));
        int darkest = 0, steepest = 0;
        measure(picture, ink, &darkest, &steepest);
        std::printf("%5d  %18d  %24d\n", m, darkest, steepest);
    }
    return ok ? 0 : 1;
}

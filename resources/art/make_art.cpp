// Draws every picture the calendar ships with: the twelve month pictures, the
// program icon in all its sizes, the spinner and menu glyphs, the sticky-note
// picture, the note editor's arrow and the about-box logo.
//
// Usage: make_art <resources folder>
// Everything is drawn from code with a fixed random seed, so a run always
// writes the same pictures. The ordinary build compiles this program (target
// make_art) but never runs it; make_art.sh builds that target and runs it.
// preview_months lays the day cells over the month pictures it wrote.

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Small deterministic generator (the standard distributions differ between
// library versions, and the pictures must not change with them).
class Rng {
public:
    explicit Rng(uint32_t seed) : m_state(seed * 2654435761u + 1u) {}
    double next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return (m_state & 0xFFFFFF) / double(0x1000000);
    }
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }

private:
    uint32_t m_state;
};

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QFont pixelFont(const char* family, int pixels, bool bold = false) {
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QPainterPath textPath(const QString& text, const QFont& font, QPointF baseline) {
    QPainterPath p;
    p.addText(baseline, font, text);
    return p;
}

bool savePng(const QImage& img, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Quality 0 asks for the strongest zlib compression.
    if (!img.save(path, "PNG", 0)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Shapes shared by the month pictures.

// A pointed leaf along +x from its base, turned by angle degrees (y down).
QPainterPath leafPath(QPointF base, double angle, double len, double width) {
    QPainterPath p;
    p.moveTo(0, 0);
    p.cubicTo(len * 0.25, -width, len * 0.65, -width * 0.9, len, 0);
    p.cubicTo(len * 0.65, width * 0.9, len * 0.25, width, 0, 0);
    QTransform t;
    t.translate(base.x(), base.y());
    t.rotate(angle);
    return t.map(p);
}

void drawLeaf(QPainter& p, QPointF base, double angle, double len, double width,
              const QColor& colour, bool vein = true) {
    QPainterPath leaf = leafPath(base, angle, len, width);
    const double a = angle * Pi / 180.0;
    const QPointF tip = base + QPointF(std::cos(a), std::sin(a)) * len;
    QLinearGradient g(base, tip);
    g.setColorAt(0, colour.darker(112));
    g.setColorAt(1, colour.lighter(112));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(leaf);
    if (vein) {
        p.setPen(QPen(withAlpha(colour.darker(130), 120), std::max(0.6, width * 0.12),
                      Qt::SolidLine, Qt::RoundCap));
        p.drawLine(base, base + (tip - base) * 0.9);
    }
}

// A twig that bends gently: a cubic from a to b, tapering from w0 to w1.
std::vector<QPointF> drawTwig(QPainter& p, QPointF a, QPointF b, double bend, double w0, double w1,
                              const QColor& colour) {
    const QPointF d = b - a;
    const QPointF n(-d.y(), d.x());
    const double len = std::hypot(d.x(), d.y());
    const QPointF nn = len > 0 ? n / len : QPointF();
    const QPointF c1 = a + d * 0.33 + nn * bend;
    const QPointF c2 = a + d * 0.66 + nn * bend * 0.8;
    std::vector<QPointF> pts;
    const int steps = std::max(8, int(len / 4));
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps, u = 1 - t;
        pts.push_back(a * (u * u * u) + c1 * (3 * u * u * t) + c2 * (3 * u * t * t) +
                      b * (t * t * t));
    }
    for (int i = 0; i < steps; ++i) {
        const double t = double(i) / steps;
        p.setPen(QPen(colour, w0 + (w1 - w0) * t, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(pts[i], pts[i + 1]);
    }
    return pts;
}

// A five-petalled blossom (plum, peach) seen from the front.
void drawBlossom(QPainter& p, QPointF c, double r, double rot, const QColor& petal,
                 const QColor& heart, int petals = 5) {
    p.save();
    p.translate(c);
    p.rotate(rot);
    for (int i = 0; i < petals; ++i) {
        p.save();
        p.rotate(360.0 * i / petals);
        QRadialGradient g(QPointF(0, 0), r);
        g.setColorAt(0.0, petal.darker(118));
        g.setColorAt(0.55, petal);
        g.setColorAt(1.0, petal.lighter(108));
        p.setBrush(g);
        p.setPen(QPen(withAlpha(petal.darker(125), 110), std::max(0.5, r * 0.06)));
        QPainterPath pp;
        pp.moveTo(0, 0);
        pp.cubicTo(r * 0.35, -r * 0.55, r * 1.05, -r * 0.55, r * 1.0, 0);
        pp.cubicTo(r * 1.05, r * 0.55, r * 0.35, r * 0.55, 0, 0);
        p.drawPath(pp);
        p.restore();
    }
    // stamens
    p.setPen(QPen(withAlpha(heart, 200), std::max(0.5, r * 0.06), Qt::SolidLine, Qt::RoundCap));
    const int stamens = 11;
    for (int i = 0; i < stamens; ++i) {
        const double a = 2 * Pi * i / stamens;
        const QPointF e(std::cos(a) * r * 0.45, std::sin(a) * r * 0.45);
        p.drawLine(QPointF(0, 0), e);
        p.setBrush(heart);
        p.drawEllipse(e, r * 0.07, r * 0.07);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(heart.lighter(110));
    p.drawEllipse(QPointF(0, 0), r * 0.16, r * 0.16);
    p.restore();
}

void drawBud(QPainter& p, QPointF c, double r, const QColor& petal) {
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.2);
    g.setColorAt(0, petal.lighter(110));
    g.setColorAt(1, petal.darker(115));
    p.setPen(QPen(withAlpha(petal.darker(130), 120), 0.6));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

// A branch that forks a few times; returns the points along it where blossoms sit.
void growBranch(QPainter& p, Rng& rng, QPointF a, double angle, double len, double width, int depth,
                const QColor& bark, std::vector<QPointF>& spots,
                std::vector<double>* spotAngles = nullptr) {
    const double rad = angle * Pi / 180.0;
    const QPointF b = a + QPointF(std::cos(rad), std::sin(rad)) * len;
    const double bend = rng.range(-0.18, 0.18) * len;
    std::vector<QPointF> pts = drawTwig(p, a, b, bend, width, width * 0.62, bark);
    for (size_t i = pts.size() / 3; i < pts.size(); i += std::max<size_t>(3, pts.size() / 4)) {
        spots.push_back(pts[i]);
        if (spotAngles)
            spotAngles->push_back(angle);
    }
    spots.push_back(b);
    if (spotAngles)
        spotAngles->push_back(angle);
    if (depth <= 0 || width < 0.9)
        return;
    const int children = depth > 1 ? 2 : (rng.next() < 0.6 ? 2 : 1);
    for (int i = 0; i < children; ++i) {
        const double side = (i == 0 ? -1 : 1) * rng.range(18, 42);
        const double at = i == 0 ? 1.0 : rng.range(0.45, 0.8);
        const QPointF from = pts[size_t(at * (pts.size() - 1))];
        growBranch(p, rng, from, angle + side, len * rng.range(0.55, 0.78), width * 0.62, depth - 1,
                   bark, spots, spotAngles);
    }
}

// ---------------------------------------------------------------------------
// Month pictures.

struct MonthStyle {
    QColor groundTop, groundBottom, glow, accent;
    const char* name; // 一月 … 十二月
};

// What a month's painter draws on: the picture's size and the free band at
// its foot, where no day's text ever falls (see freeBand).
struct MonthCanvas {
    QSize size;
    QRectF band;
};

// How strongly the motif and the numeral show, in the free band and under
// the day texts, and how soft they are under the texts.
constexpr double MotifBandOpacity = 0.5;
constexpr double MotifTextOpacity = 0.32;
constexpr double NumeralOpacity = 0.8;
constexpr double SoftSigma = 1.2;
constexpr double TextKnee = 14;
constexpr double TextMaxDark = 34;

// Pale ground: a vertical gradient and a soft light from the upper right.
void paintGround(QPainter& p, const QSize& size, const MonthStyle& st) {
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, st.groundTop);
    g.setColorAt(1, st.groundBottom);
    p.fillRect(QRect(QPoint(0, 0), size), g);
    QRadialGradient r(QPointF(size.width() * 0.72, size.height() * 0.18), size.width() * 0.75);
    r.setColorAt(0, withAlpha(st.glow, 150));
    r.setColorAt(1, withAlpha(st.glow, 0));
    p.fillRect(QRect(QPoint(0, 0), size), r);
}

// The large faint numeral at the right-hand side, on its own layer; it lies
// under the day texts and is laid over the picture softened.
void paintNumeral(QPainter& p, const QSize& size, int month, const MonthStyle& st) {
    const QString digits = QString::number(month);
    QFont f = pixelFont("Noto Serif CJK SC", digits.size() > 1 ? 218 : 250, false);
    if (digits.size() > 1)
        f.setLetterSpacing(QFont::PercentageSpacing, 84);
    QFontMetricsF fm(f);
    const double w = fm.horizontalAdvance(digits);
    const double baseline = 286;
    const double x = size.width() - 22 - w;
    QPainterPath num = textPath(digits, f, QPointF(x, baseline));
    QLinearGradient g(0, baseline - 190, 0, baseline);
    g.setColorAt(0, withAlpha(st.accent, 34));
    g.setColorAt(1, withAlpha(st.accent, 14));
    p.setBrush(g);
    p.setPen(QPen(withAlpha(st.accent, 70), 1.4));
    p.drawPath(num);
}

// The month's name in brush script, written across the free band where no
// day's text can fall.
void paintMonthName(QPainter& p, const QRectF& band, const MonthStyle& st) {
    const QString name = QString::fromUtf8(st.name);
    QFont kai = pixelFont("AR PL KaitiM GB", 24);
    QFontMetricsF km(kai);
    const QPointF at(band.left() + 14, band.bottom() - 12 - km.descent());
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(st.accent.darker(115), 110));
    p.drawPath(textPath(name, kai, at));
}

// January: red plum on a cold morning. The big branch reaches in from the
// upper left behind the days; a flowering sprig and the drifting flakes keep
// to the free band.
void paintPlum(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor bark(92, 76, 70), petal(236, 118, 136), heart(200, 150, 60);
    const QRectF& band = canvas.band;
    std::vector<QPointF> spots;
    growBranch(p, rng, QPointF(-10, 40), 18, 150, 7.5, 3, bark, spots);
    const QPointF from(band.left() + 72, band.bottom() + 12);
    std::vector<QPointF> sprig = drawTwig(p, from, from + QPointF(150, -46), -10, 4.5, 1.6, bark);
    std::vector<QPointF> side = drawTwig(
        p, sprig[sprig.size() / 2], sprig[sprig.size() / 2] + QPointF(40, -14), 6, 2.4, 1.2, bark);
    for (size_t i = sprig.size() / 4; i < sprig.size(); i += sprig.size() / 5)
        spots.push_back(sprig[i] + QPointF(0, -2));
    spots.push_back(side.back());
    for (size_t i = 0; i < spots.size(); ++i) {
        const QPointF s = spots[i] + QPointF(rng.range(-4, 4), rng.range(-4, 4));
        if (rng.next() < 0.3)
            drawBud(p, s, rng.range(3, 4.5), petal.darker(108));
        else
            drawBlossom(p, s, rng.range(8, 12), rng.range(0, 72), petal, heart);
    }
    // a few flakes drifting down
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 16; ++i) {
        const QPointF c(rng.range(band.left() + 70, band.right() - 6),
                        rng.range(band.top() + 6, band.bottom() - 4));
        const double r = rng.range(1.2, 2.6);
        p.setBrush(QColor(150, 170, 200, 110));
        p.drawEllipse(c, r, r);
    }
}

// February: winter jasmine, thin arching twigs with small yellow flowers.
void paintJasmine(QPainter& p, Rng& rng, const MonthCanvas&) {
    const QColor twig(96, 150, 80), petal(246, 202, 64), heart(222, 150, 40);
    for (int i = 0; i < 9; ++i) {
        const QPointF a(rng.range(-20, 40), rng.range(-10, 40));
        const QPointF b(a.x() + rng.range(120, 250), a.y() + rng.range(90, 250));
        std::vector<QPointF> pts = drawTwig(p, a, b, rng.range(-70, -30), 2.2, 1.0, twig);
        for (size_t k = pts.size() / 5; k < pts.size(); k += std::max<size_t>(4, pts.size() / 7)) {
            const QPointF s = pts[k];
            if (rng.next() < 0.25) {
                drawLeaf(p, s, rng.range(0, 360), 9, 3, QColor(120, 170, 90), false);
                continue;
            }
            if (rng.next() < 0.3)
                drawBud(p, s + QPointF(0, 3), 2.8, petal.darker(110));
            else
                drawBlossom(p, s + QPointF(rng.range(-3, 3), 4), rng.range(6, 8.5),
                            rng.range(0, 60), petal, heart, 6);
        }
    }
}

// March: willow strands and two swallows skimming the free band.
void paintWillow(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QSize& size = canvas.size;
    const QColor leaf(140, 186, 92), stem(130, 150, 100);
    drawTwig(p, QPointF(-10, 6), QPointF(size.width() * 0.72, -4), 10, 4, 1.5,
             QColor(120, 110, 90));
    for (int i = 0; i < 17; ++i) {
        const double x0 = rng.range(0, size.width() * 0.68);
        const double len = rng.range(120, 290);
        const QPointF a(x0, rng.range(-4, 6));
        const QPointF b(x0 + rng.range(-20, 35), len);
        std::vector<QPointF> pts = drawTwig(p, a, b, rng.range(-25, 25), 1.1, 0.6, stem);
        for (size_t k = 2; k < pts.size(); k += 2) {
            const double t = double(k) / pts.size();
            const double side = (k / 2) % 2 ? 1 : -1;
            drawLeaf(p, pts[k], 90 + side * rng.range(25, 45), 10 - 3 * t, 2.2, leaf, false);
        }
    }
    auto swallow = [&](QPointF c, double s, double rot) {
        p.save();
        p.translate(c);
        p.rotate(rot);
        p.scale(s, s);
        QPainterPath b;
        b.moveTo(14, 0);
        b.quadTo(8, -3, 2, -3);
        b.quadTo(-6, -14, -20, -22);
        b.quadTo(-8, -6, -6, -2);
        b.lineTo(-22, -7);
        b.lineTo(-9, 1);
        b.lineTo(-22, 8);
        b.lineTo(-6, 3);
        b.quadTo(-10, 10, -18, 18);
        b.quadTo(-2, 8, 3, 3);
        b.quadTo(9, 3, 14, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 82, 110));
        p.drawPath(b);
        p.restore();
    };
    // the swallows fly low, over the free band
    swallow(canvas.band.topLeft() + QPointF(150, 30), 1.0, -12);
    swallow(canvas.band.topLeft() + QPointF(212, 18), 0.7, -24);
}

// April: peach blossom with young leaves; a fallen sprig and its petals lie
// on the free band.
void paintPeach(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QRectF& band = canvas.band;
    const QColor bark(110, 84, 74), petal(246, 164, 184), heart(214, 110, 120), leafc(136, 186, 96);
    std::vector<QPointF> spots;
    std::vector<double> angles;
    growBranch(p, rng, QPointF(-12, 290), -48, 150, 8, 3, bark, spots, &angles);
    growBranch(p, rng, QPointF(-10, 30), 8, 110, 5, 2, bark, spots, &angles);
    for (size_t i = 0; i < spots.size(); ++i) {
        const QPointF s = spots[i];
        if (rng.next() < 0.35)
            drawLeaf(p, s, angles[i] + rng.range(-70, 70), rng.range(14, 20), 4, leafc);
    }
    for (size_t i = 0; i < spots.size(); ++i) {
        const QPointF s = spots[i] + QPointF(rng.range(-5, 5), rng.range(-5, 5));
        if (rng.next() < 0.25)
            drawBud(p, s, rng.range(3.5, 5), petal.darker(110));
        else
            drawBlossom(p, s, rng.range(9, 13), rng.range(0, 72), petal, heart);
    }
    // a sprig that has come down, and its petals, on the free band
    std::vector<QPointF> sprig = drawTwig(p, band.topLeft() + QPointF(92, 44),
                                          band.topLeft() + QPointF(196, 24), -8, 3.2, 1.4, bark);
    drawLeaf(p, sprig[sprig.size() / 3], -70, 17, 4, leafc);
    drawLeaf(p, sprig[sprig.size() * 2 / 3], 40, 15, 4, leafc);
    drawBlossom(p, sprig.back(), 11, 20, petal, heart);
    drawBlossom(p, sprig[sprig.size() / 2] + QPointF(0, -6), 9.5, 50, petal, heart);
    drawBud(p, sprig[sprig.size() / 5] + QPointF(-2, -5), 4, petal.darker(110));
    for (int i = 0; i < 12; ++i) {
        const QPointF c(rng.range(band.left() + 80, band.right() - 10),
                        rng.range(band.top() + 8, band.bottom() - 6));
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(petal, 170));
        p.drawPath(leafPath(c, rng.range(0, 360), 7, 3.5));
    }
}

// May: bamboo, with a leafy spray on the free band.
void paintBamboo(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor stalk(120, 176, 110), leafc(96, 156, 100);
    struct Stalk {
        double x, w, lean;
    };
    const Stalk stalks[] = {{38, 13, 6}, {82, 10, -4}, {128, 8, 10}, {20, 7, -8}};
    for (const Stalk& s : stalks) {
        double y = 330;
        while (y > -20) {
            const double seg = rng.range(58, 78);
            const double t0 = (330 - y) / 350, t1 = (330 - y + seg) / 350;
            const QPointF a(s.x + s.lean * t0, y), b(s.x + s.lean * t1, y - seg + 3);
            QLinearGradient g(a.x() - s.w / 2, 0, a.x() + s.w / 2, 0);
            g.setColorAt(0, stalk.lighter(118));
            g.setColorAt(0.4, stalk);
            g.setColorAt(1, stalk.darker(118));
            QPainterPath sp;
            sp.moveTo(a + QPointF(-s.w / 2, 0));
            sp.lineTo(b + QPointF(-s.w / 2, 0));
            sp.lineTo(b + QPointF(s.w / 2, 0));
            sp.lineTo(a + QPointF(s.w / 2, 0));
            sp.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawPath(sp);
            // node ring
            p.setPen(QPen(stalk.darker(135), 1.6));
            p.drawLine(b + QPointF(-s.w / 2 - 1, 1), b + QPointF(s.w / 2 + 1, 1));
            if (rng.next() < 0.55 && y < 300) {
                const double dir = rng.next() < 0.5 ? -1 : 1;
                const QPointF twigEnd = b + QPointF(dir * rng.range(20, 40), rng.range(-20, -6));
                drawTwig(p, b, twigEnd, 4, 1.4, 0.8, stalk.darker(120));
                const int n = 3 + int(rng.range(0, 3));
                const double base = dir > 0 ? 20 : 160;
                for (int k = 0; k < n; ++k)
                    drawLeaf(p, twigEnd, base + dir * (k * 22 - 10) + rng.range(-8, 8),
                             rng.range(34, 52), rng.range(4.5, 6.5), leafc);
            }
            y -= seg;
        }
    }
    const QPointF from = canvas.band.topLeft() + QPointF(96, 44);
    const QPointF to = from + QPointF(64, -16);
    drawTwig(p, from, to, -4, 1.8, 0.9, stalk.darker(120));
    for (double angle : {-22.0, 2.0, 24.0, 168.0})
        drawLeaf(p, angle > 90 ? from + QPointF(22, -6) : to, angle, rng.range(38, 50),
                 rng.range(5, 6.5), leafc);
}

// June: lotus leaves and a flower over still water; a bud and the nearest
// leaf stand on the free band.
void paintLotus(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor leafc(126, 182, 140), petal(240, 150, 170), water(120, 170, 200);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        const QPointF c(rng.range(60, 300), rng.range(250, 300));
        p.setPen(QPen(withAlpha(water, 110), 1.0));
        for (int k = 1; k <= 3; ++k)
            p.drawEllipse(c, 12.0 * k + 6, 3.0 * k + 1);
    }
    auto lotusLeaf = [&](QPointF c, double rx, double ry, double tilt) {
        p.save();
        p.translate(c);
        p.rotate(tilt);
        QRadialGradient g(QPointF(0, 0), rx);
        g.setColorAt(0, leafc.darker(112));
        g.setColorAt(0.85, leafc.lighter(106));
        g.setColorAt(1, leafc.darker(108));
        p.setPen(QPen(leafc.darker(125), 1.0));
        p.setBrush(g);
        QPainterPath leaf;
        leaf.moveTo(0, 0);
        leaf.arcTo(QRectF(-rx, -ry, 2 * rx, 2 * ry), 100, 340);
        leaf.closeSubpath();
        p.drawPath(leaf);
        p.setPen(QPen(withAlpha(leafc.darker(130), 140), 0.9));
        for (int k = 0; k < 14; ++k) {
            const double a = (105 + k * 340.0 / 14) * Pi / 180;
            p.drawLine(QPointF(0, 0), QPointF(std::cos(a) * rx * 0.93, -std::sin(a) * ry * 0.93));
        }
        p.restore();
    };
    drawTwig(p, QPointF(70, 330), QPointF(96, 232), 8, 2.4, 2.0, leafc.darker(120));
    drawTwig(p, QPointF(150, 330), QPointF(150, 118), -10, 2.4, 2.0, leafc.darker(120));
    const QPointF bud = canvas.band.topLeft() + QPointF(150, 46);
    drawTwig(p, bud + QPointF(-8, 40), bud, -3, 2.0, 1.6, leafc.darker(120));
    lotusLeaf(QPointF(96, 232), 68, 26, -6);
    lotusLeaf(QPointF(24, 150), 50, 20, 10);
    lotusLeaf(QPointF(250, 262), 44, 14, 4);
    // flower
    const QPointF base(150, 118);
    const double angles[] = {-90, -62, -118, -38, -142, -75, -105};
    const double lens[] = {58, 54, 54, 44, 44, 50, 50};
    for (int order : {3, 4, 1, 2, 5, 6, 0}) {
        const double a = angles[order] * Pi / 180;
        const QPointF tip = base + QPointF(std::cos(a), std::sin(a)) * lens[order];
        QLinearGradient g(base, tip);
        g.setColorAt(0, QColor(252, 240, 236));
        g.setColorAt(0.6, petal.lighter(112));
        g.setColorAt(1, petal);
        p.setPen(QPen(withAlpha(petal.darker(125), 150), 0.9));
        p.setBrush(g);
        p.drawPath(leafPath(base, angles[order], lens[order], 15));
    }
    // a bud rising from the water on the free band
    p.setBrush(petal);
    p.drawPath(leafPath(bud, -84, 30, 9));
    (void)rng;
}

// July: reeds, ripples, and dragonflies over the free band.
void paintSummer(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor reed(120, 168, 110), head(150, 110, 80), water(110, 160, 200);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5; ++i) {
        const QPointF c(rng.range(80, 320), rng.range(220, 300));
        for (int k = 1; k <= 4; ++k) {
            p.setPen(QPen(withAlpha(water, 130 - 22 * k), 1.0));
            p.drawEllipse(c, 10.0 * k, 2.6 * k);
        }
    }
    for (int i = 0; i < 9; ++i) {
        const double x = rng.range(-5, 110);
        const QPointF a(x, 330), b(x + rng.range(-10, 40), rng.range(90, 200));
        drawTwig(p, a, b, rng.range(-20, 20), 2.0, 1.2, reed.darker(110));
        if (i % 3 == 0) {
            const double ang = std::atan2(b.y() - a.y(), b.x() - a.x()) * 180 / Pi;
            p.setPen(Qt::NoPen);
            p.setBrush(head);
            p.drawPath(leafPath(b, ang + 180, 26, 5));
        }
    }
    for (int i = 0; i < 7; ++i) {
        const QPointF a(rng.range(0, 120), 330);
        drawLeaf(p, a, -rng.range(60, 110), rng.range(150, 240), 6, reed, false);
    }
    auto dragonfly = [&](QPointF c, double s, double rot) {
        p.save();
        p.translate(c);
        p.rotate(rot);
        p.scale(s, s);
        p.setPen(QPen(QColor(90, 120, 160, 220), 0.8));
        p.setBrush(QColor(160, 196, 230, 170));
        p.drawPath(leafPath(QPointF(0, 0), -80, 34, 6));
        p.drawPath(leafPath(QPointF(0, 0), 80, 34, 6));
        p.drawPath(leafPath(QPointF(4, 0), -100, 30, 5.5));
        p.drawPath(leafPath(QPointF(4, 0), 100, 30, 5.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(206, 90, 70));
        p.drawEllipse(QPointF(-6, 0), 4, 3.2);
        p.drawRoundedRect(QRectF(-1, -2.4, 10, 4.8), 2, 2);
        p.drawRoundedRect(QRectF(8, -1.3, 34, 2.6), 1.3, 1.3);
        p.restore();
    };
    // they hover low over the water, on the free band
    dragonfly(canvas.band.topLeft() + QPointF(112, 27), 0.72, -6);
    dragonfly(canvas.band.topLeft() + QPointF(200, 22), 0.52, 10);
}

// August: the full moon, and osmanthus in flower on the free band.
void paintMoon(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QPointF mc(150, 96);
    QRadialGradient halo(mc, 110);
    halo.setColorAt(0.45, QColor(255, 250, 226, 200));
    halo.setColorAt(1, QColor(255, 250, 226, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(mc, 110, 110);
    QRadialGradient moon(mc - QPointF(14, 14), 64);
    moon.setColorAt(0, QColor(255, 252, 236));
    moon.setColorAt(1, QColor(246, 232, 186));
    p.setBrush(moon);
    p.setPen(QPen(QColor(226, 204, 150), 1.0));
    p.drawEllipse(mc, 56, 56);
    // soft shadows on the moon
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 214, 170, 90));
    p.drawEllipse(mc + QPointF(-18, -10), 12, 9);
    p.drawEllipse(mc + QPointF(16, 14), 16, 11);
    p.drawEllipse(mc + QPointF(8, -24), 7, 6);

    const QColor bark(110, 96, 80), leafc(92, 140, 96), flower(240, 168, 60);
    std::vector<QPointF> spots;
    std::vector<double> angles;
    const QPointF from = canvas.band.topLeft() + QPointF(74, 50);
    growBranch(p, rng, from, -10, 110, 4.5, 1, bark, spots, &angles);
    for (size_t i = 0; i < spots.size(); ++i) {
        const double side = i % 2 ? 1 : -1;
        drawLeaf(p, spots[i], angles[i] + side * rng.range(30, 60), rng.range(26, 36), 6.5, leafc);
    }
    for (size_t i = 0; i < spots.size(); ++i) {
        for (int k = 0; k < 6; ++k) {
            const QPointF c = spots[i] + QPointF(rng.range(-7, 7), rng.range(-7, 7));
            p.save();
            p.translate(c);
            p.rotate(rng.range(0, 90));
            p.setPen(Qt::NoPen);
            p.setBrush(flower);
            for (int q = 0; q < 4; ++q) {
                p.drawEllipse(QPointF(1.8, 0), 1.8, 1.2);
                p.rotate(90);
            }
            p.restore();
        }
    }
}

// September: chrysanthemums; the smallest flower and the leaves grow on the
// free band.
void paintChrysanthemum(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor leafc(110, 156, 96), stem(100, 140, 90);
    auto flower = [&](QPointF c, double r, const QColor& col) {
        for (int layer = 0; layer < 3; ++layer) {
            const double lr = r * (1.0 - layer * 0.27);
            const int n = 26 - layer * 5;
            const QColor lc = mix(col, QColor(255, 250, 230), layer * 0.18);
            for (int i = 0; i < n; ++i) {
                const double a = 360.0 * i / n + layer * 7 + rng.range(-3, 3);
                QLinearGradient g(c,
                                  c + QPointF(std::cos(a * Pi / 180), std::sin(a * Pi / 180)) * lr);
                g.setColorAt(0, lc.darker(112));
                g.setColorAt(1, lc.lighter(106));
                p.setPen(QPen(withAlpha(lc.darker(125), 140), 0.6));
                p.setBrush(g);
                p.drawPath(leafPath(c, a, lr * rng.range(0.9, 1.05), lr * 0.1));
            }
        }
        p.setPen(Qt::NoPen);
        p.setBrush(col.darker(115));
        p.drawEllipse(c, r * 0.16, r * 0.16);
    };
    const QRectF& band = canvas.band;
    const QPointF heads[] = {{96, 120}, {190, 196}, band.topLeft() + QPointF(176, 30)};
    const double radii[] = {44, 36, 24};
    const QColor cols[] = {QColor(244, 190, 70), QColor(240, 160, 80), QColor(246, 214, 110)};
    for (int i = 0; i < 3; ++i)
        drawTwig(p, QPointF(100 + i * 60, 340), heads[i], rng.range(-20, 20), 2.6, 2.0, stem);
    for (int i = 0; i < 6; ++i) {
        const QPointF a(rng.range(band.left() + 100, band.left() + 250),
                        rng.range(band.top() + 30, band.bottom() + 6));
        drawLeaf(p, a, rng.range(180, 360), rng.range(22, 30), 8, leafc);
    }
    for (int i = 0; i < 3; ++i)
        flower(heads[i], radii[i], cols[i]);
}

QPainterPath mapleLeaf(QPointF c, double r, double rot) {
    QPainterPath p;
    const int steps = 240;
    for (int i = 0; i <= steps; ++i) {
        const double th = 2 * Pi * i / steps;
        const double lobes = std::pow(std::fabs(std::cos(2.5 * (th + Pi / 2))), 1.15);
        const double serr = 0.06 * std::pow(std::fabs(std::sin(12.5 * (th + Pi / 2))), 3);
        const double shape = (0.80 - 0.20 * std::sin(th)) * (0.36 + 0.64 * lobes + serr);
        const QPointF q(std::cos(th) * r * shape, std::sin(th) * r * shape);
        if (i == 0)
            p.moveTo(q);
        else
            p.lineTo(q);
    }
    p.closeSubpath();
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(rot);
    return t.map(p);
}

// October: maple leaves on a twig, falling, and fallen on the free band.
void paintMaple(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor cols[] = {QColor(226, 100, 70), QColor(236, 140, 70), QColor(230, 176, 80),
                           QColor(214, 86, 80)};
    drawTwig(p, QPointF(-10, 20), QPointF(170, 70), -14, 4, 1.6, QColor(120, 90, 80));
    struct Leaf {
        double x, y, r, rot;
    };
    std::vector<Leaf> leaves = {
        {60, 52, 30, 10}, {120, 84, 26, -20}, {168, 70, 22, 30}, {24, 100, 24, -35}};
    // a few falling behind the days, the rest come to rest on the free band
    for (int i = 0; i < 4; ++i)
        leaves.push_back(
            {rng.range(30, 300), rng.range(120, 220), rng.range(12, 20), rng.range(-180, 180)});
    const QRectF& band = canvas.band;
    for (int i = 0; i < 4; ++i)
        leaves.push_back({band.left() + 90 + i * 52 + rng.range(-8, 8),
                          band.top() + 26 + rng.range(-6, 8), rng.range(13, 18),
                          rng.range(-180, 180)});
    for (size_t i = 0; i < leaves.size(); ++i) {
        const Leaf& l = leaves[i];
        const QColor c = cols[i % 4];
        const QPointF cc(l.x, l.y);
        QRadialGradient g(cc, l.r);
        g.setColorAt(0, c.darker(110));
        g.setColorAt(1, c.lighter(108));
        p.setPen(QPen(withAlpha(c.darker(125), 160), 0.8));
        p.setBrush(g);
        p.drawPath(mapleLeaf(cc, l.r, l.rot));
        // veins and stem
        p.setPen(QPen(withAlpha(c.darker(140), 150), 0.8));
        for (double a : {-90.0, -18.0, 54.0, 126.0, 198.0}) {
            const double ra = (a + l.rot) * Pi / 180;
            const double len = (a == 54.0 || a == 126.0) ? 0.5 : 0.85;
            p.drawLine(cc, cc + QPointF(std::cos(ra), std::sin(ra)) * l.r * len);
        }
        const double sa = (90 + l.rot) * Pi / 180;
        p.setPen(QPen(c.darker(130), 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(cc, cc + QPointF(std::cos(sa), std::sin(sa)) * l.r * 0.9);
    }
}

QPainterPath ginkgoLeaf(QPointF stemTop, double r, double rot) {
    QPainterPath p;
    p.moveTo(0, 0);
    const int steps = 120;
    for (int i = 0; i <= steps; ++i) {
        const double deg = -150 + 120.0 * i / steps;
        const double notch = 1 - 0.22 * std::exp(-std::pow((deg + 90) / 5.0, 2));
        const double wave = 1 + 0.025 * std::sin(deg * 0.6);
        const double rr = r * notch * wave;
        p.lineTo(std::cos(deg * Pi / 180) * rr, std::sin(deg * Pi / 180) * rr);
    }
    p.closeSubpath();
    QTransform t;
    t.translate(stemTop.x(), stemTop.y());
    t.rotate(rot);
    return t.map(p);
}

// November: a ginkgo twig on the free band and its leaves drifting down.
void paintGinkgo(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor cols[] = {QColor(238, 200, 80), QColor(230, 184, 70), QColor(226, 210, 110)};
    // the twig lies along the free band; leaves drift down behind the days
    const QPointF from = canvas.band.topLeft() + QPointF(100, 52);
    std::vector<QPointF> twig =
        drawTwig(p, from, from + QPointF(200, -24), -8, 3.4, 1.6, QColor(130, 110, 90));
    std::vector<std::tuple<QPointF, double, double>> leaves;
    const double rots[] = {-30, 8, -12, 20};
    for (int i = 0; i < 4; ++i)
        leaves.push_back({twig[twig.size() * (2 + 2 * i) / 10] + QPointF(0, -4), 21 - i, rots[i]});
    for (int i = 0; i < 8; ++i)
        leaves.push_back({QPointF(rng.range(40, 320), rng.range(30, 180)), rng.range(14, 24),
                          rng.range(-180, 180)});
    for (size_t i = 0; i < leaves.size(); ++i) {
        const auto& [c, r, rot] = leaves[i];
        const QColor col = cols[i % 3];
        const double sa = (rot + 90) * Pi / 180;
        const QPointF stemEnd = c + QPointF(std::cos(sa), std::sin(sa)) * r * 0.7;
        p.setPen(QPen(col.darker(130), 1.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, stemEnd);
        QRadialGradient g(c, r);
        g.setColorAt(0, col.darker(108));
        g.setColorAt(1, col.lighter(108));
        p.setPen(QPen(withAlpha(col.darker(125), 160), 0.8));
        p.setBrush(g);
        p.drawPath(ginkgoLeaf(c, r, rot));
        p.setPen(QPen(withAlpha(col.darker(118), 110), 0.6));
        for (int k = 0; k < 9; ++k) {
            const double deg = (-145 + 110.0 * k / 8 + rot) * Pi / 180;
            p.drawLine(c, c + QPointF(std::cos(deg), std::sin(deg)) * r * 0.85);
        }
    }
}

void drawSnowflake(QPainter& p, QPointF c, double r, double rot, const QColor& col) {
    p.save();
    p.translate(c);
    p.rotate(rot);
    p.setPen(QPen(col, std::max(0.8, r / 9), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 6; ++i) {
        p.drawLine(QPointF(0, 0), QPointF(r, 0));
        for (double at : {0.45, 0.72}) {
            const double l = r * (at < 0.5 ? 0.32 : 0.22);
            p.drawLine(QPointF(r * at, 0), QPointF(r * at + l * 0.5, -l * 0.87));
            p.drawLine(QPointF(r * at, 0), QPointF(r * at + l * 0.5, l * 0.87));
        }
        p.rotate(60);
    }
    p.restore();
}

// December: snowflakes, a pine twig, and a sprig with its cone on the free
// band.
void paintSnow(QPainter& p, Rng& rng, const MonthCanvas& canvas) {
    const QColor needle(84, 130, 110), bark(120, 100, 86), flake(130, 160, 200);
    const QRectF& band = canvas.band;
    std::vector<QPointF> pts = drawTwig(p, QPointF(-10, 30), QPointF(200, 60), -20, 4.5, 2, bark);
    std::vector<QPointF> pts2 =
        drawTwig(p, pts[pts.size() / 2], QPointF(150, 130), 10, 2.6, 1.4, bark);
    // a fallen sprig on the free band, with its cone
    std::vector<QPointF> sprig = drawTwig(p, band.topLeft() + QPointF(286, 24),
                                          band.topLeft() + QPointF(104, 20), 6, 2.6, 1.2, bark);
    auto needles = [&](const std::vector<QPointF>& along, int count, double shortest,
                       double longest) {
        for (size_t i = 2; i < along.size(); i += 2) {
            for (int k = 0; k < count; ++k) {
                const double a = rng.range(0, 2 * Pi);
                const double l = rng.range(shortest, longest);
                p.setPen(QPen(needle, 1.1, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(along[i], along[i] + QPointF(std::cos(a), std::sin(a) * 0.7 + 0.3) * l);
            }
        }
    };
    needles(pts, 7, 12, 20);
    needles(pts2, 7, 12, 20);
    needles(sprig, 5, 8, 14);
    // snow resting on the twig
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    for (size_t i = 3; i < pts.size(); i += 5)
        p.drawEllipse(pts[i] - QPointF(0, 4), rng.range(6, 10), 3.5);
    // the cone hangs from the sprig
    const QPointF cone = sprig[sprig.size() * 2 / 5];
    p.setBrush(QColor(160, 120, 90));
    p.drawEllipse(QRectF(cone.x() - 7, cone.y() - 1, 14, 22));
    p.setPen(QPen(QColor(130, 94, 70), 0.9));
    for (int k = 1; k <= 3; ++k)
        p.drawLine(QPointF(cone.x() - 6, cone.y() - 1 + 5.5 * k),
                   QPointF(cone.x() + 6, cone.y() + 1 + 5.5 * k));
    p.setPen(Qt::NoPen);
    // large flakes behind the days, small ones over the free band
    for (int i = 0; i < 6; ++i) {
        const QPointF c(rng.range(10, 330), rng.range(90, 230));
        drawSnowflake(p, c, rng.range(12, 18), rng.range(0, 60), withAlpha(flake, 190));
    }
    for (int i = 0; i < 7; ++i) {
        const QPointF c(rng.range(band.left() + 90, band.right() - 10),
                        rng.range(band.top() + 8, band.bottom() - 8));
        drawSnowflake(p, c, rng.range(5, 8), rng.range(0, 60), withAlpha(flake, 200));
    }
    drawSnowflake(p, QPointF(230, 140), 26, 10, withAlpha(flake, 150));
}

const MonthStyle monthStyles[12] = {
    {QColor(232, 238, 246), QColor(250, 247, 245), QColor(255, 255, 255), QColor(150, 110, 130),
     "一月"},
    {QColor(250, 245, 226), QColor(252, 250, 242), QColor(255, 253, 240), QColor(170, 140, 60),
     "二月"},
    {QColor(236, 246, 232), QColor(250, 251, 244), QColor(255, 255, 248), QColor(100, 150, 90),
     "三月"},
    {QColor(252, 238, 240), QColor(252, 249, 246), QColor(255, 252, 252), QColor(196, 110, 130),
     "四月"},
    {QColor(230, 244, 234), QColor(248, 251, 246), QColor(255, 255, 252), QColor(80, 140, 100),
     "五月"},
    {QColor(230, 243, 244), QColor(247, 251, 250), QColor(255, 255, 255), QColor(80, 140, 150),
     "六月"},
    {QColor(228, 240, 250), QColor(247, 250, 252), QColor(255, 255, 255), QColor(80, 120, 170),
     "七月"},
    {QColor(232, 232, 244), QColor(250, 246, 236), QColor(255, 250, 236), QColor(150, 120, 80),
     "八月"},
    {QColor(250, 244, 228), QColor(252, 250, 242), QColor(255, 252, 240), QColor(180, 140, 60),
     "九月"},
    {QColor(252, 238, 226), QColor(252, 248, 242), QColor(255, 252, 246), QColor(190, 100, 70),
     "十月"},
    {QColor(248, 242, 224), QColor(250, 249, 242), QColor(255, 254, 246), QColor(170, 140, 60),
     "十一月"},
    {QColor(230, 237, 247), QColor(246, 248, 252), QColor(255, 255, 255), QColor(100, 120, 160),
     "十二月"},
};

// Where a day's texts can fall. The picture lies behind the six day rows,
// its top-left corner at the first row's; every cell is 58 × 50 pixels and
// shows three centred lines of 11-pixel text, a 休/班 badge in its top-right
// corner and a notes dot in its top-left corner, so a day's marks cover
// nearly the whole cell. Only the cells of the last row from its third column
// on (from its second in a 30-day month, all of them in February) never hold
// a day in any year: there the motifs may be as strong and as detailed as
// they like. Everywhere else the picture stays a faint, soft watermark.
constexpr int CellWidth = 58;
constexpr int CellHeight = 50;
constexpr int LastRowTop = 5 * CellHeight;
// The grid shows the picture's top 305 rows: 327 less its 22-pixel header row.
constexpr int ShownHeight = 305;

int monthLength(int month) {
    static const int lengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return lengths[month - 1];
}

// The last row holds day 36 - first + column, where first is the column of
// day 1 (0 to 6); so its column c can hold a day only while c <= first + L - 36.
QRectF freeBand(int month, const QSize& size) {
    const int firstFree = std::max(0, monthLength(month) - 29);
    return QRectF(firstFree * CellWidth, LastRowTop, size.width() - firstFree * CellWidth,
                  ShownHeight - LastRowTop);
}

double smoothstep(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// 1 inside the free band, 0 wherever a day's text can fall, with a short
// soft edge that starts just past the neighbouring cells' last line of ink
// (which ends 3 pixels above a cell's bottom).
std::vector<double> bandWeight(const QSize& size, const QRectF& band) {
    std::vector<double> w(size_t(size.width()) * size.height());
    for (int y = 0; y < size.height(); ++y) {
        const double wy = smoothstep(band.top() - 3, band.top() + 7, y);
        for (int x = 0; x < size.width(); ++x) {
            const double wx =
                band.left() <= 0 ? 1.0 : smoothstep(band.left() - 6, band.left() + 8, x);
            w[size_t(y) * size.width() + x] = wx * wy;
        }
    }
    return w;
}

// A Gaussian blur of a premultiplied image, in floating point so that it is
// the same on every machine that builds this program.
QImage blurred(const QImage& src, double sigma) {
    const int radius = int(std::ceil(sigma * 3));
    std::vector<double> kernel(size_t(2 * radius + 1));
    double sum = 0;
    for (int i = -radius; i <= radius; ++i)
        sum += kernel[size_t(i + radius)] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& k : kernel)
        k /= sum;
    const int w = src.width(), h = src.height();
    std::vector<double> tmp(size_t(w) * h * 4), out(size_t(w) * h * 4);
    auto channel = [](QRgb c, int k) {
        return double(k == 0 ? qRed(c) : k == 1 ? qGreen(c) : k == 2 ? qBlue(c) : qAlpha(c));
    };
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 4; ++k) {
                double v = 0;
                for (int i = -radius; i <= radius; ++i)
                    v += kernel[size_t(i + radius)] * channel(line[std::clamp(x + i, 0, w - 1)], k);
                tmp[(size_t(y) * w + x) * 4 + k] = v;
            }
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 4; ++k) {
                double v = 0;
                for (int i = -radius; i <= radius; ++i)
                    v += kernel[size_t(i + radius)] *
                         tmp[(size_t(std::clamp(y + i, 0, h - 1)) * w + x) * 4 + k];
                out[(size_t(y) * w + x) * 4 + k] = v;
            }
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double* v = &out[(size_t(y) * w + x) * 4];
            auto c = [](double d) { return int(std::clamp(std::lround(d), 0L, 255L)); };
            const int al = c(v[3]);
            line[x] =
                qRgba(std::min(c(v[0]), al), std::min(c(v[1]), al), std::min(c(v[2]), al), al);
        }
    }
    return img;
}

// Lays a premultiplied layer over the picture. Inside the free band the
// layer is used as drawn, at bandOpacity; under the day texts it is the
// softened copy at textOpacity, so that no edge of it is sharp enough to read
// as a stroke beside a day's text.
void layOver(QImage& img, const QImage& layer, const std::vector<double>& weight,
             double bandOpacity, double textOpacity, double sigma) {
    const QImage soft = blurred(layer, sigma);
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const QRgb* sharpLine = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        const QRgb* softLine = reinterpret_cast<const QRgb*>(soft.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const double t = weight[size_t(y) * img.width() + x];
            const double opacity = textOpacity + (bandOpacity - textOpacity) * t;
            const QRgb a = softLine[x], b = sharpLine[x];
            auto pick = [t](int s, int d) { return s + (d - s) * t; };
            const double al = pick(qAlpha(a), qAlpha(b)) / 255.0 * opacity;
            auto over = [&](int ground, int s, int d) {
                return int(std::lround(ground * (1 - al) + pick(s, d) * opacity));
            };
            line[x] = qRgb(over(qRed(line[x]), qRed(a), qRed(b)),
                           over(qGreen(line[x]), qGreen(a), qGreen(b)),
                           over(qBlue(line[x]), qBlue(a), qBlue(b)));
        }
    }
}

// Keeps every pixel light: darkness (255 minus luminance) is left alone up to
// a knee and squeezed smoothly above it, never beyond the greatest darkness.
// Under the day texts both are lower than in the free band. Hue is kept by
// moving all three channels toward white by the same factor.
void keepPale(QImage& img, const std::vector<double>& weight, double textKnee, double textMaxDark,
              double bandKnee, double bandMaxDark) {
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const double t = weight[size_t(y) * img.width() + x];
            const double knee = textKnee + (bandKnee - textKnee) * t;
            const double maxDark = textMaxDark + (bandMaxDark - textMaxDark) * t;
            const double r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            const double lum = 0.299 * r + 0.587 * g + 0.114 * b;
            const double d = 255 - lum;
            if (d <= knee)
                continue;
            const double span = maxDark - knee;
            const double nd = knee + span * (1 - std::exp(-(d - knee) / span));
            const double f = nd / d;
            auto ch = [f](double c) { return int(std::lround(255 - (255 - c) * f)); };
            line[x] = qRgb(ch(r), ch(g), ch(b));
        }
    }
}

QImage makeMonth(int month) {
    const QSize size(month == 6 ? 412 : 410, 327);
    const MonthStyle& st = monthStyles[month - 1];
    const MonthCanvas canvas{size, freeBand(month, size)};
    const std::vector<double> weight = bandWeight(size, canvas.band);
    QImage img(size, QImage::Format_RGB32);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        paintGround(p, size, st);
    }

    // The motif and the numeral are drawn at full strength on layers of
    // their own, then laid over the ground as a watermark.
    auto layerOf = [&](const std::function<void(QPainter&)>& paint) {
        QImage layer(size, QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        paint(lp);
        return layer;
    };
    const QImage motif = layerOf([&](QPainter& lp) {
        Rng rng(uint32_t(month) * 7919u);
        using Painter = void (*)(QPainter&, Rng&, const MonthCanvas&);
        static const Painter painters[12] = {
            paintPlum,   paintJasmine, paintWillow,        paintPeach, paintBamboo, paintLotus,
            paintSummer, paintMoon,    paintChrysanthemum, paintMaple, paintGinkgo, paintSnow};
        painters[month - 1](lp, rng, canvas);
    });
    layOver(img, motif, weight, MotifBandOpacity, MotifTextOpacity, SoftSigma);
    const QImage numeral = layerOf([&](QPainter& lp) { paintNumeral(lp, size, month, st); });
    // The numeral is one large figure: soft all over, also where its foot
    // stands in the free band.
    layOver(img, numeral, std::vector<double>(weight.size(), 0.0), 1.0, NumeralOpacity, SoftSigma);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        paintMonthName(p, canvas.band, st);
    }
    keepPale(img, weight, TextKnee, TextMaxDark, 26, 58);
    return img.convertToFormat(QImage::Format_RGB888);
}

// ---------------------------------------------------------------------------
// Program icon and logo: a calendar sheet with a red top and two rings.

void drawCalendarSheet(QPainter& p, double s, bool rich) {
    // s is the side of the square the sheet is drawn into.
    const QRectF page(s * 0.08, s * 0.14, s * 0.84, s * 0.80);
    const double radius = s * 0.10;
    if (rich) {
        // a second sheet behind, slightly turned
        p.save();
        p.translate(page.center());
        p.rotate(7);
        p.translate(-page.center());
        p.setPen(QPen(QColor(140, 142, 152), std::max(1.0, s / 72.0)));
        p.setBrush(QColor(224, 226, 232));
        p.drawRoundedRect(page.translated(s * 0.02, s * 0.01), radius, radius);
        p.restore();
    }
    // shadow
    for (int i = 3; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 18));
        p.drawRoundedRect(page.translated(0, s * 0.012 * i), radius, radius);
    }
    QLinearGradient body(page.topLeft(), page.bottomLeft());
    body.setColorAt(0, QColor(255, 255, 255));
    body.setColorAt(1, QColor(232, 234, 240));
    p.setPen(QPen(QColor(150, 150, 160), std::max(1.0, s / 64.0)));
    p.setBrush(body);
    p.drawRoundedRect(page, radius, radius);

    const QRectF top(page.left(), page.top(), page.width(), page.height() * 0.30);
    QPainterPath topPath;
    topPath.addRoundedRect(page, radius, radius);
    QPainterPath band;
    band.addRect(top);
    topPath = topPath.intersected(band);
    QLinearGradient red(top.topLeft(), top.bottomLeft());
    red.setColorAt(0, QColor(238, 78, 62));
    red.setColorAt(1, QColor(196, 32, 32));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawPath(topPath);
    if (rich) {
        QLinearGradient gloss(top.topLeft(), top.bottomLeft());
        gloss.setColorAt(0, QColor(255, 255, 255, 90));
        gloss.setColorAt(0.5, QColor(255, 255, 255, 20));
        gloss.setColorAt(0.51, QColor(255, 255, 255, 0));
        p.setBrush(gloss);
        p.drawPath(topPath);
    }
    // rings
    for (double fx : {0.30, 0.70}) {
        const QRectF ring(s * fx - s * 0.045, s * 0.05, s * 0.09, s * 0.20);
        QLinearGradient rg(ring.topLeft(), ring.topRight());
        rg.setColorAt(0, QColor(120, 124, 134));
        rg.setColorAt(0.5, QColor(230, 232, 238));
        rg.setColorAt(1, QColor(100, 104, 114));
        p.setPen(QPen(QColor(70, 72, 80), std::max(0.8, s / 96.0)));
        p.setBrush(rg);
        p.drawRoundedRect(ring, ring.width() / 2, ring.width() / 2);
    }
    // the character on the sheet
    const QRectF bodyRect(page.left(), top.bottom(), page.width(), page.bottom() - top.bottom());
    const QString ch = QString::fromUtf8("历");
    p.setPen(QColor(178, 28, 28));
    p.setBrush(QColor(178, 28, 28));
    if (s < 64) {
        // Small sheets: the sans face with full hinting keeps the strokes on
        // whole pixels.
        QFont f = pixelFont("Noto Sans CJK SC", int(bodyRect.height() * 0.86), true);
        f.setHintingPreference(QFont::PreferFullHinting);
        QFontMetricsF fm(f);
        const QRectF tight = fm.tightBoundingRect(ch);
        p.setFont(f);
        p.drawText(QPointF(std::round(bodyRect.center().x() - tight.center().x()),
                           std::round(bodyRect.center().y() - tight.center().y())),
                   ch);
    } else {
        QFont f = pixelFont("Noto Serif CJK SC", int(bodyRect.height() * 0.80), true);
        QFontMetricsF fm(f);
        const QRectF tight = fm.tightBoundingRect(ch);
        const QPointF at(bodyRect.center().x() - tight.center().x(),
                         bodyRect.center().y() - tight.center().y());
        p.setPen(Qt::NoPen);
        p.drawPath(textPath(ch, f, at));
    }
    p.setPen(Qt::NoPen);
    if (rich) {
        // the program's name in the red top
        QFont nf = pixelFont("Noto Sans CJK SC", int(top.height() * 0.52), true);
        const QString name = QString::fromUtf8("万年历");
        QFontMetricsF nm(nf);
        const QRectF nt = nm.tightBoundingRect(name);
        const QPointF at(top.center().x() - nt.center().x(),
                         top.center().y() + top.height() * 0.08 - nt.center().y());
        if (s < 100) {
            // about 10-pixel characters: hinted, on whole pixels
            nf.setHintingPreference(QFont::PreferFullHinting);
            p.setFont(nf);
            p.setPen(Qt::white);
            p.drawText(QPointF(std::round(at.x()), std::round(at.y())), name);
            p.setPen(Qt::NoPen);
        } else {
            p.setBrush(QColor(255, 255, 255));
            p.drawPath(textPath(name, nf, at));
        }
    }
}

// Small sizes are laid out on the pixel grid by hand: a red top, two ring
// stubs and a grid of day squares with one red square for today.
QImage makeSmallIcon(int n) {
    QImage img(n, n, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const int left = n == 16 ? 1 : 2, right = n - 1 - left;
    const int top = n == 16 ? 2 : 3, bottom = n - 2;
    const int band = n == 16 ? 4 : 6;
    // page with a one-pixel grey frame
    p.fillRect(QRect(left, top, right - left + 1, bottom - top + 1), QColor(120, 122, 132));
    QLinearGradient body(0, top, 0, bottom);
    body.setColorAt(0, QColor(255, 255, 255));
    body.setColorAt(1, QColor(228, 230, 238));
    p.fillRect(QRect(left + 1, top + band, right - left - 1, bottom - top - band), body);
    QLinearGradient red(0, top, 0, top + band);
    red.setColorAt(0, QColor(240, 84, 66));
    red.setColorAt(1, QColor(196, 30, 30));
    p.fillRect(QRect(left + 1, top + 1, right - left - 1, band - 1), red);
    p.fillRect(QRect(left, top + band, right - left + 1, 1), QColor(150, 20, 20));
    // rounded corners: clear the four corner pixels
    for (QPoint c :
         {QPoint(left, top), QPoint(right, top), QPoint(left, bottom), QPoint(right, bottom)})
        img.setPixelColor(c, QColor(120, 122, 132, 90));
    // ring stubs
    const int r1 = left + (right - left) / 4 + (n == 16 ? 1 : 1),
              r2 = right - (right - left) / 4 - 1;
    for (int rx : {r1, r2}) {
        p.fillRect(QRect(rx, top - 2, n == 16 ? 1 : 2, 4), QColor(70, 72, 82));
        img.setPixelColor(rx, top - 2, QColor(150, 152, 160));
    }
    // day squares
    const int cell = n == 16 ? 3 : 4, sq = n == 16 ? 2 : 3;
    const int cols = 3, rows = 2;
    const int gridW = cols * cell - (cell - sq), gridH = rows * cell - (cell - sq);
    const int gx = left + 1 + (right - left - 1 - gridW + 1) / 2;
    const int gy = top + band + 1 + (bottom - top - band - 1 - gridH + 1) / 2;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const bool today = r == 1 && c == 1;
            p.fillRect(QRect(gx + c * cell, gy + r * cell, sq, sq),
                       today ? QColor(214, 36, 36) : QColor(118, 130, 150));
        }
    return img;
}

QImage makeIcon(int n) {
    if (n <= 24)
        return makeSmallIcon(n);
    QImage img(n, n, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawCalendarSheet(p, n, n >= 128);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------------------------
// 16 × 16 glyphs.

QImage glyphCanvas(int w = 16, int h = 16) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// A round blue button with a white sign, for the spinners.
QImage makeSpinGlyph(bool plus) {
    QImage img = glyphCanvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 1, 0, 15);
    g.setColorAt(0, QColor(122, 170, 228));
    g.setColorAt(1, QColor(40, 92, 170));
    p.setPen(QPen(QColor(30, 64, 124), 1.0));
    p.setBrush(g);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 120 * 16);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(4, 7, 8, 2), Qt::white);
    if (plus)
        p.fillRect(QRect(7, 4, 2, 8), Qt::white);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// The green sticky note used by the note glyphs: a sheet with a folded corner.
void drawNoteSheet(QPainter& p, QRectF r) {
    const double fold = 4;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.topRight());
    sheet.lineTo(r.right(), r.bottom() - fold);
    sheet.lineTo(r.right() - fold, r.bottom());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(206, 238, 150));
    g.setColorAt(1, QColor(160, 212, 100));
    p.setPen(QPen(QColor(70, 120, 40), 1.0));
    p.setBrush(g);
    p.drawPath(sheet);
    QPainterPath flap;
    flap.moveTo(r.right(), r.bottom() - fold);
    flap.lineTo(r.right() - fold, r.bottom() - fold);
    flap.lineTo(r.right() - fold, r.bottom());
    flap.closeSubpath();
    p.setBrush(QColor(236, 248, 214));
    p.drawPath(flap);
}

void drawNoteLines(QPainter& p, QRectF r, int lines) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(84, 130, 52), 1.0));
    for (int i = 0; i < lines; ++i) {
        const double y = r.top() + 3 + 3.0 * i;
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - (i == lines - 1 ? 5 : 2), y));
    }
    p.setRenderHint(QPainter::Antialiasing, true);
}

void drawPin(QPainter& p, QPointF c, double r) {
    QRadialGradient g(c - QPointF(r * 0.4, r * 0.4), r * 1.6);
    g.setColorAt(0, QColor(120, 190, 110));
    g.setColorAt(1, QColor(24, 84, 36));
    p.setPen(QPen(QColor(14, 60, 24), 0.8));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

void drawGear(QPainter& p, QPointF c, double r) {
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = 2 * Pi * (i + 0.5) / (teeth * 4);
        const double rr = (i % 4 < 2) ? r : r * 0.72;
        const QPointF q = c + QPointF(std::cos(a), std::sin(a)) * rr;
        if (i == 0)
            gear.moveTo(q);
        else
            gear.lineTo(q);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, r * 0.3, r * 0.3);
    gear = gear.subtracted(hole);
    QLinearGradient g(c - QPointF(0, r), c + QPointF(0, r));
    g.setColorAt(0, QColor(150, 168, 196));
    g.setColorAt(1, QColor(70, 90, 124));
    p.setPen(QPen(QColor(40, 54, 80), 0.9));
    p.setBrush(g);
    p.drawPath(gear);
}

void drawClock(QPainter& p, QPointF c, double r) {
    p.setPen(QPen(QColor(30, 70, 140), 1.2));
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(206, 222, 244));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(20, 40, 80), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -r * 0.62));
    p.drawLine(c, c + QPointF(r * 0.5, r * 0.1));
}

QImage makeMenuGlyph(const QString& which) {
    QImage img = glyphCanvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (which == "weather") {
        // sun behind a cloud
        QRadialGradient sun(QPointF(5.5, 5.5), 5);
        sun.setColorAt(0, QColor(255, 232, 110));
        sun.setColorAt(1, QColor(244, 156, 20));
        p.setPen(QPen(QColor(236, 140, 20), 1.0, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 8; ++i) {
            const double a = 2 * Pi * i / 8;
            p.drawLine(QPointF(6, 6) + QPointF(std::cos(a), std::sin(a)) * 4.2,
                       QPointF(6, 6) + QPointF(std::cos(a), std::sin(a)) * 5.7);
        }
        p.setPen(QPen(QColor(214, 120, 10), 0.8));
        p.setBrush(sun);
        p.drawEllipse(QPointF(6, 6), 3.2, 3.2);
        QPainterPath cloud;
        cloud.addEllipse(QRectF(3.5, 8.5, 6, 6));
        cloud.addEllipse(QRectF(6.5, 6, 7, 7));
        cloud.addEllipse(QRectF(10.5, 9, 5, 5));
        cloud.addRoundedRect(QRectF(4.5, 11, 10.5, 3.5), 1.5, 1.5);
        cloud = cloud.simplified();
        QLinearGradient cg(0, 6, 0, 15);
        cg.setColorAt(0, Qt::white);
        cg.setColorAt(1, QColor(214, 226, 242));
        p.setPen(QPen(QColor(84, 116, 168), 1.0));
        p.setBrush(cg);
        p.drawPath(cloud);
    } else if (which == "noteedit") {
        drawNoteSheet(p, QRectF(1.5, 1.5, 11, 13));
        drawNoteLines(p, QRectF(1.5, 1.5, 11, 13), 3);
        // pencil across the corner
        p.save();
        p.translate(9.5, 11);
        p.rotate(-45);
        p.setPen(QPen(QColor(120, 70, 10), 0.8));
        p.setBrush(QColor(250, 190, 50));
        p.drawRect(QRectF(-1, -1.6, 7.5, 3.2));
        p.setBrush(QColor(236, 130, 140));
        p.drawRect(QRectF(6.5, -1.6, 2, 3.2));
        QPainterPath tip;
        tip.moveTo(-1, -1.6);
        tip.lineTo(-4.2, 0);
        tip.lineTo(-1, 1.6);
        tip.closeSubpath();
        p.setBrush(QColor(240, 214, 170));
        p.drawPath(tip);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QPointF(-3.7, 0), 0.7, 0.7);
        p.restore();
    } else if (which == "notewindow") {
        drawNoteSheet(p, QRectF(1.5, 2.5, 13, 12));
        drawNoteLines(p, QRectF(1.5, 4.5, 13, 10), 3);
        drawPin(p, QPointF(4, 3.5), 2.4);
    } else if (which == "noteset") {
        drawNoteSheet(p, QRectF(1.5, 1.5, 11, 12));
        drawNoteLines(p, QRectF(1.5, 1.5, 11, 12), 2);
        drawGear(p, QPointF(10.5, 10.5), 5);
    } else if (which == "notehis") {
        drawNoteSheet(p, QRectF(1.5, 1.5, 11, 12));
        drawNoteLines(p, QRectF(1.5, 1.5, 11, 12), 2);
        drawClock(p, QPointF(10.5, 10.5), 4.6);
    } else if (which == "tray") {
        // a window dropping into the tray bar
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(1, 1, 11, 9), QColor(60, 90, 150));
        p.fillRect(QRect(2, 4, 9, 5), QColor(236, 242, 250));
        p.fillRect(QRect(2, 2, 9, 2), QColor(110, 150, 220));
        p.fillRect(QRect(1, 12, 14, 3), QColor(70, 80, 96));
        p.fillRect(QRect(11, 13, 3, 1), QColor(120, 220, 120));
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath arrow;
        arrow.moveTo(12.5, 4.5);
        arrow.lineTo(12.5, 8);
        arrow.lineTo(10.5, 8);
        arrow.lineTo(13.5, 11.5);
        arrow.lineTo(16.5, 8);
        arrow.lineTo(14.5, 8);
        arrow.lineTo(14.5, 4.5);
        arrow.closeSubpath();
        p.setPen(QPen(QColor(20, 100, 30), 1.0));
        p.setBrush(QColor(90, 200, 90));
        p.translate(-1, 0);
        p.drawPath(arrow);
    } else if (which == "exit") {
        // power sign in red
        p.setPen(QPen(QColor(150, 20, 20), 3.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 3, 11, 11), 120 * 16, 300 * 16);
        p.drawLine(QPointF(8, 1.8), QPointF(8, 7.5));
        p.setPen(QPen(QColor(232, 64, 56), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(2.5, 3, 11, 11), 120 * 16, 300 * 16);
        p.drawLine(QPointF(8, 1.8), QPointF(8, 7.5));
    }
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// 14 × 16 blue arrow pointing right.
QImage makeArrow() {
    QImage img = glyphCanvas(14, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath a;
    a.moveTo(0.5, 5.5);
    a.lineTo(6.5, 5.5);
    a.lineTo(6.5, 1.5);
    a.lineTo(13.2, 8);
    a.lineTo(6.5, 14.5);
    a.lineTo(6.5, 10.5);
    a.lineTo(0.5, 10.5);
    a.closeSubpath();
    QLinearGradient g(0, 1, 0, 15);
    g.setColorAt(0, QColor(120, 184, 248));
    g.setColorAt(0.5, QColor(40, 120, 220));
    g.setColorAt(1, QColor(20, 76, 170));
    p.setPen(QPen(QColor(16, 58, 140), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(g);
    p.drawPath(a);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------------------------
// The sticky-note picture, 240 × 237. The ground around the note is the key
// colour, so the note window is cut to the note's own outline; the key colour
// sits at the bottom-left pixel and on no pixel of the note itself.

const QRgb NoteKey = qRgb(165, 204, 113);

QImage makeNote() {
    const int w = 240, h = 237;
    const QRectF sheet(3.5, 9.5, 233, 224);
    const double curl = 26;
    // outline of the note: the sheet without its lifted corner
    QPainterPath body;
    body.moveTo(sheet.left() + 3, sheet.top());
    body.lineTo(sheet.right() - 3, sheet.top());
    body.quadTo(sheet.right(), sheet.top(), sheet.right(), sheet.top() + 3);
    body.lineTo(sheet.right(), sheet.bottom() - curl);
    body.quadTo(sheet.right() - curl * 0.45, sheet.bottom() - curl * 0.45, sheet.right() - curl,
                sheet.bottom());
    body.lineTo(sheet.left() + 3, sheet.bottom());
    body.quadTo(sheet.left(), sheet.bottom(), sheet.left(), sheet.bottom() - 3);
    body.lineTo(sheet.left(), sheet.top() + 3);
    body.quadTo(sheet.left(), sheet.top(), sheet.left() + 3, sheet.top());
    body.closeSubpath();
    const QPointF pinCentre(23, 13);
    const double pinR = 9.5;

    QImage art(w, h, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    // paper
    QLinearGradient paper(0, sheet.top(), 0, sheet.bottom());
    paper.setColorAt(0, QColor(224, 244, 186));
    paper.setColorAt(1, QColor(204, 234, 158));
    p.setPen(QPen(QColor(112, 158, 74), 1.0));
    p.setBrush(paper);
    p.drawPath(body);
    // a slightly deeper band along the top where the note sticks
    p.save();
    p.setClipPath(body);
    QLinearGradient stick(0, sheet.top(), 0, sheet.top() + 18);
    stick.setColorAt(0, QColor(194, 228, 146));
    stick.setColorAt(1, QColor(214, 240, 174, 0));
    p.fillRect(QRectF(sheet.left(), sheet.top(), sheet.width(), 18), stick);
    p.restore();
    // the lifted corner: its back side, curving over the note, with a soft
    // shadow cast on the paper beside it
    QPainterPath flap;
    const QPointF a(sheet.right(), sheet.bottom() - curl), b(sheet.right() - curl, sheet.bottom());
    const QPointF tip(sheet.right() - curl * 1.02, sheet.bottom() - curl * 1.02);
    flap.moveTo(a);
    flap.quadTo(QPointF(sheet.right() - curl * 0.45, sheet.bottom() - curl * 0.45), b);
    flap.cubicTo(QPointF(sheet.right() - curl * 0.85, sheet.bottom() - curl * 0.45),
                 tip + QPointF(2, 6), tip);
    flap.cubicTo(tip + QPointF(6, 2),
                 QPointF(sheet.right() - curl * 0.45, sheet.bottom() - curl * 0.85), a);
    flap.closeSubpath();
    p.save();
    p.setClipPath(body);
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 130, 60, 22));
        p.drawPath(flap.translated(-i * 0.9, -i * 0.9));
    }
    p.restore();
    QLinearGradient fg(tip, QPointF(sheet.right() - curl * 0.3, sheet.bottom() - curl * 0.3));
    fg.setColorAt(0, QColor(250, 253, 240));
    fg.setColorAt(0.55, QColor(228, 243, 204));
    fg.setColorAt(1, QColor(190, 220, 150));
    p.setPen(QPen(QColor(112, 158, 74), 1.0));
    p.setBrush(fg);
    p.drawPath(flap);
    // pin: a short needle shadow, then the head
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 100, 40, 60));
    p.drawEllipse(pinCentre + QPointF(3.5, 4), pinR, pinR * 0.85);
    p.setPen(QPen(QColor(90, 120, 70, 170), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pinCentre + QPointF(4, 5), pinCentre + QPointF(9, 12));
    drawPin(p, pinCentre, pinR);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(pinCentre - QPointF(3.2, 3.4), 2.6, 2.0);
    p.end();

    // Hard outline: a pixel belongs to the note when the drawing covers at
    // least half of it; partly covered pixels are finished against the
    // outline colour, so no pale fringe of key colour is left around it.
    QImage out(w, h, QImage::Format_RGB888);
    const QColor edge(112, 158, 74);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb px = art.pixel(x, y); // un-premultiplied
            const int al = qAlpha(px);
            if (al < 128) {
                out.setPixel(x, y, NoteKey);
                continue;
            }
            const double t = al / 255.0;
            int r = int(std::lround(qRed(px) * t + edge.red() * (1 - t)));
            int g = int(std::lround(qGreen(px) * t + edge.green() * (1 - t)));
            int bl = int(std::lround(qBlue(px) * t + edge.blue() * (1 - t)));
            if (qRgb(r, g, bl) == NoteKey)
                bl += 1; // never let a pixel of the note be cut away
            out.setPixel(x, y, qRgb(r, g, bl));
        }
    }
    return out;
}

// ---------------------------------------------------------------------------

QImage makeLogo() {
    QImage img(72, 72, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawCalendarSheet(p, 72, true);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_art <resources folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const char* family : {"Noto Serif CJK SC", "Noto Sans CJK SC", "AR PL KaitiM GB"}) {
        const QFontInfo info(QFont(QString::fromUtf8(family)));
        if (info.family() != QString::fromUtf8(family)) {
            std::fprintf(stderr, "font %s is missing (got %s)\n", family,
                         qPrintable(info.family()));
            return 1;
        }
    }
    bool ok = true;
    for (int m = 1; m <= 12; ++m)
        ok &= savePng(makeMonth(m), root + QString("/months/BITMAP_%1.png").arg(m));
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256})
        ok &= savePng(makeIcon(n), root + QString("/icons/vorncalendar_%1.png").arg(n));
    ok &= savePng(makeSpinGlyph(false), root + "/glyphs/minus.png");
    ok &= savePng(makeSpinGlyph(true), root + "/glyphs/plus.png");
    for (const char* g :
         {"weather", "noteedit", "notewindow", "noteset", "notehis", "tray", "exit"})
        ok &= savePng(makeMenuGlyph(g), root + QString("/glyphs/menu_%1.png").arg(g));
    ok &= savePng(makeNote(), root + "/notes/note.png");
    ok &= savePng(makeArrow(), root + "/notes/arrow.png");
    ok &= savePng(makeLogo(), root + "/about/logo.png");
    return ok ? 0 : 1;
}

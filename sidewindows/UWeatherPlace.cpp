#include "UWeatherPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace {

qint64 overlap(const QRect& A, const QRect& B) {
    const QRect common = A.intersected(B);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

// Squared distance from Point to the nearest point of Area.
qint64 distanceSquared(const QRect& Area, const QPoint& Point) {
    const qint64 dx = Point.x() < Area.left()    ? Area.left() - Point.x()
                      : Point.x() > Area.right() ? Point.x() - Area.right()
                                                 : 0;
    const qint64 dy = Point.y() < Area.top()      ? Area.top() - Point.y()
                      : Point.y() > Area.bottom() ? Point.y() - Area.bottom()
                                                  : 0;
    return dx * dx + dy * dy;
}

const QRect& screenOf(const QRect& MainFrame, const QList<QRect>& Areas) {
    const QRect* best = &Areas.first();
    qint64 bestOverlap = -1;
    for (const QRect& area : Areas) {
        const qint64 o = overlap(area, MainFrame);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = &area;
        }
    }
    if (bestOverlap > 0)
        return *best;
    qint64 nearest = std::numeric_limits<qint64>::max();
    for (const QRect& area : Areas) {
        const qint64 d = distanceSquared(area, MainFrame.center());
        if (d < nearest) {
            nearest = d;
            best = &area;
        }
    }
    return *best;
}

// Start, moved into [First, First + Room - Length]; First when Length does
// not fit into Room at all.
int clampInto(int Start, int Length, int First, int Room) {
    const int last = std::max(First, First + Room - Length);
    return std::clamp(Start, First, last);
}

bool fits(int Start, int Length, int First, int Room) {
    return Start >= First && qint64(Start) + Length <= qint64(First) + Room;
}

} // namespace

QPoint PlaceWeatherPanel(const QRect& MainFrame, const QSize& PanelSize,
                         const QList<QRect>& Areas) {
    const int right = MainFrame.x() + MainFrame.width();
    if (Areas.isEmpty())
        return {right, MainFrame.y()};
    const QRect& area = screenOf(MainFrame, Areas);
    const int width = PanelSize.width();
    const int left = MainFrame.x() - width;

    int x;
    if (fits(right, width, area.x(), area.width()))
        x = right;
    else if (fits(left, width, area.x(), area.width()))
        x = left;
    else
        x = clampInto(right, width, area.x(), area.width());
    const int y = clampInto(MainFrame.y(), PanelSize.height(), area.y(), area.height());
    return {x, y};
}

QList<QRect> AvailableScreenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

QPoint WeatherPanelPosition(const QWidget* Main, const QWidget* Panel) {
    return PlaceWeatherPanel(Main->frameGeometry(), Panel->frameGeometry().size(),
                             AvailableScreenAreas());
}

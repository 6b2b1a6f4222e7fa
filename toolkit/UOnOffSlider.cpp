#include "UOnOffSlider.h"

#include <QPainter>
#include <QPainterPath>

TOnOffSlider::TOnOffSlider(QWidget* Parent) : QAbstractButton(Parent) {
    setCheckable(true);
    setChecked(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void TOnOffSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1.5, 3.5, -1.5, -3.5);
    const qreal radius = track.height() / 2;
    const bool on = isChecked();

    QLinearGradient fill(track.topLeft(), track.bottomLeft());
    if (on) {
        fill.setColorAt(0, QColor(120, 200, 110));
        fill.setColorAt(1, QColor(60, 150, 60));
    } else {
        fill.setColorAt(0, QColor(225, 228, 232));
        fill.setColorAt(1, QColor(180, 186, 194));
    }
    QPainterPath path;
    path.addRoundedRect(track, radius, radius);
    painter.fillPath(path, fill);
    painter.setPen(QPen(QColor(110, 125, 145), 1));
    painter.drawPath(path);

    const qreal knobSize = track.height() - 2;
    const QRectF knob(on ? track.right() - knobSize - 1 : track.left() + 1, track.top() + 1,
                      knobSize, knobSize);
    const QRectF label =
        on ? QRectF(track.left(), track.top(), track.width() - knobSize, track.height())
           : QRectF(track.left() + knobSize, track.top(), track.width() - knobSize, track.height());
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(on ? Qt::white : QColor(70, 80, 95));
    painter.drawText(label, Qt::AlignCenter, on ? QStringLiteral("On") : QStringLiteral("Off"));

    QRadialGradient shine(knob.center() - QPointF(2, 3), knobSize);
    shine.setColorAt(0, Qt::white);
    shine.setColorAt(1, QColor(200, 205, 212));
    painter.setBrush(shine);
    painter.setPen(QPen(QColor(120, 130, 145), 1));
    painter.drawEllipse(knob);

    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius + 2,
                                radius + 2);
    }
}

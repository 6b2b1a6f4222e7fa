#include "UMirrorPanel.h"

#include <QLinearGradient>
#include <QPainter>

TMirrorPanel::TMirrorPanel(QWidget* Parent) : QWidget(Parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TMirrorPanel::SetColors(const QColor& Color, const QColor& ColorTo, const QColor& Mirror,
                             const QColor& MirrorTo) {
    FColors[0] = Color;
    FColors[1] = ColorTo;
    FColors[2] = Mirror;
    FColors[3] = MirrorTo;
    update();
}

void TMirrorPanel::paintEvent(QPaintEvent*) {
    QPainter P(this);
    const int Half = height() / 2;
    QLinearGradient Upper(0, 0, 0, Half);
    Upper.setColorAt(0, FColors[0]);
    Upper.setColorAt(1, FColors[1]);
    P.fillRect(QRect(0, 0, width(), Half), Upper);
    QLinearGradient Lower(0, Half, 0, height());
    Lower.setColorAt(0, FColors[2]);
    Lower.setColorAt(1, FColors[3]);
    P.fillRect(QRect(0, Half, width(), height() - Half), Lower);
}

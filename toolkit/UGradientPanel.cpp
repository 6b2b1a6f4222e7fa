#include "UGradientPanel.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

TGradientPanel::TGradientPanel(QWidget* Parent) : QWidget(Parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGradientPanel::SetColors(const QColor& Top, const QColor& Bottom) {
    FTop = Top;
    FBottom = Bottom;
    update();
}

void TGradientPanel::SetFrameColors(const QColor& Outer, const QColor& Inner) {
    FOuter = Outer;
    FInner = Inner;
    update();
}

void TGradientPanel::KeepChildMouse(QWidget* Child) {
    Child->setAttribute(Qt::WA_NoMousePropagation);
}

void TGradientPanel::paintEvent(QPaintEvent*) {
    // Qt paints widgets into a back buffer already, so there is no flicker.
    QPainter p(this);
    const QRect r = rect();
    QLinearGradient g(0, 0, 0, r.height());
    g.setColorAt(0, FTop);
    g.setColorAt(1, FBottom);
    p.fillRect(r, g);
    p.setPen(FOuter);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(FInner);
    p.drawRect(r.adjusted(1, 1, -2, -2));
}

void TGradientPanel::mousePressEvent(QMouseEvent* Event) {
    Event->accept();
    emit MouseDown(Event->button(), Event->position().toPoint());
}

void TGradientPanel::mouseReleaseEvent(QMouseEvent* Event) {
    Event->accept();
    emit MouseUp(Event->button(), Event->position().toPoint());
}

#include "UMenuButton.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

TMenuButton::TMenuButton(QWidget* Parent) : QWidget(Parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TMenuButton::SetMenu(QMenu* Menu) {
    FMenu = Menu;
}

int TMenuButton::EstimatedMenuWidth(const QMenu* Menu) {
    const QFontMetrics fm(Menu->font());
    int widest = 0;
    for (const QAction* a : Menu->actions()) {
        if (!a->isSeparator())
            widest = qMax(widest, fm.horizontalAdvance(a->text()));
    }
    return widest + 56;
}

QPoint TMenuButton::MenuPosition(const QRect& ButtonRect, int MenuWidth, const QRect& WorkArea) {
    QPoint p(ButtonRect.left(), ButtonRect.bottom() + 1);
    if (p.x() + MenuWidth > WorkArea.right() + 1)
        p.setX(ButtonRect.right() + 1 - MenuWidth);
    return p;
}

void TMenuButton::OpenMenu() {
    if (!FMenu)
        return;
    const QRect button(mapToGlobal(QPoint(0, 0)), size());
    const QPoint anchor(button.left(), button.bottom() + 1);
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = this->screen();
    const QPoint at = MenuPosition(button, EstimatedMenuWidth(FMenu), screen->availableGeometry());
    FDown = true;
    update();
    FMenu->exec(at);
    FDown = false;
    update();
}

void TMenuButton::mousePressEvent(QMouseEvent* Event) {
    Event->accept();
    const auto held =
        Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (Event->button() == Qt::LeftButton && !held)
        OpenMenu();
}

void TMenuButton::mouseReleaseEvent(QMouseEvent* Event) {
    Event->accept();
}

void TMenuButton::enterEvent(QEnterEvent* Event) {
    FHover = true;
    update();
    QWidget::enterEvent(Event);
}

void TMenuButton::leaveEvent(QEvent* Event) {
    FHover = false;
    update();
    QWidget::leaveEvent(Event);
}

void TMenuButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (FDown || FHover) {
        p.setPen(QColor(142, 156, 173));
        p.setBrush(FDown ? QColor(196, 210, 226) : QColor(236, 242, 248));
        p.drawRoundedRect(r, 2, 2);
    }
    // The down arrow.
    const QPointF c = r.center() + (FDown ? QPointF(1, 1) : QPointF());
    QPainterPath arrow;
    arrow.moveTo(c.x() - 4, c.y() - 2);
    arrow.lineTo(c.x() + 4, c.y() - 2);
    arrow.lineTo(c.x(), c.y() + 2.5);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 45, 70));
    p.drawPath(arrow);
}

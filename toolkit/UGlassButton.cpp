#include "UGlassButton.h"

#include <QPainter>
#include <QPainterPath>

TGlassButton::TGlassButton(const QString& Caption, QWidget* Parent) : QAbstractButton(Parent) {
    setText(Caption);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void TGlassButton::SetBackColor(const QColor& Color) {
    FBack = Color;
    update();
}

void TGlassButton::SetGlowColor(const QColor& Color) {
    FGlow = Color;
    update();
}

void TGlassButton::SetTextAntialiased(bool On) {
    FTextAntialiased = On;
    update();
}

QSize TGlassButton::sizeHint() const {
    const QSize Text = fontMetrics().size(Qt::TextShowMnemonic, text());
    return QSize(Text.width() + 24, qMax(24, Text.height() + 10));
}

void TGlassButton::enterEvent(QEnterEvent* Event) {
    FHover = true;
    update();
    QAbstractButton::enterEvent(Event);
}

void TGlassButton::leaveEvent(QEvent* Event) {
    FHover = false;
    update();
    QAbstractButton::leaveEvent(Event);
}

void TGlassButton::paintEvent(QPaintEvent*) {
    QPainter P(this);
    P.setRenderHint(QPainter::Antialiasing);
    const QRectF Outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QRectF Inner = Outer.adjusted(1, 1, -1, -1);
    const qreal Radius = 4;

    QColor Face = FHover ? FGlow.lighter(112) : FBack;
    if (isDown())
        Face = Face.darker(118);
    if (!isEnabled())
        Face = Face.lighter(120);
    // The glass body: darker towards the bottom, so the shine reads as light
    // falling from above.
    QLinearGradient Body(Inner.topLeft(), Inner.bottomLeft());
    Body.setColorAt(0, Face.lighter(105));
    Body.setColorAt(0.5, Face.darker(135));
    Body.setColorAt(1, Face.darker(108));
    QPainterPath Shape;
    Shape.addRoundedRect(Inner, Radius, Radius);
    P.fillPath(Shape, Body);

    // The white shine over the upper half.
    QPainterPath Shine;
    const QRectF ShineRect(Inner.left() + 1, Inner.top() + 1, Inner.width() - 2,
                           Inner.height() / 2 - 1);
    Shine.addRoundedRect(ShineRect, Radius - 1, Radius - 1);
    QLinearGradient ShineFill(ShineRect.topLeft(), ShineRect.bottomLeft());
    ShineFill.setColorAt(0, QColor(255, 255, 255, isDown() ? 90 : 150));
    ShineFill.setColorAt(1, QColor(255, 255, 255, isDown() ? 20 : 40));
    P.fillPath(Shine, ShineFill);

    P.setBrush(Qt::NoBrush);
    P.setPen(QPen(Qt::white, 1));
    P.drawRoundedRect(Outer, Radius + 1, Radius + 1);
    P.setPen(QPen(Qt::black, 1));
    P.drawRoundedRect(Inner, Radius, Radius);

    P.setRenderHint(QPainter::Antialiasing, false);
    P.setRenderHint(QPainter::TextAntialiasing, FTextAntialiased);
    P.setPen(isEnabled() ? QColor(Qt::white) : QColor(230, 230, 230));
    QFont Font = font();
    if (!FTextAntialiased)
        Font.setStyleStrategy(QFont::NoAntialias);
    P.setFont(Font);
    QRect TextRect = rect();
    if (isDown())
        TextRect.translate(1, 1);
    P.drawText(TextRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        P.setPen(QPen(QColor(255, 255, 255, 160), 1, Qt::DotLine));
        P.drawRect(rect().adjusted(4, 4, -5, -5));
    }
}

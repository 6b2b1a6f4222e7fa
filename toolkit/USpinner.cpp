#include "USpinner.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWheelEvent>

TSpinner::TSpinner(QWidget* Parent) : QWidget(Parent) {
    setFocusPolicy(Qt::StrongFocus);
    FRepeat = new QTimer(this);
    FRepeat->setObjectName(QStringLiteral("tmRepeat"));
    FRepeat->setSingleShot(false);
    connect(FRepeat, &QTimer::timeout, this, &TSpinner::repeatStep);
}

void TSpinner::SetValue(int Value) {
    const int v = qBound(FMin, Value, FMax);
    if (v == FValue)
        return;
    FValue = v;
    update();
    emit Changed();
}

void TSpinner::SetRange(int Minimum, int Maximum) {
    FMin = Minimum;
    FMax = qMax(Minimum, Maximum);
    SetValue(FValue);
}

void TSpinner::SetGlyphs(const QPixmap& Minus, const QPixmap& Plus) {
    FMinusGlyph = Minus;
    FPlusGlyph = Plus;
    update();
}

int TSpinner::buttonWidth() const {
    return qMin(qMin(height(), 16), width() / 3);
}

QRect TSpinner::MinusRect() const {
    return QRect(0, 0, buttonWidth(), height());
}

QRect TSpinner::PlusRect() const {
    const int w = buttonWidth();
    return QRect(width() - w, 0, w, height());
}

QSize TSpinner::sizeHint() const {
    const QFontMetrics fm(font());
    const int h = fm.height() + 4;
    return {fm.horizontalAdvance(QString::number(FMax)) + 2 * h + 8, h};
}

TSpinner::Part TSpinner::partAt(const QPoint& Pos) const {
    if (MinusRect().contains(Pos))
        return Part::Minus;
    if (PlusRect().contains(Pos))
        return Part::Plus;
    return Part::None;
}

void TSpinner::repeatStep() {
    // The first repeat comes after the initial delay; later ones faster.
    FRepeat->setInterval(RepeatInterval);
    FRepeated = true;
    if (FPressedInside)
        StepBy(FPressed == Part::Plus ? 1 : -1);
}

void TSpinner::mousePressEvent(QMouseEvent* Event) {
    Event->accept();
    if (Event->button() != Qt::LeftButton)
        return;
    FPressed = partAt(Event->position().toPoint());
    FPressedInside = FPressed != Part::None;
    FRepeated = false;
    FTyped.clear();
    if (FPressed != Part::None) {
        FRepeat->setInterval(InitialRepeatDelay);
        FRepeat->start();
    }
    update();
}

void TSpinner::mouseMoveEvent(QMouseEvent* Event) {
    Event->accept();
    if (FPressed == Part::None)
        return;
    const bool inside = partAt(Event->position().toPoint()) == FPressed;
    if (inside != FPressedInside) {
        FPressedInside = inside;
        update();
    }
}

void TSpinner::mouseReleaseEvent(QMouseEvent* Event) {
    Event->accept();
    if (Event->button() != Qt::LeftButton || FPressed == Part::None)
        return;
    FRepeat->stop();
    const Part pressed = FPressed;
    FPressed = Part::None;
    FPressedInside = false;
    update();
    // A click steps once; a hold has stepped with every repeat already.
    if (partAt(Event->position().toPoint()) == pressed && !FRepeated)
        StepBy(pressed == Part::Plus ? 1 : -1);
    FRepeated = false;
}

void TSpinner::keyPressEvent(QKeyEvent* Event) {
    const bool keypad = Event->modifiers() & Qt::KeypadModifier;
    if (FTypingEnabled) {
        const int key = Event->key();
        if (key >= Qt::Key_0 && key <= Qt::Key_9) {
            // As many digits as the range's largest value has.
            if (FTyped.size() < QString::number(FMax).size())
                FTyped += QChar(u'0' + (key - Qt::Key_0));
            update();
            Event->accept();
            return;
        }
        if (!FTyped.isEmpty()) {
            switch (key) {
            case Qt::Key_Backspace:
                FTyped.chop(1);
                update();
                Event->accept();
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter: {
                const int typed = FTyped.toInt();
                FTyped.clear();
                update();
                SetValue(typed);
                Event->accept();
                return;
            }
            case Qt::Key_Escape:
                FTyped.clear();
                update();
                Event->accept();
                return;
            default:
                // Any other key drops the digits and does what it does.
                FTyped.clear();
                update();
                break;
            }
        }
    }
    switch (Event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        StepBy(1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        StepBy(-1);
        break;
    case Qt::Key_PageUp:
        StepBy(10);
        break;
    case Qt::Key_PageDown:
        StepBy(-10);
        break;
    case Qt::Key_Plus:
        if (!keypad) {
            QWidget::keyPressEvent(Event);
            return;
        }
        StepBy(1);
        break;
    case Qt::Key_Minus:
        if (!keypad) {
            QWidget::keyPressEvent(Event);
            return;
        }
        StepBy(-1);
        break;
    default:
        QWidget::keyPressEvent(Event);
        return;
    }
    Event->accept();
}

void TSpinner::wheelEvent(QWheelEvent* Event) {
    // One step per notch (120 units); smooth-scrolling devices add up.
    FWheelAngle += Event->angleDelta().y();
    const int notches = FWheelAngle / 120;
    FWheelAngle -= notches * 120;
    if (notches != 0)
        StepBy(notches * ((Event->modifiers() & Qt::ControlModifier) ? 10 : 1));
    Event->accept();
}

void TSpinner::focusInEvent(QFocusEvent* Event) {
    update();
    QWidget::focusInEvent(Event);
}

void TSpinner::focusOutEvent(QFocusEvent* Event) {
    FRepeat->stop();
    FPressed = Part::None;
    FTyped.clear();
    update();
    QWidget::focusOutEvent(Event);
}

void TSpinner::drawButton(QPainter& P, const QRect& R, const QPixmap& Glyph, bool Plus,
                          bool Down) const {
    const QRect face = R.adjusted(1, 1, -1, -1);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, Down ? QColor(196, 210, 226) : QColor(255, 255, 255));
    g.setColorAt(1, Down ? QColor(236, 242, 248) : QColor(214, 225, 238));
    P.fillRect(face, g);
    if (!Glyph.isNull()) {
        const QSize gs = Glyph.deviceIndependentSize().toSize().boundedTo(face.size());
        QRect gr(QPoint(0, 0), gs);
        gr.moveCenter(face.center());
        if (Down)
            gr.translate(1, 1);
        P.drawPixmap(gr, Glyph);
        return;
    }
    // No picture: a plain sign.
    P.setPen(QPen(QColor(40, 60, 90), 2));
    const QPoint c = face.center() + (Down ? QPoint(1, 1) : QPoint());
    const int a = qMax(2, qMin(face.width(), face.height()) / 4);
    P.drawLine(c.x() - a, c.y(), c.x() + a, c.y());
    if (Plus)
        P.drawLine(c.x(), c.y() - a, c.x(), c.y() + a);
}

void TSpinner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, Qt::white);
    p.setPen(hasFocus() ? QColor(64, 110, 170) : QColor(142, 156, 173));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    drawButton(p, MinusRect(), FMinusGlyph, false, FPressed == Part::Minus && FPressedInside);
    drawButton(p, PlusRect(), FPlusGlyph, true, FPressed == Part::Plus && FPressedInside);
    const QRect text(MinusRect().right() + 1, 0, PlusRect().left() - MinusRect().right() - 1,
                     height());
    p.setFont(font());
    if (!FTyped.isEmpty()) {
        // Digits being typed: in the focus colour, with a caret after them.
        p.setPen(QColor(40, 90, 170));
        p.drawText(text, Qt::AlignCenter, FTyped + QLatin1Char('_'));
        return;
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(text, Qt::AlignCenter, QString::number(FValue));
}

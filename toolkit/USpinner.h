// A number between a minus button at the left end and a plus button at the
// right end. The value is clamped to the range (no wrap-around). A button
// steps by 1 when the mouse is released over it; holding it repeats the step
// after 400 ms, then every 100 ms, and the release after a repeat adds no
// step of its own. Keys: Up, Right, keypad + step +1; Down, Left, keypad -
// step -1; Page Up/Down step ±10. Where typing is on, digits typed into it
// show in place of the value, Enter takes them (clamped to the range),
// Backspace takes one back, Esc or leaving the spinner drops them. The wheel
// steps ±1, ±10 with Ctrl. Changed is sent only when the value really
// changes.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class TSpinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int InitialRepeatDelay = 400; // ms
    static constexpr int RepeatInterval = 100;     // ms

    explicit TSpinner(QWidget* Parent = nullptr);

    int Value() const { return FValue; }
    // Clamps to the range; sends Changed when the value differs.
    void SetValue(int Value);
    int Minimum() const { return FMin; }
    int Maximum() const { return FMax; }
    // Also clamps the current value into the new range.
    void SetRange(int Minimum, int Maximum);
    void StepBy(int Steps) { SetValue(FValue + Steps); }

    // Whether digits can be typed in (off at first).
    void SetTypingEnabled(bool On) { FTypingEnabled = On; }
    // The digits typed so far and not yet taken; empty when none.
    const QString& TypedText() const { return FTyped; }

    // The button glyphs: index 0 minus, index 1 plus. A null pixmap draws a
    // plain sign instead.
    void SetGlyphs(const QPixmap& Minus, const QPixmap& Plus);

    // Button areas in widget pixels.
    QRect MinusRect() const;
    QRect PlusRect() const;

    QSize sizeHint() const override;

signals:
    void Changed();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    enum class Part { None, Minus, Plus };
    Part partAt(const QPoint& Pos) const;
    int buttonWidth() const;
    void repeatStep();
    void drawButton(class QPainter& P, const QRect& R, const QPixmap& Glyph, bool Plus,
                    bool Down) const;

    int FValue = 0;
    int FMin = 0;
    int FMax = 99;
    QPixmap FMinusGlyph;
    QPixmap FPlusGlyph;
    Part FPressed = Part::None;
    bool FPressedInside = false;
    QTimer* FRepeat = nullptr; // "tmRepeat"
    bool FRepeated = false;    // the held button has repeated: its release adds nothing
    bool FTypingEnabled = false;
    QString FTyped;
    int FWheelAngle = 0;
};

// A push button with a glass look: a rounded face in the back colour, a
// white shine over its upper half, a black inner and a white outer border,
// and a lighter glow while the pointer is over it.
#pragma once

#include <QAbstractButton>
#include <QColor>

class TGlassButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TGlassButton(const QString& Caption = QString(), QWidget* Parent = nullptr);

    void SetBackColor(const QColor& Color);
    void SetGlowColor(const QColor& Color);
    QColor BackColor() const { return FBack; }
    QColor GlowColor() const { return FGlow; }
    // Draws the caption without smoothing its edges (crisp pixels, as small
    // captions on glass read best); on by default is smoothing.
    void SetTextAntialiased(bool On);
    bool TextAntialiased() const { return FTextAntialiased; }
    // True while the pointer is over the button.
    bool IsHovered() const { return FHover; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    QColor FBack{0xBD, 0xC5, 0xC9};
    QColor FGlow{0xBD, 0xC5, 0xC9};
    bool FHover = false;
    bool FTextAntialiased = true;
};

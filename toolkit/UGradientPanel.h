// A panel filled with a vertical gradient and framed by a one-pixel line with
// a one-pixel light line just inside it. It reports presses and releases of
// any mouse button on its own bare area (the panel holds the mouse between
// the two, so the release arrives even outside the window).
#pragma once

#include <QColor>
#include <QWidget>

class TGradientPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGradientPanel(QWidget* Parent = nullptr);

    void SetColors(const QColor& Top, const QColor& Bottom);
    // The outer frame line and the line just inside it.
    void SetFrameColors(const QColor& Outer, const QColor& Inner);
    QColor TopColor() const { return FTop; }
    QColor BottomColor() const { return FBottom; }

    // Child widgets placed on the panel keep their mouse presses to
    // themselves: a press on them never reaches the panel.
    void KeepChildMouse(QWidget* Child);

signals:
    // Pos in panel pixels.
    void MouseDown(Qt::MouseButton Button, const QPoint& Pos);
    void MouseUp(Qt::MouseButton Button, const QPoint& Pos);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    QColor FTop{Qt::white};
    QColor FBottom{164, 187, 209};
    QColor FOuter{142, 156, 173};
    QColor FInner{Qt::white};
};

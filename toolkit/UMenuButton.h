// A small button showing only a down arrow. A plain left press (no Shift,
// Ctrl or Alt) opens its menu below it: the menu's top-left corner at the
// button's bottom-left corner, moved left so that its right edge lines up
// with the button's right edge when it would pass the right edge of the
// monitor's work area.
#pragma once

#include <QPointer>
#include <QWidget>

class QMenu;

class TMenuButton : public QWidget {
    Q_OBJECT
public:
    explicit TMenuButton(QWidget* Parent = nullptr);

    void SetMenu(QMenu* Menu);
    QMenu* Menu() const { return FMenu; }

    // The width the placement rule reckons with: the widest caption in the
    // menu's font plus 56 pixels.
    static int EstimatedMenuWidth(const QMenu* Menu);
    // Where the menu opens for a button at ButtonRect (screen pixels) on a
    // monitor whose work area is WorkArea.
    static QPoint MenuPosition(const QRect& ButtonRect, int MenuWidth, const QRect& WorkArea);

    // Opens the menu as a plain left press does.
    void OpenMenu();

    QSize sizeHint() const override { return {15, 19}; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    QPointer<QMenu> FMenu;
    bool FDown = false;
    bool FHover = false;
};

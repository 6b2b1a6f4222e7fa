// A background panel with a four-colour "mirror" gradient: the upper half
// runs from the first colour to the second, the lower half from the third to
// the fourth, which gives the glossy two-tone face of the dialogs.
#pragma once

#include <QColor>
#include <QWidget>

class TMirrorPanel : public QWidget {
    Q_OBJECT
public:
    explicit TMirrorPanel(QWidget* Parent = nullptr);
    void SetColors(const QColor& Color, const QColor& ColorTo, const QColor& Mirror,
                   const QColor& MirrorTo);

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QColor FColors[4]{QColor(0xEF, 0xF6, 0xF9), QColor(0xBD, 0xC5, 0xC9), QColor(0x10, 0x2E, 0x58),
                      QColor(0x0B, 0x2A, 0x55)};
};

#include "UCheckBox.h"

TCheckBox::TCheckBox(const QString& Caption, QWidget* Parent) : QCheckBox(Caption, Parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
}

void TCheckBox::SetTextColor(const QColor& Color) {
    QPalette Palette = palette();
    Palette.setColor(QPalette::WindowText, Color);
    Palette.setColor(QPalette::ButtonText, Color);
    setPalette(Palette);
}

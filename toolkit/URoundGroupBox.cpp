#include "URoundGroupBox.h"

#include <QPainter>
#include <QPainterPath>

TRoundGroupBox::TRoundGroupBox(const QString& Caption, QWidget* Parent)
    : QWidget(Parent), FCaption(Caption) {}

void TRoundGroupBox::SetCaption(const QString& Caption) {
    FCaption = Caption;
    update();
}

QRect TRoundGroupBox::ContentsArea() const {
    const int top = fontMetrics().height();
    return rect().adjusted(6, top + 2, -6, -4);
}

void TRoundGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    const int captionTop = metrics.height() / 2;
    const QRectF frame = QRectF(rect()).adjusted(0.5, captionTop + 0.5, -0.5, -0.5);
    const QRect captionRect(8, 0, FCaption.isEmpty() ? 0 : metrics.horizontalAdvance(FCaption) + 8,
                            metrics.height());

    QPainterPath path;
    path.addRoundedRect(frame, 6, 6);
    painter.fillPath(path, QColor(255, 255, 255, 70));
    // The caption interrupts the frame line.
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(captionRect)));
    painter.setPen(QPen(QColor(142, 156, 173), 1));
    painter.drawPath(path);
    painter.setClipping(false);

    if (!FCaption.isEmpty()) {
        painter.setPen(QColor(30, 50, 90));
        painter.drawText(captionRect, Qt::AlignCenter, FCaption);
    }
}

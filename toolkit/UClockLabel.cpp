#include "UClockLabel.h"

#include "UClock.h"

#include <QPainter>

TClockLabel::TClockLabel(QWidget* Parent) : QWidget(Parent) {
    FTimer.setInterval(PollInterval);
    // A coarse timer lets the system bundle wake-ups; half a second is plenty.
    FTimer.setTimerType(Qt::CoarseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TClockLabel::Poll);
    FTimer.start();
    Poll();
}

void TClockLabel::Poll() {
    const QString text = Clock::Now().time().toString(QStringLiteral("HH:mm:ss"));
    if (text == FText)
        return;
    FText = text;
    update();
}

void TClockLabel::SetAlignment(Qt::Alignment Alignment) {
    FAlignment = Alignment;
    update();
}

QSize TClockLabel::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(QStringLiteral("00:00:00")) + 4, fm.height()};
}

void TClockLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), int(FAlignment), FText);
}

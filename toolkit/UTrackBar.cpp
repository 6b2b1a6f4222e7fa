#include "UTrackBar.h"

TTrackBar::TTrackBar(QWidget* Parent) : QSlider(Qt::Horizontal, Parent) {
    setRange(0, 10);
    setPageStep(1);
    setSingleStep(1);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    connect(this, &QSlider::valueChanged, this, &TTrackBar::PositionChanged);
}

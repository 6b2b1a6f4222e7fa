// A horizontal track bar with tick marks. Its position stays within its range
// (a position outside is brought to the nearest end) and PositionChanged is
// emitted exactly when the position changes, by the user or by the program.
#pragma once

#include <QSlider>

class TTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* Parent = nullptr);

    int Position() const { return value(); }
    void SetPosition(int Position) { setValue(Position); }

signals:
    void PositionChanged(int Position);
};

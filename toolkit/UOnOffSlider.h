// An on/off switch drawn as a slider: a knob that sits right on a green track
// captioned "On" and left on a grey one captioned "Off". Click or Space toggles.
#pragma once

#include <QAbstractButton>

class TOnOffSlider : public QAbstractButton {
    Q_OBJECT
public:
    explicit TOnOffSlider(QWidget* Parent = nullptr);

    bool IsOn() const { return isChecked(); }
    void SetOn(bool On) { setChecked(On); }
    QSize sizeHint() const override { return {81, 30}; }

protected:
    void paintEvent(QPaintEvent* Event) override;
};

// A label showing the local time as "hh:nn:ss" (24-hour clock). It looks at
// the clock every 500 ms and repaints only when the text has changed.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

class TClockLabel : public QWidget {
    Q_OBJECT
public:
    static constexpr int PollInterval = 500; // ms

    explicit TClockLabel(QWidget* Parent = nullptr);

    const QString& Text() const { return FText; }
    // Reads the clock now; repaints when the text differs.
    void Poll();

    void SetAlignment(Qt::Alignment Alignment);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QTimer FTimer;
    QString FText;
    Qt::Alignment FAlignment = Qt::AlignCenter;
};

// A group box with rounded edges: a caption set into the top edge of a
// rounded frame, drawn over whatever the parent paints behind it.
#pragma once

#include <QWidget>

class TRoundGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit TRoundGroupBox(const QString& Caption, QWidget* Parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Caption);

protected:
    void paintEvent(QPaintEvent* Event) override;
    // The area inside the frame, below the caption.
    QRect ContentsArea() const;

private:
    QString FCaption;
};

// Rounded editors: a single-line edit box, a drop-down list whose text can
// also be typed, and a multi-line memo, all with a white face and a soft
// rounded frame that turns blue while the editor has the focus.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

class TRoundEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TRoundEdit(QWidget* Parent = nullptr);
};

class TRoundCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TRoundCombo(QWidget* Parent = nullptr);

protected:
    void paintEvent(QPaintEvent* Event) override;
};

class TRoundMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TRoundMemo(QWidget* Parent = nullptr);
    // The memo's lines (hard line breaks only; wrapping adds none).
    QStringList Lines() const;
};

// A check box drawn straight on a painted background: transparent, with its
// caption in the parent's colours.
#pragma once

#include <QCheckBox>

class TCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TCheckBox(const QString& Caption = QString(), QWidget* Parent = nullptr);
    // The caption's colour (the parent's text colour until set).
    void SetTextColor(const QColor& Color);
};

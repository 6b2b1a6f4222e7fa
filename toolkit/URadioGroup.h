// A captioned group of radio buttons laid out in columns, filled one column
// after the other from the top. ItemIndex is -1 while nothing is selected.
#pragma once

#include "URoundGroupBox.h"

#include <QList>
#include <QStringList>

class QRadioButton;

class TRadioGroup : public TRoundGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& Caption, const QStringList& Items, int Columns,
                QWidget* Parent = nullptr);

    int ItemIndex() const { return FItemIndex; }
    // Brought into -1 .. item count - 1: below -1 selects nothing, above the
    // last item selects the last. Clicked is emitted when the index changes,
    // as for a click by the user.
    void SetItemIndex(int Index);
    QRadioButton* Button(int Index) const { return FButtons.value(Index); }
    int Count() const { return int(FButtons.size()); }

signals:
    void Clicked();

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    void layoutButtons();

    QList<QRadioButton*> FButtons;
    int FColumns;
    int FItemIndex = -1;
};

#include "URadioGroup.h"

#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& Caption, const QStringList& Items, int Columns,
                         QWidget* Parent)
    : TRoundGroupBox(Caption, Parent), FColumns(qMax(1, Columns)) {
    for (int i = 0; i < Items.size(); ++i) {
        auto* button = new QRadioButton(Items[i], this);
        button->setAutoExclusive(false); // the group keeps "nothing selected" possible
        connect(button, &QRadioButton::clicked, this, [this, i] {
            SetItemIndex(i); // a click on the selected item keeps it selected
        });
        FButtons.append(button);
    }
    layoutButtons();
}

void TRadioGroup::SetItemIndex(int Index) {
    const int index = qBound(-1, Index, int(FButtons.size()) - 1);
    for (int i = 0; i < FButtons.size(); ++i) {
        FButtons[i]->setChecked(i == index);
    }
    if (index != FItemIndex) {
        FItemIndex = index;
        emit Clicked();
    }
}

void TRadioGroup::resizeEvent(QResizeEvent* Event) {
    TRoundGroupBox::resizeEvent(Event);
    layoutButtons();
}

void TRadioGroup::layoutButtons() {
    if (FButtons.isEmpty()) {
        return;
    }
    const QRect area = ContentsArea();
    const int rows = (int(FButtons.size()) + FColumns - 1) / FColumns;
    const int columnWidth = area.width() / FColumns;
    const int rowHeight = area.height() / rows;
    for (int i = 0; i < FButtons.size(); ++i) {
        const int column = i / rows, row = i % rows;
        FButtons[i]->setGeometry(area.left() + column * columnWidth + 8,
                                 area.top() + row * rowHeight, columnWidth - 8, rowHeight);
    }
}

#include "UReportListView.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

namespace {
constexpr int SubItemCountRole = Qt::UserRole + 1;
} // namespace

// Edits the sub-item cells in place; the caption column is left alone.
class TReportListView::TSubItemDelegate : public QStyledItemDelegate {
public:
    explicit TSubItemDelegate(TReportListView* View) : QStyledItemDelegate(View), FView(View) {}

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& Option,
                          const QModelIndex& Index) const override {
        if (Index.column() == 0)
            return nullptr;
        QWidget* Editor = QStyledItemDelegate::createEditor(Parent, Option, Index);
        FView->FEditor = Editor;
        return Editor;
    }
    void setModelData(QWidget* Editor, QAbstractItemModel* Model,
                      const QModelIndex& Index) const override {
        QStyledItemDelegate::setModelData(Editor, Model, Index);
        // An edited cell is a sub-item the row now has.
        const QModelIndex Caption = Index.siblingAtColumn(0);
        const int Count = Model->data(Caption, SubItemCountRole).toInt();
        if (Index.column() > Count)
            Model->setData(Caption, Index.column(), SubItemCountRole);
    }

private:
    TReportListView* FView;
};

TReportListView::TReportListView(QWidget* Parent) : QTreeWidget(Parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TSubItemDelegate(this));
    setColumnCount(0);
    setHeaderLabels({});
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setHighlightSections(false);
    setFrameShape(QFrame::StyledPanel);
    // Flat header and flat scroll bars.
    // The list's own colours, dark text on its light ground, whatever the
    // desktop's theme.
    setStyleSheet(QStringLiteral(
        "TReportListView { color: black; }"
        " QHeaderView::section { background: #F4F7FA; color: black; border: none;"
        " border-right: 1px solid #C5CED8; border-bottom: 1px solid #C5CED8; padding: 2px 4px; }"
        " QScrollBar:vertical { background: #EEF2F5; width: 14px; margin: 0; }"
        " QScrollBar:horizontal { background: #EEF2F5; height: 14px; margin: 0; }"
        " QScrollBar::handle { background: #C3CDD7; min-width: 20px; min-height: 20px; }"
        " QScrollBar::handle:hover { background: #A9B6C3; }"
        " QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
        " QScrollBar::add-page, QScrollBar::sub-page { background: none; }"));
}

void TReportListView::SetSubItemEditing(bool On) {
    setEditTriggers(On ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::SelectedClicked
                       : QAbstractItemView::NoEditTriggers);
}

bool TReportListView::SubItemEditing() const {
    return editTriggers() != QAbstractItemView::NoEditTriggers;
}

void TReportListView::SetBackColor(const QColor& Color) {
    QPalette Palette = palette();
    Palette.setColor(QPalette::Base, Color);
    Palette.setColor(QPalette::AlternateBase, Color);
    setPalette(Palette);
}

QColor TReportListView::BackColor() const {
    return palette().color(QPalette::Base);
}

void TReportListView::AddColumn(const QString& Caption, int Width) {
    const int Column = columnCount();
    setColumnCount(Column + 1);
    headerItem()->setText(Column, Caption);
    setColumnWidth(Column, Width);
}

QTreeWidgetItem* TReportListView::AddRow() {
    auto* Row = new QTreeWidgetItem(this);
    Row->setFlags(Row->flags() | Qt::ItemIsEditable);
    Row->setData(0, SubItemCountRole, 0);
    return Row;
}

void TReportListView::SetCaption(QTreeWidgetItem* Row, const QString& Caption) {
    Row->setText(0, Caption);
}

void TReportListView::AddSubItem(QTreeWidgetItem* Row, const QString& Text) {
    const int Count = SubItemCount(Row);
    Row->setText(Count + 1, Text);
    Row->setData(0, SubItemCountRole, Count + 1);
}

int TReportListView::SubItemCount(const QTreeWidgetItem* Row) {
    return Row->data(0, SubItemCountRole).toInt();
}

QString TReportListView::SubItem(const QTreeWidgetItem* Row, int I) {
    return Row->text(I + 1);
}

void TReportListView::SetSubItem(QTreeWidgetItem* Row, int I, const QString& Text) {
    while (SubItemCount(Row) < I)
        AddSubItem(Row, QString());
    if (SubItemCount(Row) == I)
        AddSubItem(Row, Text);
    else
        Row->setText(I + 1, Text);
}

QTreeWidgetItem* TReportListView::FindCaption(const QString& Caption, int StartIndex) const {
    for (int I = qMax(0, StartIndex); I < topLevelItemCount(); ++I) {
        QTreeWidgetItem* Row = topLevelItem(I);
        if (Row->text(0).compare(Caption, Qt::CaseInsensitive) == 0)
            return Row;
    }
    return nullptr;
}

QTreeWidgetItem* TReportListView::Selected() const {
    const QList<QTreeWidgetItem*> Rows = selectedItems();
    return Rows.isEmpty() ? nullptr : Rows.first();
}

QWidget* TReportListView::CellEditor() const {
    return state() == QAbstractItemView::EditingState ? FEditor.data() : nullptr;
}

void TReportListView::FinishEditing() {
    if (QWidget* Editor = CellEditor()) {
        commitData(Editor);
        closeEditor(Editor, QAbstractItemDelegate::NoHint);
    }
}

// A report-style list view: one row per item, a caption in the first column
// and sub-items in the others, whole-row selection, a flat header and flat
// scroll bars, and, when switched on, in-place editing of the sub-item cells
// (the caption itself is never edited in place).
#pragma once

#include <QPointer>
#include <QTreeWidget>

class TReportListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TReportListView(QWidget* Parent = nullptr);

    // In-place editing of the sub-item cells: a double click, F2, or a click
    // on a cell of the selected row opens an editor on it. Off at first.
    void SetSubItemEditing(bool On);
    bool SubItemEditing() const;

    // The colour behind the rows.
    void SetBackColor(const QColor& Color);
    QColor BackColor() const;

    // Adds a column at the right with the given caption and width in pixels.
    void AddColumn(const QString& Caption, int Width);
    // Appends an empty row at the end and returns it.
    QTreeWidgetItem* AddRow();
    // Sets the caption, and appends a sub-item after the row's last one.
    static void SetCaption(QTreeWidgetItem* Row, const QString& Caption);
    static void AddSubItem(QTreeWidgetItem* Row, const QString& Text);
    // The row's number of sub-items, and sub-item I (0 = the first column
    // after the caption); a sub-item the row lacks reads as empty.
    static int SubItemCount(const QTreeWidgetItem* Row);
    static QString SubItem(const QTreeWidgetItem* Row, int I);
    static void SetSubItem(QTreeWidgetItem* Row, int I, const QString& Text);

    int RowCount() const { return topLevelItemCount(); }
    QTreeWidgetItem* Row(int I) const { return topLevelItem(I); }
    // The first row, from StartIndex on, whose caption equals Caption as a
    // whole, ignoring the case of letters; no wrap-around. Null when none.
    QTreeWidgetItem* FindCaption(const QString& Caption, int StartIndex = 0) const;
    // The selected row, or null.
    QTreeWidgetItem* Selected() const;
    void ClearRows() { clear(); }

    // Ends an in-place edit that is under way, keeping what was typed, so the
    // rows hold every change before they are read. Nothing when none is.
    void FinishEditing();
    // The in-place editor while a cell is being edited, else null.
    QWidget* CellEditor() const;

private:
    class TSubItemDelegate;
    QPointer<QWidget> FEditor;
};

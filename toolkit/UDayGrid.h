// A light grid of fixed-size cells with one fixed header row: centred
// multi-line cell texts (a carriage return starts a new line), a background
// colour per cell position, one selected cell, a background picture behind
// the rows below the header, and a notification for every cell it paints.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QVector>
#include <QWidget>

class TDayGrid : public QWidget {
    Q_OBJECT
public:
    explicit TDayGrid(int ColCount, int RowCount, QWidget* Parent = nullptr);

    int ColCount() const { return FColCount; }
    int RowCount() const { return FRowCount; }

    void SetColWidth(int Col, int Width);
    int ColWidth(int Col) const { return FColWidths[Col]; }
    void SetRowHeight(int Row, int Height);
    int RowHeight(int Row) const { return FRowHeights[Row]; }
    // Rows 0 .. FixedRows-1 are header rows: drawn with the header look and
    // never selected.
    void SetFixedRows(int Count);
    int FixedRows() const { return FFixedRows; }

    // The cell's rectangle in widget pixels.
    QRect CellRect(int Col, int Row) const;
    // The cell under a point, or false when there is none.
    bool CellAt(const QPoint& Pos, int* Col, int* Row) const;

    void SetCell(int Col, int Row, const QString& Text);
    const QString& Cell(int Col, int Row) const { return FTexts[index(Col, Row)]; }

    // The cell's own background colour; an invalid colour means none. It stays
    // with the position until it is set again.
    void SetCellColor(int Col, int Row, const QColor& Color);
    QColor CellColor(int Col, int Row) const { return FColors[index(Col, Row)]; }

    // The single selected cell; a header cell cannot be selected. (-1, -1)
    // selects none.
    void SetSelected(int Col, int Row);
    int SelectedCol() const { return FSelCol; }
    int SelectedRow() const { return FSelRow; }
    void SetSelectionColor(const QColor& Color);
    QColor SelectionColor() const { return FSelectionColor; }

    // The picture drawn behind the rows below the header, its top-left corner
    // at the first such row, tiled. A null pixmap shows the plain ground.
    void SetBackground(const QPixmap& Picture);
    const QPixmap& Background() const { return FBackground; }
    // Loads a picture from the program's resources (e.g. ":/BITMAP_3"); a
    // picture once loaded is kept, so going back to it costs nothing.
    void LoadBackground(const QString& ResourcePath);

    void SetHeaderGradient(const QColor& Top, const QColor& Bottom);
    void SetCellFont(const QFont& Font);
    void SetHeaderFont(const QFont& Font);
    const QFont& CellFont() const { return FCellFont; }
    const QFont& HeaderFont() const { return FHeaderFont; }

    QSize sizeHint() const override;

signals:
    // Sent for every cell the grid paints, header row first from left to right,
    // just before the cell is drawn (a colour set here shows in this paint).
    void DrawCell(int Col, int Row, const QRect& Rect);
    // The user selected a cell by mouse or keyboard.
    void SelectionChanged(int Col, int Row);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int index(int Col, int Row) const { return Row * FColCount + Col; }
    void updateCell(int Col, int Row);
    void selectByUser(int Col, int Row);

    int FColCount;
    int FRowCount;
    int FFixedRows = 1;
    QVector<int> FColWidths;
    QVector<int> FRowHeights;
    QVector<QString> FTexts;
    QVector<QColor> FColors;
    int FSelCol = -1;
    int FSelRow = -1;
    QColor FSelectionColor{241, 193, 94};
    QColor FHeaderTop{246, 249, 251};
    QColor FHeaderBottom{210, 219, 232};
    QPixmap FBackground;
    QFont FCellFont;
    QFont FHeaderFont;
};

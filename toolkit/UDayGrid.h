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
#include <functional>

class TDayGrid : public QWidget {
    Q_OBJECT
public:
    // What a cell shows besides its text: a colour for each of its lines
    // (an invalid colour keeps the cell's text colour), a short mark in a
    // small box at the top right, and a dot at the top left. A cell with a
    // colour of its own (SetCellColor) draws every line in the one colour
    // that reads on that colour.
    struct Decor {
        QVector<QColor> LineColors;
        QString Badge;
        QColor BadgeColor;
        bool Dot = false;
        QColor DotColor;
    };

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

    void SetCellDecor(int Col, int Row, const Decor& Decoration);
    const Decor& CellDecor(int Col, int Row) const { return FDecors[index(Col, Row)]; }

    // The tooltip of a cell under the mouse: the provider's text for it (an
    // empty text shows none).
    void SetToolTipProvider(std::function<QString(int Col, int Row)> Provider);
    // Shows the tooltip of a cell below it, as for the keyboard's selection.
    void ShowCellToolTip(int Col, int Row);

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

    // Arrow keys go to ArrowKey instead of moving the selection here.
    void SetArrowKeysToOwner(bool On) { FArrowKeysToOwner = On; }

signals:
    // Sent for every cell the grid paints, header row first from left to right,
    // just before the cell is drawn (a colour set here shows in this paint).
    void DrawCell(int Col, int Row, const QRect& Rect);
    // The user selected a cell by mouse or keyboard.
    void SelectionChanged(int Col, int Row);
    // An arrow key with the cell selection on the grid: the owner moves the
    // selection (DCol, DRow one of -1, 0, 1), also across the grid's edge.
    // Sent instead of moving within the grid while ArrowKeysToOwner is set.
    void ArrowKey(int DCol, int DRow);
    // A double click on a cell.
    void CellDoubleClicked(int Col, int Row);

protected:
    bool event(QEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    int index(int Col, int Row) const { return Row * FColCount + Col; }
    void updateCell(int Col, int Row);
    void drawDecor(class QPainter& P, const QRect& Cell, const Decor& D, const QColor& Own) const;
    void selectByUser(int Col, int Row);

    int FColCount;
    int FRowCount;
    int FFixedRows = 1;
    QVector<int> FColWidths;
    QVector<int> FRowHeights;
    QVector<QString> FTexts;
    QVector<QColor> FColors;
    QVector<Decor> FDecors;
    std::function<QString(int, int)> FToolTip;
    bool FArrowKeysToOwner = false;
    int FSelCol = -1;
    int FSelRow = -1;
    QColor FSelectionColor{241, 193, 94};
    QColor FHeaderTop{246, 249, 251};
    QColor FHeaderBottom{210, 219, 232};
    QPixmap FBackground;
    QFont FCellFont;
    QFont FHeaderFont;
};

#include "UDayGrid.h"

#include <QHelpEvent>
#include <QToolTip>

#include <QHash>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Black text on light grounds, white text on dark ones (the red today mark).
QColor textColorOn(const QColor& Ground) {
    const int luma = (299 * Ground.red() + 587 * Ground.green() + 114 * Ground.blue()) / 1000;
    return luma < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace

TDayGrid::TDayGrid(int ColCount, int RowCount, QWidget* Parent)
    : QWidget(Parent), FColCount(ColCount), FRowCount(RowCount), FColWidths(ColCount, 64),
      FRowHeights(RowCount, 24), FTexts(ColCount * RowCount), FColors(ColCount * RowCount),
      FDecors(ColCount * RowCount) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FHeaderFont = font();
    FHeaderFont.setBold(true);
    FCellFont = font();
}

void TDayGrid::SetColWidth(int Col, int Width) {
    FColWidths[Col] = Width;
    updateGeometry();
    update();
}

void TDayGrid::SetRowHeight(int Row, int Height) {
    FRowHeights[Row] = Height;
    updateGeometry();
    update();
}

void TDayGrid::SetFixedRows(int Count) {
    FFixedRows = Count;
    if (FSelRow >= 0 && FSelRow < FFixedRows)
        FSelCol = FSelRow = -1;
    update();
}

QRect TDayGrid::CellRect(int Col, int Row) const {
    int x = 0;
    for (int c = 0; c < Col; ++c)
        x += FColWidths[c];
    int y = 0;
    for (int r = 0; r < Row; ++r)
        y += FRowHeights[r];
    return QRect(x, y, FColWidths[Col], FRowHeights[Row]);
}

bool TDayGrid::CellAt(const QPoint& Pos, int* Col, int* Row) const {
    int x = 0;
    int col = -1;
    for (int c = 0; c < FColCount; ++c) {
        if (Pos.x() >= x && Pos.x() < x + FColWidths[c]) {
            col = c;
            break;
        }
        x += FColWidths[c];
    }
    int y = 0;
    int row = -1;
    for (int r = 0; r < FRowCount; ++r) {
        if (Pos.y() >= y && Pos.y() < y + FRowHeights[r]) {
            row = r;
            break;
        }
        y += FRowHeights[r];
    }
    if (col < 0 || row < 0)
        return false;
    *Col = col;
    *Row = row;
    return true;
}

void TDayGrid::SetCell(int Col, int Row, const QString& Text) {
    QString& cell = FTexts[index(Col, Row)];
    if (cell == Text)
        return;
    cell = Text;
    updateCell(Col, Row);
}

void TDayGrid::SetCellColor(int Col, int Row, const QColor& Color) {
    FColors[index(Col, Row)] = Color;
    updateCell(Col, Row);
}

void TDayGrid::SetCellDecor(int Col, int Row, const Decor& Decoration) {
    FDecors[index(Col, Row)] = Decoration;
    updateCell(Col, Row);
}

void TDayGrid::SetToolTipProvider(std::function<QString(int, int)> Provider) {
    FToolTip = std::move(Provider);
}

void TDayGrid::ShowCellToolTip(int Col, int Row) {
    if (!FToolTip || Col < 0 || Row < 0)
        return;
    const QString text = FToolTip(Col, Row);
    const QRect cell = CellRect(Col, Row);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(mapToGlobal(cell.bottomLeft()), text, this, cell);
}

bool TDayGrid::event(QEvent* Event) {
    if (Event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(Event);
        int col = 0;
        int row = 0;
        const QString text =
            FToolTip && CellAt(help->pos(), &col, &row) ? FToolTip(col, row) : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this, CellRect(col, row));
        return true;
    }
    return QWidget::event(Event);
}

void TDayGrid::mouseDoubleClickEvent(QMouseEvent* Event) {
    int col = 0;
    int row = 0;
    if (Event->button() == Qt::LeftButton && CellAt(Event->position().toPoint(), &col, &row) &&
        row >= FFixedRows)
        emit CellDoubleClicked(col, row);
    Event->accept();
}

void TDayGrid::SetSelected(int Col, int Row) {
    if (Col < 0 && Row < 0) {
        // No cell selected.
        if (FSelCol >= 0)
            updateCell(FSelCol, FSelRow);
        FSelCol = -1;
        FSelRow = -1;
        return;
    }
    if (Row < FFixedRows || Col < 0 || Col >= FColCount || Row >= FRowCount)
        return;
    if (Col == FSelCol && Row == FSelRow)
        return;
    if (FSelCol >= 0)
        updateCell(FSelCol, FSelRow);
    FSelCol = Col;
    FSelRow = Row;
    updateCell(Col, Row);
}

void TDayGrid::SetSelectionColor(const QColor& Color) {
    FSelectionColor = Color;
    if (FSelCol >= 0)
        updateCell(FSelCol, FSelRow);
}

void TDayGrid::SetBackground(const QPixmap& Picture) {
    FBackground = Picture;
    update();
}

void TDayGrid::LoadBackground(const QString& ResourcePath) {
    // Decoding a picture costs more than a whole month page; keep them.
    static QHash<QString, QPixmap> cache;
    auto it = cache.constFind(ResourcePath);
    if (it == cache.constEnd())
        it = cache.insert(ResourcePath, QPixmap(ResourcePath));
    SetBackground(*it);
}

void TDayGrid::SetHeaderGradient(const QColor& Top, const QColor& Bottom) {
    FHeaderTop = Top;
    FHeaderBottom = Bottom;
    update();
}

void TDayGrid::SetCellFont(const QFont& Font) {
    FCellFont = Font;
    update();
}

void TDayGrid::SetHeaderFont(const QFont& Font) {
    FHeaderFont = Font;
    update();
}

QSize TDayGrid::sizeHint() const {
    int w = 0;
    for (int c : FColWidths)
        w += c;
    int h = 0;
    for (int r : FRowHeights)
        h += r;
    return {w, h};
}

void TDayGrid::updateCell(int Col, int Row) {
    update(CellRect(Col, Row));
}

void TDayGrid::drawDecor(QPainter& P, const QRect& Cell, const Decor& D, const QColor& Own) const {
    P.save();
    P.setRenderHint(QPainter::Antialiasing);
    if (!D.Badge.isEmpty()) {
        QFont small = FCellFont;
        small.setPixelSize(qMax(8, FCellFont.pixelSize() - 2));
        P.setFont(small);
        const int side = QFontMetrics(small).height();
        const QRectF box(Cell.right() - side - 1.5, Cell.top() + 1.5, side, side);
        // On a cell of its own colour the box turns round: the colour inside
        // it stays that of the mark.
        const bool inverted = Own.isValid();
        P.setPen(Qt::NoPen);
        P.setBrush(inverted ? QColor(255, 255, 255) : D.BadgeColor);
        P.drawRoundedRect(box, 2, 2);
        P.setPen(inverted ? D.BadgeColor : QColor(255, 255, 255));
        P.drawText(box, Qt::AlignCenter, D.Badge);
    }
    if (D.Dot) {
        P.setPen(Qt::NoPen);
        P.setBrush(Own.isValid() ? QColor(255, 255, 255) : D.DotColor);
        P.drawEllipse(QRectF(Cell.left() + 4, Cell.top() + 4, 5, 5));
    }
    P.restore();
}

void TDayGrid::paintEvent(QPaintEvent* Event) {
    QPainter p(this);
    const QRect all = rect();
    int headerHeight = 0;
    for (int r = 0; r < FFixedRows; ++r)
        headerHeight += FRowHeights[r];

    // Ground: the header look across the full width, the picture below it.
    const QRect body(0, headerHeight, all.width(), all.height() - headerHeight);
    p.fillRect(all, palette().color(QPalette::Base));
    if (!FBackground.isNull())
        p.drawTiledPixmap(body, FBackground);
    if (headerHeight > 0) {
        QLinearGradient g(0, 0, 0, headerHeight);
        g.setColorAt(0, FHeaderTop);
        g.setColorAt(1, FHeaderBottom);
        p.fillRect(QRect(0, 0, all.width(), headerHeight), g);
    }

    const QRect dirty = Event->rect();
    int y = 0;
    for (int r = 0; r < FRowCount; ++r) {
        const bool fixed = r < FFixedRows;
        const QFont& font = fixed ? FHeaderFont : FCellFont;
        p.setFont(font);
        const int lineHeight = QFontMetrics(font).height();
        int x = 0;
        for (int c = 0; c < FColCount; ++c) {
            const QRect cell(x, y, FColWidths[c], FRowHeights[r]);
            x += FColWidths[c];
            if (!cell.intersects(dirty))
                continue;
            emit DrawCell(c, r, cell);

            const QColor& own = FColors[index(c, r)];
            const bool selected = c == FSelCol && r == FSelRow;
            QColor ground;
            if (own.isValid()) {
                ground = own;
                p.fillRect(cell, own);
            } else if (selected) {
                ground = FSelectionColor;
                p.fillRect(cell, FSelectionColor);
            } else {
                ground = fixed ? FHeaderBottom : palette().color(QPalette::Base);
            }
            if (selected && own.isValid()) {
                // A cell with its own colour shows the selection as a frame.
                p.setPen(QPen(FSelectionColor, 2));
                p.drawRect(cell.adjusted(1, 1, -1, -1));
            }

            const QString& text = FTexts[index(c, r)];
            if (text.isEmpty())
                continue;
            const QColor ink = textColorOn(ground);
            const Decor& decor = FDecors[index(c, r)];
            const QStringList lines = text.split(QLatin1Char('\r'));
            int ly = cell.top() + (cell.height() - lineHeight * int(lines.size())) / 2;
            for (qsizetype i = 0; i < lines.size(); ++i) {
                const QColor lineColor = decor.LineColors.value(i);
                p.setPen(own.isValid() || !lineColor.isValid() ? ink : lineColor);
                if (!lines[i].isEmpty())
                    p.drawText(QRect(cell.left(), ly, cell.width(), lineHeight), Qt::AlignCenter,
                               lines[i]);
                ly += lineHeight;
            }
            drawDecor(p, cell, decor, own);
        }
        y += FRowHeights[r];
    }
}

void TDayGrid::selectByUser(int Col, int Row) {
    if (Row < FFixedRows || (Col == FSelCol && Row == FSelRow))
        return;
    SetSelected(Col, Row);
    emit SelectionChanged(Col, Row);
}

void TDayGrid::mousePressEvent(QMouseEvent* Event) {
    int col = 0;
    int row = 0;
    if (Event->button() == Qt::LeftButton && CellAt(Event->position().toPoint(), &col, &row))
        selectByUser(col, row);
    Event->accept();
}

void TDayGrid::keyPressEvent(QKeyEvent* Event) {
    if (FArrowKeysToOwner) {
        switch (Event->key()) {
        case Qt::Key_Left:
            emit ArrowKey(-1, 0);
            return;
        case Qt::Key_Right:
            emit ArrowKey(1, 0);
            return;
        case Qt::Key_Up:
            emit ArrowKey(0, -1);
            return;
        case Qt::Key_Down:
            emit ArrowKey(0, 1);
            return;
        default:
            break;
        }
    }
    int col = FSelCol < 0 ? 0 : FSelCol;
    int row = FSelRow < 0 ? FFixedRows : FSelRow;
    switch (Event->key()) {
    case Qt::Key_Left:
        col = qMax(0, col - 1);
        break;
    case Qt::Key_Right:
        col = qMin(FColCount - 1, col + 1);
        break;
    case Qt::Key_Up:
        row = qMax(FFixedRows, row - 1);
        break;
    case Qt::Key_Down:
        row = qMin(FRowCount - 1, row + 1);
        break;
    default:
        QWidget::keyPressEvent(Event);
        return;
    }
    selectByUser(col, row);
}

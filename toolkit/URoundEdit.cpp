#include "URoundEdit.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QRegularExpression>

namespace {
const char FrameStyle[] =
    "border: 1px solid #7F9DB9; border-radius: 5px; background: white; color: black;"
    " padding: 1px 4px; selection-background-color: #3169C6;";
const char FocusStyle[] = "border: 1px solid #3169C6;";
} // namespace

TRoundEdit::TRoundEdit(QWidget* Parent) : QLineEdit(Parent) {
    setStyleSheet(QStringLiteral("TRoundEdit { %1 } TRoundEdit:focus { %2 }")
                      .arg(QLatin1String(FrameStyle), QLatin1String(FocusStyle)));
}

TRoundCombo::TRoundCombo(QWidget* Parent) : QComboBox(Parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    setStyleSheet(QStringLiteral("TRoundCombo { %1 } TRoundCombo:focus { %2 }"
                                 " TRoundCombo::drop-down { border: none; width: 16px; }"
                                 " TRoundCombo::down-arrow { image: none; width: 0; height: 0; }"
                                 " TRoundCombo QAbstractItemView { border: 1px solid #7F9DB9;"
                                 " background: white; selection-background-color: #3169C6; }")
                      .arg(QLatin1String(FrameStyle), QLatin1String(FocusStyle)));
}

void TRoundCombo::paintEvent(QPaintEvent* Event) {
    QComboBox::paintEvent(Event);
    // The drop-down arrow: a small solid triangle in the button area.
    QPainter P(this);
    P.setRenderHint(QPainter::Antialiasing);
    P.setPen(Qt::NoPen);
    P.setBrush(isEnabled() ? QColor(0x4D, 0x61, 0x85) : QColor(0xA0, 0xA8, 0xB4));
    const QPointF Centre(width() - 10.5, height() / 2.0 + 0.5);
    const QPointF Arrow[3] = {Centre + QPointF(-4, -2), Centre + QPointF(4, -2),
                              Centre + QPointF(0, 2.5)};
    P.drawPolygon(Arrow, 3);
}

TRoundMemo::TRoundMemo(QWidget* Parent) : QPlainTextEdit(Parent) {
    setStyleSheet(QStringLiteral("TRoundMemo { %1 } TRoundMemo:focus { %2 }")
                      .arg(QLatin1String(FrameStyle), QLatin1String(FocusStyle)));
    setTabChangesFocus(true);
}

QStringList TRoundMemo::Lines() const {
    // Enter makes a new paragraph, Shift+Enter a line separator: both are
    // line breaks to the user, as are CR LF and a lone CR in pasted text.
    QString Text = toPlainText();
    Text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    Text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    Text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    if (Text.isEmpty())
        return {};
    return Text.split(QLatin1Char('\n'));
}

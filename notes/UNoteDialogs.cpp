#include "UNoteDialogs.h"

#include "UForms.h"
#include "UGlassButton.h"
#include "UMirrorPanel.h"
#include "UReportListView.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace NoteDialogs {

void SetDialogFont(QWidget* Dialog) {
    QFont Font(QStringLiteral("MS Sans Serif"));
    Font.setPixelSize(11);
    Dialog->setFont(Font);
}

void StyleBackground(TMirrorPanel* Panel) {
    Panel->SetColors(QColor(0xEF, 0xF6, 0xF9), QColor(0xBD, 0xC5, 0xC9), QColor(0x10, 0x2E, 0x58),
                     QColor(0x0B, 0x2A, 0x55));
}

void StyleNoteList(TReportListView* List) {
    List->SetBackColor(QColor(0xF0, 0xFB, 0xFF));
}

void StyleButton(TGlassButton* Button) {
    Button->SetBackColor(QColor(0xBD, 0xC5, 0xC9));
    Button->SetGlowColor(QColor(0xBD, 0xC5, 0xC9));
    QFont Font(QStringLiteral("Tahoma"));
    Font.setPixelSize(11);
    Button->setFont(Font);
    Button->SetTextAntialiased(false);
}

QFrame* MakeBevel(QWidget* Parent, const char* Name, bool Vertical) {
    auto* Line = new QFrame(Parent);
    Line->setObjectName(QLatin1String(Name));
    Line->setFrameShape(Vertical ? QFrame::VLine : QFrame::HLine);
    Line->setFrameShadow(QFrame::Sunken);
    Line->setLineWidth(1);
    return Line;
}

void CentreOverMainForm(QWidget* Dialog) {
    QRect Around;
    QWidget* Main = MainForm();
    if (Main && Main->isVisible())
        Around = Main->frameGeometry();
    else if (const QScreen* Screen = QGuiApplication::primaryScreen())
        Around = Screen->availableGeometry();
    if (Around.isValid()) {
        const QSize Frame = Dialog->frameGeometry().size();
        Dialog->move(Around.x() + (Around.width() - Frame.width()) / 2,
                     Around.y() + (Around.height() - Frame.height()) / 2);
    }
    // The dialog has no parent (the application owns it); the main window is
    // still the one it belongs to, so the window manager keeps it above.
    if (Main && Main != Dialog && Main->windowHandle() && Dialog->windowHandle())
        Dialog->windowHandle()->setTransientParent(Main->windowHandle());
}

} // namespace NoteDialogs

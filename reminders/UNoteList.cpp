#include "UNoteList.h"

#include "UApplication.h"
#include "UComm.h"
#include "UNotesFile.h"
#include "UProgramPalette.h"
#include "USettings.h"

#include <QApplication>
#include <QBitmap>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <exception>

TfrmNoteList* frmNoteList = nullptr;

const QString TfrmNoteList::Caption = QStringLiteral("便签列表");
const QString TfrmNoteList::NoNotesMessage =
    QStringLiteral("你今天还没有添加便签信息哦~，赶快去添加吧");
const QString TfrmNoteList::Separator = QString(71, QLatin1Char('-'));
const QString TfrmNoteList::DueMark = QStringLiteral("【提醒】");
const QString TfrmNoteList::LateMark = QStringLiteral("【已过时】");

namespace {

const QChar CR(13);
// The picture's bottom-left pixel carries the colour that is cut away.
const QRgb RgbMask = 0x00FFFFFF;

// The label shows carriage returns as line breaks.
QString displayText(const QString& Text) {
    QString shown = Text;
    shown.replace(CR, QLatin1Char('\n'));
    return shown;
}

} // namespace

int NoteAlpha(int32_t Step) {
    const int32_t step = std::clamp<int32_t>(Step, 1, 10);
    return int(std::trunc(step * 25.5));
}

bool SetAlphaOfWindowNamed(const QString& Caption, int Alpha) {
    bool found = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowTitle() == Caption) {
            w->setWindowOpacity(std::clamp(Alpha, 0, 255) / 255.0);
            found = true;
        }
    }
    return found;
}

TfrmNoteList* ShowNoteWindow(const QString& NotesPath) {
    if (!frmNoteList)
        frmNoteList = new TfrmNoteList(NotesPath);
    TfrmNoteList* window = frmNoteList;
    window->show();
    window->raise();
    return window;
}

TfrmNoteList::TfrmNoteList(const QString& NotesPath)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmNoteList"));
    setWindowTitle(Caption);
    // Its texts stand on its own pictures and panels: its own colours, not
    // the desktop theme's.
    UseProgramPalette(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // The note never keeps the program running once the main window is gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(WindowWidth, WindowHeight);
    move(749, 453);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    FPicture = QPixmap(QStringLiteral(":/notes/note.png"));

    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    lblNotes->setGeometry(7, 32, 226, 177);
    lblNotes->setWordWrap(true);
    lblNotes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblNotes->setTextFormat(Qt::PlainText);
    lblNotes->setAutoFillBackground(false);
    lblNotes->setAttribute(Qt::WA_TranslucentBackground);
    lblNotes->installEventFilter(this);

    // FormCreate.
    setWindowOpacity(NoteAlpha(blend) / 255.0);
    if (!QFileInfo::exists(NotesPath)) {
        if (const StoreResult Seeded = CreateNotesFile(XMLDoc, NotesPath); !Seeded) {
            // Shown as every error is; the window is still made, with an
            // empty text at its designed place.
            ShowApplicationError(Seeded.Error);
            return;
        }
    }
    RefreshNotes(NotesPath);
    PlaceNoteWindow(Position);
}

TfrmNoteList::~TfrmNoteList() {
    if (frmNoteList == this)
        frmNoteList = nullptr;
}

int TfrmNoteList::Alpha() const {
    return int(std::lround(windowOpacity() * 255.0));
}

void TfrmNoteList::setText(const QString& Text) {
    FText = Text;
    lblNotes->setText(displayText(Text));
}

bool TfrmNoteList::RefreshNotes(const QString& Path, const QList<TDueAlarm>& Due) {
    // Every entry with its number; the due ones go first, marked, so that the
    // note that reminds is always in sight.
    QStringList dueEntries;
    QStringList otherEntries;
    int number = 0;
    int dayNodes = 0;
    bool completed = false;
    QString failure;
    auto compose = [&] {
        const QStringList entries = dueEntries + otherEntries;
        return entries.join(CR + Separator + CR);
    };
    try {
        completed = ReadNotes(
            XMLDoc, Path, true, false,
            [&](const NoteRecord& Note) {
                // Every field is read before the text changes, so a group
                // that lacks one leaves the text as it was.
                const QString title = Note.Title();
                const QString time = Note.TimeText();
                const QString flag = Note.FlagText();
                const QString content = Note.Content();
                QString mark;
                for (const TDueAlarm& due : Due) {
                    if (due.Alarm.Title == title && due.Alarm.Time == time && flag == u"是")
                        mark = due.Late ? LateMark : DueMark;
                }
                const QString entry = QString::number(number + 1) + QLatin1Char('.') + mark +
                                      title + QStringLiteral(" | ") + time + QStringLiteral(" | ") +
                                      flag + CR + content;
                (mark.isEmpty() ? otherEntries : dueEntries) << entry;
                setText(compose());
                ++number;
            },
            &dayNodes, &failure);
    } catch (...) {
        return false;
    }
    // A file that cannot be read is said so on the note itself, below the
    // notes read before the failure: the window never shows an older text
    // as if it were today's.
    if (!completed) {
        const QString notice = QStringLiteral("（便签文件有误：%1）").arg(failure);
        setText(number == 0 ? notice : FText + CR + Separator + CR + notice);
    }
    // No day node of today, or one that holds no note: say that there is
    // nothing yet rather than keep an older day's text.
    if (completed && number == 0)
        setText(NoNotesMessage);
    return completed;
}

void TfrmNoteList::PlaceNoteWindow(int32_t Corner) {
    if (Corner < 0 || Corner > 3)
        return;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The whole screen, not its work area.
    const QSize full = screen->geometry().size();
    const int left = (Corner == 2 || Corner == 3) ? full.width() - WindowWidth : 0;
    const int top = (Corner == 1 || Corner == 3) ? full.height() - WindowHeight : 0;
    move(screen->geometry().topLeft() + QPoint(left, top));
}

void TfrmNoteList::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (FShaped || FPicture.isNull())
        return;
    FShaped = true;
    // Everything but the picture's pixels of another colour than the key
    // colour is cut away and lets the mouse through to what lies beneath.
    const QImage image = FPicture.toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb key = image.pixel(0, image.height() - 1) | ~RgbMask;
    // The key colour's pixels become the bitmap's clear bits, which the
    // region leaves out.
    const QImage mask = image.createMaskFromColor(key, Qt::MaskInColor);
    setMask(QRegion(QBitmap::fromImage(mask)));
}

void TfrmNoteList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, FPicture);
}

void TfrmNoteList::mousePressEvent(QMouseEvent* Event) {
    emit Pressed();
    // A press on the picture moves the window as a press on a title bar
    // would. Where the window system offers no move loop, follow the mouse.
    if (QWindow* handle = windowHandle(); handle && handle->startSystemMove()) {
        Event->accept();
        return;
    }
    FDragging = true;
    FDragOffset = Event->globalPosition().toPoint() - frameGeometry().topLeft();
    Event->accept();
}

void TfrmNoteList::mouseMoveEvent(QMouseEvent* Event) {
    if (FDragging)
        move(Event->globalPosition().toPoint() - FDragOffset);
}

void TfrmNoteList::mouseReleaseEvent(QMouseEvent*) {
    FDragging = false;
}

bool TfrmNoteList::eventFilter(QObject* Watched, QEvent* Event) {
    // Presses on the text do not move the window; they still count as the
    // user having seen it.
    if (Watched == lblNotes && (Event->type() == QEvent::MouseButtonPress ||
                                Event->type() == QEvent::MouseButtonDblClick)) {
        if (Event->type() == QEvent::MouseButtonPress)
            emit Pressed();
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

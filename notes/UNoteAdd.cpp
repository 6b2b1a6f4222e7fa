#include "UNoteAdd.h"

#include "UApplication.h"
#include "UCheckBox.h"
#include "UClock.h"
#include "UComm.h"
#include "UGlassButton.h"
#include "UMirrorPanel.h"
#include "UNoteDialogs.h"
#include "UNoteRows.h"
#include "UNoteStore.h"
#include "UNotesFile.h"
#include "UProgramPalette.h"
#include "UReportListView.h"
#include "URoundEdit.h"

#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalBlocker>

TfrmNoteAdd* frmNoteAdd = nullptr;

const QString TfrmNoteAdd::EmptyTitleText = QStringLiteral("标题不能为空！");
const QString TfrmNoteAdd::WarningCaption = QStringLiteral("警告");

namespace {
// The last time text a row held that passed the check, for an in-place edit
// that does not.
constexpr int GoodTimeRole = Qt::UserRole + 65;
} // namespace

QString TfrmNoteAdd::BadTimeText() const {
    const QString day = FDay.toString(QStringLiteral("yyyy-MM-dd"));
    return QStringLiteral("时间要写成“%1 时:分”，例如 %1 09:30（时 00～23，分 00～59）；"
                          "也可以只写“时:分”，或者不填。")
        .arg(day);
}

std::optional<QString> TfrmNoteAdd::NormalizedTime(const QString& Typed) const {
    const QString text = Typed.trimmed();
    if (text.isEmpty())
        return QString();
    const QString day = FDay.toString(QStringLiteral("yyyy-MM-dd"));
    QString clock = text;
    if (text.size() > 10) {
        if (!text.startsWith(day + QLatin1Char(' ')))
            return std::nullopt; // another day's date: it would never remind
        clock = text.mid(11);
    }
    const QStringList parts = clock.split(QLatin1Char(':'));
    if (parts.size() != 2 || parts[0].isEmpty() || parts[0].size() > 2 || parts[1].size() != 2)
        return std::nullopt;
    bool hourOk = false, minuteOk = false;
    const int hour = parts[0].toInt(&hourOk);
    const int minute = parts[1].toInt(&minuteOk);
    for (const QString& part : parts)
        for (QChar c : part)
            if (c < u'0' || c > u'9')
                return std::nullopt;
    if (!hourOk || !minuteOk || hour > 23 || minute > 59)
        return std::nullopt;
    return day + QString::asprintf(" %02d:%02d", hour, minute);
}

QString TfrmNoteAdd::TooLongText() {
    return QStringLiteral("标题或内容太长：一条便签最多 %1 个字。").arg(NoteTextLimit());
}

namespace {

const QString FlagYes = QStringLiteral("是");
const QString FlagNo = QStringLiteral("否");

QLabel* makeLabel(QWidget* Parent, const char* Name, const QString& Caption, const QRect& Place) {
    auto* Label = new QLabel(Caption, Parent);
    Label->setObjectName(QLatin1String(Name));
    Label->setGeometry(Place);
    Label->setAttribute(Qt::WA_TranslucentBackground);
    Label->setAutoFillBackground(false);
    return Label;
}

} // namespace

TfrmNoteAdd::TfrmNoteAdd(const QString& NotesPath, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FNotesPath(NotesPath) {
    setObjectName(QStringLiteral("frmNoteAdd"));
    setWindowTitle(QStringLiteral("便签维护"));
    // Its texts stand on its own pictures and panels: its own colours, not
    // the desktop theme's.
    UseProgramPalette(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(552, 269);
    NoteDialogs::SetDialogFont(this);

    Background = new TMirrorPanel(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->setGeometry(0, 0, 552, 269);
    NoteDialogs::StyleBackground(Background);

    Label1 = makeLabel(Background, "Label1", QStringLiteral("标题"), QRect(16, 24, 33, 13));
    Label2 = makeLabel(Background, "Label2", QStringLiteral("时间"), QRect(16, 56, 33, 13));
    Label3 = makeLabel(Background, "Label3", QStringLiteral("内容"), QRect(16, 88, 33, 13));

    ceTitle = new TRoundEdit(Background);
    ceTitle->setObjectName(QStringLiteral("ceTitle"));
    ceTitle->setGeometry(59, 16, 202, 24);

    ccTime = new TRoundCombo(Background);
    ccTime->setObjectName(QStringLiteral("ccTime"));
    ccTime->setGeometry(59, 52, 146, 24);

    aockHint = new TCheckBox(QStringLiteral("提醒"), Background);
    aockHint->setObjectName(QStringLiteral("aockHint"));
    aockHint->setGeometry(214, 54, 49, 20);
    aockHint->setChecked(false);

    cmContent = new TRoundMemo(Background);
    cmContent->setObjectName(QStringLiteral("cmContent"));
    cmContent->setGeometry(59, 88, 202, 121);

    Image1 = new QLabel(Background);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(261, 96, 14, 16);
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    Image1->setPixmap(QPixmap(QStringLiteral(":/notes/arrow.png")));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("放入右边的列表"));
    Image1->installEventFilter(this);

    Bevel2 = NoteDialogs::MakeBevel(Background, "Bevel2", true);
    Bevel2->setGeometry(275, 12, 2, 201);

    alvNotes = new TReportListView(Background);
    alvNotes->setObjectName(QStringLiteral("alvNotes"));
    alvNotes->setGeometry(280, 16, 261, 193);
    NoteDialogs::StyleNoteList(alvNotes);
    alvNotes->SetSubItemEditing(true);
    alvNotes->AddColumn(QStringLiteral("标题"), 80);
    alvNotes->AddColumn(QStringLiteral("时间"), 96);
    alvNotes->AddColumn(QStringLiteral("提醒"), 40);
    alvNotes->AddColumn(QStringLiteral("内容"), 200);

    PopupMenu1 = new QMenu(alvNotes);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("删除"));
    N1->setObjectName(QStringLiteral("N1"));
    alvNotes->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(alvNotes, &QWidget::customContextMenuRequested, this, [this](const QPoint& Pos) {
        PopupMenu1->popup(alvNotes->viewport()->mapToGlobal(Pos));
    });

    Bevel1 = NoteDialogs::MakeBevel(Background, "Bevel1", false);
    Bevel1->setGeometry(10, 217, 532, 2);

    advOK = new TGlassButton(QStringLiteral("确   定"), Background);
    advOK->setObjectName(QStringLiteral("advOK"));
    advOK->setGeometry(371, 227, 81, 28);
    NoteDialogs::StyleButton(advOK);

    advClose = new TGlassButton(QStringLiteral("退   出"), Background);
    advClose->setObjectName(QStringLiteral("advClose"));
    advClose->setGeometry(463, 227, 81, 28);
    NoteDialogs::StyleButton(advClose);

    // Tab order: title, list, time, reminder, content, confirm, close.
    setTabOrder(ceTitle, alvNotes);
    setTabOrder(alvNotes, ccTime);
    setTabOrder(ccTime, aockHint);
    setTabOrder(aockHint, cmContent);
    setTabOrder(cmContent, advOK);
    setTabOrder(advOK, advClose);

    connect(alvNotes, &QTreeWidget::itemSelectionChanged, this, &TfrmNoteAdd::alvNotesSelectItem);
    connect(alvNotes, &QTreeWidget::itemChanged, this, &TfrmNoteAdd::alvNotesItemChanged);
    connect(N1, &QAction::triggered, this, &TfrmNoteAdd::N1Click);
    connect(advOK, &QAbstractButton::clicked, this, &TfrmNoteAdd::advOKClick);
    connect(advClose, &QAbstractButton::clicked, this, &TfrmNoteAdd::advCloseClick);
}

TfrmNoteAdd::~TfrmNoteAdd() {
    if (frmNoteAdd == this)
        frmNoteAdd = nullptr;
}

QStringList TfrmNoteAdd::HourList(const QDate& Date) {
    // Fixed digits and hyphens, whatever the locale says.
    const QString Day = QStringLiteral("%1-%2-%3")
                            .arg(Date.year(), 4, 10, QLatin1Char('0'))
                            .arg(Date.month(), 2, 10, QLatin1Char('0'))
                            .arg(Date.day(), 2, 10, QLatin1Char('0'));
    QStringList Hours;
    for (int Hour = 0; Hour < 24; ++Hour)
        Hours << Day + QStringLiteral(" %1:00").arg(Hour, 2, 10, QLatin1Char('0'));
    return Hours;
}

bool TfrmNoteAdd::LoadNotes(bool TodayOnly) {
    QString Failure;
    const bool Ok = LoadNoteRows(alvNotes, XMLDoc, FNotesPath, TodayOnly, &Failure);
    // The rows read before the failure stay; the user learns that the file
    // is damaged now, not only when a confirm is refused.
    if (!Ok)
        ShowApplicationError(Failure);
    return Ok;
}

void TfrmNoteAdd::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    // A window coming back from being minimised is not shown anew.
    if (Event->spontaneous())
        return;
    NoteDialogs::CentreOverMainForm(this);
    FormShow();
}

void TfrmNoteAdd::FormShow() {
    ceTitle->setFocus();
    FDay = Clock::Now().date();
    ccTime->clear();
    ccTime->addItems(HourList(FDay));
    // No entry is chosen at first: the box reads empty.
    ccTime->setCurrentIndex(-1);
    ccTime->setEditText(QString());
    if (!QFileInfo::exists(FNotesPath)) {
        if (const StoreResult Seeded = CreateNotesFile(XMLDoc, FNotesPath); !Seeded) {
            ShowApplicationError(Seeded.Error);
            return;
        }
    }
    (void)LoadNotes(true); // a failure is shown there
}

bool TfrmNoteAdd::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == Image1 && Event->type() == QEvent::MouseButtonRelease) {
        auto* Mouse = static_cast<QMouseEvent*>(Event);
        // A click: pressed and released over the arrow with the left button.
        if (Mouse->button() == Qt::LeftButton &&
            Image1->rect().contains(Mouse->position().toPoint()))
            Image1Click();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TfrmNoteAdd::Image1Click() {
    const QString Title = ceTitle->text();
    if (Title.isEmpty()) {
        QMessageBox::warning(this, WarningCaption, EmptyTitleText, QMessageBox::Ok);
        return;
    }
    const std::optional<QString> Normalized = NormalizedTime(ccTime->currentText());
    if (!Normalized) {
        QMessageBox::warning(this, WarningCaption, BadTimeText(), QMessageBox::Ok);
        ccTime->setFocus();
        return;
    }
    const QString Time = *Normalized;
    const QString Flag = aockHint->isChecked() ? FlagYes : FlagNo;
    // The content's lines one after the other: its line breaks are dropped.
    const QString Content = cmContent->Lines().join(QString());
    if (Title.size() > NoteTextLimit() || Content.size() > NoteTextLimit()) {
        QMessageBox::warning(this, WarningCaption, TooLongText(), QMessageBox::Ok);
        return;
    }

    QTreeWidgetItem* Row = alvNotes->FindCaption(Title);
    const QSignalBlocker Quiet(alvNotes);
    if (Row) {
        TReportListView::SetSubItem(Row, 0, Time);
        TReportListView::SetSubItem(Row, 1, Flag);
        TReportListView::SetSubItem(Row, 2, Content);
    } else {
        Row = alvNotes->AddRow();
        TReportListView::SetCaption(Row, Title);
        TReportListView::AddSubItem(Row, Time);
        TReportListView::AddSubItem(Row, Flag);
        TReportListView::AddSubItem(Row, Content);
    }
    Row->setData(1, GoodTimeRole, Time);
    alvNotes->scrollToItem(Row);
}

void TfrmNoteAdd::alvNotesItemChanged(QTreeWidgetItem* Row, int Column) {
    // The time typed into a row's cell is held to the time box's rule.
    if (Column != 1)
        return;
    const QString Typed = Row->text(1);
    const QVariant Good = Row->data(1, GoodTimeRole);
    // A time read from the file stays as it is until the user changes it.
    if (Good.isValid() && Good.toString() == Typed)
        return;
    if (!Good.isValid() && !LoadedTexts(Row).isEmpty() && LoadedTexts(Row).value(1) == Typed)
        return;
    const std::optional<QString> Normalized = NormalizedTime(Typed);
    const QSignalBlocker Quiet(alvNotes);
    if (Normalized) {
        Row->setText(1, *Normalized);
        Row->setData(1, GoodTimeRole, *Normalized);
        return;
    }
    Row->setText(1, Good.isValid() ? Good.toString() : LoadedTexts(Row).value(1));
    QMessageBox::warning(this, WarningCaption, BadTimeText(), QMessageBox::Ok);
}

void TfrmNoteAdd::alvNotesSelectItem() {
    const QTreeWidgetItem* Row = alvNotes->Selected();
    if (!Row)
        return;
    ceTitle->setText(Row->text(0));
    ccTime->setEditText(TReportListView::SubItem(Row, 0));
    const QString Flag = TReportListView::SubItem(Row, 1);
    if (Flag == FlagYes)
        aockHint->setChecked(true);
    else if (Flag == FlagNo)
        aockHint->setChecked(false);
    cmContent->setPlainText(TReportListView::SubItem(Row, 2));
}

void TfrmNoteAdd::N1Click() {
    QTreeWidgetItem* Row = alvNotes->Selected();
    if (!Row)
        return;
    const QStringList Loaded = LoadedTexts(Row);
    if (!Loaded.isEmpty()) {
        const StoreResult Deleted = DeleteNote(FNotesPath, FDay, Loaded);
        if (!Deleted) {
            // The note is still in the file, so its row stays.
            ShowApplicationError(Deleted.Error);
            return;
        }
        if (!Deleted.Notices.isEmpty()) {
            // Changed elsewhere meanwhile: that version stays, and so does the row.
            ShowApplicationNotice(Deleted.Notices.join(QLatin1Char('\n')));
            return;
        }
    }
    // A row that was never confirmed has nothing in the file.
    delete Row;
    emit noteDeleted();
}

void TfrmNoteAdd::advOKClick() {
    // A cell still being edited in place counts with what was typed.
    alvNotes->FinishEditing();
    // Only what the user changed goes into the file as it is now; the rows of
    // the day the dialog was opened on go into that day's node. (The file may
    // have gone meanwhile: the save then writes the seed and every row.)
    const StoreResult Saved = SaveNotes(FNotesPath, FDay, NoteRowsOf(alvNotes));
    if (!Saved) {
        // The dialog stays open with its rows; nothing else happens.
        ShowApplicationError(Saved.Error);
        return;
    }
    if (!Saved.Notices.isEmpty())
        ShowApplicationNotice(Saved.Notices.join(QLatin1Char('\n')));
    accept();
    emit notesStored();
}

void TfrmNoteAdd::advCloseClick() {
    close();
}

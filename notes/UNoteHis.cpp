#include "UNoteHis.h"

#include "UApplication.h"
#include "UCheckBox.h"
#include "UComm.h"
#include "UGlassButton.h"
#include "UMirrorPanel.h"
#include "UNoteDialogs.h"
#include "UNoteRows.h"
#include "UProgramPalette.h"
#include "UReportListView.h"

#include <QFileInfo>
#include <QFrame>
#include <QShowEvent>

TfrmNoteHis* frmNoteHis = nullptr;

TfrmNoteHis::TfrmNoteHis(const QString& NotesPath, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FNotesPath(NotesPath) {
    setObjectName(QStringLiteral("frmNoteHis"));
    setWindowTitle(QStringLiteral("便签历史记录"));
    // Its texts stand on its own pictures and panels: its own colours, not
    // the desktop theme's.
    UseProgramPalette(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(512, 377);
    NoteDialogs::SetDialogFont(this);

    Background = new TMirrorPanel(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->setGeometry(0, 0, 512, 377);
    NoteDialogs::StyleBackground(Background);

    alvNotes = new TReportListView(Background);
    alvNotes->setObjectName(QStringLiteral("alvNotes"));
    alvNotes->setGeometry(8, 16, 497, 308);
    NoteDialogs::StyleNoteList(alvNotes);
    alvNotes->AddColumn(QStringLiteral("标题"), 120);
    alvNotes->AddColumn(QStringLiteral("时间"), 96);
    alvNotes->AddColumn(QStringLiteral("提醒"), 40);
    alvNotes->AddColumn(QStringLiteral("内容"), 236);

    Bevel1 = NoteDialogs::MakeBevel(Background, "Bevel1", false);
    Bevel1->setGeometry(8, 330, 497, 2);

    advCheckToday = new TCheckBox(QStringLiteral("只显示今天的便签"), Background);
    advCheckToday->setObjectName(QStringLiteral("advCheckToday"));
    advCheckToday->setGeometry(8, 344, 121, 20);
    advCheckToday->setChecked(false);
    // It sits on the dark lower half of the background.
    advCheckToday->SetTextColor(Qt::white);

    advClose = new TGlassButton(QStringLiteral("退   出"), Background);
    advClose->setObjectName(QStringLiteral("advClose"));
    advClose->setGeometry(423, 339, 81, 28);
    NoteDialogs::StyleButton(advClose);

    // Tab order: list, close, check box.
    setTabOrder(alvNotes, advClose);
    setTabOrder(advClose, advCheckToday);

    connect(advCheckToday, &QAbstractButton::clicked, this, &TfrmNoteHis::advCheckTodayClick);
    connect(advClose, &QAbstractButton::clicked, this, &TfrmNoteHis::advCloseClick);

    FormCreate();
}

TfrmNoteHis::~TfrmNoteHis() {
    if (frmNoteHis == this)
        frmNoteHis = nullptr;
}

bool TfrmNoteHis::LoadNotes(bool TodayOnly) {
    QString Failure;
    const bool Ok = LoadNoteRows(alvNotes, XMLDoc, FNotesPath, TodayOnly, &Failure);
    // The rows read before the failure stay, and the user is told why the
    // list may be incomplete.
    if (!Ok)
        ShowApplicationError(Failure);
    return Ok;
}

void TfrmNoteHis::FormCreate() {
    if (!QFileInfo::exists(FNotesPath)) {
        if (const StoreResult Seeded = CreateNotesFile(XMLDoc, FNotesPath); !Seeded) {
            // The dialog opens all the same, with an empty list.
            ShowApplicationError(Seeded.Error);
            return;
        }
    }
    (void)LoadNotes(false); // a failure is shown there
}

void TfrmNoteHis::advCheckTodayClick() {
    (void)LoadNotes(advCheckToday->isChecked());
}

void TfrmNoteHis::advCloseClick() {
    close();
}

void TfrmNoteHis::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        NoteDialogs::CentreOverMainForm(this);
}

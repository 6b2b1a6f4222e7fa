#include "UNoteset.h"

#include "UApplication.h"
#include "UForms.h"
#include "UGlassButton.h"
#include "UGradientPanel.h"
#include "UNoteList.h"
#include "UOnOffSlider.h"
#include "UProgramPalette.h"
#include "URadioGroup.h"
#include "URoundGroupBox.h"
#include "USettings.h"
#include "USettingsFile.h"
#include "UTrackBar.h"

#include <QShowEvent>
#include <exception>

TfrmNoteSet* frmNoteSet = nullptr;

namespace {

constexpr int ClientWidth = 312;
constexpr int ClientHeight = 166;

} // namespace

TfrmNoteSet::TfrmNoteSet(const QString& DataDir, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      FDataDir(DataDir) {
    setObjectName(QStringLiteral("frmNoteSet"));
    setWindowTitle(QStringLiteral("便签设置"));
    // Its texts stand on its own pictures and panels: its own colours, not
    // the desktop theme's.
    UseProgramPalette(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(ClientWidth, ClientHeight);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);

    pnlBack = new TGradientPanel(this);
    pnlBack->setObjectName(QStringLiteral("pnlBack"));
    pnlBack->setGeometry(0, 0, ClientWidth, ClientHeight);
    pnlBack->SetColors(QColor(255, 255, 255), QColor(196, 222, 168));
    pnlBack->SetFrameColors(QColor(120, 160, 96), QColor(255, 255, 255));

    aorgPos = new TRadioGroup(QStringLiteral("显示位置设置"),
                              {QStringLiteral("左上"), QStringLiteral("左下"),
                               QStringLiteral("右上"), QStringLiteral("右下")},
                              2, pnlBack);
    aorgPos->setObjectName(QStringLiteral("aorgPos"));
    aorgPos->setGeometry(8, 8, 209, 81);

    agbAlarm = new TRoundGroupBox(QStringLiteral("闹钟提醒及透明度设置"), pnlBack);
    agbAlarm->setObjectName(QStringLiteral("agbAlarm"));
    agbAlarm->setGeometry(8, 96, 209, 65);

    assAlarm = new TOnOffSlider(agbAlarm);
    assAlarm->setObjectName(QStringLiteral("assAlarm"));
    assAlarm->setGeometry(8, 24, 81, 30);
    assAlarm->SetOn(true);

    atbBlend = new TTrackBar(agbAlarm);
    atbBlend->setObjectName(QStringLiteral("atbBlend"));
    atbBlend->setGeometry(99, 24, 105, 26);
    atbBlend->setRange(1, 10);
    atbBlend->SetPosition(1);

    abtnSave = new TGlassButton(QStringLiteral("保   存"), pnlBack);
    abtnSave->setObjectName(QStringLiteral("abtnSave"));
    abtnSave->setGeometry(223, 104, 81, 28);
    abtnExit = new TGlassButton(QStringLiteral("退   出"), pnlBack);
    abtnExit->setObjectName(QStringLiteral("abtnExit"));
    abtnExit->setGeometry(223, 133, 81, 28);
    for (TGlassButton* b : {abtnSave, abtnExit}) {
        b->SetBackColor(QColor(150, 190, 120));
        b->SetGlowColor(QColor(190, 226, 160));
    }
    for (QWidget* w : {static_cast<QWidget*>(aorgPos), static_cast<QWidget*>(agbAlarm),
                       static_cast<QWidget*>(abtnSave), static_cast<QWidget*>(abtnExit)})
        pnlBack->KeepChildMouse(w);

    connect(aorgPos, &TRadioGroup::Clicked, this, &TfrmNoteSet::aorgPosClick);
    connect(atbBlend, &TTrackBar::PositionChanged, this, &TfrmNoteSet::atbBlendChange);
    connect(abtnSave, &QAbstractButton::clicked, this, &TfrmNoteSet::abtnSaveClick);
    connect(abtnExit, &QAbstractButton::clicked, this, &TfrmNoteSet::abtnExitClick);

    // Centred over the main window.
    if (QWidget* main = MainForm()) {
        const QRect frame = main->frameGeometry();
        move(frame.center() - QPoint(ClientWidth / 2, ClientHeight / 2));
    }
}

TfrmNoteSet::~TfrmNoteSet() {
    if (frmNoteSet == this)
        frmNoteSet = nullptr;
}

QString TfrmNoteSet::ConfigFile() const {
    return FDataDir + QStringLiteral("/Config.ini");
}

void TfrmNoteSet::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (!Event->spontaneous())
        LoadSettings();
}

void TfrmNoteSet::LoadSettings() {
    LoadNoteSettingsFile(ConfigFile());
    aorgPos->SetItemIndex(Position);
    if (Alarm == 0)
        assAlarm->SetOn(false);
    else if (Alarm == 1)
        assAlarm->SetOn(true);
    atbBlend->SetPosition(blend);
}

StoreResult TfrmNoteSet::SaveSettings() {
    return SaveNoteSettingsFile(FDataDir, ConfigFile(), aorgPos->ItemIndex(), assAlarm->IsOn(),
                                atbBlend->Position());
}

void TfrmNoteSet::aorgPosClick() {
    if (frmNoteList)
        frmNoteList->PlaceNoteWindow(aorgPos->ItemIndex());
}

void TfrmNoteSet::atbBlendChange() {
    SetAlphaOfWindowNamed(TfrmNoteList::Caption, NoteAlpha(atbBlend->Position()));
}

void TfrmNoteSet::abtnSaveClick() {
    // A failed write is shown, and the dialog stays open with the user's
    // choices; the file and the running settings stay as they were.
    if (const StoreResult saved = SaveSettings(); !saved) {
        ShowApplicationError(saved.Error);
        return;
    }
    if (frmNoteList)
        frmNoteList->PlaceNoteWindow(Position);
    accept();
}

void TfrmNoteSet::abtnExitClick() {
    reject();
}

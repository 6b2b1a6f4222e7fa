// The note settings dialog "便签设置": the screen corner of the note window,
// the reminder switch and the note window's opacity. Corner and opacity act
// on the note window at once as a preview; all three are stored only when
// the user saves.
#pragma once

#include "UPaths.h"
#include "UStoreResult.h"

#include <QDialog>

class TGlassButton;
class TGradientPanel;
class TOnOffSlider;
class TRadioGroup;
class TRoundGroupBox;
class TTrackBar;

class TfrmNoteSet : public QDialog {
    Q_OBJECT
public:
    // DataDir holds the settings file Config.ini; tests pass a temporary one.
    explicit TfrmNoteSet(const QString& DataDir = Paths::DataDir(), QWidget* Parent = nullptr);
    ~TfrmNoteSet() override;

    QString ConfigFile() const;

    // Reads the settings file into the process-wide values and sets the
    // controls from them; each control that changes fires its handler.
    void LoadSettings();
    // Writes the controls' values to the settings file and then the
    // process-wide values; on a failure neither changes (see
    // SaveNoteSettingsFile).
    StoreResult SaveSettings();

    void aorgPosClick();
    void atbBlendChange();
    void abtnSaveClick();
    void abtnExitClick();

    TGradientPanel* pnlBack = nullptr;
    TRadioGroup* aorgPos = nullptr;
    TRoundGroupBox* agbAlarm = nullptr;
    TOnOffSlider* assAlarm = nullptr;
    TTrackBar* atbBlend = nullptr;
    TGlassButton* abtnSave = nullptr;
    TGlassButton* abtnExit = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    QString FDataDir;
};

// The settings dialog while it exists, else nullptr.
extern TfrmNoteSet* frmNoteSet;

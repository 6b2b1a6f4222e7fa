// The note history "便签历史记录": every day's notes, or only today's, for
// reading. It writes nothing but the seed document when there is no notes
// file at all.
#pragma once

#include "UXmlDoc.h"

#include <QDialog>

class QFrame;
class TCheckBox;
class TGlassButton;
class TMirrorPanel;
class TReportListView;

class TfrmNoteHis : public QDialog {
    Q_OBJECT
public:
    // Creating the dialog is FormCreate: the seed document when NotesPath
    // does not exist, then every day's notes in the list. The dialog destroys
    // itself when it closes, by any means, and then empties frmNoteHis; it
    // centres itself over the main window when shown.
    explicit TfrmNoteHis(const QString& NotesPath, QWidget* Parent = nullptr);
    ~TfrmNoteHis() override;

    // The list shows the notes of the scope (today's, or every day's but the
    // seed day's), one row each, in file order.
    bool LoadNotes(bool TodayOnly);

    // Event handlers.
    void FormCreate();
    void advCheckTodayClick();
    void advCloseClick();

    QString NotesPath() const { return FNotesPath; }

    TMirrorPanel* Background = nullptr;
    TReportListView* alvNotes = nullptr;
    QFrame* Bevel1 = nullptr;
    TCheckBox* advCheckToday = nullptr;
    TGlassButton* advClose = nullptr;
    XmlDocument XMLDoc;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    QString FNotesPath;
};

// The one history dialog, or nullptr while none exists.
extern TfrmNoteHis* frmNoteHis;

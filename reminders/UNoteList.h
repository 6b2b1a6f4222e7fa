// The note window: a small frameless sticky note, always on top and
// translucent, that shows today's notes at a corner of the screen. It reads
// the notes file through its own document and never writes it (except for
// the seed document when there is no file at all).
#pragma once

#include "UNoteAlarms.h"
#include "UXmlDoc.h"

#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>

class QLabel;

class TfrmNoteList : public QWidget {
    Q_OBJECT
public:
    // The window's caption, by which the settings dialog finds it.
    static const QString Caption; // 便签列表
    // The text when today has no notes.
    static const QString NoNotesMessage;
    // The line between two notes: 71 hyphen-minus characters.
    static const QString Separator;
    // Before the title of a note whose reminder is due now, and of one whose
    // minute passed before it could remind.
    static const QString DueMark;  // 【提醒】
    static const QString LateMark; // 【已过时】

    static constexpr int WindowWidth = 246;
    static constexpr int WindowHeight = 271;

    // Creating the window is FormCreate: the alpha from the process-wide
    // blend, the seed document when NotesPath does not exist, RefreshNotes,
    // and the placement at the process-wide corner.
    explicit TfrmNoteList(const QString& NotesPath);
    ~TfrmNoteList() override;

    // Rebuilds the label from today's notes in Path. The notes of Due come
    // first, marked, so that the one that reminds is in sight. True when the
    // walk ran to its end; after a failure the entries read so far stay, and
    // a line says what is wrong with the file.
    bool RefreshNotes(const QString& Path, const QList<TDueAlarm>& Due = {});
    // Moves the window to a corner of the primary screen (0 top-left,
    // 1 bottom-left, 2 top-right, 3 bottom-right); any other code leaves it.
    void PlaceNoteWindow(int32_t Corner);

    // The composed note text exactly as the label carries it (entries and
    // separators joined by carriage returns).
    QString NoteText() const { return FText; }
    // The window-wide alpha, 0..255.
    int Alpha() const;

    QLabel* lblNotes = nullptr;
    XmlDocument XMLDoc;

signals:
    // A mouse button went down on the note: the user has seen it (a
    // reminder's shake stops).
    void Pressed();

protected:
    void showEvent(QShowEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void setText(const QString& Text);

    QString FText;
    QPixmap FPicture;
    bool FShaped = false;
    bool FDragging = false;
    QPoint FDragOffset;
};

// The note window while it exists, else nullptr.
extern TfrmNoteList* frmNoteList;

// The alpha of an opacity step: trunc(Step * 25.5), the step first brought
// into 1..10 (a hand-edited settings file may hold anything).
int NoteAlpha(int32_t Step);

// Gives every top-level window captioned Caption the alpha Alpha; returns
// whether one was found. The settings dialog's preview goes through this.
bool SetAlphaOfWindowNamed(const QString& Caption, int Alpha);

// What every caller that shows the note window does: creates it when there
// is none, then shows it and brings it to the front.
TfrmNoteList* ShowNoteWindow(const QString& NotesPath);

// The note editor "便签维护": today's notes in a list on the right, editors
// for one note on the left; the arrow puts the editors' values into the list,
// the confirm button writes the rows into today's day node.
#pragma once

#include "UXmlDoc.h"

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <optional>

class QFrame;
class QLabel;
class QMenu;
class QAction;
class QTreeWidgetItem;
class TCheckBox;
class TGlassButton;
class TMirrorPanel;
class TReportListView;
class TRoundCombo;
class TRoundEdit;
class TRoundMemo;

class TfrmNoteAdd : public QDialog {
    Q_OBJECT
public:
    // The warning shown for an empty title, and its caption.
    static const QString EmptyTitleText; // 标题不能为空！
    static const QString WarningCaption; // 警告
    // The warning for a title or content longer than the file reads back.
    static QString TooLongText();
    // The warning for a time that is not a time of the day being edited; it
    // shows the form the box expects, with that day's date.
    QString BadTimeText() const;
    // The time text a row gets for what was typed into the time box: the
    // text itself when it is empty or "yyyy-mm-dd hh:mm" of the dialog's day,
    // the day's date before a bare "hh:mm" (or "h:mm"); nothing for anything
    // else, which would never remind.
    std::optional<QString> NormalizedTime(const QString& Typed) const;

    // NotesPath is the notes file (Paths::NotesFile() in the program). The
    // dialog destroys itself when it closes, by any means, and then empties
    // frmNoteAdd; it centres itself over the main window when shown.
    explicit TfrmNoteAdd(const QString& NotesPath, QWidget* Parent = nullptr);
    ~TfrmNoteAdd() override;

    // LoadNotes: the list shows the notes of the scope, one row each.
    bool LoadNotes(bool TodayOnly);

    // The 24 entries of the time box for Date: "yyyy-mm-dd hh:00", hours 0..23.
    static QStringList HourList(const QDate& Date);

    // Event handlers (public so the program's menu and tests can reach them).
    // FormShow runs each time the dialog is shown.
    void FormShow();
    void Image1Click();
    void alvNotesSelectItem();
    void N1Click();
    void advOKClick();
    void advCloseClick();

    QString NotesPath() const { return FNotesPath; }
    // The day whose notes the dialog edits: the date when it was shown.
    QDate Day() const { return FDay; }

    TMirrorPanel* Background = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    TRoundEdit* ceTitle = nullptr;
    TRoundCombo* ccTime = nullptr;
    TCheckBox* aockHint = nullptr;
    TRoundMemo* cmContent = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* Bevel2 = nullptr;
    TReportListView* alvNotes = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
    QFrame* Bevel1 = nullptr;
    TGlassButton* advOK = nullptr;
    TGlassButton* advClose = nullptr;
    XmlDocument XMLDoc;

signals:
    // The rows were written to the notes file (the confirm button): the note
    // window is to be shown and refreshed, the menu's note item to read
    // "隐藏便签".
    void notesStored();
    // The selected row was deleted, and its note with it from the file: an
    // existing note window is to be refreshed; none is to be created.
    void noteDeleted();

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void alvNotesItemChanged(QTreeWidgetItem* Row, int Column);

    QString FNotesPath;
    QDate FDay;
};

// The one note editor, or nullptr while none exists.
extern TfrmNoteAdd* frmNoteAdd;

// What the note editor and the note history dialog share: their font, the
// look of their backgrounds, lists and glass buttons, their place on the
// screen, and the way their handlers report a failure.
#pragma once

class QFrame;
class QWidget;
class TGlassButton;
class TMirrorPanel;
class TReportListView;

namespace NoteDialogs {

// "MS Sans Serif", 11 pixels high, for the dialog and its controls.
void SetDialogFont(QWidget* Dialog);
// The four-colour background, from light grey-blue at the top to dark navy.
void StyleBackground(TMirrorPanel* Panel);
// The note list's ground colour.
void StyleNoteList(TReportListView* List);
// Grey glass, white caption in "Tahoma" 11 pixels drawn without smoothing.
void StyleButton(TGlassButton* Button);
// A sunken one-pixel-pair line: horizontal when Vertical is false.
QFrame* MakeBevel(QWidget* Parent, const char* Name, bool Vertical);
// Centres Dialog over the main window (over the primary screen while there
// is none) and keeps it above the main window.
void CentreOverMainForm(QWidget* Dialog);

} // namespace NoteDialogs

// The program's own colours. Its windows draw their texts on pictures and
// gradients of their own (month pictures, the note, light panels), so those
// texts must not take the desktop's colours: under a dark desktop theme they
// would turn white on the program's light grounds. The program's windows use
// this light palette, whatever the desktop's; what it opens from them
// (message boxes, file dialogs) keeps one palette throughout and so stays
// readable too.
#pragma once

class QPalette;
class QWidget;

// Dark text on light grounds, in every colour group.
QPalette ProgramPalette();

// Gives Window and everything in it the program's palette.
void UseProgramPalette(QWidget* Window);

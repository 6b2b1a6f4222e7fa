// The application's main form, reachable from modules below the main window
// (the weather panel docks to it) without including the main window's unit.
#pragma once

class QWidget;

// The main window while it exists, else nullptr.
QWidget* MainForm();
// Set by the main window when it is created; cleared (nullptr) when it is destroyed.
void SetMainForm(QWidget* Form);

// The three note-window and reminder settings of the running program. They
// are read from the settings file at start-up and by the note settings
// dialog, and written by that dialog; everything else only reads them.
#pragma once

#include <cstdint>

extern int32_t
    Position;         // note window corner: 0 top-left, 1 bottom-left, 2 top-right, 3 bottom-right
extern int32_t Alarm; // reminders: 0 off, anything else on
extern int32_t blend; // note window opacity step 1..10; alpha = trunc(blend * 25.5)

// The settings file: section "NoteSet" with the keys Position, Alarm and blend,
// read into and written from the process-wide values of USettings.h. Every
// operation takes the paths it works on, so tests use temporary folders.
#pragma once

#include <QString>
#include <cstdint>

// The section and keys of the settings file, with their defaults.
inline constexpr const char* NoteSetSection = "NoteSet";
inline constexpr int32_t DefaultPosition = 0;
inline constexpr int32_t DefaultAlarm = 0;
inline constexpr int32_t DefaultBlend = 10;

// Start-up read: creates DataDir (one level) when it is missing, then reads
// Position, Alarm and blend, in that order, with their defaults, into the
// process-wide values. A missing file reads as the defaults and is not created.
void ReadNoteSettingsFile(const QString& DataDir, const QString& ConfigFile);

// The settings dialog's load: the same three reads into the process-wide
// values, without looking at the data directory.
void LoadNoteSettingsFile(const QString& ConfigFile);

// The settings dialog's save: creates DataDir when it is missing, then sets
// Position and writes it, writes Alarm (1 when AlarmOn, else 0) and then sets
// it, sets blend and writes it. A failed write throws std::runtime_error
// "Unable to write to <file>" at that key; keys and values already handled
// stay as they are.
void SaveNoteSettingsFile(const QString& DataDir, const QString& ConfigFile, int32_t NewPosition,
                          bool AlarmOn, int32_t NewBlend);

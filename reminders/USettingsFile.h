// The settings file: section "NoteSet" with the keys Position, Alarm and blend,
// read into and written from the process-wide values of USettings.h. Every
// operation takes the paths it works on, so tests use temporary folders.
#pragma once

#include "UStoreResult.h"

#include <QString>
#include <cstdint>

// The section and keys of the settings file, with their defaults.
inline constexpr const char* NoteSetSection = "NoteSet";
inline constexpr int32_t DefaultPosition = 0;
inline constexpr int32_t DefaultAlarm = 0;
inline constexpr int32_t DefaultBlend = 10;

// Start-up read: creates DataDir (with its parents, mode 0700) when it is
// missing, then reads Position, Alarm and blend, in that order, with their
// defaults, into the process-wide values. A missing file reads as the
// defaults and is not created. A folder that cannot be made is not reported
// here: the first save says why.
void ReadNoteSettingsFile(const QString& DataDir, const QString& ConfigFile);

// The settings dialog's load: the same three reads into the process-wide
// values, without looking at the data directory.
void LoadNoteSettingsFile(const QString& ConfigFile);

// The settings dialog's save: creates DataDir when it is missing, then writes
// Position, Alarm (1 when AlarmOn, else 0) and blend, in this order, in one
// locked read-modify-write of the file (every other line stays as it was),
// and only then sets the process-wide values. On a failure the file is byte
// for byte as it was, the values are unchanged, and the result says why
// (无法写入文件 … ：磁盘空间不足, …).
StoreResult SaveNoteSettingsFile(const QString& DataDir, const QString& ConfigFile,
                                 int32_t NewPosition, bool AlarmOn, int32_t NewBlend);

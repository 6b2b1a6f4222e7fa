#include "USettingsFile.h"

#include "UFileIO.h"
#include "UIniFile.h"
#include "USettings.h"

namespace {

void readAll(const TIniFile& Ini) {
    const QString section = QString::fromLatin1(NoteSetSection);
    Position = Ini.ReadInteger(section, QStringLiteral("Position"), DefaultPosition);
    Alarm = Ini.ReadInteger(section, QStringLiteral("Alarm"), DefaultAlarm);
    blend = Ini.ReadInteger(section, QStringLiteral("blend"), DefaultBlend);
}

} // namespace

void ReadNoteSettingsFile(const QString& DataDir, const QString& ConfigFile) {
    try {
        FileIO::MakePrivateDir(DataDir);
    } catch (const FileError&) {
        // Reading needs no folder; the first save reports why it is missing.
    }
    readAll(TIniFile(ConfigFile));
}

void LoadNoteSettingsFile(const QString& ConfigFile) {
    readAll(TIniFile(ConfigFile));
}

StoreResult SaveNoteSettingsFile(const QString& DataDir, const QString& ConfigFile,
                                 int32_t NewPosition, bool AlarmOn, int32_t NewBlend) {
    const int32_t alarm = AlarmOn ? 1 : 0;
    try {
        FileIO::MakePrivateDir(DataDir);
        TIniFile(ConfigFile)
            .WriteValues(QString::fromLatin1(NoteSetSection),
                         {{QStringLiteral("Position"), QString::number(NewPosition)},
                          {QStringLiteral("Alarm"), QString::number(alarm)},
                          {QStringLiteral("blend"), QString::number(NewBlend)}});
    } catch (const FileError& e) {
        return StoreResult::Failed(e.Message());
    }
    Position = NewPosition;
    Alarm = alarm;
    blend = NewBlend;
    return {};
}

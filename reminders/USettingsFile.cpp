#include "USettingsFile.h"

#include "UIniFile.h"
#include "USettings.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

namespace {

void ensureDataDir(const QString& DataDir) {
    // One level, as the program always did; a failure shows up in the writes.
    if (!QFileInfo(DataDir).isDir())
        QDir().mkdir(DataDir);
}

void readAll(const TIniFile& Ini) {
    const QString section = QString::fromLatin1(NoteSetSection);
    Position = Ini.ReadInteger(section, QStringLiteral("Position"), DefaultPosition);
    Alarm = Ini.ReadInteger(section, QStringLiteral("Alarm"), DefaultAlarm);
    blend = Ini.ReadInteger(section, QStringLiteral("blend"), DefaultBlend);
}

void writeOrThrow(TIniFile& Ini, const char* Key, int32_t Value) {
    if (!Ini.WriteInteger(QString::fromLatin1(NoteSetSection), QString::fromLatin1(Key), Value))
        throw std::runtime_error(QStringLiteral("Unable to write to %1")
                                     .arg(QDir::toNativeSeparators(Ini.FileName()))
                                     .toStdString());
}

} // namespace

void ReadNoteSettingsFile(const QString& DataDir, const QString& ConfigFile) {
    ensureDataDir(DataDir);
    readAll(TIniFile(ConfigFile));
}

void LoadNoteSettingsFile(const QString& ConfigFile) {
    readAll(TIniFile(ConfigFile));
}

void SaveNoteSettingsFile(const QString& DataDir, const QString& ConfigFile, int32_t NewPosition,
                          bool AlarmOn, int32_t NewBlend) {
    ensureDataDir(DataDir);
    TIniFile ini(ConfigFile);
    Position = NewPosition;
    writeOrThrow(ini, "Position", Position);
    const int32_t alarm = AlarmOn ? 1 : 0;
    writeOrThrow(ini, "Alarm", alarm);
    Alarm = alarm;
    blend = NewBlend;
    writeOrThrow(ini, "blend", blend);
}

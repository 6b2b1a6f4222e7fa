#include "UNoteAlarms.h"

#include "UClock.h"
#include "UNotesFile.h"

#include <QFile>

bool LoadNoteAlarms(XmlDocument& Document, const QString& Path, TNoteAlarms& Alarms,
                    QString* Failure) {
    Alarms = TNoteAlarms(NoteAlarmSlots);
    int position = 0; // runs on across all of today's day nodes
    return ReadNotes(
        Document, Path, /*TodayOnly=*/true, /*SkipSeed=*/false,
        [&](const NoteRecord& Note) {
            if (Note.FlagText() == QStringLiteral("是")) {
                if (position >= Alarms.size()) {
                    Alarms.resize(position + 1);
                }
                Alarms[position].Title = Note.Title();
                Alarms[position].Time = Note.TimeText();
            }
            ++position;
        },
        nullptr, Failure);
}

namespace {
bool ReadBytes(const QString& Path, QByteArray& Bytes) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    Bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}
} // namespace

bool TNoteAlarmReader::Load(XmlDocument& Document, const QString& Path, TNoteAlarms& Alarms) {
    QByteArray bytes;
    ++FReadCount;
    const bool readable = ReadBytes(Path, bytes);
    const QString dayNode = TodayNodeName();
    if (readable && FValid && Path == FPath && dayNode == FDayNode && bytes == FBytes) {
        Alarms = FAlarms;
        return FResult;
    }
    ++FWalkCount;
    FFailure.clear();
    FResult = LoadNoteAlarms(Document, Path, Alarms, &FFailure);
    // Remember the walk only for the bytes it saw: the file is read again and
    // must not have changed during the walk. An unreadable file is walked
    // again next time.
    QByteArray after;
    FValid = readable && ReadBytes(Path, after) && after == bytes;
    FPath = Path;
    FDayNode = dayNode;
    FBytes = std::move(bytes);
    FAlarms = Alarms;
    return FResult;
}

QString CurrentMinuteText() {
    // Fixed format, not the locale's: the note times are always written this way.
    const QDateTime now = Clock::Now();
    const QDate date = now.date();
    const QTime time = now.time();
    return QString::asprintf("%04d-%02d-%02d %02d:%02d", date.year(), date.month(), date.day(),
                             time.hour(), time.minute());
}

int FindDueAlarm(const TNoteAlarms& Alarms, const QString& Now) {
    for (int slot = 0; slot < Alarms.size(); ++slot) {
        if (!Alarms[slot].Title.isEmpty() && Alarms[slot].Time == Now) {
            return slot;
        }
    }
    return -1;
}

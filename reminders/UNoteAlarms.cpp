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
                // A group that a hand edit left without its content still
                // reminds, as it did, with no content to tell.
                Alarms[position].Content = Note.Texts.value(3);
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

QDateTime ParseNoteTime(const QString& Time) {
    // Fixed digits and separators, as the editor writes them.
    if (Time.size() != 16 || Time.at(4) != u'-' || Time.at(7) != u'-' || Time.at(10) != u' ' ||
        Time.at(13) != u':')
        return {};
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15}) {
        if (!Time.at(i).isDigit() || Time.at(i).unicode() > u'9')
            return {};
    }
    const QDate date(Time.left(4).toInt(), Time.mid(5, 2).toInt(), Time.mid(8, 2).toInt());
    const QTime time(Time.mid(11, 2).toInt(), Time.mid(14, 2).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QList<TDueAlarm> DueAlarms(const TNoteAlarms& Alarms, const QDateTime& Since,
                           const QDateTime& Now) {
    auto minuteOf = [](const QDateTime& T) {
        return QDateTime(T.date(), QTime(T.time().hour(), T.time().minute()));
    };
    const QDateTime nowMinute = minuteOf(Now);
    // Only the minutes of today count as missed; a reminder of an earlier
    // day is not brought back.
    QDateTime from = Since.isValid() ? minuteOf(Since) : nowMinute;
    if (from.date() != Now.date())
        from = QDateTime(Now.date(), QTime(0, 0));
    QList<TDueAlarm> due;
    for (const TNoteAlarm& alarm : Alarms) {
        if (alarm.Title.isEmpty())
            continue;
        const QDateTime when = ParseNoteTime(alarm.Time);
        if (!when.isValid() || when.date() != Now.date())
            continue;
        if (when == nowMinute)
            due.append({alarm, false});
        else if (when >= from && when < nowMinute)
            due.append({alarm, true});
    }
    return due;
}

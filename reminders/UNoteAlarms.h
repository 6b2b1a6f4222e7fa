// Today's reminders: the alarm table that the main window's one-second timer
// rebuilds from the notes file on every tick, and the comparison with the
// current minute.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVector>

class XmlDocument;

// One reminder: the note's title, its time text "yyyy-mm-dd hh:nn" and its
// content. A slot whose Title is empty is an empty slot.
struct TNoteAlarm {
    QString Title;
    QString Time;
    QString Content;
    friend bool operator==(const TNoteAlarm&, const TNoteAlarm&) = default;
};
using TNoteAlarms = QVector<TNoteAlarm>;

// The moment a time text names: "yyyy-mm-dd hh:nn" with fixed digits, a real
// date and a time of day; an invalid QDateTime for anything else (such a note
// never reminds).
QDateTime ParseNoteTime(const QString& Time);

// A reminder that has come due, and whether its minute had already passed
// when it was found (the machine slept, or the program was busy).
struct TDueAlarm {
    TNoteAlarm Alarm;
    bool Late = false;
    friend bool operator==(const TDueAlarm&, const TDueAlarm&) = default;
};

// The reminders of the table that are due at Now: every one whose minute is
// Now's minute, and, marked late, every one of Now's date whose minute lies
// from Since's minute up to (not including) Now's -- the minutes that passed
// since the last look. Since is normally the previous tick.
QList<TDueAlarm> DueAlarms(const TNoteAlarms& Alarms, const QDateTime& Since, const QDateTime& Now);

// The table has a slot for each of today's first ten notes, and grows for a
// flagged note further down the day.
inline constexpr int NoteAlarmSlots = 10;

// Rebuilds Alarms from today's notes in Path, read through Document: slot i
// belongs to today's note at position i (every note counts, flagged or not)
// and is filled when that note's flag text is exactly "是". Returns the walk's
// result (Failure, when given, receives why it stopped); slots filled before
// a failure stay filled.
[[nodiscard]] bool LoadNoteAlarms(XmlDocument& Document, const QString& Path, TNoteAlarms& Alarms,
                                  QString* Failure = nullptr);

// LoadNoteAlarms for a timer that asks every second. The file's bytes are read
// on every call and compared with those of the last walk; only when they (or
// today's date) differ is the file walked again. The answer is therefore
// always the one a fresh walk would give, also for a change that keeps the
// file's size and time stamps, while an unchanged file costs one read.
class TNoteAlarmReader {
public:
    [[nodiscard]] bool Load(XmlDocument& Document, const QString& Path, TNoteAlarms& Alarms);
    // Why the last walk stopped, or empty after one that ran to its end.
    const QString& Failure() const { return FFailure; }
    // How many times the file has really been walked (for benchmarks and tests).
    int WalkCount() const { return FWalkCount; }
    // How many times the file's bytes have been read.
    int ReadCount() const { return FReadCount; }

private:
    bool FValid = false;
    QString FPath;
    QString FDayNode;
    QByteArray FBytes;
    TNoteAlarms FAlarms;
    bool FResult = false;
    QString FFailure;
    int FWalkCount = 0;
    int FReadCount = 0;
};

// The current local minute as "yyyy-mm-dd hh:nn" (Clock::Now(), fixed digits).
QString CurrentMinuteText();

// The first non-empty slot whose time text equals Now exactly, or -1.
int FindDueAlarm(const TNoteAlarms& Alarms, const QString& Now);

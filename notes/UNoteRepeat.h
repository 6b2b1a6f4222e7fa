// What a note carries beyond its four texts: a stable identity, a repeat,
// the day the repeat ends and how long before its time it reminds. They live
// in attributes of the note's "标题" element:
//
//     <标题 标识="…" 重复="每年" 截止="2030-12-31" 提前="10">生日</标题>
//
// The walk reads element names and texts only, so a version of the program
// that knows nothing of these attributes shows such a note exactly as any
// other (its title, time and content, on its own day), keeps them when it
// changes the note's other texts, and a file without them means what it
// always meant.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

enum class NoteRepeat {
    None,
    Daily,       // 每天
    Weekly,      // 每周: on the weekday of its first day
    Monthly,     // 每月: on the day of the month of its first day, or the month's last
                 // day where the month is shorter
    Yearly,      // 每年: on the month and day of its first day; 29 February falls on
                 // 28 February in a common year
    LunarYearly, // 农历每年: on its first day's lunar month and day (a 农历生日); a
                 // lunar 30th falls on the 29th where the month has no 30th, and a
                 // day of a leap month repeats in the ordinary month of that number
};

// The attribute's word for a repeat ("每天", …, "" for None), and back.
QString RepeatWord(NoteRepeat Repeat);
std::optional<NoteRepeat> RepeatFromWord(const QString& Word);

// The leads a reminder may have, in minutes: 0, 5, 10, 30 and a day.
inline constexpr int LeadDay = 24 * 60;

struct NoteExtras {
    QString Uid;                          // 标识: empty where the note has none yet
    NoteRepeat Repeat = NoteRepeat::None; // 重复
    QDate Until;                          // 截止: the last day the repeat may fall on
    int LeadMinutes = 0;                  // 提前: how long before its time it reminds
    friend bool operator==(const NoteExtras&, const NoteExtras&) = default;
};

// The attribute names on the 标题 element.
QString UidAttribute();    // 标识
QString RepeatAttribute(); // 重复
QString UntilAttribute();  // 截止
QString LeadAttribute();   // 提前

// A new identity for a note (a UUID without braces).
QString NewNoteUid();

// Whether a note whose first day is First, with Extras, falls on Day: on its
// first day always; with a repeat on every day the repeat gives after it, up
// to Until. Lunar repeats need the lunar tables: only 1901 to 2050.
bool NoteFallsOn(const QDate& First, const NoteExtras& Extras, const QDate& Day);

// The days from From to To (both included) that a note falls on.
QList<QDate> NoteDaysBetween(const QDate& First, const NoteExtras& Extras, const QDate& From,
                             const QDate& To);

#include "UNoteRepeat.h"

#include "UCalendar.h"

#include <QUuid>

QString RepeatWord(NoteRepeat Repeat) {
    switch (Repeat) {
    case NoteRepeat::Daily:
        return QStringLiteral("每天");
    case NoteRepeat::Weekly:
        return QStringLiteral("每周");
    case NoteRepeat::Monthly:
        return QStringLiteral("每月");
    case NoteRepeat::Yearly:
        return QStringLiteral("每年");
    case NoteRepeat::LunarYearly:
        return QStringLiteral("农历每年");
    case NoteRepeat::None:
        break;
    }
    return QString();
}

std::optional<NoteRepeat> RepeatFromWord(const QString& Word) {
    for (NoteRepeat r : {NoteRepeat::None, NoteRepeat::Daily, NoteRepeat::Weekly,
                         NoteRepeat::Monthly, NoteRepeat::Yearly, NoteRepeat::LunarYearly}) {
        if (RepeatWord(r) == Word)
            return r;
    }
    return std::nullopt;
}

QString UidAttribute() {
    return QStringLiteral("标识");
}
QString RepeatAttribute() {
    return QStringLiteral("重复");
}
QString UntilAttribute() {
    return QStringLiteral("截止");
}
QString LeadAttribute() {
    return QStringLiteral("提前");
}

QString NewNoteUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

namespace {

// The day Day of a month that has Length days: the last one where it is shorter.
int dayIn(int Day, int Length) {
    return qMin(Day, Length);
}

bool lunarFallsOn(const QDate& First, const QDate& Day) {
    if (First.year() < FirstLunarYear || First.year() > LastLunarYear ||
        Day.year() < FirstLunarYear || Day.year() > LastLunarYear)
        return false;
    const LunarDate first = GregorianToLunar(First.year(), First.month(), First.day());
    const LunarDay day = GregorianToLunarDay(Day.year(), Day.month(), Day.day());
    // Only the ordinary month of that number; a lunar 30th in a 29-day month
    // falls on the 29th. A year outside the tables has no such month.
    if (day.LeapMonth || day.Date.Month != first.Month || day.Date.Year < FirstLunarYear)
        return false;
    const int length = LunarDayOfMonthDays(day.Date.Year, day.Date.Month, false);
    return day.Date.Day == dayIn(first.Day, length);
}

} // namespace

bool NoteFallsOn(const QDate& First, const NoteExtras& Extras, const QDate& Day) {
    if (!First.isValid() || !Day.isValid() || Day < First)
        return false;
    if (Day == First)
        return true;
    if (Extras.Until.isValid() && Day > Extras.Until)
        return false;
    switch (Extras.Repeat) {
    case NoteRepeat::None:
        return false;
    case NoteRepeat::Daily:
        return true;
    case NoteRepeat::Weekly:
        return First.daysTo(Day) % 7 == 0;
    case NoteRepeat::Monthly:
        return Day.day() == dayIn(First.day(), Day.daysInMonth());
    case NoteRepeat::Yearly:
        return Day.month() == First.month() && Day.day() == dayIn(First.day(), Day.daysInMonth());
    case NoteRepeat::LunarYearly:
        return lunarFallsOn(First, Day);
    }
    return false;
}

QList<QDate> NoteDaysBetween(const QDate& First, const NoteExtras& Extras, const QDate& From,
                             const QDate& To) {
    QList<QDate> days;
    if (!First.isValid() || !From.isValid() || !To.isValid())
        return days;
    QDate d = qMax(From, First);
    QDate last = To;
    if (Extras.Repeat == NoteRepeat::None)
        last = qMin(To, First);
    else if (Extras.Until.isValid())
        last = qMin(To, qMax(Extras.Until, First));
    for (; d <= last; d = d.addDays(1)) {
        if (NoteFallsOn(First, Extras, d))
            days.append(d);
    }
    return days;
}

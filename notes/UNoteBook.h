// Every note of the notes file at once, for what needs more than one day:
// the month page's marks and tooltips, the reminders of repeating notes, the
// editor of a day that a repeating note falls on, the history. It is read
// through the one walk, so it holds exactly the notes the walk gives, each
// with the extras of its 标题 element (identity, repeat, end, lead).
#pragma once

#include "UNoteRepeat.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVector>

class XmlDocument;

struct TBookNote {
    QString DayNode; // the day node it stands in
    QDate Day;       // that day node's date (invalid for a node of another name)
    QStringList
        Texts; // as the walk gave them: title, time, flag, content (fewer for a short group)
    NoteExtras Extras;

    QString Title() const { return Texts.value(0); }
    QString Time() const { return Texts.value(1); }
    QString Flag() const { return Texts.value(2); }
    QString Content() const { return Texts.value(3); }
    bool Reminds() const { return Flag() == QStringLiteral("是"); }
    // The day its repeat starts from: its day node's date.
    QDate First() const { return Day; }
    // The time of day its time text names ("yyyy-mm-dd hh:mm", or a bare
    // "hh:mm"), or an invalid time.
    QTime TimeOfDay() const;
    bool Repeats() const { return Extras.Repeat != NoteRepeat::None; }
};

class TNoteBook {
public:
    // Reads Path through Document (which afterwards holds nothing, so that a
    // large file costs its tree only while it is read). SkipSeed passes over
    // the seed day node. True when the walk ran to its end; the notes read
    // before a failure are kept (a group that lacks a field is the last one,
    // as for every reader that takes all four), and Failure says what
    // stopped it.
    bool Load(XmlDocument& Document, const QString& Path, bool SkipSeed,
              QString* Failure = nullptr);
    // The same from a document already loaded.
    bool Read(const XmlDocument& Document, bool SkipSeed, QString* Failure = nullptr);
    void Clear();

    const QVector<TBookNote>& Notes() const { return FNotes; }
    bool IsEmpty() const { return FNotes.isEmpty(); }

    // The notes of a day: those of its own day nodes, in file order, then the
    // repeating notes of earlier days that fall on it. Indexes into Notes().
    QList<int> NotesOn(const QDate& Day) const;
    // Whether NotesOn(Day) holds any note; cheap, for the month page's marks.
    bool HasNotesOn(const QDate& Day) const;
    // The notes that repeat.
    const QList<int>& Repeating() const { return FRepeating; }

private:
    void index();

    QVector<TBookNote> FNotes;
    QHash<QDate, QList<int>> FByDay;
    QList<int> FRepeating;
};

// A book kept up to date with its file for something that asks often (the
// main window, once a second): the file's bytes are read on every call and
// the file walked again only when they changed. Version() changes with every
// new reading, so that what is made from the book can be made again.
class TNoteBookReader {
public:
    // The book of Path as it is now; an unreadable file gives the notes read
    // before the failure (and Failure() says why).
    const TNoteBook& Book(const QString& Path);
    int Version() const { return FVersion; }
    const QString& Failure() const { return FFailure; }
    bool Ok() const { return FOk; }

private:
    TNoteBook FBook;
    QString FPath;
    QByteArray FBytes;
    bool FValid = false;
    bool FOk = false;
    QString FFailure;
    int FVersion = 0;
};

// The one save path of the notes file. Every change -- the editor's confirm
// and delete, the seed document, the command line -- goes through EditDay:
//
//  1. the file's lock is taken (FileIO::TFileLock), so no other writer runs
//     between the read and the write;
//  2. the file is read as it is on disk now (a file that cannot be read is
//     never replaced);
//  3. only the caller's own edits are applied to that day's notes; every
//     other note, day node and hand-made element stays as the file has it;
//  4. the new bytes are read back by the program's own loader and walked,
//     and must give exactly the notes of the changed document;
//  5. only then do they replace the file (FileIO::WriteFileAtomically).
//
// A note in a day node is found by its elements' names, not by position: a
// "标题" element starts a note, and the first "日期", "提醒" and "内容"
// elements after it (before the next "标题") are its other fields, so a
// note's texts are written into its own elements whatever a hand edit put
// among them.
//
// Results are StoreResult: a failure leaves the file byte for byte as it was
// and says why; notices tell what the user should know (a note changed
// elsewhere was kept beside this one).
#pragma once

#include "UNoteRepeat.h"
#include "UStoreResult.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class XmlDocument;

// One note's four texts in the file's order: title, time text, reminder flag
// text ("是" or "否"), content.
struct NoteTexts {
    QString Title;
    QString Time;
    QString Flag;
    QString Content;
    friend bool operator==(const NoteTexts&, const NoteTexts&) = default;
};

// One change to the notes of a day.
struct NoteEdit {
    enum class Kind {
        // Appends After as a new note, unless the day already holds the very
        // same note.
        Add,
        // The note the writer read as Before (the texts the walk gave, up to
        // four; fewer for a note a hand edit left short) now reads After. When
        // that note is no longer in the file as read (changed or deleted
        // elsewhere meanwhile), After is kept as a new note beside whatever
        // is there, and a notice says so.
        Change,
        // Removes the note read as Before; the day node goes when it is left
        // empty. A note changed elsewhere meanwhile is kept, with a notice.
        Remove,
        // As the editor's arrow and confirm: the first note whose title equals
        // After's ignoring case gets After's time, flag and content (its
        // title stays as it was); without one, After is appended.
        SetByTitle,
        // Removes the first note whose title equals After.Title ignoring case;
        // a failure when the day holds none.
        RemoveByTitle,
        // The note whose identity is Extras->Uid, on whatever day it stands,
        // now reads After on Day (moved there when it stood on another day);
        // without such a note, a note of Day without an identity that reads
        // After already takes it; otherwise After is appended to Day. For an
        // import or a sync, which name their notes by identity.
        SetByUid,
        // Removes the note whose identity is Before[0], on whatever day; no
        // failure when there is none.
        RemoveByUid,
    };
    Kind What = Kind::Add;
    QStringList Before;
    NoteTexts After;
    // The identity, repeat, end and lead to write with After; left as the
    // note has them when not given (an Add without them writes none).
    std::optional<NoteExtras> Extras;
    // The day the edit is about; EditDay's day when not given.
    QDate Day;
};

// The longest title or content the editor takes: what the loader reads back
// as one text (XmlDocument::MaxTextBytes of UTF-8, up to three bytes for each
// character of the program's strings).
qsizetype NoteTextLimit();

// Applies Edits to the day node of Day in the notes file at Path, as above.
// Makes the data folder (with its parents) and the seed document when the
// file does not exist yet. With EnsureDayNode the day node exists afterwards
// (empty when nothing was written into it), as after the editor's confirm.
StoreResult EditDay(const QString& Path, const QDate& Day, const QList<NoteEdit>& Edits,
                    bool EnsureDayNode = false);
// The same for edits of several days (each its own Day), in one locked,
// checked replacement of the file.
StoreResult EditNotes(const QString& Path, const QList<NoteEdit>& Edits);

// The editor's confirm: one edit per row. A row read from the file carries
// the texts it was read with (Loaded); an untouched row is not written at
// all, a changed one is a Change, a new one an Add. When the file has gone
// meanwhile, the seed document and every row are written anew.
struct NoteRow {
    QStringList Loaded; // empty for a row the user added
    NoteTexts Now;
    NoteExtras LoadedExtras; // what the row was read with
    NoteExtras NowExtras;    // what it carries now (a new row: its new identity)
    // The day the row's note stands on, where it is not the editor's day (a
    // repeating note of an earlier day shown on this one).
    QDate Origin;
};
StoreResult SaveNotes(const QString& Path, const QDate& Day, const QList<NoteRow>& Rows);

// The editor's delete of a row read from the file as Loaded.
StoreResult DeleteNote(const QString& Path, const QDate& Day, const QStringList& Loaded);

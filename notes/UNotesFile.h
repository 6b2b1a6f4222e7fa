// The notes file: day node names, the one walk every reader uses
// (ReadNotes). What changes the file is in UNoteStore.
//
// The file holds a root "便签列表" with one day node per date ("Date" +
// yyyy-mm-dd); a day node holds its notes as a flat run of children, four per
// note: "标题", "日期", "提醒", "内容". Which children belong together follows
// from their positions alone.
//
// Every operation takes the file's path and the caller's own document; the
// current date comes from Clock::Now().
#pragma once

#include "UNoteRepeat.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

class XmlDocument;

QString NotesRootName();      // "便签列表"
QString SeedDayNodeName();    // "Date2000-01-01"
QString NoteFieldName(int I); // "标题", "日期", "提醒", "内容" for 0..3
// "Date" + the date as yyyy-mm-dd, fixed digits and hyphens.
QString DayNodeName(const QDate& Date);
// The date a day node's name gives, or an invalid date for another name.
QDate DayNodeDate(const QString& Name);
class XmlNode;
// The extras a 标题 element carries (see UNoteRepeat.h); attributes it
// cannot read (a repeat word it does not know, a broken date) are left out.
NoteExtras ExtrasOf(const XmlNode& Title);
// The day node name of the local date at this moment (Clock::Now()).
QString TodayNodeName();

class NotesError : public std::runtime_error {
public:
    explicit NotesError(const QString& Message);
};

// One note group as the walk hands it over: up to four texts taken by
// position (title, time text, flag text, content). Reading a field the group
// lacks throws NotesError, which ends the walk.
struct NoteRecord {
    QStringList Texts;
    QString DayNode; // the day node the group was collected in
    // What the group's 标题 element carries besides its text (its identity,
    // repeat, end and lead); all empty for a note of a file that has none.
    NoteExtras Extras;

    QString Field(int Index) const;
    QString Title() const { return Field(0); }
    QString TimeText() const { return Field(1); }
    QString FlagText() const { return Field(2); }
    QString Content() const { return Field(3); }
};

using NoteHandler = std::function<void(const NoteRecord&)>;

// Loads Path into Document and hands every note group to OnNote, in file
// order. TodayOnly walks only the day nodes named for today; SkipSeed passes
// over "Date2000-01-01". One child counter runs through the whole walk: a
// group is handed over whenever it reaches a multiple of four, so a day node
// whose children are not a multiple of four shifts the groups after it.
// Returns true when the walk ran to its end; false at the first failure (file
// missing or not well-formed, an element whose text is not one piece, a field
// a group lacks, anything OnNote throws) -- what OnNote did before stays done.
// DayNodesWalked (when given) counts the day nodes entered and finished;
// Failure (when given) receives the failure's text, for the user.
[[nodiscard]] bool ReadNotes(XmlDocument& Document, const QString& Path, bool TodayOnly,
                             bool SkipSeed, const NoteHandler& OnNote,
                             int* DayNodesWalked = nullptr, QString* Failure = nullptr);

// The same walk over a document already loaded. OnlyDayNode, when not
// empty, is the one day node name walked (as TodayOnly does for today's).
[[nodiscard]] bool WalkNotes(const XmlDocument& Document, const QString& OnlyDayNode, bool SkipSeed,
                             const NoteHandler& OnNote, int* DayNodesWalked = nullptr,
                             QString* Failure = nullptr);

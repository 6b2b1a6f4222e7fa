#include "vorncal_notes.h"

#include "UClock.h"
#include "UNoteStore.h"
#include "UNotesFile.h"
#include "UPaths.h"
#include "UXmlDoc.h"

#include <QDate>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>
#include <optional>

namespace {

const char Usage[] =
    "usage: vorncal notes [--today] [FILE]\n"
    "       vorncal notes add --title T --time HH:MM [--date YYYY-MM-DD] [--remind]\n"
    "                         [--content C] [--file FILE]\n"
    "       vorncal notes delete --title T [--date YYYY-MM-DD] [--file FILE]\n"
    "\n"
    "Without a subcommand, lists the notes of every day (or only today's) from\n"
    "FILE, or from the notes file in the data directory, one line per note:\n"
    "title, time, reminder flag and content separated by tabs.\n"
    "\n"
    "add writes a note into the day node of --date (today when not given), as\n"
    "the note editor does: a note of that day whose title equals T, ignoring\n"
    "case, gets the new time, flag and content; otherwise a new note is added.\n"
    "--remind sets its reminder; line breaks in C are dropped.\n"
    "delete removes the first note of that day whose title equals T, ignoring\n"
    "case.\n"
    "add and delete take the notes file's lock, so they are safe beside the\n"
    "running calendar and each other. Exit status: 0 when the file holds the\n"
    "change; 1 when the file could not be read or written, or holds no such\n"
    "note to delete (the file is then unchanged, and one line on stderr says\n"
    "why); 2 for bad arguments.\n";

// Backslash, tab, CR and LF inside a text would break the line format.
QString Escaped(const QString& Text) {
    QString Result;
    Result.reserve(Text.size());
    for (const QChar C : Text) {
        switch (C.unicode()) {
        case '\\':
            Result += QLatin1String("\\\\");
            break;
        case '\t':
            Result += QLatin1String("\\t");
            break;
        case '\r':
            Result += QLatin1String("\\r");
            break;
        case '\n':
            Result += QLatin1String("\\n");
            break;
        default:
            Result += C;
        }
    }
    return Result;
}

int BadArguments(QTextStream& Err, const QString& Command, const QString& Why) {
    Err << "vorncal " << Command << ": " << Why << "\n" << Usage;
    Err.flush();
    return 2;
}

// yyyy-mm-dd with fixed digits, a real date.
std::optional<QDate> ParseDate(const QString& Text) {
    static const QRegularExpression Shape(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch M = Shape.match(Text);
    if (!M.hasMatch())
        return std::nullopt;
    const QDate Date(M.captured(1).toInt(), M.captured(2).toInt(), M.captured(3).toInt());
    if (!Date.isValid())
        return std::nullopt;
    return Date;
}

// hh:mm, hours 00 to 23, minutes 00 to 59 (one-digit hours are taken too).
std::optional<QString> ParseTime(const QString& Text) {
    static const QRegularExpression Shape(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch M = Shape.match(Text);
    if (!M.hasMatch())
        return std::nullopt;
    const int Hour = M.captured(1).toInt();
    const int Minute = M.captured(2).toInt();
    if (Hour > 23 || Minute > 59)
        return std::nullopt;
    return QString::asprintf("%02d:%02d", Hour, Minute);
}

int ListNotes(const QStringList& Args, QTextStream& Out, QTextStream& Err) {
    bool TodayOnly = false;
    bool OptionsDone = false;
    QString File;
    for (const QString& Arg : Args) {
        if (!OptionsDone && Arg == QLatin1String("--today")) {
            TodayOnly = true;
        } else if (!OptionsDone && (Arg == QLatin1String("--help") || Arg == QLatin1String("-h"))) {
            Out << Usage;
            Out.flush();
            return 0;
        } else if (!OptionsDone && Arg == QLatin1String("--")) {
            OptionsDone = true;
        } else if (!OptionsDone && Arg.startsWith(QLatin1Char('-')) && Arg != QLatin1String("-")) {
            return BadArguments(Err, QStringLiteral("notes"),
                                QStringLiteral("unknown option ") + Arg);
        } else if (File.isEmpty()) {
            File = Arg;
        } else {
            return BadArguments(Err, QStringLiteral("notes"),
                                QStringLiteral("more than one FILE given"));
        }
    }
    if (File.isEmpty())
        File = Paths::NotesFile();

    XmlDocument Document;
    QString Failure;
    const bool Ok = ReadNotes(
        Document, File, TodayOnly, true,
        [&Out](const NoteRecord& Note) {
            QStringList Texts;
            for (const QString& Text : Note.Texts)
                Texts << Escaped(Text);
            Out << Texts.join(QLatin1Char('\t')) << '\n';
            // As the dialogs do: a group that lacks a field ends the walk
            // after its texts have been shown.
            for (int I = 0; I < 4; ++I)
                (void)Note.Field(I);
        },
        nullptr, &Failure);
    Out.flush();
    if (!Ok) {
        Err << "vorncal notes: " << Failure.simplified() << '\n';
        Err.flush();
        return 1;
    }
    return 0;
}

// "add" and "delete": options, then one edit through the save path.
int ChangeNote(const QString& Verb, const QStringList& Args, QTextStream& Out, QTextStream& Err) {
    const QString Command = QStringLiteral("notes ") + Verb;
    const bool Adding = Verb == QLatin1String("add");
    std::optional<QString> Title, Time, Content, Date, File;
    bool Remind = false;
    for (qsizetype I = 0; I < Args.size(); ++I) {
        const QString& Arg = Args.at(I);
        if (Arg == QLatin1String("--help") || Arg == QLatin1String("-h")) {
            Out << Usage;
            Out.flush();
            return 0;
        }
        if (Adding && Arg == QLatin1String("--remind")) {
            Remind = true;
            continue;
        }
        std::optional<QString>* Target = nullptr;
        if (Arg == QLatin1String("--title"))
            Target = &Title;
        else if (Arg == QLatin1String("--date"))
            Target = &Date;
        else if (Arg == QLatin1String("--file"))
            Target = &File;
        else if (Adding && Arg == QLatin1String("--time"))
            Target = &Time;
        else if (Adding && Arg == QLatin1String("--content"))
            Target = &Content;
        if (!Target)
            return BadArguments(Err, Command,
                                Arg.startsWith(QLatin1Char('-'))
                                    ? QStringLiteral("unknown option ") + Arg
                                    : QStringLiteral("unexpected argument ") + Arg);
        if (I + 1 >= Args.size())
            return BadArguments(Err, Command, Arg + QStringLiteral(" needs a value"));
        if (Target->has_value())
            return BadArguments(Err, Command, Arg + QStringLiteral(" given twice"));
        *Target = Args.at(++I);
    }
    if (!Title || Title->isEmpty())
        return BadArguments(Err, Command, QStringLiteral("--title T is required (标题不能为空)"));
    if (Title->size() > NoteTextLimit() || (Content && Content->size() > NoteTextLimit()))
        return BadArguments(Err, Command,
                            QStringLiteral("the title or content is longer than %1 characters")
                                .arg(NoteTextLimit()));
    QDate Day = Clock::Now().date();
    if (Date) {
        const auto Parsed = ParseDate(*Date);
        if (!Parsed)
            return BadArguments(Err, Command,
                                QStringLiteral("--date takes a date as YYYY-MM-DD, not ") + *Date);
        Day = *Parsed;
    }
    NoteEdit Edit;
    Edit.After.Title = *Title;
    if (Adding) {
        if (!Time)
            return BadArguments(Err, Command, QStringLiteral("--time HH:MM is required"));
        const auto Parsed = ParseTime(*Time);
        if (!Parsed)
            return BadArguments(
                Err, Command, QStringLiteral("--time takes a time of day as HH:MM, not ") + *Time);
        Edit.What = NoteEdit::Kind::SetByTitle;
        Edit.After.Time = Day.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + *Parsed;
        Edit.After.Flag = Remind ? QStringLiteral("是") : QStringLiteral("否");
        // As the editor does: the content's line breaks are dropped.
        Edit.After.Content =
            Content.value_or(QString()).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    } else {
        Edit.What = NoteEdit::Kind::RemoveByTitle;
    }
    const StoreResult Result = EditDay(File.value_or(Paths::NotesFile()), Day, {Edit});
    for (const QString& Notice : Result.Notices)
        Err << "vorncal " << Command << ": " << Notice << '\n';
    if (!Result) {
        Err << "vorncal " << Command << ": " << Result.Error.simplified() << '\n';
        Err.flush();
        return 1;
    }
    Err.flush();
    return 0;
}

} // namespace

const char* NotesUsage() {
    return Usage;
}

int RunNotesCommand(const QStringList& Args, QTextStream& Out, QTextStream& Err) {
    if (!Args.isEmpty() &&
        (Args.first() == QLatin1String("add") || Args.first() == QLatin1String("delete")))
        return ChangeNote(Args.first(), Args.mid(1), Out, Err);
    return ListNotes(Args, Out, Err);
}

int RunNotesCommand(const QStringList& Args) {
    QTextStream Out(stdout);
    QTextStream Err(stderr);
    return RunNotesCommand(Args, Out, Err);
}

#include "vorncal_notes.h"

#include "UNotesFile.h"
#include "UPaths.h"
#include "UXmlDoc.h"

#include <QTextStream>
#include <cstdio>

namespace {

const char Usage[] = "usage: vorncal notes [--today] [FILE]\n"
                     "Lists the notes of every day (or only today's) from FILE, or from the\n"
                     "notes file in the data directory, one line per note:\n"
                     "title, time, reminder flag and content separated by tabs.\n";

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

} // namespace

int RunNotesCommand(const QStringList& Args, QTextStream& Out, QTextStream& Err) {
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
            Err << "vorncal notes: unknown option " << Arg << "\n" << Usage;
            Err.flush();
            return 2;
        } else if (File.isEmpty()) {
            File = Arg;
        } else {
            Err << "vorncal notes: more than one FILE given\n" << Usage;
            Err.flush();
            return 2;
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

int RunNotesCommand(const QStringList& Args) {
    QTextStream Out(stdout);
    QTextStream Err(stderr);
    return RunNotesCommand(Args, Out, Err);
}

// "vorncal notes": lists the notes the history dialog lists, one line per
// note row; "vorncal notes add" and "vorncal notes delete" change one note
// through the program's own save path (its lock, its read-back check, its
// atomic write), so they are safe beside the running calendar and each other.
#pragma once

#include <QStringList>

class QTextStream;

// Args are the arguments after "notes". Exit status: 0 when the walk ran to
// its end or the file holds the change; 1 when the file could not be read or
// written (one line on Err says why; a file being changed is then unchanged);
// 2 for bad arguments.
int RunNotesCommand(const QStringList& Args, QTextStream& Out, QTextStream& Err);
// The same on the process's stdout and stderr.
int RunNotesCommand(const QStringList& Args);
// The usage text of "vorncal notes", also shown by "vorncal --help".
const char* NotesUsage();

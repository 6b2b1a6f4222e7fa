// "vorncal notes [--today] [FILE]": lists the notes the history dialog lists,
// one line per note row, from FILE or the notes file in the data directory.
#pragma once

#include <QStringList>

class QTextStream;

// Args are the arguments after "notes". Exit status: 0 when the walk ran to
// its end, 1 when it stopped at a failure (one line on Err says what failed),
// 2 for bad arguments. It only reads.
int RunNotesCommand(const QStringList& Args, QTextStream& Out, QTextStream& Err);
// The same on the process's stdout and stderr.
int RunNotesCommand(const QStringList& Args);

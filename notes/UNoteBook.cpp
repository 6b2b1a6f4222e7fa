#include "UNoteBook.h"

#include "UNotesFile.h"
#include "UXmlDoc.h"

#include <QFile>

QTime TBookNote::TimeOfDay() const {
    const QString time = Time();
    const QString clock = time.size() == 16 && time.at(10) == u' ' ? time.mid(11) : time;
    if (clock.size() != 5 || clock.at(2) != u':')
        return QTime();
    return QTime::fromString(clock, QStringLiteral("hh:mm"));
}

void TNoteBook::Clear() {
    FNotes.clear();
    FByDay.clear();
    FRepeating.clear();
}

bool TNoteBook::Read(const XmlDocument& Document, bool SkipSeed, QString* Failure) {
    Clear();
    const bool Ok = WalkNotes(
        Document, QString(), SkipSeed,
        [this](const NoteRecord& Note) {
            TBookNote n;
            n.DayNode = Note.DayNode;
            n.Day = DayNodeDate(Note.DayNode);
            n.Texts = Note.Texts;
            n.Extras = Note.Extras;
            FNotes.append(std::move(n));
            // As every reader that takes all four fields: a group that lacks
            // one is kept, and ends the walk.
            (void)Note.Content();
        },
        nullptr, Failure);
    index();
    return Ok;
}

bool TNoteBook::Load(XmlDocument& Document, const QString& Path, bool SkipSeed, QString* Failure) {
    Clear();
    try {
        Document.Load(Path);
    } catch (const std::exception& E) {
        if (Failure)
            *Failure = QString::fromUtf8(E.what());
        return false;
    }
    const bool Ok = Read(Document, SkipSeed, Failure);
    Document.New();
    return Ok;
}

void TNoteBook::index() {
    FByDay.clear();
    FRepeating.clear();
    for (int i = 0; i < FNotes.size(); ++i) {
        const TBookNote& n = FNotes[i];
        if (n.Day.isValid())
            FByDay[n.Day].append(i);
        if (n.Repeats() && n.Day.isValid())
            FRepeating.append(i);
    }
}

QList<int> TNoteBook::NotesOn(const QDate& Day) const {
    QList<int> notes = FByDay.value(Day);
    for (int i : FRepeating) {
        const TBookNote& n = FNotes[i];
        if (n.Day != Day && NoteFallsOn(n.First(), n.Extras, Day))
            notes.append(i);
    }
    return notes;
}

bool TNoteBook::HasNotesOn(const QDate& Day) const {
    // The seed document's example note is no note of the user's.
    if (Day == QDate(2000, 1, 1)) {
        for (int i : FByDay.value(Day))
            if (FNotes[i].DayNode != SeedDayNodeName())
                return true;
    } else if (FByDay.contains(Day)) {
        return true;
    }
    for (int i : FRepeating) {
        const TBookNote& n = FNotes[i];
        if (NoteFallsOn(n.First(), n.Extras, Day))
            return true;
    }
    return false;
}

const TNoteBook& TNoteBookReader::Book(const QString& Path) {
    QFile file(Path);
    QByteArray bytes;
    const bool readable = file.open(QIODevice::ReadOnly);
    if (readable)
        bytes = file.readAll();
    if (FValid && readable && Path == FPath && bytes == FBytes)
        return FBook;
    ++FVersion;
    FPath = Path;
    FFailure.clear();
    if (!readable) {
        FBook.Clear();
        FValid = false;
        FOk = !file.exists(); // no file yet: no notes, and nothing wrong
        if (file.exists())
            FFailure = QStringLiteral("无法读取文件 %1").arg(Path);
        FBytes.clear();
        return FBook;
    }
    XmlDocument document;
    try {
        document.LoadFromBytes(bytes, Path);
        FOk = FBook.Read(document, false, &FFailure);
    } catch (const std::exception& E) {
        FBook.Clear();
        FOk = false;
        FFailure = QString::fromUtf8(E.what());
    }
    FValid = true;
    FBytes = std::move(bytes);
    return FBook;
}

#include "UNoteStore.h"

#include "UComm.h"
#include "UFileIO.h"
#include "UNotesFile.h"
#include "UXmlDoc.h"

#include <QFileInfo>
#include <array>
#include <optional>

namespace {

// A note of the day as its elements hold it.
struct FileNote {
    std::array<XmlNode, 4> Field; // title, time, flag, content; null where missing
    bool Used = false;

    std::optional<QString> Text(int I) const {
        if (Field[I].IsNull())
            return std::nullopt;
        try {
            return Field[I].Text();
        } catch (const XmlError&) {
            return std::nullopt; // not one piece of text: matches nothing
        }
    }
    QString TitleText() const { return Text(0).value_or(QString()); }
    bool Reads(const QStringList& Texts) const {
        for (int I = 0; I < Texts.size() && I < 4; ++I) {
            const auto T = Text(I);
            if (!T || *T != Texts.at(I))
                return false;
        }
        return !Texts.isEmpty();
    }
    bool Reads(const NoteTexts& N) const {
        return Reads(QStringList{N.Title, N.Time, N.Flag, N.Content});
    }
    // The note's last element in document order.
    XmlNode Last(const XmlNode& Day) const {
        XmlNode Last = Field[0];
        int LastIndex = Day.IndexOf(Last);
        for (int I = 1; I < 4; ++I) {
            if (Field[I].IsNull())
                continue;
            const int At = Day.IndexOf(Field[I]);
            if (At > LastIndex) {
                LastIndex = At;
                Last = Field[I];
            }
        }
        return Last;
    }
};

QString fieldText(const NoteTexts& N, int I) {
    switch (I) {
    case 0:
        return N.Title;
    case 1:
        return N.Time;
    case 2:
        return N.Flag;
    default:
        return N.Content;
    }
}

int fieldIndex(const XmlNode& Child) {
    if (!Child.IsElement())
        return -1;
    for (int I = 0; I < 4; ++I) {
        if (Child.NameIs(NoteFieldName(I).toUtf8()))
            return I;
    }
    return -1;
}

// The notes of one day node, found by their elements' names.
QList<FileNote> notesOf(const XmlNode& Day) {
    QList<FileNote> Notes;
    for (XmlNode Child = Day.FirstChild(); Child; Child = Child.NextSibling()) {
        const int I = fieldIndex(Child);
        if (I == 0) {
            Notes.append(FileNote{});
            Notes.last().Field[0] = Child;
        } else if (I > 0 && !Notes.isEmpty() && Notes.last().Field[I].IsNull()) {
            Notes.last().Field[I] = Child;
        }
    }
    return Notes;
}

// Every note of the day nodes of that name, found by name, as texts.
QStringList dayDigest(const XmlDocument& Document, const QString& DayName) {
    QStringList Digest;
    const QByteArray Name = DayName.toUtf8();
    for (XmlNode Day = Document.DocumentElement().FirstChild(); Day; Day = Day.NextSibling()) {
        if (!Day.NameIs(Name))
            continue;
        Digest << QStringLiteral("day");
        for (const FileNote& Note : notesOf(Day)) {
            QStringList Texts;
            for (int I = 0; I < 4; ++I)
                Texts << Note.Text(I).value_or(QStringLiteral("<none>"));
            Digest << Texts.join(QLatin1Char('\n'));
        }
    }
    return Digest;
}

class DayEditor {
public:
    DayEditor(const XmlDocument& Document, const QString& DayName)
        : FDayName(DayName), FRoot(Document.DocumentElement()) {
        if (FRoot.IsNull())
            throw XmlError(QStringLiteral("便签文件没有根元素。"));
        const QByteArray Name = DayName.toUtf8();
        for (XmlNode Day = FRoot.FirstChild(); Day; Day = Day.NextSibling()) {
            if (!Day.IsElement() || !Day.NameIs(Name))
                continue;
            FDays.append(Day);
            for (FileNote& Note : notesOf(Day))
                FNotes.append({Day, Note});
        }
    }

    void Apply(const NoteEdit& Edit, QStringList& Notices) {
        switch (Edit.What) {
        case NoteEdit::Kind::Add:
            if (!find([&](const FileNote& N) { return N.Reads(Edit.After); }))
                append(Edit.After);
            break;
        case NoteEdit::Kind::Change:
            if (Entry* E = findUnused(Edit.Before)) {
                E->Note.Used = true;
                write(*E, Edit.After, 0, int(Edit.Before.size()));
            } else if (!find([&](const FileNote& N) { return N.Reads(Edit.After); })) {
                const QString Title = Edit.Before.value(0);
                const bool StillThere =
                    find([&](const FileNote& N) { return N.TitleText() == Title; }) != nullptr;
                append(Edit.After);
                Notices << (StillThere
                                ? QStringLiteral("便签“%1”已在别处被修改，两个版本都已保留。")
                                : QStringLiteral("便签“%1”已在别处被删除，已按您的修改重新保存。"))
                               .arg(Edit.After.Title);
            }
            break;
        case NoteEdit::Kind::Remove:
            if (Entry* E = findUnused(Edit.Before)) {
                remove(*E);
            } else {
                const QString Title = Edit.Before.value(0);
                if (find([&](const FileNote& N) { return N.TitleText() == Title; }))
                    Notices << QStringLiteral("便签“%1”已在别处被修改，没有删除。").arg(Title);
            }
            FRemoved = true;
            break;
        case NoteEdit::Kind::SetByTitle:
            if (Entry* E = findTitle(Edit.After.Title))
                write(*E, Edit.After, 1, 4);
            else
                append(Edit.After);
            break;
        case NoteEdit::Kind::RemoveByTitle:
            if (Entry* E = findTitle(Edit.After.Title))
                remove(*E);
            else
                throw FileError(QStringLiteral("%1 没有标题为“%2”的便签。")
                                    .arg(FDayName.mid(4), Edit.After.Title));
            FRemoved = true;
            break;
        }
    }

    // True once the document was changed.
    bool Modified() const { return FModified; }

    void Finish(bool EnsureDayNode) {
        if (FRemoved) {
            for (const XmlNode& Day : std::as_const(FDays)) {
                const int At = FRoot.IndexOf(Day);
                if (At >= 0 && Day.ChildCount() == 0) {
                    FRoot.RemoveChild(At);
                    FModified = true;
                }
            }
        }
        if (EnsureDayNode)
            firstDay();
    }

private:
    struct Entry {
        XmlNode Day;
        FileNote Note;
        bool Removed = false;
    };

    template <typename Pred> Entry* find(Pred P) {
        for (Entry& E : FNotes)
            if (!E.Removed && P(E.Note))
                return &E;
        return nullptr;
    }
    Entry* findUnused(const QStringList& Before) {
        return find([&](const FileNote& N) { return !N.Used && N.Reads(Before); });
    }
    Entry* findTitle(const QString& Title) {
        return find([&](const FileNote& N) {
            return N.TitleText().compare(Title, Qt::CaseInsensitive) == 0;
        });
    }

    XmlNode firstDay() {
        for (const XmlNode& Day : std::as_const(FDays))
            if (FRoot.IndexOf(Day) >= 0)
                return Day;
        const XmlNode Day = FRoot.AddChild(FDayName);
        FDays.append(Day);
        FModified = true;
        return Day;
    }

    void append(const NoteTexts& Texts) {
        const XmlNode Day = firstDay();
        FileNote Note;
        for (int I = 0; I < 4; ++I) {
            Note.Field[I] = Day.AddChild(NoteFieldName(I));
            Note.Field[I].SetText(fieldText(Texts, I));
        }
        Note.Used = true;
        FNotes.append({Day, Note});
        FModified = true;
    }

    // Writes the fields from First on into the note's own elements, making
    // those it lacks right after its last one. A field past Known (the
    // writer never saw it: the walk gave it a short group) is written only
    // when the writer put a text into it.
    void write(Entry& E, const NoteTexts& Texts, int First, int Known) {
        for (int I = First; I < 4; ++I) {
            if (I >= Known && fieldText(Texts, I).isEmpty())
                continue;
            if (E.Note.Field[I].IsNull()) {
                E.Note.Field[I] = E.Day.InsertChildAfter(E.Note.Last(E.Day), NoteFieldName(I));
                FModified = true;
            }
            if (E.Note.Text(I) != fieldText(Texts, I)) {
                E.Note.Field[I].SetText(fieldText(Texts, I));
                FModified = true;
            }
        }
    }

    void remove(Entry& E) {
        for (const XmlNode& Field : E.Note.Field) {
            if (!Field.IsNull())
                E.Day.RemoveChild(E.Day.IndexOf(Field));
        }
        E.Removed = true;
        FModified = true;
    }

    QString FDayName;
    XmlNode FRoot;
    QList<XmlNode> FDays;
    QList<Entry> FNotes;
    bool FRemoved = false;
    bool FModified = false;
};

const QString Unchanged = QStringLiteral("便签文件未作改动。");

} // namespace

qsizetype NoteTextLimit() {
    return XmlDocument::MaxTextBytes / 3;
}

StoreResult EditDay(const QString& Path, const QDate& Day, const QList<NoteEdit>& Edits,
                    bool EnsureDayNode) {
    StoreResult Result;
    try {
        FileIO::MakePrivateDir(QFileInfo(Path).absolutePath());
        FileIO::TFileLock Lock(Path);
        XmlDocument Document;
        const bool Exists = QFileInfo::exists(Path);
        if (Exists) {
            Document.Load(Path);
        } else {
            BuildSeedDocument(Document);
        }
        bool Changed = !Exists;
        if (Document.Version() != QLatin1String("1.0") ||
            Document.Encoding() != QLatin1String("GB2312")) {
            Document.SetVersion(QStringLiteral("1.0"));
            Document.SetEncoding(QStringLiteral("GB2312"));
            Changed = true;
        }

        const QString DayName = DayNodeName(Day);
        DayEditor Editor(Document, DayName);
        for (const NoteEdit& Edit : Edits)
            Editor.Apply(Edit, Result.Notices);
        Editor.Finish(EnsureDayNode);
        // Nothing to change (a confirm of untouched rows): the file is not
        // rewritten at all, so a hand-made layout stays as it was.
        if (!Changed && !Editor.Modified())
            return Result;

        // What is about to be written must read back, through the program's
        // own loader, as exactly this document: the same tree node for node
        // (so every reader sees the same notes), and the same notes of the day.
        const QByteArray Bytes = Document.ToBytes();
        XmlDocument Check;
        try {
            Check.LoadFromBytes(Bytes, Path);
        } catch (const XmlError& E) {
            throw FileError(QStringLiteral("便签写出后无法读回（%1）").arg(E.Message()));
        }
        if (!Check.SameContent(Document) ||
            dayDigest(Check, DayName) != dayDigest(Document, DayName))
            throw FileError(QStringLiteral("便签写出后读回的内容与要保存的不一致。"));
        FileIO::WriteFileAtomically(Path, Bytes);
    } catch (const std::exception& E) {
        return StoreResult::Failed(QString::fromUtf8(E.what()) + Unchanged);
    }
    return Result;
}

StoreResult SaveNotes(const QString& Path, const QDate& Day, const QList<NoteRow>& Rows) {
    // The file went while the dialog was open: the seed and every row anew.
    const bool Gone = !QFileInfo::exists(Path);
    QList<NoteEdit> Edits;
    for (const NoteRow& Row : Rows) {
        const QStringList Now{Row.Now.Title, Row.Now.Time, Row.Now.Flag, Row.Now.Content};
        if (Row.Loaded.isEmpty() || Gone) {
            Edits.append({NoteEdit::Kind::Add, {}, Row.Now});
            continue;
        }
        // A row left short by a hand-edited file shows its missing fields
        // empty: untouched, they are still what it was read with.
        bool Touched = false;
        for (int I = 0; I < 4; ++I)
            Touched = Touched || (I < Row.Loaded.size() ? Now.at(I) != Row.Loaded.at(I)
                                                        : !Now.at(I).isEmpty());
        if (Touched)
            Edits.append({NoteEdit::Kind::Change, Row.Loaded, Row.Now});
    }
    return EditDay(Path, Day, Edits, /*EnsureDayNode=*/true);
}

StoreResult DeleteNote(const QString& Path, const QDate& Day, const QStringList& Loaded) {
    return EditDay(Path, Day, {{NoteEdit::Kind::Remove, Loaded, {}}});
}

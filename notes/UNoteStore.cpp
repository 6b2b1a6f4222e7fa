#include "UNoteStore.h"

#include "UComm.h"
#include "UFileIO.h"
#include "UNotesFile.h"
#include "UXmlDoc.h"

#include <QFileInfo>
#include <array>
#include <map>
#include <memory>
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
                append(Edit.After, Edit.Extras);
            break;
        case NoteEdit::Kind::Change:
            if (Entry* E = findUnused(Edit.Before)) {
                E->Note.Used = true;
                write(*E, Edit.After, 0, int(Edit.Before.size()));
                if (Edit.Extras)
                    writeExtras(*E, *Edit.Extras);
            } else if (!find([&](const FileNote& N) { return N.Reads(Edit.After); })) {
                const QString Title = Edit.Before.value(0);
                const bool StillThere =
                    find([&](const FileNote& N) { return N.TitleText() == Title; }) != nullptr;
                // Kept beside the other version: with an identity of its own.
                std::optional<NoteExtras> Extras = Edit.Extras;
                if (Extras && StillThere)
                    Extras->Uid = NewNoteUid();
                append(Edit.After, Extras);
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
            if (Entry* E = findTitle(Edit.After.Title)) {
                write(*E, Edit.After, 1, 4);
                if (Edit.Extras) {
                    NoteExtras Extras = *Edit.Extras;
                    // The note keeps the identity it has.
                    const NoteExtras Had = ExtrasOf(E->Note.Field[0]);
                    if (!Had.Uid.isEmpty())
                        Extras.Uid = Had.Uid;
                    writeExtras(*E, Extras);
                }
            } else {
                append(Edit.After, Edit.Extras);
            }
            break;
        case NoteEdit::Kind::SetByUid: {
            Entry* E = findUid(Edit.Extras ? Edit.Extras->Uid : QString());
            // A note that has no identity yet and reads the same (one written
            // out before it got one, coming back) takes this one.
            if (!E)
                E = find([&](const FileNote& N) {
                    return N.Reads(Edit.After) &&
                           (!N.Field[0].HasAttributes() ||
                            N.Field[0].Attribute(UidAttribute()).isEmpty());
                });
            if (E) {
                write(*E, Edit.After, 0, 4);
                if (Edit.Extras)
                    writeExtras(*E, *Edit.Extras);
            } else {
                append(Edit.After, Edit.Extras);
            }
            break;
        }
        case NoteEdit::Kind::RemoveByUid:
            if (Entry* E = findUid(Edit.Before.value(0)))
                remove(*E);
            FRemoved = true;
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

public:
    // Whether the day holds the note of that identity.
    bool HasUid(const QString& Uid) { return findUid(Uid) != nullptr; }

private:
    Entry* findUid(const QString& Uid) {
        if (Uid.isEmpty())
            return nullptr;
        return find([&](const FileNote& N) {
            return N.Field[0].HasAttributes() && N.Field[0].Attribute(UidAttribute()) == Uid;
        });
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

    void append(const NoteTexts& Texts, const std::optional<NoteExtras>& Extras) {
        const XmlNode Day = firstDay();
        FileNote Note;
        for (int I = 0; I < 4; ++I) {
            Note.Field[I] = Day.AddChild(NoteFieldName(I));
            Note.Field[I].SetText(fieldText(Texts, I));
        }
        Note.Used = true;
        FNotes.append({Day, Note});
        if (Extras)
            writeExtras(FNotes.last(), *Extras);
        FModified = true;
    }

    // The program's attributes on the note's 标题 element; any other
    // attribute a hand edit put there stays.
    void writeExtras(Entry& E, const NoteExtras& Extras) {
        const XmlNode Title = E.Note.Field[0];
        if (ExtrasOf(Title) == Extras)
            return;
        Title.SetAttribute(UidAttribute(), Extras.Uid);
        Title.SetAttribute(RepeatAttribute(), RepeatWord(Extras.Repeat));
        Title.SetAttribute(UntilAttribute(),
                           Extras.Repeat != NoteRepeat::None && Extras.Until.isValid()
                               ? Extras.Until.toString(QStringLiteral("yyyy-MM-dd"))
                               : QString());
        Title.SetAttribute(LeadAttribute(), Extras.LeadMinutes > 0
                                                ? QString::number(Extras.LeadMinutes)
                                                : QString());
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

namespace {

// The day node names of the document that hold a note of that identity.
QString dayOfUid(const XmlDocument& Document, const QString& Uid) {
    if (Uid.isEmpty())
        return QString();
    const QByteArray Title = NoteFieldName(0).toUtf8();
    for (XmlNode Day = Document.DocumentElement().FirstChild(); Day; Day = Day.NextSibling()) {
        if (!Day.IsElement())
            continue;
        for (XmlNode Child = Day.FirstChild(); Child; Child = Child.NextSibling()) {
            if (Child.IsElement() && Child.HasAttributes() && Child.NameIs(Title) &&
                Child.Attribute(UidAttribute()) == Uid)
                return Day.Name();
        }
    }
    return QString();
}

StoreResult editNotes(const QString& Path, const QList<NoteEdit>& Edits,
                      const QStringList& EnsureDays) {
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

        // One editor per day the edits touch, made when first needed.
        std::map<QString, std::unique_ptr<DayEditor>> Editors;
        auto editorOf = [&](const QString& DayName) -> DayEditor& {
            auto& E = Editors[DayName];
            if (!E)
                E = std::make_unique<DayEditor>(Document, DayName);
            return *E;
        };
        for (const NoteEdit& Edit : Edits) {
            if (!Edit.Day.isValid() && Edit.What != NoteEdit::Kind::RemoveByUid)
                throw FileError(QStringLiteral("便签的日期无效。"));
            const QString DayName = DayNodeName(Edit.Day);
            if (Edit.What == NoteEdit::Kind::SetByUid && Edit.Extras) {
                // A note that moved to another day leaves the day it stood on.
                const QString Was = dayOfUid(Document, Edit.Extras->Uid);
                if (!Was.isEmpty() && Was != DayName)
                    editorOf(Was).Apply({NoteEdit::Kind::RemoveByUid, {Edit.Extras->Uid}, {}},
                                        Result.Notices);
            } else if (Edit.What == NoteEdit::Kind::RemoveByUid) {
                const QString Was = dayOfUid(Document, Edit.Before.value(0));
                if (!Was.isEmpty())
                    editorOf(Was).Apply(Edit, Result.Notices);
                continue;
            }
            editorOf(DayName).Apply(Edit, Result.Notices);
        }
        bool Modified = false;
        for (auto& [Name, Editor] : Editors) {
            Editor->Finish(EnsureDays.contains(Name));
            Modified = Modified || Editor->Modified();
        }
        for (const QString& Name : EnsureDays) {
            if (!Editors.count(Name)) {
                DayEditor& Editor = editorOf(Name);
                Editor.Finish(true);
                Modified = Modified || Editor.Modified();
            }
        }
        // Nothing to change (a confirm of untouched rows): the file is not
        // rewritten at all, so a hand-made layout stays as it was.
        if (!Changed && !Modified)
            return Result;

        // What is about to be written must read back, through the program's
        // own loader, as exactly this document: the same tree node for node
        // (so every reader sees the same notes), and the same notes on each
        // day that changed.
        const QByteArray Bytes = Document.ToBytes();
        XmlDocument Check;
        try {
            Check.LoadFromBytes(Bytes, Path);
        } catch (const XmlError& E) {
            throw FileError(QStringLiteral("便签写出后无法读回（%1）").arg(E.Message()));
        }
        bool Same = Check.SameContent(Document);
        for (const auto& [Name, Editor] : Editors)
            Same = Same && dayDigest(Check, Name) == dayDigest(Document, Name);
        if (!Same)
            throw FileError(QStringLiteral("便签写出后读回的内容与要保存的不一致。"));
        FileIO::WriteFileAtomically(Path, Bytes);
    } catch (const std::exception& E) {
        return StoreResult::Failed(QString::fromUtf8(E.what()) + Unchanged);
    }
    return Result;
}

} // namespace

StoreResult EditDay(const QString& Path, const QDate& Day, const QList<NoteEdit>& Edits,
                    bool EnsureDayNode) {
    QList<NoteEdit> Dated = Edits;
    for (NoteEdit& Edit : Dated)
        if (!Edit.Day.isValid())
            Edit.Day = Day;
    return editNotes(Path, Dated, EnsureDayNode ? QStringList{DayNodeName(Day)} : QStringList());
}

StoreResult EditNotes(const QString& Path, const QList<NoteEdit>& Edits) {
    return editNotes(Path, Edits, {});
}

StoreResult SaveNotes(const QString& Path, const QDate& Day, const QList<NoteRow>& Rows) {
    // The file went while the dialog was open: the seed and every row anew.
    const bool Gone = !QFileInfo::exists(Path);
    QList<NoteEdit> Edits;
    for (const NoteRow& Row : Rows) {
        const QStringList Now{Row.Now.Title, Row.Now.Time, Row.Now.Flag, Row.Now.Content};
        // A repeating note of an earlier day is changed where it stands.
        const QDate On = Row.Origin.isValid() ? Row.Origin : Day;
        if (Row.Loaded.isEmpty() || Gone) {
            Edits.append({NoteEdit::Kind::Add, {}, Row.Now, Row.NowExtras, On});
            continue;
        }
        // A row left short by a hand-edited file shows its missing fields
        // empty: untouched, they are still what it was read with.
        bool Touched = Row.NowExtras != Row.LoadedExtras;
        for (int I = 0; I < 4; ++I)
            Touched = Touched || (I < Row.Loaded.size() ? Now.at(I) != Row.Loaded.at(I)
                                                        : !Now.at(I).isEmpty());
        if (Touched)
            Edits.append(
                {NoteEdit::Kind::Change, Row.Loaded, Row.Now,
                 Row.NowExtras != Row.LoadedExtras ? std::optional(Row.NowExtras) : std::nullopt,
                 On});
    }
    return EditDay(Path, Day, Edits, /*EnsureDayNode=*/true);
}

StoreResult DeleteNote(const QString& Path, const QDate& Day, const QStringList& Loaded) {
    return EditDay(Path, Day, {{NoteEdit::Kind::Remove, Loaded, {}}});
}

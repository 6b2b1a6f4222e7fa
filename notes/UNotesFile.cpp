#include "UNotesFile.h"

#include "UClock.h"
#include "UXmlDoc.h"

QString NotesRootName() {
    return QStringLiteral("便签列表");
}
QString SeedDayNodeName() {
    return QStringLiteral("Date2000-01-01");
}

QString NoteFieldName(int I) {
    static const QString Names[4] = {QStringLiteral("标题"), QStringLiteral("日期"),
                                     QStringLiteral("提醒"), QStringLiteral("内容")};
    return (I >= 0 && I < 4) ? Names[I] : QString();
}

QString DayNodeName(const QDate& Date) {
    return QStringLiteral("Date%1-%2-%3")
        .arg(Date.year(), 4, 10, QLatin1Char('0'))
        .arg(Date.month(), 2, 10, QLatin1Char('0'))
        .arg(Date.day(), 2, 10, QLatin1Char('0'));
}

QString TodayNodeName() {
    return DayNodeName(Clock::Now().date());
}

NotesError::NotesError(const QString& Message) : std::runtime_error(Message.toStdString()) {}

QString NoteRecord::Field(int Index) const {
    if (Index >= 0 && Index < Texts.size())
        return Texts.at(Index);
    static const char* const What[4] = {"title", "time text", "reminder flag", "content"};
    throw NotesError(QStringLiteral("A note in %1 lacks its %2: its group holds %3 of 4 texts.")
                         .arg(DayNode)
                         .arg(QLatin1String(Index >= 0 && Index < 4 ? What[Index] : "field"))
                         .arg(Texts.size()));
}

namespace {

bool IsNoteField(const XmlNode& Child) {
    static const QByteArray Names[4] = {NoteFieldName(0).toUtf8(), NoteFieldName(1).toUtf8(),
                                        NoteFieldName(2).toUtf8(), NoteFieldName(3).toUtf8()};
    if (!Child.IsElement())
        return false;
    for (const QByteArray& Name : Names) {
        if (Child.NameIs(Name))
            return true;
    }
    return false;
}

} // namespace

bool ReadNotes(XmlDocument& Document, const QString& Path, bool TodayOnly, bool SkipSeed,
               const NoteHandler& OnNote, int* DayNodesWalked, QString* Failure) {
    int Walked = 0;
    if (DayNodesWalked)
        *DayNodesWalked = 0;
    try {
        Document.Load(Path);
        const XmlNode Root = Document.DocumentElement();
        if (Root.IsNull())
            throw XmlError(QStringLiteral("The notes file has no root element."));
        // Today's name is taken once per walk: a walk lasts milliseconds.
        const QByteArray TodayName = TodayOnly ? TodayNodeName().toUtf8() : QByteArray();
        const QByteArray SeedName = SeedDayNodeName().toUtf8();
        long long ChildCounter = 0;
        NoteRecord Group;
        for (XmlNode Day = Root.FirstChild(); Day; Day = Day.NextSibling()) {
            if (SkipSeed && Day.NameIs(SeedName))
                continue;
            if (TodayOnly && !Day.NameIs(TodayName))
                continue;
            Group.Texts.clear();
            Group.DayNode = Day.Name();
            for (XmlNode Child = Day.FirstChild(); Child; Child = Child.NextSibling()) {
                if (IsNoteField(Child))
                    Group.Texts.append(Child.Text());
                ++ChildCounter;
                if (ChildCounter % 4 == 0) {
                    OnNote(Group);
                    Group.Texts.clear();
                }
            }
            ++Walked;
            if (DayNodesWalked)
                *DayNodesWalked = Walked;
        }
        return true;
    } catch (const std::exception& E) {
        if (Failure)
            *Failure = QString::fromUtf8(E.what());
    } catch (...) {
        if (Failure)
            *Failure = QStringLiteral("Unknown failure while reading the notes.");
    }
    return false;
}

void SaveNotes(XmlDocument& Document, const QString& Path, const QStringList& FlatNotes) {
    if (Document.IsEmpty())
        Document.Load(Path);
    Document.SetVersion(QStringLiteral("1.0"));
    Document.SetEncoding(QStringLiteral("GB2312"));
    const XmlNode Root = Document.DocumentElement();
    if (Root.IsNull())
        throw XmlError(QStringLiteral("The notes document has no root element."));
    const QString TodayName = TodayNodeName();
    XmlNode Today = Root.FindChild(TodayName);
    if (Today.IsNull())
        Today = Root.AddChild(TodayName);
    const int Rows = int(FlatNotes.size() / 4);
    for (int B = 0; B < Rows; ++B) {
        const int D = 4 * B;
        if (Today.ChildCount() > D && Today.Child(D).Text() == FlatNotes.at(D)) {
            for (int K = 1; K <= 3; ++K)
                Today.Child(D + K).SetText(FlatNotes.at(D + K));
        } else {
            for (int K = 0; K < 4; ++K)
                Today.AddChild(NoteFieldName(K)).SetText(FlatNotes.at(D + K));
        }
    }
    Document.Save(Path);
}

bool DeleteNote(XmlDocument& Document, const QString& Path, const QString& Title) {
    try {
        Document.Load(Path);
        const XmlNode Root = Document.DocumentElement();
        if (Root.IsNull())
            throw XmlError(QStringLiteral("The notes document has no root element."));
        const QString TodayName = TodayNodeName();
        XmlNode Today;
        for (XmlNode Day = Root.FirstChild(); Day; Day = Day.NextSibling()) {
            const QString Name = Day.Name();
            if (Name == SeedDayNodeName())
                continue;
            if (Name == TodayName) {
                Today = Day;
                break;
            }
        }
        if (!Today.IsNull()) {
            int Index = 0;
            for (XmlNode Child = Today.FirstChild(); Child; Child = Child.NextSibling(), ++Index) {
                if (Child.IsElement() && Child.Name() == NoteFieldName(0) &&
                    Child.Text() == Title) {
                    // The title and the three children after it; a hand-edited
                    // day node may hold fewer after its last title.
                    const int Count = qMin(4, Today.ChildCount() - Index);
                    for (int K = 0; K < Count; ++K)
                        Today.RemoveChild(Index);
                    break;
                }
            }
            if (Today.ChildCount() == 0)
                Root.RemoveChild(Root.IndexOf(Today));
        }
        Document.Save(Path);
        return true;
    } catch (...) {
        return false;
    }
}

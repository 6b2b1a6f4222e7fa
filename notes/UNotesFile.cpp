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

QDate DayNodeDate(const QString& Name) {
    if (Name.size() != 14 || !Name.startsWith(QLatin1String("Date")))
        return QDate();
    return QDate::fromString(Name.mid(4), QStringLiteral("yyyy-MM-dd"));
}

NoteExtras ExtrasOf(const XmlNode& Title) {
    NoteExtras Extras;
    if (!Title.HasAttributes())
        return Extras;
    Extras.Uid = Title.Attribute(UidAttribute());
    if (Extras.Uid.isNull())
        Extras.Uid = QString();
    Extras.Repeat =
        RepeatFromWord(Title.Attribute(RepeatAttribute()).trimmed()).value_or(NoteRepeat::None);
    Extras.Until = QDate::fromString(Title.Attribute(UntilAttribute()).trimmed(),
                                     QStringLiteral("yyyy-MM-dd"));
    bool Ok = false;
    const int Lead = Title.Attribute(LeadAttribute()).trimmed().toInt(&Ok);
    Extras.LeadMinutes = Ok && Lead > 0 && Lead <= 7 * LeadDay ? Lead : 0;
    return Extras;
}

QString TodayNodeName() {
    return DayNodeName(Clock::Now().date());
}

NotesError::NotesError(const QString& Message) : std::runtime_error(Message.toStdString()) {}

QString NoteRecord::Field(int Index) const {
    if (Index >= 0 && Index < Texts.size())
        return Texts.at(Index);
    static const char* const What[4] = {"标题", "时间", "提醒", "内容"};
    throw NotesError(
        QStringLiteral("便签文件中 %1 的一条便签不完整：缺少%2（只有 %3 项，应有 4 项）。")
            .arg(DayNode)
            .arg(QString::fromUtf8(Index >= 0 && Index < 4 ? What[Index] : "一项"))
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
    if (DayNodesWalked)
        *DayNodesWalked = 0;
    try {
        Document.Load(Path);
    } catch (const std::exception& E) {
        if (Failure)
            *Failure = QString::fromUtf8(E.what());
        return false;
    }
    // Today's name is taken once per walk: a walk lasts milliseconds.
    return WalkNotes(Document, TodayOnly ? TodayNodeName() : QString(), SkipSeed, OnNote,
                     DayNodesWalked, Failure);
}

bool WalkNotes(const XmlDocument& Document, const QString& OnlyDayNode, bool SkipSeed,
               const NoteHandler& OnNote, int* DayNodesWalked, QString* Failure) {
    int Walked = 0;
    if (DayNodesWalked)
        *DayNodesWalked = 0;
    try {
        const XmlNode Root = Document.DocumentElement();
        if (Root.IsNull())
            throw XmlError(QStringLiteral("便签文件没有根元素。"));
        const QByteArray OnlyName = OnlyDayNode.toUtf8();
        static const QByteArray TitleName = NoteFieldName(0).toUtf8();
        const QByteArray SeedName = SeedDayNodeName().toUtf8();
        long long ChildCounter = 0;
        NoteRecord Group;
        for (XmlNode Day = Root.FirstChild(); Day; Day = Day.NextSibling()) {
            if (SkipSeed && Day.NameIs(SeedName))
                continue;
            if (!OnlyName.isEmpty() && !Day.NameIs(OnlyName))
                continue;
            Group.Texts.clear();
            Group.Extras = NoteExtras();
            Group.DayNode = Day.Name();
            for (XmlNode Child = Day.FirstChild(); Child; Child = Child.NextSibling()) {
                if (IsNoteField(Child)) {
                    Group.Texts.append(Child.Text());
                    if (Child.HasAttributes() && Child.NameIs(TitleName))
                        Group.Extras = ExtrasOf(Child);
                }
                ++ChildCounter;
                if (ChildCounter % 4 == 0) {
                    OnNote(Group);
                    Group.Texts.clear();
                    Group.Extras = NoteExtras();
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
            *Failure = QStringLiteral("读取便签时出现未知错误。");
    }
    return false;
}

#include "UComm.h"

#include "UFileIO.h"
#include "UNoteStore.h"
#include "UNotesFile.h"
#include "UXmlDoc.h"

#include <QDate>
#include <QFileInfo>

void BuildSeedDocument(XmlDocument& XMLDoc) {
    XMLDoc.New();
    XMLDoc.SetVersion(QStringLiteral("1.0"));
    XMLDoc.SetEncoding(QStringLiteral("GB2312"));
    const XmlNode Root = XMLDoc.AddRoot(NotesRootName());
    const XmlNode Day = Root.AddChild(SeedDayNodeName());
    const QString Texts[4] = {QStringLiteral("测试"), QStringLiteral("2000-01-01"),
                              QStringLiteral("是"), QStringLiteral("千禧年")};
    for (int I = 0; I < 4; ++I)
        Day.AddChild(NoteFieldName(I)).SetText(Texts[I]);
}

StoreResult CreateNotesFile(XmlDocument& XMLDoc, const QString& Path) {
    // No edits on a missing file: the save path writes the seed alone, and
    // keeps a file that another writer made in the meantime.
    const bool Existed = QFileInfo::exists(Path);
    const StoreResult Result = EditDay(Path, QDate(2000, 1, 1), {});
    if (!Result)
        return Result;
    if (!Existed) {
        BuildSeedDocument(XMLDoc);
        return Result;
    }
    try {
        XMLDoc.Load(Path);
    } catch (const XmlError&) {
        BuildSeedDocument(XMLDoc);
    }
    return Result;
}

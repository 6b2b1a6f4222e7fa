#include "UComm.h"

#include "UNotesFile.h"
#include "UXmlDoc.h"

void CreateNotesFile(XmlDocument& XMLDoc, const QString& Path) {
    XMLDoc.New();
    XMLDoc.SetVersion(QStringLiteral("1.0"));
    XMLDoc.SetEncoding(QStringLiteral("GB2312"));
    const XmlNode Root = XMLDoc.AddRoot(NotesRootName());
    const XmlNode Day = Root.AddChild(SeedDayNodeName());
    const QString Texts[4] = {QStringLiteral("测试"), QStringLiteral("2000-01-01"),
                              QStringLiteral("是"), QStringLiteral("千禧年")};
    for (int I = 0; I < 4; ++I)
        Day.AddChild(NoteFieldName(I)).SetText(Texts[I]);
    XMLDoc.Save(Path);
}

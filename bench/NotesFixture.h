// The notes file that the benchmarks work on: the seed, then one day node per
// day with two or three notes each (Chinese titles and contents, every third
// note without the reminder flag), as years of use would leave it.
#pragma once

#include "UComm.h"
#include "UNotesFile.h"
#include "UXmlDoc.h"

#include <QDate>
#include <QString>

// Writes Notes notes over Days day nodes from First on to Path; returns the
// number of notes written. The last day's notes are timed 08:00, 09:00, ...
inline int WriteBenchNotesFile(const QString& Path, const QDate& First, int Days, int Notes) {
    XmlDocument doc;
    BuildSeedDocument(doc);
    const XmlNode root = doc.DocumentElement();
    int made = 0;
    for (int d = 0; d < Days; ++d) {
        const QDate date = First.addDays(d);
        const XmlNode day = root.AddChild(DayNodeName(date));
        const int count = (Notes - made) / (Days - d) + ((Notes - made) % (Days - d) > 0 ? 1 : 0);
        for (int k = 0; k < count; ++k, ++made) {
            const QString texts[4] = {
                QStringLiteral("便签%1").arg(made),
                date.toString(QStringLiteral("yyyy-MM-dd")) +
                    QStringLiteral(" %1:00").arg(8 + k, 2, 10, QLatin1Char('0')),
                (made % 3) ? QStringLiteral("是") : QStringLiteral("否"),
                QStringLiteral("今天要做的事情：开会、买菜、给家里打电话。第%1条").arg(made)};
            for (int f = 0; f < 4; ++f)
                day.AddChild(NoteFieldName(f)).SetText(texts[f]);
        }
    }
    doc.Save(Path);
    return made;
}

#include "UNoteRows.h"

#include "UNotesFile.h"
#include "UReportListView.h"
#include "UXmlDoc.h"

bool LoadNoteRows(TReportListView* List, XmlDocument& Document, const QString& Path,
                  bool TodayOnly) {
    List->ClearRows();
    return ReadNotes(Document, Path, TodayOnly, true, [List](const NoteRecord& Note) {
        QTreeWidgetItem* Row = List->AddRow();
        TReportListView::SetCaption(Row, Note.Title());
        TReportListView::AddSubItem(Row, Note.TimeText());
        TReportListView::AddSubItem(Row, Note.FlagText());
        TReportListView::AddSubItem(Row, Note.Content());
    });
}

QStringList FlatNoteList(const TReportListView* List) {
    QStringList Flat;
    for (int I = 0; I < List->RowCount(); ++I) {
        const QTreeWidgetItem* Row = List->Row(I);
        Flat << Row->text(0);
        for (int S = 0; S < 3; ++S)
            Flat << TReportListView::SubItem(Row, S);
    }
    return Flat;
}

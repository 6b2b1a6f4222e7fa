#include "UNoteRows.h"

#include "UNotesFile.h"
#include "UReportListView.h"
#include "UXmlDoc.h"

namespace {
// Past the roles the list view keeps for itself.
constexpr int LoadedRole = Qt::UserRole + 64;
} // namespace

bool LoadNoteRows(TReportListView* List, XmlDocument& Document, const QString& Path, bool TodayOnly,
                  QString* Failure) {
    List->ClearRows();
    return ReadNotes(
        Document, Path, TodayOnly, true,
        [List](const NoteRecord& Note) {
            QTreeWidgetItem* Row = List->AddRow();
            SetLoadedTexts(Row, Note.Texts);
            TReportListView::SetCaption(Row, Note.Title());
            TReportListView::AddSubItem(Row, Note.TimeText());
            TReportListView::AddSubItem(Row, Note.FlagText());
            TReportListView::AddSubItem(Row, Note.Content());
        },
        nullptr, Failure);
}

QStringList LoadedTexts(const QTreeWidgetItem* Row) {
    return Row->data(0, LoadedRole).toStringList();
}

void SetLoadedTexts(QTreeWidgetItem* Row, const QStringList& Texts) {
    Row->setData(0, LoadedRole, Texts);
}

NoteTexts RowTexts(const QTreeWidgetItem* Row) {
    return {Row->text(0), TReportListView::SubItem(Row, 0), TReportListView::SubItem(Row, 1),
            TReportListView::SubItem(Row, 2)};
}

QList<NoteRow> NoteRowsOf(const TReportListView* List) {
    QList<NoteRow> Rows;
    for (int I = 0; I < List->RowCount(); ++I)
        Rows.append({LoadedTexts(List->Row(I)), RowTexts(List->Row(I))});
    return Rows;
}

// Note rows: the dialogs' note lists, one row per note (caption the title;
// sub-items the time text, the flag text and the content).
#pragma once

#include "UNoteStore.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTreeWidgetItem;
class TReportListView;
class XmlDocument;

// LoadNotes as both dialogs run it: removes every row, then walks Path with
// skipSeed true and appends one row per note -- the row first, then its
// caption, then the sub-items in order, so a short group leaves a partly
// filled row before the walk stops. Each row keeps the texts it was read
// with (LoadedTexts), so that a save knows what the user changed. The walk's
// result; Failure (when given) receives why it stopped.
[[nodiscard]] bool LoadNoteRows(TReportListView* List, XmlDocument& Document, const QString& Path,
                                bool TodayOnly, QString* Failure = nullptr);

// The texts a row was read from the file with; empty for a row the user added.
QStringList LoadedTexts(const QTreeWidgetItem* Row);
void SetLoadedTexts(QTreeWidgetItem* Row, const QStringList& Texts);

// The row's caption and its three sub-items. A sub-item a row lacks (a row
// left partly filled by a damaged file) reads as empty.
NoteTexts RowTexts(const QTreeWidgetItem* Row);

// Every row as the save path takes it: what it was read with, what it holds.
QList<NoteRow> NoteRowsOf(const TReportListView* List);

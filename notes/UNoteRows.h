// Note rows: the dialogs' note lists, one row per note (caption the title;
// sub-items the time text, the flag text and the content).
#pragma once

#include <QString>
#include <QStringList>

class TReportListView;
class XmlDocument;

// LoadNotes as both dialogs run it: removes every row, then walks Path with
// skipSeed true and appends one row per note -- the row first, then its
// caption, then the sub-items in order, so a short group leaves a partly
// filled row before the walk stops. The walk's result.
bool LoadNoteRows(TReportListView* List, XmlDocument& Document, const QString& Path,
                  bool TodayOnly);

// Every row's caption and its three sub-items, row after row. A sub-item a
// row lacks (a row left partly filled by a damaged file) is written as empty.
QStringList FlatNoteList(const TReportListView* List);

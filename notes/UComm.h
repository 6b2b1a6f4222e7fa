// The seed writer of the notes file.
#pragma once

#include "UStoreResult.h"

#include <QString>

class XmlDocument;

// Starts a new document in XMLDoc holding the seed day node "Date2000-01-01"
// with its one note ("测试", "2000-01-01", "是", "千禧年"). Nothing is written.
void BuildSeedDocument(XmlDocument& XMLDoc);

// Writes the seed document to Path when no notes file exists there, through
// the notes file's one save path (its lock, the read-back check, the atomic
// write; the data folder is made with its parents). A file that another
// writer made meanwhile is kept. Afterwards XMLDoc holds the seed document
// with no file name of its own, or, when the file was there, that file.
StoreResult CreateNotesFile(XmlDocument& XMLDoc, const QString& Path);
